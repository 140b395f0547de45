// Windows: the user's display languages. The preferred list where the system has it (Vista
// and later, looked up so the program still starts without it), else the one display language.
#include <windows.h>

#include <array>

#include "settings/language_tag.h"
#include "settings/user_languages.h"

namespace settings {
namespace {

constexpr DWORD kMuiLanguageName = 0x8; // MUI_LANGUAGE_NAME: "de-DE", not LANGIDs

template <class Fn> Fn kernel32_function(const char* name) {
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    return reinterpret_cast<Fn>(
        reinterpret_cast<void*>(kernel32 != nullptr ? GetProcAddress(kernel32, name) : nullptr));
}

std::string ascii(const wchar_t* text, std::size_t length) {
    std::string out;
    for (std::size_t i = 0; i < length; ++i)
        out += text[i] < 0x80 ? static_cast<char>(text[i]) : '?'; // tags are ASCII
    return out;
}

std::vector<std::string> preferred_ui_languages() {
    using Fn = BOOL(WINAPI*)(DWORD, PULONG, PWSTR, PULONG);
    static const auto get = kernel32_function<Fn>("GetUserPreferredUILanguages");
    ULONG count = 0, size = 0;
    if (get == nullptr || !get(kMuiLanguageName, &count, nullptr, &size) || size == 0)
        return {};
    std::wstring buffer(size, L'\0');
    if (!get(kMuiLanguageName, &count, buffer.data(), &size))
        return {};
    std::vector<std::string> names; // a list of zero-terminated names, ending in an empty one
    for (std::size_t at = 0; at < buffer.size() && buffer[at] != L'\0';) {
        const std::size_t end = buffer.find(L'\0', at);
        const std::size_t stop = end == std::wstring::npos ? buffer.size() : end;
        names.push_back(ascii(buffer.data() + at, stop - at));
        at = stop + 1;
    }
    return names;
}

// GetUserDefaultUILanguage's LANGID as a name: LCIDToLocaleName where present, else the ISO
// names of its language and country ("de" and "DE") as a locale name.
std::string display_language_name() {
    const LCID lcid = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
    using Fn = int(WINAPI*)(LCID, LPWSTR, int, DWORD);
    static const auto to_name = kernel32_function<Fn>("LCIDToLocaleName");
    std::array<wchar_t, 85> wide{}; // LOCALE_NAME_MAX_LENGTH
    if (to_name != nullptr) {
        const int n = to_name(lcid, wide.data(), static_cast<int>(wide.size()), 0);
        if (n > 1)
            return ascii(wide.data(), static_cast<std::size_t>(n - 1));
    }
    std::array<char, 16> language{}, country{};
    if (GetLocaleInfoA(lcid, LOCALE_SISO639LANGNAME, language.data(),
                       static_cast<int>(language.size())) <= 1)
        return {};
    std::string name = language.data();
    if (GetLocaleInfoA(lcid, LOCALE_SISO3166CTRYNAME, country.data(),
                       static_cast<int>(country.size())) > 1)
        name += std::string("_") + country.data();
    return name;
}

} // namespace

std::vector<std::string> user_languages() {
    std::vector<std::string> languages = languages_from_names(preferred_ui_languages());
    if (languages.empty())
        languages = languages_from_names({display_language_name()});
    return languages;
}

} // namespace settings
