#include <gtest/gtest.h>

#include "menu/menu_fixture.h"

namespace {

using testing_support::MenuTest;
using MenuLoad = MenuTest;

TEST_F(MenuLoad, NoFileGivesDefaultsAnEmptyTitleAndOnlyExit) {
    auto& f = load_without_file();
    EXPECT_EQ(f.lblCaption.caption(), "");
    EXPECT_EQ(f.picture(), nullptr);
    for (int i = 0; i < f.ExitIndex(); ++i)
        EXPECT_FALSE(f.lblMenu(i).shown()) << i;
    const auto& exit = f.lblMenu(f.ExitIndex());
    EXPECT_TRUE(exit.shown());
    EXPECT_EQ(exit.caption(), "Exit");
    EXPECT_EQ(exit.fore_color(), 0); // the configured ForeColor, default black
    EXPECT_EQ(exit.left(), 6600);
    EXPECT_EQ(exit.top(), 5040);
    EXPECT_EQ(exit.font().size, 13.5f);
    EXPECT_FALSE(exit.font().bold);
}

TEST_F(MenuLoad, ThreeItemsFormAColumnWithAFixedPitch) {
    auto& f = load("Caption=My Disc\nNrOfItems=3\nForeColor=&HFF0000\nFontSize=16\n"
                   "Item1=Install,setup\\setup.exe /q,x\nItem2=,run.exe\nItem3=Readme\n");
    EXPECT_EQ(f.lblCaption.caption(), "My Disc");
    const float tops[] = {3100, 3550, 4000};
    for (int i = 0; i < 3; ++i) {
        const auto& l = f.lblMenu(i);
        EXPECT_TRUE(l.shown());
        EXPECT_EQ(l.top(), tops[i]);
        EXPECT_EQ(l.left(), 600);
        EXPECT_EQ(l.fore_color(), 0xFF0000);
        EXPECT_EQ(l.font().size, 16);
        EXPECT_FALSE(l.font().bold);
    }
    EXPECT_EQ(f.lblMenu(0).caption(), "Install");
    EXPECT_EQ(f.lblMenu(0).tag(), "setup\\setup.exe /q,x");
    EXPECT_EQ(f.lblMenu(1).caption(), "");
    EXPECT_EQ(f.lblMenu(1).tag(), "run.exe");
    EXPECT_EQ(f.lblMenu(2).caption(), "lblMenu"); // no comma: the designed caption stays
    EXPECT_EQ(f.lblMenu(2).tag(), "Readme");
    EXPECT_FALSE(f.lblMenu(3).shown());
    EXPECT_EQ(f.lblMenu(8).fore_color(), 0xFF0000);
}

TEST_F(MenuLoad, AMissingMiddleItemKeepsItsPlace) {
    auto& f = load("NrOfItems=3\nItem1=A,a.exe\nItem3=C,c.exe\n");
    EXPECT_TRUE(f.lblMenu(1).shown());
    EXPECT_EQ(f.lblMenu(1).caption(), "lblMenu");
    EXPECT_EQ(f.lblMenu(1).tag(), "");
    EXPECT_EQ(f.lblMenu(1).top(), 3550);
    EXPECT_EQ(f.lblMenu(2).top(), 4000);
}

TEST_F(MenuLoad, NegativeLineDistanceStacksUpwards) {
    auto& f =
        load("NrOfItems=3\nOffsetY=4000\nLineDistance=-500\nItem1=a,1\nItem2=b,2\nItem3=c,3\n");
    EXPECT_EQ(f.lblMenu(0).top(), 4000);
    EXPECT_EQ(f.lblMenu(1).top(), 3500);
    EXPECT_EQ(f.lblMenu(2).top(), 3000);
}

TEST_F(MenuLoad, ItemsReachingTheExitLabelAndBeyond) {
    std::string lines = "NrOfItems=12\n";
    for (int i = 1; i <= 12; ++i)
        lines += "Item" + std::to_string(i) + "=Item " + std::to_string(i) + ",cmd" +
                 std::to_string(i) + "\n";
    auto& f = load(lines);
    for (int i = 0; i <= 8; ++i)
        EXPECT_TRUE(f.lblMenu(i).shown()) << i;
    EXPECT_EQ(f.lblMenu(7).caption(), "Item 8");
    // Item9 lands on Exit: its caption, command and place in the column.
    EXPECT_EQ(f.lblMenu(8).caption(), "Item 9");
    EXPECT_EQ(f.lblMenu(8).tag(), "cmd9");
    EXPECT_EQ(f.lblMenu(8).top(), 3100 + 8 * 450);
    EXPECT_EQ(f.lblMenu(8).font().size, 14);
}

TEST_F(MenuLoad, CountRules) {
    struct Case {
        const char* value;
        int shown;
    } cases[] = {{"abc", 0}, {"2.5", 2}, {"&H3", 3}, {"40000", 0}, {"-32768", 0},
                 {"-1", 0},  {"0", 0},   {"", 0},    {" 4 ", 4},   {"3.5", 4}};
    for (const Case& c : cases) {
        std::string lines = std::string("NrOfItems=") + c.value + "\n";
        for (int i = 1; i <= 9; ++i)
            lines += "Item" + std::to_string(i) + "=x,y\n";
        auto& f = load(lines);
        int shown = 0;
        for (int i = 0; i < f.ExitIndex(); ++i)
            shown += f.lblMenu(i).shown();
        EXPECT_EQ(shown, c.shown) << c.value;
        EXPECT_EQ(f.load_facts().count, c.value == std::string("-32768") ? -32768
                                        : c.value == std::string("-1")   ? -1
                                                                         : c.shown);
    }
}

TEST_F(MenuLoad, BadNumbersKeepTheirDefaults) {
    auto& f = load("OffsetX=abc\nOffsetY=1e9\nLineDistance=1,000\nForeColor=$5\n"
                   "Highlight=2147483648\nFontSize=70000\n");
    const settings::MenuSettings defaults;
    EXPECT_EQ(f.MenuSettings.OffsetX, defaults.OffsetX);
    EXPECT_EQ(f.MenuSettings.OffsetY, defaults.OffsetY);
    EXPECT_EQ(f.MenuSettings.LineDistance, defaults.LineDistance);
    EXPECT_EQ(f.MenuSettings.ForeColor, defaults.ForeColor);
    EXPECT_EQ(f.MenuSettings.Highlight, defaults.Highlight);
    EXPECT_EQ(f.MenuSettings.FontSize, 14);
}

TEST_F(MenuLoad, RefusedColourAndSizeAreSkippedStepByStep) {
    auto& f = load("NrOfItems=1\nForeColor=&H7F000000\nFontSize=0\nItem1=A,a\n");
    EXPECT_EQ(f.MenuSettings.ForeColor, 0x7F000000); // the setting is kept ...
    const auto& l = f.lblMenu(0);
    EXPECT_TRUE(l.shown());       // ... the label refuses it, the rest still runs
    EXPECT_EQ(l.fore_color(), 0); // designed black
    EXPECT_EQ(l.font().size, 12); // designed size
    EXPECT_FALSE(l.font().bold);  // the step after still ran
    EXPECT_EQ(l.top(), 3100);
    EXPECT_EQ(f.lblMenu(8).fore_color(), static_cast<std::int32_t>(0x8000000E));
}

TEST_F(MenuLoad, PictureIsLoadedFromTheAppFolder) {
    platform.loadable_pictures = {path("art.bmp")};
    auto& f = load("Picture=art.bmp\n");
    EXPECT_NE(f.picture(), nullptr);
    EXPECT_EQ(f.load_facts().picture_path, path("art.bmp"));

    auto& g = load("Picture=\n"); // the folder alone is no picture: the designed one stays
    EXPECT_EQ(g.picture(), nullptr);
    EXPECT_FALSE(g.load_facts().picture_loaded);
    auto& h = load("Picture=/abs/art.bmp\n"); // appended to the folder, like any value
    EXPECT_EQ(h.picture(), nullptr);
    EXPECT_EQ(platform.picture_requests.back(), path("") + "/abs/art.bmp");
}

TEST_F(MenuLoad, ACountOf1000ReachesEveryItemButFillsOnlyTheLabels) {
    std::string lines = "NrOfItems=1000\n";
    for (int i = 1; i <= 1000; ++i)
        lines += "Item" + std::to_string(i) + "=c" + std::to_string(i) + ",x\n";
    class Recorder : public menu::LoadReport {
    public:
        void fallback(const menu::Fallback& f) override {
            if (f.kind == forms::FailureKind::NoSuchLabel && f.key == settings::item_key(f.item))
                items.insert(f.item);
        }
        std::set<int> items;
    } report;
    load(lines);
    form->Form_Load(&report);
    EXPECT_EQ(report.items.size(), 991u); // Item10 to Item1000: each reached and skipped
    EXPECT_EQ(*report.items.begin(), 10);
    EXPECT_EQ(*report.items.rbegin(), 1000);
    EXPECT_EQ(form->lblMenu(8).caption(), "c9");
}

} // namespace

