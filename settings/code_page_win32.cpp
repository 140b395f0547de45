// Windows: the system's ANSI code page and its own conversion. The menu itself never needs
// these (the profile function reads the file); tests built for Windows read files with them.
#include "settings/code_page.h"

#include <windows.h>

#include <string>

namespace settings {
namespace {

std::string wide_to_utf8(const std::wstring& w) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), out.data(), n,
                            nullptr, nullptr);
    return out;
}

} // namespace

unsigned user_ansi_code_page() {
    return GetACP();
}

std::string ansi_to_utf8(std::string_view bytes, unsigned code_page) {
    if (bytes.empty())
        return {};
    const int size = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(code_page, 0, bytes.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(code_page, 0, bytes.data(), size, wide.data(), n);
    return wide_to_utf8(wide);
}

bool decodes_cleanly(std::string_view bytes, unsigned code_page) {
    if (bytes.empty())
        return true;
    const int size = static_cast<int>(bytes.size());
    const int n =
        MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (n <= 0)
        return false;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), n);
    // A byte the code page leaves undefined still converts here: to the C1 control of the same
    // number (the five holes of 1252) or into the private use area (874's). Neither is text, and
    // the C library's converters refuse both: the check then says the same on both systems.
    for (const wchar_t c : wide)
        if ((c >= 0x80 && c <= 0x9F) || (c >= 0xE000 && c <= 0xF8FF))
            return false;
    return true;
}

} // namespace settings
