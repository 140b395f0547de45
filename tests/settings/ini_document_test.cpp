#include "settings/ini_document.h"

#include <gtest/gtest.h>

#include <string>

using settings::IniDocument;

namespace {

std::optional<std::string> get(const std::string& text, const char* section, const char* key) {
    return IniDocument::parse(text).lookup(section, key);
}

TEST(IniDocument, SectionsKeysAndBlanks) {
    const std::string text = "[Menu]\r\n  Caption  =  Hello World \t\r\nnrofitems=3\r\n"
                             "[Other]\nCaption=other\n";
    EXPECT_EQ(get(text, "Menu", "Caption"), "Hello World");
    EXPECT_EQ(get(text, "MENU", "NrOfItems"), "3");
    EXPECT_EQ(get(text, "menu", "CAPTION"), "Hello World");
    EXPECT_EQ(get(text, "Other", "Caption"), "other");
    EXPECT_EQ(get(text, "Menu", "Missing"), std::nullopt);
    EXPECT_EQ(get(text, "Absent", "Caption"), std::nullopt);
}

TEST(IniDocument, HeaderForms) {
    EXPECT_EQ(get("  [ Menu ] trailing text\nA=1\n", "Menu", "A"), "1");
    // A '[' line without ']' is not a header: the section before it goes on.
    EXPECT_EQ(get("[Menu]\n[broken\nA=1\n", "Menu", "A"), "1");
    EXPECT_EQ(get("[Menu]\n[broken\nA=1\n", "broken", "A"), std::nullopt);
    // Lines before the first header belong to the section "".
    EXPECT_EQ(get("A=0\n[Menu]\nA=1\n", "", "A"), "0");
}

TEST(IniDocument, LineEndsOfEveryKind) {
    EXPECT_EQ(get("[Menu]\rA=1\rB=2", "Menu", "B"), "2");
    EXPECT_EQ(get("[Menu]\nA=1\r\nB=2\n", "Menu", "A"), "1");
}

TEST(IniDocument, FirstSectionAndFirstKeyWin) {
    const std::string text = "[Menu]\nA=first\nA=second\n[Other]\n[menu]\nA=third\nB=later\n";
    EXPECT_EQ(get(text, "Menu", "A"), "first");
    EXPECT_EQ(get(text, "Menu", "B"), std::nullopt); // the repeated section is ignored
    // A line without '=' is a key with an empty value and hides a later line of that key.
    EXPECT_EQ(get("[Menu]\nA\nA=1\n", "Menu", "A"), "");
    EXPECT_EQ(get("[Menu]\nA=\n", "Menu", "A"), "");
}

TEST(IniDocument, CommentsAndSemicolons) {
    EXPECT_EQ(get("[Menu]\n ; A=1\nA=2\n", "Menu", "A"), "2");
    EXPECT_EQ(get("[Menu]\nA=1 ; not a comment\n", "Menu", "A"), "1 ; not a comment");
}

TEST(IniDocument, ValueSplitsAtFirstEqualsAndLosesOnePairOfQuotes) {
    EXPECT_EQ(get("[M]\nA=b=c\n", "M", "A"), "b=c");
    EXPECT_EQ(get("[M]\nA=\"quoted text\"\n", "M", "A"), "quoted text");
    EXPECT_EQ(get("[M]\nA='single'\n", "M", "A"), "single");
    EXPECT_EQ(get("[M]\nA=\"\"\n", "M", "A"), "");
    EXPECT_EQ(get("[M]\nA=\"unmatched\n", "M", "A"), "\"unmatched");
    EXPECT_EQ(get("[M]\nA=\"mixed'\n", "M", "A"), "\"mixed'");
    EXPECT_EQ(get("[M]\nA=\"\n", "M", "A"), "\"");
    EXPECT_EQ(get("[M]\nA=\"a\" and \"b\"\n", "M", "A"), "a\" and \"b");
}

TEST(IniDocument, LongValuesAreCutToWholeCharacters) {
    EXPECT_EQ(get("[M]\nA=" + std::string(300, 'x') + "\n", "M", "A"), std::string(255, 'x'));
    EXPECT_EQ(get("[M]\nA=" + std::string(255, 'y') + "\n", "M", "A"), std::string(255, 'y'));
    std::string euros;
    for (int i = 0; i < 300; ++i)
        euros += "\xE2\x82\xAC"; // U+20AC, three bytes each
    const auto v = get("[M]\nA=" + euros + "\n", "M", "A");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->size(), 255u * 3);
}

TEST(IniDocument, Encodings) {
    // Windows-1252 when the bytes are not UTF-8: 0x80 is the euro sign, 0xE9 e-acute.
    EXPECT_EQ(get("[M]\nA=\x80 caf\xE9\n", "M", "A"), "\xE2\x82\xAC caf\xC3\xA9");
    // Valid UTF-8, with or without a BOM.
    EXPECT_EQ(get("\xEF\xBB\xBF[M]\nA=caf\xC3\xA9\n", "M", "A"), "caf\xC3\xA9");
    EXPECT_EQ(get("[M]\nA=caf\xC3\xA9\n", "M", "A"), "caf\xC3\xA9");
    // UTF-16 little- and big-endian with BOM.
    const std::string le("\xFF\xFE[\0M\0]\0\n\0A\0=\0\xE9\0\n\0", 18);
    EXPECT_EQ(get(le, "M", "A"), "\xC3\xA9");
    const std::string be("\xFE\xFF\0[\0M\0]\0\n\0A\0=\0x", 16);
    EXPECT_EQ(get(be, "M", "A"), "x");
}

TEST(IniDocument, HostileBytesGiveSomeDocument) {
    EXPECT_EQ(get(std::string("[M]\nA=ab\0cd\n", 12), "M", "A"), "ab");
    EXPECT_EQ(get(std::string("\0\0\0\n[M]\nA=1", 11), "M", "A"), "1");
    EXPECT_EQ(get("\xFF\xFE", "M", "A"), std::nullopt); // a bare BOM
    EXPECT_EQ(get("[M]\nA=1\n\xFF\xFE\x00", "M", "A"), "1");
    std::string junk;
    for (int i = 0; i < 4096; ++i)
        junk += static_cast<char>((i * 7919) & 0xFF);
    EXPECT_NO_THROW((void)IniDocument::parse(junk).lookup("Menu", "Caption"));
}

} // namespace
