#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "menu/menu_fixture.h"
#include "tools/tavik_check/check_result.h"
#include "tools/tavik_check/json_writer.h"
#include "tools/tavik_check/output.h"

namespace {

using testing_support::MenuTest;
using TavikCheck = MenuTest;

std::vector<std::string> keys(const check::CheckResult& r) {
    std::vector<std::string> out;
    for (const auto& w : r.warnings)
        out.push_back(w.key);
    return out;
}

TEST_F(TavikCheck, ACleanMenuHasNoWarnings) {
    load("NrOfItems=2\nItem1=A,true\nItem2=B,sh -c exit\n");
    const auto r = check::run_check(*form);
    EXPECT_TRUE(r.settings_found);
    EXPECT_TRUE(r.warnings.empty());
}

TEST_F(TavikCheck, EachSilentFallbackIsOneWarning) {
    load("Picture=missing.bmp\nNrOfItems=12\nOffsetX=abc\nFontSize=70000\nLineDistance=200\n"
         "Item1=A,true\nItem3=C\n");
    const auto r = check::run_check(*form);
    EXPECT_EQ(keys(r),
              (std::vector<std::string>{"Picture", "OffsetX", "FontSize", "Item2", "Item3",
                                        "Item4..Item9", "Item10..Item12", "Item9", "Item3"}));
}

TEST_F(TavikCheck, CommandsAreLookedForAsTheLinuxMenuLooksForThem) {
    std::filesystem::create_directories(path("Tools"));
    std::ofstream(path("Tools/Run.sh")) << "#!/bin/sh\n";
    std::filesystem::permissions(path("Tools/Run.sh"), std::filesystem::perms::owner_all);
    std::ofstream(path("readme.txt")) << "touch PWNED\n";
    load("NrOfItems=6\nOffsetY=1500\nItem1=On disc,tools\\run.sh "
         "--x\nItem2=Nowhere,no-such-program-here\n"
         "Item3=Empty,\nItem4=In PATH,\"sh\" -c true\nItem5=Text,readme.txt\n"
         "Item6=Read me,notepad.exe README.TXT\n");
    const auto r = check::run_check(*form);
    EXPECT_EQ(keys(r), (std::vector<std::string>{"Item2", "Item3", "Item5"}));
    EXPECT_NE(r.warnings[0].message.find("no-such-program-here"), std::string::npos);
    EXPECT_EQ(r.warnings[2].kind, "no_shebang");
    // Each item's Linux start in the JSON; none for an item without a command, nor for Exit.
    std::ostringstream out;
    check::print_json(out, *form, r);
    const std::string json = out.str();
    for (const std::string& start :
         {"\"linux_start\": {\"how\": \"program\", \"program\": \"" + path("Tools/Run.sh") +
              "\", \"via\": null, \"target\": null, \"why\": null}",
          "\"linux_start\": {\"how\": \"opener\", \"program\": null, \"via\": null, \"target\": "
          "\"" +
              path("readme.txt") + "\", \"why\": null}",
          std::string("\"linux_start\": {\"how\": \"nothing\", \"program\": null, \"via\": null, "
                      "\"target\": null, \"why\": \"readme.txt is a text file without a #! line"),
          std::string("\"bold\": false,\n   \"linux_start\": null}]")})
        EXPECT_NE(json.find(start), std::string::npos) << start << "\n" << json;
}

TEST_F(TavikCheck, LabelsOutsideTheWindowAreReported) {
    load("NrOfItems=2\nOffsetY=5400\nItem1=A,true\nItem2=B,true\n");
    const auto r = check::run_check(*form);
    ASSERT_EQ(r.warnings.size(), 2u);
    EXPECT_EQ(r.warnings[0].key, "Item1");
    EXPECT_EQ(r.warnings[1].key, "Item2");
    EXPECT_NE(r.warnings[1].message.find("cannot be seen"), std::string::npos);
}

TEST_F(TavikCheck, JsonHasEveryLabelWithNullPositionsForUnplacedOnes) {
    load("NrOfItems=1\nCaption=Quote \" and \\ and \x01\nItem1=A,a\n");
    const auto r = check::run_check(*form);
    std::ostringstream out;
    check::print_json(out, *form, r);
    const std::string json = out.str();
    EXPECT_NE(json.find("\"caption\": \"Quote \\\" and \\\\ and \\u0001\""), std::string::npos);
    EXPECT_NE(json.find("{\"index\": 0, \"shown\": true, \"caption\": \"A\", \"command\": \"a\", "
                        "\"left\": 600, \"top\": 3100"),
              std::string::npos);
    EXPECT_NE(json.find("{\"index\": 8, \"shown\": true, \"caption\": \"Exit\", \"command\": \"\", "
                        "\"left\": null, \"top\": null"),
              std::string::npos);
}

TEST(JsonWriter, BrokenUtf8IsReplaced) {
    EXPECT_EQ(check::json_string("a\xC3\xA9z"), "\"a\xC3\xA9z\"");
    EXPECT_EQ(check::json_string("a\xFFz"), "\"a\xEF\xBF\xBDz\"");
    EXPECT_EQ(check::json_number(13.5f), "13.5");
    EXPECT_EQ(check::json_number(-450.0f), "-450");
}

} // namespace

