// A disc folder in a temp directory with an autorun.inf, and the menu loaded from it.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "fake_platform.h"
#include "menu/frm_tavik_main.h"

namespace testing_support {

class MenuTest : public ::testing::Test {
protected:
    MenuTest() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::temp_directory_path() /
               (std::string("tavik-menu-") + info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        platform.folder = dir_.string();
        platform.separator = '/';
    }
    ~MenuTest() override { std::filesystem::remove_all(dir_); }

    // Writes autorun.inf with a [Menu] section of these lines, then runs the load.
    menu::frmTavikMain& load(const std::string& menu_lines) {
        std::ofstream(dir_ / "autorun.inf", std::ios::binary)
            << "[autorun]\nopen=setup.exe\n\n[Menu]\n"
            << menu_lines;
        return load_without_file();
    }
    menu::frmTavikMain& load_without_file() {
        form = std::make_unique<menu::frmTavikMain>(platform);
        form->UserLanguages = languages;
        form->Form_Load();
        return *form;
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    FakePlatform platform;
    std::vector<std::string> languages; // the user's, for the next load
    std::unique_ptr<menu::frmTavikMain> form;

private:
    std::filesystem::path dir_;
};

} // namespace testing_support
