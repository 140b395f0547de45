#include <gtest/gtest.h>

#include "menu/menu_fixture.h"

namespace {

using forms::Point;
using testing_support::MenuTest;
using MenuHover = MenuTest;

const char* kThreeItems = "NrOfItems=3\nForeColor=&H00112233\nHighlight=&H0000FF\nFontSize=14\n"
                          "Item1=One,1\nItem2=Two,2\nItem3=Three,3\n";

Point inside(const forms::Label& l) {
    return Point{l.box().left + 5, l.box().top + 5};
}

TEST_F(MenuHover, HighlightMovesAndRestores) {
    auto& f = load(kThreeItems);
    const auto& two = f.lblMenu(1);
    const auto& three = f.lblMenu(2);
    const float normal_width = two.box().width;
    f.mouse_move(inside(two));
    EXPECT_EQ(f.HighlightedIndex, 1);
    EXPECT_EQ(two.fore_color(), 0x0000FF);
    EXPECT_TRUE(two.font().bold);
    EXPECT_EQ(two.font().size, 18);
    EXPECT_GT(two.box().width, normal_width); // grows to the right
    EXPECT_EQ(two.box().left, 600);

    f.mouse_move(inside(three)); // straight from item 2 to item 3: one event does both
    EXPECT_EQ(f.HighlightedIndex, 2);
    EXPECT_EQ(two.fore_color(), 0x00112233);
    EXPECT_FALSE(two.font().bold);
    EXPECT_EQ(two.font().size, 14);
    EXPECT_EQ(two.box().width, normal_width);
    EXPECT_EQ(three.fore_color(), 0x0000FF);

    f.mouse_move(Point{7000, 100 + 3000}); // bare background
    EXPECT_EQ(f.HighlightedIndex, -1);
    EXPECT_EQ(three.fore_color(), 0x00112233);
    EXPECT_FALSE(three.font().bold);
}

TEST_F(MenuHover, RepeatedMovesOverOneLabelHighlightOnce) {
    auto& f = load(kThreeItems);
    f.mouse_move(inside(f.lblMenu(0)));
    platform.invalidated.clear();
    for (int i = 0; i < 20; ++i)
        f.mouse_move(Point{inside(f.lblMenu(0)).x + static_cast<float>(i), inside(f.lblMenu(0)).y});
    EXPECT_TRUE(platform.invalidated.empty());
}

TEST_F(MenuHover, TheGrownBoxKeepsTheMouse) {
    auto& f = load(kThreeItems);
    const auto& one = f.lblMenu(0);
    const float normal_right = one.box().right();
    f.mouse_move(inside(one));
    ASSERT_GT(one.box().right(), normal_right + 10);
    f.mouse_move(
        Point{normal_right + 5, one.box().top + 5}); // over the background before the growth
    EXPECT_EQ(f.HighlightedIndex, 0);
    EXPECT_TRUE(one.font().bold);
}

TEST_F(MenuHover, TheTitleAndLeavingTheWindowKeepTheHighlight) {
    auto& f = load(kThreeItems);
    f.mouse_move(inside(f.lblMenu(0)));
    f.mouse_move(Point{300, 300}); // over the title label
    EXPECT_EQ(f.HighlightedIndex, 0);
    EXPECT_TRUE(f.lblMenu(0).font().bold);
}

TEST_F(MenuHover, ExitTakesTheItemFontAfterItsFirstHighlight) {
    auto& f = load(kThreeItems);
    const auto& exit = f.lblMenu(8);
    EXPECT_EQ(exit.font().size, 13.5f);
    f.mouse_move(inside(exit));
    EXPECT_EQ(exit.font().size, 18);
    EXPECT_TRUE(exit.font().bold);
    f.Form_MouseMove();
    EXPECT_EQ(exit.font().size, 14);
    EXPECT_FALSE(exit.font().bold);
    EXPECT_EQ(exit.fore_color(), 0x00112233);
}

TEST_F(MenuHover, FontSize18ChangesOnlyColourAndWeight) {
    auto& f = load("NrOfItems=1\nFontSize=18\nItem1=One,1\n");
    const float height = f.lblMenu(0).box().height;
    f.lblMenu_MouseMove(0);
    EXPECT_EQ(f.lblMenu(0).font().size, 18);
    EXPECT_EQ(f.lblMenu(0).box().height, height);
    EXPECT_EQ(f.lblMenu(0).fore_color(), 255);
}

TEST_F(MenuHover, RefusedRestoreReturnsToTheLookBeforeTheHighlight) {
    // Both values are refused by the labels: the load skipped them, the restore must too,
    // without failing and without leaving the highlight look behind.
    auto& f = load("NrOfItems=1\nForeColor=&H7F000000\nFontSize=3000\nHighlight=&H05000000\n"
                   "Item1=One,1\n");
    const auto& one = f.lblMenu(0);
    const auto& exit = f.lblMenu(8);
    f.lblMenu_MouseMove(0);
    EXPECT_EQ(one.fore_color(), 0); // a refused Highlight leaves the colour alone
    EXPECT_EQ(one.font().size, 18);
    f.lblMenu_MouseMove(8);
    EXPECT_EQ(one.fore_color(), 0);
    EXPECT_EQ(one.font().size, 12); // the designed size it had before
    EXPECT_FALSE(one.font().bold);
    f.Form_MouseMove();
    EXPECT_EQ(exit.font().size, 13.5f);
    EXPECT_EQ(exit.fore_color(), static_cast<std::int32_t>(0x8000000E));
    EXPECT_FALSE(exit.font().bold);
}

TEST_F(MenuHover, FormMoveWithNothingHighlightedDoesNothing) {
    auto& f = load(kThreeItems);
    platform.invalidated.clear();
    f.Form_MouseMove();
    EXPECT_EQ(f.HighlightedIndex, -1);
    EXPECT_TRUE(platform.invalidated.empty());
}

} // namespace
