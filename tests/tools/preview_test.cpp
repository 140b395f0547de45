#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "menu/menu_fixture.h"
#include "tools/tavik_check/preview.h"

namespace {

using testing_support::MenuTest;

class Preview : public MenuTest {
protected:
    // A preview of the fixture's folder on the fake shell; the load is the caller's.
    check::Preview& open(bool json = false) {
        preview_ = std::make_unique<check::Preview>(
            platform, check::PreviewOptions{platform.folder, json, {}, 1.0, false}, out);
        return *preview_;
    }
    void write(const std::string& menu_lines) {
        std::ofstream(path("autorun.inf"), std::ios::binary) << "[Menu]\n" << menu_lines;
    }
    std::ostringstream out;
    std::unique_ptr<check::Preview> preview_;
};

TEST_F(Preview, EachLoadIsAFreshFormAndOneReport) {
    write("Caption=First\n");
    check::Preview& p = open(true);
    p.reload();
    const menu::frmTavikMain* first = &p.form();
    write("Caption=Second\nNrOfItems=1\nItem1=A,true\n");
    const auto old = p.reload();
    EXPECT_EQ(old.get(), first);
    EXPECT_NE(&p.form(), first);
    EXPECT_EQ(p.form().lblCaption.caption(), "Second");
    std::istringstream lines(out.str());
    std::string line;
    int n = 0;
    for (; std::getline(lines, line); ++n) // one JSON object a line, for each load
        EXPECT_EQ(line.rfind("{\"settings_path\": ", 0), 0u) << n << ": " << line;
    EXPECT_EQ(n, 2);
    EXPECT_NE(out.str().find("\"caption\": \"Second\""), std::string::npos);
}

TEST_F(Preview, ARewriteKeepingSizeAndTimeStampStillLoads) {
    write("Caption=AAAA\n");
    check::Preview& p = open();
    p.reload();
    const auto stamp = std::filesystem::last_write_time(path("autorun.inf"));
    write("Caption=BBBB\n"); // as a save within one tick of the file system's clock
    std::filesystem::last_write_time(path("autorun.inf"), stamp);
    p.reload();
    EXPECT_EQ(p.form().lblCaption.caption(), "BBBB");
}

TEST_F(Preview, WatchesTheSettingsAndThePictureItNames) {
    std::filesystem::create_directories(path("Pics"));
    struct Case {
        std::string picture_line, folder, name;
    } cases[] = {
        {"", "", ""},
        {"Picture=bg.bmp\n", "", "bg.bmp"},
        {"Picture=pics\\BG.BMP\n", "/Pics", "BG.BMP"}, // `\` and the folder's case, as loaded
    };
    for (const Case& c : cases) {
        write(c.picture_line);
        check::Preview& p = open();
        p.reload();
        const auto files = p.watched();
        ASSERT_EQ(files.size(), c.name.empty() ? 1u : 2u) << c.picture_line;
        EXPECT_TRUE(check::is_watched(files, platform.folder, "AUTORUN.INF"));
        EXPECT_FALSE(check::is_watched(files, platform.folder, "autorun.inf.swp"));
        if (!c.name.empty()) {
            EXPECT_EQ(files[1].folder, platform.folder + c.folder) << c.picture_line;
            for (const char* name : {"bg.bmp", "BG@2x.bmp", "bg@3X.BMP"}) // and the renditions
                EXPECT_TRUE(check::is_watched(files, files[1].folder, name)) << name;
            for (const char* name : {"bg@x.bmp", "bg@2.bmp", "bg@2x.png", "bgx@2x.bmp"})
                EXPECT_FALSE(check::is_watched(files, files[1].folder, name)) << name;
        }
    }
}

TEST_F(Preview, ClicksPrintAndStartNothing) {
    write("NrOfItems=1\nItem1=Run,sh -c true\n");
    open().reload();
    preview_->form().click(0); // the menu's own click: drive, then start
    preview_->form().click(preview_->form().ExitIndex());
    EXPECT_NE(out.str().find("Click on [0] \"Run\": nothing started"), std::string::npos);
    EXPECT_NE(out.str().find("Linux:        starts /"), std::string::npos)
        << out.str(); // sh's path
    EXPECT_NE(out.str().find("[8] \"Exit\": would end the menu"), std::string::npos);
    EXPECT_TRUE(platform.started.empty());
    EXPECT_TRUE(platform.drives.empty());
    EXPECT_EQ(platform.quits, 0);

    struct Case {
        char separator; // '\\': tavik-check.exe, where the folder's first letter is the drive
        std::string drive, command, printed;
    } cases[] = {
        {'/', "/", "no-such-program", "starts nothing: command whose program cannot be found"},
        {'/', "/", "", "Linux:        starts nothing: "},
        {'\\', "\\", "setup.exe", "the folder " + platform.folder + " names no drive"},
        {'\\', "D", "setup.exe", "D: made current, the line started as it stands"},
    };
    for (const Case& c : cases) {
        platform.separator = c.separator;
        out.str("");
        preview_->change_drive(c.drive);
        preview_->start_program(c.command);
        EXPECT_NE(out.str().find(c.printed), std::string::npos) << c.command << "\n" << out.str();
    }
}

TEST_F(Preview, TheOverlayNamesEachShownLabelAndThePointer) {
    write("Caption=T\nNrOfItems=2\nItem1=A,x\nItem2=B,y\n");
    check::Preview& p = open();
    p.reload();
    EXPECT_FALSE(p.overlay());
    p.toggle_overlay();
    EXPECT_TRUE(p.overlay());
    std::vector<std::string> texts;
    for (const check::OverlayBox& b : p.overlay_boxes())
        texts.push_back(b.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"title  120,120", "0  600,3100", "1  600,3550",
                                               "8  6600,5040"}));
    EXPECT_EQ(p.pointer_text(), "pointer: outside");
    p.pointer_at({615, 3105});
    EXPECT_EQ(p.pointer_text(), "pointer 615, 3105 twips");
    EXPECT_NE(out.str().find("Overlay on"), std::string::npos);
}

} // namespace
