// frmTavikMain, the menu window: its designed labels, the load that applies autorun.inf, the
// hover highlight and the item clicks. Platform-neutral: it sees the window system only
// through forms::Platform.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/forms/failure.h"
#include "app/forms/form.h"
#include "settings/menu_settings.h"

namespace menu {

// Font size of the highlighted item, in points; not configurable.
inline constexpr float kHighlightFontSize = 18.0f;

// One silent fallback of the load: the key whose step failed, its item number (1..; 0 for a
// key that is no item), what failed and the failure's text.
struct Fallback {
    std::string_view key;
    int item = 0;
    forms::FailureKind kind;
    std::string_view text;
};

// Told of every silent fallback of the load; the menu itself never shows them.
class LoadReport {
public:
    virtual ~LoadReport() = default;
    virtual void fallback(const Fallback& fallback) = 0;
};

// Where one value the load read came from: a localized section ("Menu.de") or "Menu".
struct ValueSource {
    std::string key;
    std::string section;
};

// What the load read besides the settings, kept for the check tool.
struct LoadFacts {
    std::string AppFolder;
    std::string SettingsPath;
    std::string picture_value;
    std::string picture_path;
    bool picture_loaded = false;
    std::string caption;
    std::int16_t count = 0; // NrOfItems as converted; may be negative
    // The localized sections searched before [Menu], in order, and each key read, in reading
    // order, with the section its value came from.
    std::vector<std::string> sections;
    std::vector<ValueSource> sources;
};

forms::FormDesign frmTavikMain_design();

class frmTavikMain : public forms::Form {
public:
    explicit frmTavikMain(forms::Platform& platform);

    forms::Label& lblCaption;
    forms::LabelArray& lblMenu;
    settings::MenuSettings MenuSettings;
    std::int16_t HighlightedIndex = -1;
    // The user's languages, most preferred first, as tags: set before the load, which takes
    // each value from their [Menu.TAG] sections first. Empty: [Menu] alone.
    std::vector<std::string> UserLanguages;

    // The upper bound of lblMenu, read from the array: the Exit label's index.
    std::int16_t ExitIndex() const { return lblMenu.UBound(); }

    void Form_Load(LoadReport* report = nullptr);
    void Form_MouseMove();
    void lblMenu_MouseMove(std::int16_t Index);
    void lblMenu_Click(std::int16_t Index);

    const LoadFacts& load_facts() const { return facts_; }
    std::int16_t highlighted_index() const override { return HighlightedIndex; }

protected:
    void on_form_mouse_move() override { Form_MouseMove(); }
    void on_array_mouse_move(std::int16_t index) override { lblMenu_MouseMove(index); }
    void on_array_click(std::int16_t index) override { lblMenu_Click(index); }

private:
    void restore_normal(std::int16_t index);

    // The highlighted label's look before it was highlighted: a restore the label refuses
    // returns to it, so an un-highlighted label never keeps the highlight look.
    struct Look {
        std::int32_t fore_color = 0;
        float font_size = 0;
    } before_highlight_;
    LoadFacts facts_;
};

} // namespace menu
