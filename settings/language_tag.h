// Language tags as authors write them in section names and as the systems name the user's
// languages: a language, optionally a script and a region ("de", "de-CH", "zh-Hans", "pt-BR").
// Portable; reading the user's own settings is user_languages_posix/_win32.cpp.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace settings {

struct LanguageTag {
    std::string language;        // 2 or 3 letters, lower case
    std::string script;          // 4 letters, "Hans"; empty when none was given or implied
    std::string region;          // 2 letters upper case or 3 digits; may be empty
    bool script_implied = false; // zh-CN's Hans: matched after the region's own tag
};

// "de", "de-CH", "DE_ch", "zh-Hans-CN", "es-419"; nothing for anything else.
std::optional<LanguageTag> parse_language_tag(std::string_view text);

// The tag's usual spelling: "de-CH", "zh-Hans" (an implied script is left out).
std::string tag_text(const LanguageTag& tag);

// The language of a POSIX locale name, language[_territory][.codeset][@modifier]:
// "de_CH.UTF-8" is de-CH, "sr_RS@latin" sr-Latn-RS, "zh_TW" zh-TW (script Hant implied);
// nothing for "C", "POSIX", "" and names that name no language. Language tags parse too.
std::optional<LanguageTag> tag_from_locale(std::string_view locale);

// A locale name for the tag, for what follows the locale (the code page): "de_CH", "zh_CN"
// for zh-Hans.
std::string locale_name(const LanguageTag& tag);

// What a reader of this language looks for, most specific first: de-CH then de; zh-CN then
// zh-Hans and zh (zh-Hans-CN first of all); sr-Latn-RS then sr-Latn and sr.
std::vector<std::string> tag_fallbacks(const LanguageTag& tag);

// The user's languages in order of preference from the locale environment, as gettext takes
// them: the colon list LANGUAGE, unless the locale (LC_ALL, else LC_MESSAGES, else LANG; the
// first that is set and not empty) is C or POSIX (with any codeset: C.UTF-8 too) or unset;
// without LANGUAGE that locale's own language. A C or POSIX entry ends the list, as it ends
// gettext's search.
std::vector<std::string> languages_from_environment(const char* language, const char* lc_all,
                                                    const char* lc_messages, const char* lang);

// Tags from names the system gives ("de-DE", "zh-TW"), in order, each once; names that are
// no language are left out.
std::vector<std::string> languages_from_names(const std::vector<std::string>& names);

} // namespace settings