namespace {

struct Reported {
    std::string key;
    int item;
    forms::FailureKind kind;
    bool operator==(const Reported&) const = default;
};

TEST_F(MenuLoad, EachFallbackIsReportedWithItsKeyItemAndKind) {
    class Recorder : public menu::LoadReport {
    public:
        void fallback(const menu::Fallback& f) override {
            seen.push_back(Reported{std::string(f.key), f.item, f.kind});
        }
        std::vector<Reported> seen;
    } report;
    load("Picture=missing.bmp\nOffsetX=12px\nNrOfItems=2\nForeColor=&H7F000000\n"
         "Item1=no comma here\nItem2=Two,two.exe\n");
    form->Form_Load(&report);
    using forms::FailureKind;
    const std::vector<Reported> expected{
        {"Picture", 0, FailureKind::NotAPicture},
        {"OffsetX", 0, FailureKind::NotNumeric},
        {"Item1", 1, FailureKind::NoItemCaption},
        {"Item1", 1, FailureKind::ValueRefused}, // the colour the label refuses
        {"Item2", 2, FailureKind::ValueRefused},
        {"Exit", 0, FailureKind::ValueRefused},
    };
    EXPECT_EQ(report.seen, expected);
    EXPECT_EQ(form->lblMenu(1).caption(), "Two"); // the steps after a failure still ran
    EXPECT_TRUE(form->lblMenu(1).shown());
}

} // namespace

