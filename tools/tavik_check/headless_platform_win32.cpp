#include "tools/tavik_check/headless_platform.h"

#include <windows.h>

#include <objbase.h>

#include <climits>

#include "app/win32/picture.h"
#include "app/win32/text.h"
#include "app/win32/units.h"
#include "tools/tavik_check/render.h"

namespace check {

// The Windows window's own text metrics and picture loader, at the DPI of the scale (the
// render's too): the check, the render and the window at that DPI agree.
forms::Extent HeadlessPlatform::measure_text(std::string_view text, const forms::Font& font) {
    return win32_shell::measure_text(render_fonts(), text, font, win32_shell::dpi_for(scale_));
}

std::shared_ptr<const forms::Picture> HeadlessPlatform::load_picture(const std::string& path) {
    // OLE and WIC decode in a COM apartment; the tool has one thread and keeps it to the end.
    static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    (void)com;
    return win32_shell::load_picture_file(path, win32_shell::dpi_for(scale_));
}

std::string path_text(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    if (wide.empty() || wide.size() > INT_MAX)
        return {};
    const int n = static_cast<int>(wide.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.data(), n, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::size_t utf16_units(const std::filesystem::path& name) {
    return name.native().size();
}

char HeadlessPlatform::path_separator() const {
    return '\\';
}

std::string text_as_utf8(std::string_view text) {
    const std::wstring wide = win32_shell::to_wide(text);
    if (wide.empty() || wide.size() > INT_MAX)
        return std::string(text); // nothing to convert, or not convertible: as it is
    const int n = static_cast<int>(wide.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes <= 0 || WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, out.data(), bytes, nullptr,
                                          nullptr) != bytes)
        return std::string(text);
    return out;
}

} // namespace check
