#include "settings/code_page.h"

#include <algorithm>

#include "settings/ascii_case.h"

namespace settings {
namespace {

struct LanguageCodePage {
    std::string_view language;
    unsigned code_page;
};

// The ANSI code page per language where it is not 1252, as Wine 8.0 maps the locale (each
// checked with GetACP). Wine maps az, bs and sr locales, which Windows splits by script, to
// 1252, and Armenian, Georgian and Kazakh to UTF-8: those read as unknown languages here.
constexpr LanguageCodePage kLanguages[] = {
    {"ja", 932},  {"ko", 949},  {"th", 874},  {"vi", 1258}, {"el", 1253}, {"tr", 1254},
    {"he", 1255}, {"ar", 1256}, {"fa", 1256}, {"ur", 1256}, {"lt", 1257}, {"lv", 1257},
    {"et", 1257}, {"ru", 1251}, {"uk", 1251}, {"be", 1251}, {"bg", 1251}, {"mk", 1251},
    {"ky", 1251}, {"tt", 1251}, {"mn", 1251}, {"tg", 1251}, {"pl", 1250}, {"cs", 1250},
    {"sk", 1250}, {"hu", 1250}, {"sl", 1250}, {"hr", 1250}, {"ro", 1250}, {"sq", 1250},
    {"tk", 1250},
};

} // namespace

std::string_view effective_locale(const char* lc_all, const char* lc_ctype, const char* lang) {
    for (const char* value : {lc_all, lc_ctype, lang})
        if (value != nullptr && *value != '\0')
            return value;
    return {};
}

unsigned ansi_code_page_for_locale(std::string_view locale) {
    // language[_territory][.charset][@modifier]
    const std::size_t at = locale.find('@');
    const std::string_view name = locale.substr(0, std::min(locale.find('.'), at));
    const std::size_t underscore = name.find('_');
    const std::string language = ascii_lower(name.substr(0, underscore));
    const std::string territory = underscore == std::string_view::npos
                                      ? std::string()
                                      : ascii_lower(name.substr(underscore + 1));

    if (language == "zh")
        return territory == "tw" || territory == "hk" || territory == "mo" ? 950 : 936;
    for (const LanguageCodePage& l : kLanguages)
        if (l.language == language)
            return l.code_page;
    return kWesternCodePage;
}

std::string code_page_name(unsigned code_page) {
    return "windows-" + std::to_string(code_page);
}

} // namespace settings