namespace {

// Each key from the first of the user's sections holding it, else [Menu]; an empty value in a
// localized section counts; a value keeps its usual rules wherever it comes from.
TEST_F(MenuLoad, EachKeyFromTheFirstSectionOfTheUsersLanguagesThatHoldsIt) {
    const std::string file = "Caption=Welcome\nNrOfItems=3\nOffsetX=900\nItem1=Install,setup.exe\n"
                             "Item2=Help,help.exe\nItem3=Exit menu,x\n"
                             "[Menu.de]\nCaption=Willkommen\nItem2=Hilfe,hilfe.exe\n"
                             "[menu.DE_ch]\nCaption=\nNrOfItems=2\n"
                             "[Menu.fr]\nOffsetX=abc\nItem1=Installer,setup.exe /fr\n"
                             "[Menu.zh-Hans]\nCaption=\xE6\xAC\xA2\xE8\xBF\x8E\n";
    struct Case {
        std::vector<std::string> languages;
        const char* caption;
        int count, offset_x;
        const char *item1, *item2;
        std::vector<std::string> sections;
    } cases[] = {
        {{}, "Welcome", 3, 900, "Install", "Help", {}},
        {{"de"}, "Willkommen", 3, 900, "Install", "Hilfe", {"Menu.de"}},
        {{"de-CH"}, "", 2, 900, "Install", "Hilfe", {"menu.DE_ch", "Menu.de"}},
        {{"fr-CA", "de"}, "Willkommen", 3, 600, "Installer", "Hilfe", {"Menu.fr", "Menu.de"}},
        {{"zh-CN"}, "\xE6\xAC\xA2\xE8\xBF\x8E", 3, 900, "Install", "Help", {"Menu.zh-Hans"}},
        {{"ja-JP"}, "Welcome", 3, 900, "Install", "Help", {}},
    };
    for (const Case& c : cases) {
        languages = c.languages;
        auto& f = load(file);
        const std::string who = c.languages.empty() ? "nobody" : c.languages[0];
        EXPECT_EQ(f.lblCaption.caption(), c.caption) << who;
        EXPECT_EQ(f.load_facts().count, c.count) << who;
        EXPECT_EQ(f.MenuSettings.OffsetX, c.offset_x) << who;
        EXPECT_EQ(f.lblMenu(0).caption(), c.item1) << who;
        EXPECT_EQ(f.lblMenu(1).caption(), c.item2) << who;
        EXPECT_EQ(f.lblMenu(2).shown(), c.count == 3) << who;
        EXPECT_EQ(f.load_facts().sections, c.sections) << who;
    }
    languages = {"de-CH", "fr"};
    const auto& sources = load(file).load_facts().sources;
    std::string read;
    for (const menu::ValueSource& s : sources)
        read += s.key + "=" + s.section + " ";
    EXPECT_EQ(read, "Picture=Menu Caption=menu.DE_ch NrOfItems=menu.DE_ch OffsetX=Menu.fr "
                    "OffsetY=Menu LineDistance=Menu ForeColor=Menu Highlight=Menu FontSize=Menu "
                    "Item1=Menu.fr Item2=Menu.de ");
}

TEST_F(MenuLoad, AFileWithoutLocalizedSectionsReadsOnlyMenu) {
    languages = {"de-DE", "en-US"};
    auto& f = load("Caption=Plain\nNrOfItems=1\nItem1=A,a\n[Menu.]\nCaption=no tag\n");
    EXPECT_EQ(f.lblCaption.caption(), "Plain");
    EXPECT_TRUE(f.load_facts().sections.empty());
    for (const menu::ValueSource& s : f.load_facts().sources)
        EXPECT_EQ(s.section, "Menu") << s.key;
}

} // namespace
