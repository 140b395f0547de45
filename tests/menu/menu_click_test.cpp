#include <gtest/gtest.h>

#include "menu/menu_fixture.h"

namespace {

using testing_support::MenuTest;
using MenuClick = MenuTest;

TEST_F(MenuClick, ExitEndsTheProgramEvenWithoutAFile) {
    auto& f = load_without_file();
    f.lblMenu_Click(f.ExitIndex());
    EXPECT_EQ(platform.quits, 1);
    EXPECT_TRUE(platform.started.empty());
    EXPECT_TRUE(platform.drives.empty());
}

TEST_F(MenuClick, AnItemSetsTheDriveThenStartsItsCommandUnchanged) {
    platform.folder = "D:\\";
    platform.separator = '\\';
    auto& f = load_without_file();
    f.lblMenu(0).set_tag("  setup\\setup.exe /q,x ");
    f.lblMenu_Click(0);
    f.lblMenu_Click(0); // twice: two programs
    EXPECT_EQ(platform.drives, (std::vector<std::string>{"D", "D"}));
    EXPECT_EQ(platform.started,
              (std::vector<std::string>{"  setup\\setup.exe /q,x ", "  setup\\setup.exe /q,x "}));
    EXPECT_EQ(platform.quits, 0);
}

TEST_F(MenuClick, AFolderWithoutADriveLetterStartsNothingButExitWorks) {
    platform.folder = "\\\\server\\share";
    platform.separator = '\\';
    auto& f = load_without_file();
    f.lblMenu(0).set_tag("run.exe");
    f.lblMenu_Click(0);
    EXPECT_TRUE(platform.started.empty());
    f.lblMenu_Click(f.ExitIndex());
    EXPECT_EQ(platform.quits, 1);
}

TEST_F(MenuClick, AFailureAbandonsTheClickButOnlyFailuresAreSilent) {
    auto& f = load_without_file();
    f.lblMenu_Click(42); // no such label: abandoned after the drive change
    EXPECT_TRUE(platform.started.empty());
    EXPECT_EQ(platform.quits, 0);
    // Anything else is no failure of the click: it reaches the shell's last guard.
    platform.folder = "D:\\";
    platform.start_throws = true;
    f.lblMenu(0).set_tag("run.exe");
    EXPECT_THROW(f.lblMenu_Click(0), std::bad_alloc);
}

TEST_F(MenuClick, ItemsOnTheExitLabelStillEnd) {
    std::string lines = "NrOfItems=9\n";
    for (int i = 1; i <= 9; ++i)
        lines += "Item" + std::to_string(i) + "=c,cmd" + std::to_string(i) + "\n";
    auto& f = load(lines);
    f.mouse_down(forms::MouseButton::Left, forms::Point{610, 3100 + 8 * 450 + 5});
    f.mouse_up(forms::MouseButton::Left, forms::Point{610, 3100 + 8 * 450 + 5});
    EXPECT_EQ(platform.quits, 1);
    EXPECT_TRUE(platform.started.empty());
}

TEST_F(MenuClick, AClickLeavesTheHighlightAsItWas) {
    auto& f = load("NrOfItems=1\nItem1=One,one.exe\n");
    platform.folder = "E:\\"; // the drive comes from the folder at the click
    const forms::Point p{f.lblMenu(0).left() + 5, f.lblMenu(0).top() + 5};
    f.mouse_move(p);
    f.mouse_down(forms::MouseButton::Left, p);
    f.mouse_up(forms::MouseButton::Left, p);
    EXPECT_EQ(platform.started, (std::vector<std::string>{"one.exe"}));
    EXPECT_EQ(f.HighlightedIndex, 0);
    EXPECT_TRUE(f.lblMenu(0).font().bold);
}

} // namespace
