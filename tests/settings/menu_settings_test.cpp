#include "settings/menu_settings.h"

#include <gtest/gtest.h>

using settings::split_item;

namespace {

TEST(MenuSettings, ItemSplitsAtTheFirstComma) {
    auto a = split_item("Install,setup\\setup.exe /q,x");
    EXPECT_EQ(a.caption, "Install");
    EXPECT_EQ(a.command, "setup\\setup.exe /q,x");
    auto b = split_item(",run.exe");
    EXPECT_EQ(b.caption, "");
    EXPECT_EQ(b.command, "run.exe");
    auto c = split_item("Readme");
    EXPECT_EQ(c.caption, std::nullopt);
    EXPECT_EQ(c.command, "Readme");
    auto d = split_item(" Spaced , cmd ");
    EXPECT_EQ(d.caption, " Spaced ");
    EXPECT_EQ(d.command, " cmd ");
    auto e = split_item("");
    EXPECT_EQ(e.caption, std::nullopt);
    EXPECT_EQ(e.command, "");
}

TEST(MenuSettings, ItemKeysAndAppFolder) {
    EXPECT_EQ(settings::item_key(1), "Item1");
    EXPECT_EQ(settings::item_key(10), "Item10");
    EXPECT_EQ(settings::app_folder_from("D:\\", '\\'), "D:\\");
    EXPECT_EQ(settings::app_folder_from("D:\\setup", '\\'), "D:\\setup\\");
    EXPECT_EQ(settings::app_folder_from("/media/cd", '/'), "/media/cd/");
    EXPECT_EQ(settings::app_folder_from("/", '/'), "/");
}

} // namespace
