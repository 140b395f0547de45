// The menu as assistive technology sees it: the same labels, boxes and highlight the mouse
// sees, and an action that is the item's click.
#include <gtest/gtest.h>

#include "app/forms/accessible.h"
#include "menu/menu_fixture.h"

namespace {

using forms::AccessibleRole;
using testing_support::MenuTest;
using MenuAccessible = MenuTest;

constexpr char kMenu[] = "Caption=My Disc\nNrOfItems=3\nItem1=Install,inst.exe\n"
                         "Item2=Readme,readme.exe\nItem3=no comma\n";

TEST_F(MenuAccessible, TheTitleAndEveryShownItemInPaintOrder) {
    auto& f = load(kMenu);
    EXPECT_EQ(forms::accessible_name(f), "My Disc");
    const auto elements = forms::accessible_elements(f);
    ASSERT_EQ(elements.size(), 5u); // title, three items, Exit; hidden placeholders are left out
    EXPECT_EQ(elements[0].role, AccessibleRole::StaticText);
    EXPECT_EQ(elements[0].label, &f.lblCaption);
    EXPECT_FALSE(elements[0].has_action());
    const std::vector<std::string> names{"Install", "Readme", "lblMenu", "Exit"};
    const std::vector<int> indexes{0, 1, 2, 8};
    for (std::size_t i = 0; i < names.size(); ++i) {
        const auto& e = elements[i + 1];
        EXPECT_EQ(e.role, AccessibleRole::MenuItem);
        EXPECT_EQ(e.label->caption(), names[i]);
        EXPECT_EQ(e.index, indexes[i]);
        EXPECT_TRUE(e.has_action());
        EXPECT_FALSE(e.hot);
        EXPECT_EQ(e.box.left, e.label->box().left);
        EXPECT_EQ(e.box.width, e.label->box().width);
        EXPECT_EQ(e.box.height, e.label->box().height);
    }
    // The title's box reaches past the window: only what the window shows is located.
    EXPECT_GT(f.lblCaption.box().right(), f.client_width());
    EXPECT_EQ(elements[0].box.right(), f.client_width());
    EXPECT_EQ(forms::role_name(AccessibleRole::MenuItem), "menu item");
    EXPECT_EQ(forms::role_name(AccessibleRole::StaticText), "static text");
}

TEST_F(MenuAccessible, HotAndBoxFollowTheHighlight) {
    auto& f = load(kMenu);
    const forms::Rect normal = forms::accessible_elements(f)[2].box;
    f.mouse_move({normal.left + 5, normal.top + 5});
    auto elements = forms::accessible_elements(f);
    EXPECT_TRUE(elements[2].hot);
    EXPECT_FALSE(elements[1].hot);
    EXPECT_GT(elements[2].box.width, normal.width); // 18 pt bold
    // What a reader's pointer lookup finds is what the mouse finds, the title included.
    EXPECT_EQ(forms::accessible_element_at(elements, {normal.left + 5, normal.top + 5}), 2);
    EXPECT_EQ(forms::accessible_element_at(elements, {200, 200}), 0);
    EXPECT_EQ(forms::accessible_element_at(elements, {7000, 200}), 0);  // clipped title
    EXPECT_EQ(forms::accessible_element_at(elements, {7460, 200}), -1); // outside the window
    f.mouse_move({10, 5000});
    EXPECT_FALSE(forms::accessible_elements(f)[2].hot);
}

TEST_F(MenuAccessible, TheActionIsTheClick) {
    auto& f = load(kMenu);
    platform.folder = "D:\\"; // the drive the click changes to
    const auto elements = forms::accessible_elements(f);
    ASSERT_EQ(elements.size(), 5u);
    EXPECT_FALSE(forms::do_accessible_action(f, elements[0])); // the title has none
    EXPECT_TRUE(platform.started.empty());
    EXPECT_TRUE(forms::do_accessible_action(f, elements[1]));
    EXPECT_EQ(platform.drives, (std::vector<std::string>{"D"}));
    EXPECT_EQ(platform.started, (std::vector<std::string>{"inst.exe"}));
    EXPECT_EQ(platform.quits, 0);
    EXPECT_TRUE(forms::do_accessible_action(f, elements[4]));
    EXPECT_EQ(platform.quits, 1);
    // A hidden or missing label cannot be clicked by any means.
    f.click(5);
    f.click(-1);
    f.click(9);
    EXPECT_EQ(platform.started.size(), 1u);
}

TEST_F(MenuAccessible, WithoutSettingsOnlyTheTitleAndExit) {
    auto& f = load_without_file();
    const auto elements = forms::accessible_elements(f);
    ASSERT_EQ(elements.size(), 2u);
    EXPECT_EQ(elements[1].index, f.ExitIndex());
    EXPECT_EQ(forms::accessible_name(f), "");
}

} // namespace
