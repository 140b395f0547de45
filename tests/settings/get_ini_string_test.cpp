#include "settings/get_ini_string.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "settings/path_case.h"

namespace fs = std::filesystem;
using settings::GetIniString;

namespace {

class TempDir {
public:
    TempDir() {
        path_ = fs::temp_directory_path() /
                ("tavik-ini-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                 "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() { fs::remove_all(path_); }
    std::string write(const std::string& name, const std::string& text) const {
        std::ofstream(path_ / name, std::ios::binary) << text;
        return (path_ / name).string();
    }
    std::string path(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

TEST(GetIniString, MissingFileSectionOrKeyAndEmptyValueAllGiveEmpty) {
    TempDir dir;
    const std::string file = dir.write("autorun.inf", "[Menu]\nEmpty=\nCaption=Hi\n");
    EXPECT_EQ(GetIniString("Menu", "Caption", file), "Hi");
    EXPECT_EQ(GetIniString("Menu", "Empty", file), "");
    EXPECT_EQ(GetIniString("Menu", "Absent", file), "");
    EXPECT_EQ(GetIniString("Nope", "Caption", file), "");
    EXPECT_EQ(GetIniString("Menu", "Caption", dir.path("missing.inf")), "");
}

TEST(GetIniString, PresentButEmptyIsToldFromAbsentAndSectionsComeInFileOrder) {
    TempDir dir;
    const std::string file =
        dir.write("autorun.inf", "[Menu.de]\nEmpty=\nBare\n[Menu]\nCaption=Hi\n[ menu.DE ]\n"
                                 "Late=1\n[Menu.fr]\n");
    EXPECT_EQ(settings::find_ini_string("Menu.de", "Empty", file), "");
    EXPECT_EQ(settings::find_ini_string("menu.DE", "Bare", file), "");
    EXPECT_EQ(settings::find_ini_string("Menu.de", "Late", file), std::nullopt);
    EXPECT_EQ(settings::find_ini_string("Menu.it", "Caption", file), std::nullopt);
    EXPECT_EQ(settings::find_ini_string("Menu", "Caption", dir.path("none.inf")), std::nullopt);
    EXPECT_EQ(settings::ini_section_names(file),
              (std::vector<std::string>{"Menu.de", "Menu", "Menu.fr"}));
    EXPECT_TRUE(settings::ini_section_names(dir.path("none.inf")).empty());
}

TEST(GetIniString, ThreeHundredCharactersComeBackAs255) {
    TempDir dir;
    const std::string file = dir.write("autorun.inf", "[Menu]\nCaption=" + std::string(300, 'c'));
    EXPECT_EQ(GetIniString("Menu", "Caption", file), std::string(255, 'c'));
}

TEST(GetIniString, AFolderNamedLikeTheFileIsNoFile) {
    TempDir dir;
    fs::create_directories(dir.path("autorun.inf"));
    EXPECT_EQ(GetIniString("Menu", "Caption", dir.path("autorun.inf")), "");
}

TEST(GetIniString, ChangedFileIsReadAgain) {
    TempDir dir;
    const std::string file = dir.write("autorun.inf", "[Menu]\nCaption=one\n");
    EXPECT_EQ(GetIniString("Menu", "Caption", file), "one");
    dir.write("autorun.inf", "[Menu]\nCaption=second\n"); // another size
    EXPECT_EQ(GetIniString("Menu", "Caption", file), "second");
    dir.write("autorun.inf", "[Menu]\nCaption=thirds\n"); // same size, later time
    fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(5));
    EXPECT_EQ(GetIniString("Menu", "Caption", file), "thirds");
}

TEST(GetIniString, UpperCaseFileNamesAreFound) {
    TempDir dir;
    fs::create_directories(dir.path("SUB"));
    dir.write("SUB/AUTORUN.INF", "[Menu]\nCaption=upper\n");
    EXPECT_EQ(GetIniString("Menu", "Caption", dir.path("sub/autorun.inf")), "upper");
    EXPECT_EQ(settings::resolve_case_insensitive(dir.path("sub/autorun.inf")),
              dir.path("SUB/AUTORUN.INF"));
    EXPECT_EQ(settings::resolve_case_insensitive(dir.path("none/x")), dir.path("none/x"));
}

} // namespace
