#include "settings/language_tag.h"

#include <gtest/gtest.h>

#include "settings/menu_sections.h"

namespace {

using List = std::vector<std::string>;

TEST(LanguageTag, LocalesAndTagsAsPeopleWriteThem) {
    struct Case {
        const char* text;
        const char* tag;       // tag_text, "" for none
        const char* fallbacks; // tag_fallbacks, joined by spaces
    } cases[] = {
        {"de", "de", "de"},
        {"de_CH.UTF-8", "de-CH", "de-CH de"},
        {"DE_ch", "de-CH", "de-CH de"},
        {"pt-BR", "pt-BR", "pt-BR pt"},
        {"es_419", "es-419", "es-419 es"},
        {"zh_CN.GB2312", "zh-CN", "zh-Hans-CN zh-CN zh-Hans zh"},
        {"zh_SG", "zh-SG", "zh-Hans-SG zh-SG zh-Hans zh"},
        {"zh_TW.Big5", "zh-TW", "zh-Hant-TW zh-TW zh-Hant zh"},
        {"zh-hk", "zh-HK", "zh-Hant-HK zh-HK zh-Hant zh"},
        {"zh-Hans", "zh-Hans", "zh-Hans zh"},
        {"zh-Hant-TW", "zh-Hant-TW", "zh-Hant-TW zh-Hant zh"},
        {"sr_RS@latin", "sr-Latn-RS", "sr-Latn-RS sr-Latn sr"},
        {"ca_ES@valencia", "ca-ES", "ca-ES ca"},
        {"fil_PH", "fil-PH", "fil-PH fil"},
        {"C", "", ""},
        {"POSIX", "", ""},
        {"C.UTF-8", "", ""},
        {"", "", ""},
        {"German", "", ""},
        {"d", "", ""},
        {"de-", "", ""},
        {"de-CHE", "", ""},
        {"de-CH-1996", "", ""},
        {"de_DE_x", "", ""},
    };
    for (const Case& c : cases) {
        const auto tag = settings::tag_from_locale(c.text);
        EXPECT_EQ(tag ? settings::tag_text(*tag) : "", c.tag) << c.text;
        std::string fallbacks;
        if (tag)
            for (const std::string& t : settings::tag_fallbacks(*tag))
                fallbacks += (fallbacks.empty() ? "" : " ") + t;
        EXPECT_EQ(fallbacks, c.fallbacks) << c.text;
    }
    EXPECT_EQ(settings::locale_name(*settings::parse_language_tag("zh-Hant")), "zh_TW");
    EXPECT_EQ(settings::locale_name(*settings::parse_language_tag("zh-Hans")), "zh_CN");
    EXPECT_EQ(settings::locale_name(*settings::parse_language_tag("pt-br")), "pt_BR");
}

TEST(LanguageTag, TheEnvironmentAsGettextReadsIt) {
    struct Case {
        const char *language, *lc_all, *lc_messages, *lang;
        List want;
    } cases[] = {
        {nullptr, nullptr, nullptr, "de_DE.UTF-8", {"de-DE"}},
        {nullptr, "fr_FR", "de_DE", "it_IT", {"fr-FR"}},
        {nullptr, "", "de_AT", "it_IT", {"de-AT"}}, // an empty variable counts as unset
        {"", nullptr, nullptr, "ja_JP", {"ja-JP"}},
        {"de_CH:fr:de", nullptr, nullptr, "en_US.UTF-8", {"de-CH", "fr", "de"}},
        {"pt_BR:pt_BR:xx-bad-tag:pt", "en_GB.UTF-8", nullptr, nullptr, {"pt-BR", "pt"}},
        {"de", "C.UTF-8", nullptr, "de_DE", {}},        // C with a codeset is C (glibc 2.35)
        {"de:C:fr", nullptr, nullptr, "en_US", {"de"}}, // C ends the search
        {"de", nullptr, nullptr, nullptr, {}},          // LANGUAGE is ignored in the C locale
        {"de", "C", "de_DE", "de_DE", {}},
        {"de", nullptr, "POSIX", "de_DE", {}},
        {nullptr, nullptr, nullptr, "C", {}},
        {nullptr, nullptr, nullptr, nullptr, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(settings::languages_from_environment(c.language, c.lc_all, c.lc_messages, c.lang),
                  c.want)
            << (c.language ? c.language : "-") << " " << (c.lc_all ? c.lc_all : "-") << " "
            << (c.lc_messages ? c.lc_messages : "-") << " " << (c.lang ? c.lang : "-");
}

TEST(LanguageTag, WindowsNamesAndLanguageIds) {
    struct Case {
        List names, want;
    } cases[] = {
        {{"de-DE", "en-US"}, {"de-DE", "en-US"}}, // GetUserPreferredUILanguages
        {{"zh-TW", "zh-Hant-TW"}, {"zh-TW", "zh-Hant-TW"}},
        {{"de_DE"}, {"de-DE"}}, // GetLocaleInfo's language_country
        {{"", "x", "en-US", "EN-us"}, {"en-US"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(settings::languages_from_names(c.names), c.want) << c.names[0];
}

TEST(MenuSections, EachLanguageFromItsMostSpecificTagToThePlainest) {
    const List file = {"autorun",      "Menu",       "Menu.de",     "MENU.DE_ch", "Menu.fr",
                       "Menu.zh-Hans", "Menu.zh-TW", "Menu.German", "Menu.",      "Menus.de"};
    struct Case {
        List languages, want;
    } cases[] = {
        {{"de-CH"}, {"MENU.DE_ch", "Menu.de"}},
        {{"de-AT", "fr-FR"}, {"Menu.de", "Menu.fr"}},
        {{"fr", "de-CH", "de"}, {"Menu.fr", "MENU.DE_ch", "Menu.de"}},
        {{"zh-CN"}, {"Menu.zh-Hans"}},
        {{"zh-SG"}, {"Menu.zh-Hans"}},
        {{"zh-HK"}, {}}, // zh-Hant is not in the file, zh-TW is another place
        {{"zh-TW"}, {"Menu.zh-TW"}},
        {{"ja-JP", "en"}, {}},
        {{}, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(settings::localized_search_order(c.languages, file), c.want)
            << (c.languages.empty() ? "" : c.languages[0]);
    EXPECT_TRUE(settings::localized_search_order({"de"}, {"Menu", "autorun"}).empty());
    EXPECT_FALSE(settings::menu_section_language("Menu.German"));
    EXPECT_TRUE(settings::is_localized_menu_section("menu.German"));
    EXPECT_FALSE(settings::is_localized_menu_section("Menu"));
}

} // namespace
