#include "settings/code_page.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "settings/get_ini_string.h"
#include "settings/ini_document.h"

using settings::ansi_code_page_for_locale;
using settings::decode_text;
using settings::FileEncoding;
using settings::IniDocument;

namespace {

TEST(CodePage, LocaleNamesMapAsWindowsMapsTheLanguage) {
    const struct {
        const char* locale;
        unsigned code_page;
    } cases[] = {
        {"zh_CN.UTF-8", 936},     {"zh_SG.GBK", 936},     {"zh_TW.UTF-8", 950},
        {"zh_HK.big5hkscs", 950}, {"ja_JP.UTF-8", 932},   {"ko_KR.EUC-KR", 949},
        {"ru_RU.UTF-8", 1251},    {"uk_UA", 1251},        {"bg_BG.UTF-8", 1251},
        {"sr_RS", 1252},          {"ru_RU.KOI8-R", 1251}, {"de_DE@euro", 1252},
        {"pl_PL.UTF-8", 1250},    {"cs_CZ", 1250},        {"hu_HU.UTF-8", 1250},
        {"el_GR.UTF-8", 1253},    {"tr_TR.UTF-8", 1254},  {"he_IL.UTF-8", 1255},
        {"ar_EG.UTF-8", 1256},    {"lt_LT.UTF-8", 1257},  {"lv_LV", 1257},
        {"et_EE", 1257},          {"vi_VN", 1258},        {"th_TH.UTF-8", 874},
        {"de_DE.UTF-8", 1252},    {"en_US", 1252},        {"C", 1252},
        {"POSIX", 1252},          {"C.UTF-8", 1252},      {"", 1252},
        {"xx_YY.UTF-8", 1252},    {"ZH_cn.utf8", 936},    {"zh", 936},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ansi_code_page_for_locale(c.locale), c.code_page) << c.locale;
}

TEST(CodePage, LcAllThenLcCtypeThenLangAndEmptyCountsAsUnset) {
    EXPECT_EQ(settings::effective_locale("ja_JP", "ru_RU", "zh_CN"), "ja_JP");
    EXPECT_EQ(settings::effective_locale("", "ru_RU", "zh_CN"), "ru_RU");
    EXPECT_EQ(settings::effective_locale(nullptr, "", "zh_CN"), "zh_CN");
    EXPECT_EQ(settings::effective_locale(nullptr, nullptr, nullptr), "");
}

TEST(CodePage, EachCodePageDecodesItsOwnScript) {
    const struct {
        unsigned code_page;
        std::string bytes, utf8;
    } cases[] = {
        {936, "\xB9\xE2\xC5\xCC", "\xE5\x85\x89\xE7\x9B\x98"},                     // 光盘
        {950, "\xA5\xFA\xBA\xD0", "\xE5\x85\x89\xE7\xA2\x9F"},                     // 光碟
        {932, "\x83\x43\x83\x93\x83\x58", "\xE3\x82\xA4\xE3\x83\xB3\xE3\x82\xB9"}, // インス
        {932, "\\", "\\"},                                      // a path separator
        {949, "\xBC\xB3\xC4\xA1", "\xEC\x84\xA4\xEC\xB9\x98"},  // 설치
        {1251, "\xD3\xF1\xF2", "\xD0\xA3\xD1\x81\xD1\x82"},     // Уст
        {1250, "\xB3\xF3", "\xC5\x82\xC3\xB3"},                 // łó
        {1253, "\xE1", "\xCE\xB1"},                             // α
        {1254, "\xFE", "\xC5\x9F"},                             // ş
        {1255, "\xF9", "\xD7\xA9"},                             // ש
        {1256, "\xC7", "\xD8\xA7"},                             // ا
        {1257, "\xE0", "\xC4\x85"},                             // ą
        {874, "\xA1", "\xE0\xB8\x81"},                          // ก
        {1252, "\x80\xE9\x81", "\xE2\x82\xAC\xC3\xA9\xC2\x81"}, // €é and an undefined byte
        // A tone mark after its letter stays a combining mark, as Windows keeps it: a + U+0300.
        {1258, "a\xCC", "a\xCC\x80"},
        // A Hebrew point after its letter stays a mark too: shin + U+05B8.
        {1255, "\xF9\xC8", "\xD7\xA9\xD6\xB8"},
        // Broken double-byte text: the stray byte stands for itself, the rest still decodes.
        {936, "\xB9\xE2\xFF\xC5\xCC", "\xE5\x85\x89\xC3\xBF\xE7\x9B\x98"},
        {936, "x\xB9", "x\xC2\xB9"}, // a lead byte at the end
    };
    for (const auto& c : cases)
        EXPECT_EQ(settings::ansi_to_utf8(c.bytes, c.code_page), c.utf8) << c.code_page;
}

TEST(CodePage, CleanDecodingIsToldPerCodePage) {
    const std::string gbk = "\xB9\xE2\xC5\xCC\xB0\xB2\xD7\xB0"; // 光盘安装
    EXPECT_TRUE(settings::decodes_cleanly(gbk, 936));
    EXPECT_TRUE(settings::decodes_cleanly("\x83\x43\x83\x93", 932));
    EXPECT_FALSE(settings::decodes_cleanly("\x83\x43\x83", 932)); // half a character
    EXPECT_FALSE(settings::decodes_cleanly("\xFF\xFF", 936));
    EXPECT_FALSE(settings::decodes_cleanly("\x81", 1252)); // undefined in 1252
    EXPECT_TRUE(settings::decodes_cleanly("\x81", 1251));
    EXPECT_FALSE(settings::decodes_cleanly("\xDB", 874)); // undefined in 874
}

TEST(CodePage, OnlyFilesThatAreNotUtf8AreReadInTheCodePage) {
    using Form = FileEncoding::Form;
    const std::string gbk = "[Menu]\r\nCaption=\xB9\xE2\xC5\xCC\r\n";
    auto d = decode_text(gbk, 936);
    EXPECT_EQ(d.encoding.form, Form::AnsiCodePage);
    EXPECT_EQ(settings::encoding_name(d.encoding), "windows-936");
    EXPECT_EQ(IniDocument::parse(gbk, 936).lookup("Menu", "Caption"), "\xE5\x85\x89\xE7\x9B\x98");
    // The same bytes on a Western machine: what Windows shows there.
    EXPECT_EQ(IniDocument::parse(gbk, 1252).lookup("Menu", "Caption"),
              "\xC2\xB9\xC3\xA2\xC3\x85\xC3\x8C");
    EXPECT_EQ(settings::encoding_name(decode_text("[M]\nA=caf\xC3\xA9", 936).encoding), "UTF-8");
    EXPECT_EQ(settings::encoding_name(decode_text("[M]\nA=1", 936).encoding), "UTF-8");
    d = decode_text("\xEF\xBB\xBF[M]", 936);
    EXPECT_TRUE(d.encoding.bom);
    EXPECT_EQ(settings::encoding_name(decode_text("\xFF\xFE[\0", 936).encoding), "UTF-16LE");
}

TEST(CodePage, CutKeepsWholeCharactersOfADoubleByteValue) {
    std::string value;
    for (int i = 0; i < 300; ++i)
        value += "\xB9\xE2"; // 光, three bytes in UTF-8
    const auto v = IniDocument::parse("[M]\nA=" + value + "\n", 936).lookup("M", "A");
    ASSERT_TRUE(v);
    EXPECT_EQ(*v, [] {
        std::string s;
        for (int i = 0; i < 255; ++i)
            s += "\xE5\x85\x89";
        return s;
    }());
}

TEST(CodePage, ControlCharactersTheProfileReaderTrims) {
    auto get = [](const std::string& text, const char* key) {
        return IniDocument::parse(text).lookup("Menu", key);
    };
    EXPECT_EQ(get("[Menu]\r\nicon=foo.ico\x1A", "icon"), "foo.ico");
    EXPECT_EQ(get("\x0B[\x0C Menu \x1A]\r\n\x0C Caption\x0B=\x1A x \x0B\x0C\r\n", "Caption"), "x");
    // Kept: the other separators, no-break space and the ideographic space.
    EXPECT_EQ(get("[Menu]\nA=\x1Cx\x1F\n", "A"), "\x1Cx\x1F");
    EXPECT_EQ(get("[Menu]\nA=x\xC2\xA0\n", "A"), "x\xC2\xA0");
    EXPECT_EQ(get("[Menu]\nA=\xE3\x80\x80x\n", "A"), "\xE3\x80\x80x");
}

// Sets the locale variables for one test and puts the old values back.
class LocaleEnvironment {
public:
    LocaleEnvironment() {
        for (std::size_t i = 0; i < kNames.size(); ++i)
            if (const char* v = std::getenv(kNames[i]))
                saved_[i] = v;
    }
    ~LocaleEnvironment() {
        for (std::size_t i = 0; i < kNames.size(); ++i)
            set(kNames[i], saved_[i]);
    }
    static void set(const char* name, const std::optional<std::string>& value) {
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }

private:
    static constexpr std::array<const char*, 3> kNames = {"LC_ALL", "LC_CTYPE", "LANG"};
    std::array<std::optional<std::string>, 3> saved_;
};

// The file is read again when the user's language changes within the process.
TEST(CodePage, GetIniStringFollowsTheLocaleEnvironment) {
    const auto dir =
        std::filesystem::temp_directory_path() /
        ("tavik-code-page-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "autorun.inf").string();
    std::ofstream(file, std::ios::binary) << "[Menu]\nCaption=\xD3\xF1\xF2\n";
    {
        LocaleEnvironment environment;
        LocaleEnvironment::set("LC_ALL", std::nullopt);
        LocaleEnvironment::set("LC_CTYPE", "");
        LocaleEnvironment::set("LANG", "ru_RU.UTF-8"); // a locale this machine need not have
        EXPECT_EQ(settings::GetIniString("Menu", "Caption", file), "\xD0\xA3\xD1\x81\xD1\x82");
        LocaleEnvironment::set("LC_ALL", "el_GR.UTF-8");
        EXPECT_EQ(settings::GetIniString("Menu", "Caption", file), "\xCE\xA3\xCF\x81\xCF\x82");
    }
    std::filesystem::remove_all(dir);
}

} // namespace