namespace {

std::vector<std::string> kinds_of(const check::CheckResult& r, const std::string& kind) {
    std::vector<std::string> out;
    for (const auto& w : r.warnings)
        if (w.kind == kind)
            out.push_back(w.key);
    return out;
}

void write(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST_F(TavikCheck, WhatOnlyTheDiscShows) {
    write(path("tools/setup.exe"), "MZ");
    write(path("tools/SETUP.EXE"), "MZ");
    write(path(std::string(65, 'n') + ".txt"), "");
    write(path(std::string(60, 'k') + ".txt"), "");
    // An XPM: the Linux menu shows it, the Windows menu has no codec for it.
    write(path("art.xpm"),
          "/* XPM */\nstatic char* art[] = {\"1 1 1 1\", \"a c #FF0000\", \"a\"};\n");
    platform.loadable_pictures = {path("art.xpm")};
    load("Picture=art.xpm\nNrOfItems=3\nItem1=A,\\tools\\missing.exe /q\n"
         "Item2=B,tools\\setup /q\nItem3=C,C:\\Windows\\notepad.exe\n");
    const auto r = check::run_check(*form, check::Medium::FolderIsRoot);
    // A leading backslash and a relative path are on the disc; ".exe" is added as Windows
    // adds it; another drive is no business of the disc.
    EXPECT_EQ(kinds_of(r, "windows_program_not_on_disc"), std::vector<std::string>{"Item1"});
    EXPECT_EQ(kinds_of(r, "picture_format"), std::vector<std::string>{"Picture"});
    // A PNG loads on both now.
    write(path("art.png"), std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10\0\0\0\x10", 24));
    platform.loadable_pictures = {path("art.png")};
    load("Picture=art.png\n");
    EXPECT_TRUE(kinds_of(check::run_check(*form), "picture_format").empty());
    EXPECT_EQ(kinds_of(r, "names_collide"), std::vector<std::string>{"tools/SETUP.EXE"});
    EXPECT_EQ(kinds_of(r, "name_too_long"),
              std::vector<std::string>{std::string(65, 'n') + ".txt"});
}

} // namespace

namespace {

// A Chinese vendor's file in GBK, checked on a Chinese and on a Western desktop.
TEST_F(TavikCheck, ALanguageDependentFileSaysHowItWasRead) {
    const std::string gbk_caption = "\xB9\xE2\xC5\xCC\xB0\xB2\xD7\xB0"; // 光盘安装
    const char* saved = std::getenv("LC_ALL");
    const std::string saved_value = saved ? saved : "";
    setenv("LC_ALL", "zh_CN.UTF-8", 1);
    load("Caption=" + gbk_caption + "\n");
    const auto chinese = check::run_check(*form);
    setenv("LC_ALL", "C", 1);
    load("Caption=" + gbk_caption + "\n");
    const auto western = check::run_check(*form);
    if (saved)
        setenv("LC_ALL", saved_value.c_str(), 1);
    else
        unsetenv("LC_ALL");

    EXPECT_EQ(chinese.encoding, "windows-936");
    EXPECT_EQ(chinese.facts.caption, "\xE5\x85\x89\xE7\x9B\x98\xE5\xAE\x89\xE8\xA3\x85");
    EXPECT_EQ(western.encoding, "windows-1252");
    ASSERT_EQ(kinds_of(chinese, "language_dependent_text"),
              std::vector<std::string>{"autorun.inf"});
    for (const auto& w : chinese.warnings)
        if (w.kind == "language_dependent_text") {
            EXPECT_NE(w.message.find("read as windows-936"), std::string::npos) << w.message;
            EXPECT_NE(w.message.find("cleanly in: windows-1252, windows-1250"), std::string::npos)
                << w.message;
            EXPECT_NE(w.message.find("windows-936"), w.message.rfind("windows-936")) << w.message;
        }
    std::ostringstream json;
    check::print_json(json, *form, western);
    EXPECT_NE(json.str().find("\"encoding\": \"windows-1252\""), std::string::npos);

    load("Caption=\xE5\x85\x89\n"); // UTF-8: the same everywhere
    const auto utf8 = check::run_check(*form);
    EXPECT_EQ(utf8.encoding, "UTF-8");
    EXPECT_TRUE(kinds_of(utf8, "language_dependent_text").empty());
}

} // namespace
