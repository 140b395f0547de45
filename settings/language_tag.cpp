#include "settings/language_tag.h"

#include <algorithm>

#include "settings/ascii_case.h"

namespace settings {
namespace {

bool all_of(std::string_view s, bool (*pred)(char)) {
    return !s.empty() && std::all_of(s.begin(), s.end(), pred);
}
bool is_alpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool is_digit(char c) {
    return c >= '0' && c <= '9';
}
char ascii_upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::vector<std::string_view> split(std::string_view text, std::string_view separators) {
    std::vector<std::string_view> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i)
        if (i == text.size() || separators.find(text[i]) != std::string_view::npos) {
            out.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    return out;
}

// Chinese as people name it by place: the mainland and Singapore read simplified characters,
// Taiwan, Hong Kong and Macao traditional ones.
std::string implied_script(const LanguageTag& tag) {
    if (tag.language != "zh" || !tag.script.empty())
        return tag.script;
    if (tag.region == "CN" || tag.region == "SG")
        return "Hans";
    if (tag.region == "TW" || tag.region == "HK" || tag.region == "MO")
        return "Hant";
    return {};
}

void add_once(std::vector<std::string>& list, std::string tag) {
    const auto same = [&](const std::string& t) { return equal_ignoring_ascii_case(t, tag); };
    if (std::none_of(list.begin(), list.end(), same))
        list.push_back(std::move(tag));
}

// The name without its .codeset and @modifier.
std::string_view locale_base(std::string_view locale) {
    return locale.substr(0, std::min(locale.find('.'), locale.find('@')));
}

// C.UTF-8 is the C locale too: glibc 2.35 and later give it no translations either.
bool is_c_locale(std::string_view locale) {
    const std::string_view name = locale_base(locale);
    return name == "C" || name == "POSIX";
}

} // namespace

std::optional<LanguageTag> parse_language_tag(std::string_view text) {
    const auto parts = split(text, "-_");
    if (parts.size() > 3 || parts[0].size() < 2 || parts[0].size() > 3 ||
        !all_of(parts[0], is_alpha))
        return std::nullopt;
    LanguageTag tag;
    tag.language = ascii_lower(parts[0]);
    std::size_t next = 1;
    if (next < parts.size() && parts[next].size() == 4 && all_of(parts[next], is_alpha)) {
        tag.script = ascii_lower(parts[next]);
        tag.script[0] = ascii_upper(tag.script[0]);
        ++next;
    }
    if (next < parts.size()) {
        const std::string_view r = parts[next];
        if (!((r.size() == 2 && all_of(r, is_alpha)) || (r.size() == 3 && all_of(r, is_digit))))
            return std::nullopt;
        for (const char c : r)
            tag.region += ascii_upper(c);
        ++next;
    }
    if (next != parts.size())
        return std::nullopt;
    if (tag.script.empty()) {
        tag.script = implied_script(tag);
        tag.script_implied = !tag.script.empty();
    }
    return tag;
}

std::string tag_text(const LanguageTag& tag) {
    std::string out = tag.language;
    if (!tag.script.empty() && !tag.script_implied)
        out += "-" + tag.script;
    if (!tag.region.empty())
        out += "-" + tag.region;
    return out;
}

std::optional<LanguageTag> tag_from_locale(std::string_view locale) {
    const std::size_t at = locale.find('@');
    const std::string modifier =
        at == std::string_view::npos ? std::string() : ascii_lower(locale.substr(at + 1));
    if (is_c_locale(locale))
        return std::nullopt;
    auto tag = parse_language_tag(locale_base(locale));
    if (tag && (tag->script.empty() || tag->script_implied)) {
        // The modifiers glibc uses to name a script.
        if (modifier == "latin")
            tag->script = "Latn";
        else if (modifier == "cyrillic")
            tag->script = "Cyrl";
        else if (modifier == "devanagari")
            tag->script = "Deva";
        else
            return tag;
        tag->script_implied = false;
    }
    return tag;
}

std::string locale_name(const LanguageTag& tag) {
    std::string region = tag.region;
    if (region.empty() && tag.language == "zh")
        region = tag.script == "Hant" ? "TW" : tag.script == "Hans" ? "CN" : "";
    return region.empty() ? tag.language : tag.language + "_" + region;
}

std::vector<std::string> tag_fallbacks(const LanguageTag& tag) {
    std::vector<std::string> out;
    const std::string& l = tag.language;
    const std::string& s = tag.script;
    const std::string& r = tag.region;
    if (!s.empty() && !r.empty())
        add_once(out, l + "-" + s + "-" + r);
    // A script the author wrote matters more than the place; one implied by the place less.
    if (!r.empty() && (s.empty() || tag.script_implied))
        add_once(out, l + "-" + r);
    if (!s.empty())
        add_once(out, l + "-" + s);
    add_once(out, l);
    return out;
}

std::vector<std::string> languages_from_environment(const char* language, const char* lc_all,
                                                    const char* lc_messages, const char* lang) {
    std::string_view locale;
    for (const char* value : {lc_all, lc_messages, lang})
        if (value != nullptr && *value != '\0') {
            locale = value;
            break;
        }
    std::vector<std::string> out;
    if (locale.empty() || is_c_locale(locale))
        return out; // gettext ignores LANGUAGE in the C locale
    if (language == nullptr || *language == '\0') {
        if (const auto tag = tag_from_locale(locale))
            out.push_back(tag_text(*tag));
        return out;
    }
    for (const std::string_view entry : split(language, ":")) {
        if (is_c_locale(entry))
            break;
        if (const auto tag = tag_from_locale(entry))
            add_once(out, tag_text(*tag));
    }
    return out;
}

std::vector<std::string> languages_from_names(const std::vector<std::string>& names) {
    std::vector<std::string> out;
    for (const std::string& name : names)
        if (const auto tag = tag_from_locale(name))
            add_once(out, tag_text(*tag));
    return out;
}

} // namespace settings
