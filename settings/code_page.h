// The ANSI code page a settings file without a BOM is read in when it is not UTF-8: the one
// Windows uses for the user's language. The choice from a locale name is portable; reading the
// user's locale and converting the bytes are the platform's (code_page_posix/_win32.cpp).
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace settings {

inline constexpr unsigned kWesternCodePage = 1252;

// Every code page Windows uses as some language's ANSI code page.
inline constexpr std::array<unsigned, 14> kAnsiCodePages = {
    1252, 1250, 1251, 1253, 1254, 1255, 1256, 1257, 1258, 874, 932, 936, 949, 950};

// The locale the language comes from, as Windows programs under Wine take it: LC_ALL, else
// LC_CTYPE, else LANG; an empty or missing value counts as unset.
std::string_view effective_locale(const char* lc_all, const char* lc_ctype, const char* lang);

// The ANSI code page of a POSIX locale name ("zh_CN.UTF-8", "ru_RU@euro", "C"), by language
// and, for Chinese, territory; the character set in the name does not matter, as on Windows.
// 1252 for Western languages, C, POSIX, an empty name and anything unknown.
unsigned ansi_code_page_for_locale(std::string_view locale);

// "windows-936": how tools name a code page.
std::string code_page_name(unsigned code_page);

// The user's ANSI code page: the system's on Windows; elsewhere from the locale environment
// above, whether or not that locale is installed.
unsigned user_ansi_code_page();

// The bytes as UTF-8. A byte that does not decode stands for the character of the same number,
// as the five undefined bytes of 1252 do on Windows; combining marks stay as written.
std::string ansi_to_utf8(std::string_view bytes, unsigned code_page);

// Whether every byte decodes in the code page, as far as the system's converters can tell.
bool decodes_cleanly(std::string_view bytes, unsigned code_page);

} // namespace settings
