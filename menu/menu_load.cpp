// Form_Load: applies the [Menu] section of autorun.inf to the designed window, each value
// right after it is read, each key from the first of the user's [Menu.TAG] sections that
// holds it, else from [Menu]. Every step after the folder is found runs on its own: a failing
// step is skipped and the next one runs, so any file gives a usable menu.
#include "menu/frm_tavik_main.h"
#include "settings/get_ini_string.h"
#include "settings/menu_sections.h"
#include "settings/number_rules.h"

namespace menu {
namespace {

using forms::FailureKind;

class Loader {
public:
    Loader(frmTavikMain& form, LoadFacts& facts, LoadReport* report)
        : form_(form), facts_(facts), report_(report) {}

    void run();

private:
    void report(std::string_view key, int item, FailureKind kind, std::string_view text) {
        if (report_ != nullptr)
            report_->fallback(Fallback{key, item, kind, text});
    }

    // One skippable step; its failure reaches the report, never the user.
    template <class F> void step(std::string_view key, int item, F&& f) {
        if (const auto failure = forms::attempt(f))
            report(key, item, failure->kind(), failure->what());
    }

    // A key present in a localized section counts even when empty: a translation may blank
    // a value. [Menu] is read as it always was.
    std::string read(const std::string& key) {
        for (const std::string& section : facts_.sections)
            if (auto value = settings::find_ini_string(section, key, facts_.SettingsPath)) {
                facts_.sources.push_back({key, section});
                return std::move(*value);
            }
        facts_.sources.push_back({key, settings::kMenuSection});
        return settings::GetIniString(settings::kMenuSection, key, facts_.SettingsPath);
    }

    // A numeric key: its value when present and convertible; an empty value keeps the default
    // quietly, anything else fails the step.
    template <class T, class Convert>
    void read_number(const char* key, T& target, Convert convert) {
        step(key, 0, [&] {
            const std::string value = read(key);
            if (value.empty())
                return;
            const auto converted = convert(value);
            forms::require(converted.has_value(), FailureKind::NotNumeric,
                           "not numeric or out of range; default kept");
            target = *converted;
        });
    }

    void load_item(std::int16_t i);

    frmTavikMain& form_;
    LoadFacts& facts_;
    LoadReport* report_;
};

void Loader::run() {
    auto& s = form_.MenuSettings;
    s = settings::MenuSettings{};
    forms::Platform& platform = form_.platform();
    facts_ = LoadFacts{};
    facts_.AppFolder =
        settings::app_folder_from(platform.executable_folder(), platform.path_separator());
    facts_.SettingsPath = facts_.AppFolder + settings::kSettingsFileName;
    // One lookup more, and only for a user with a language: which sections the file has.
    if (!form_.UserLanguages.empty())
        facts_.sections = settings::localized_search_order(
            form_.UserLanguages, settings::ini_section_names(facts_.SettingsPath));

    step(settings::kPictureKey, 0, [&] {
        facts_.picture_value = read(settings::kPictureKey);
        facts_.picture_path = facts_.AppFolder + facts_.picture_value;
        if (facts_.picture_value.empty())
            return; // the folder itself is no picture: the designed one stays, as intended
        form_.set_picture(facts_.picture_path);
        facts_.picture_loaded = true;
    });
    step(settings::kCaptionKey, 0, [&] {
        facts_.caption = read(settings::kCaptionKey);
        form_.lblCaption.set_caption(facts_.caption);
    });
    read_number(settings::kNrOfItemsKey, facts_.count, settings::to_int16);
    read_number(settings::kOffsetXKey, s.OffsetX, settings::to_int16);
    read_number(settings::kOffsetYKey, s.OffsetY, settings::to_int16);
    read_number(settings::kLineDistanceKey, s.LineDistance, settings::to_int16);
    read_number(settings::kForeColorKey, s.ForeColor, settings::to_int32);
    read_number(settings::kHighlightKey, s.Highlight, settings::to_int32);
    read_number(settings::kFontSizeKey, s.FontSize, [](std::string_view v) {
        const auto wide = settings::to_int32(v);
        return wide ? settings::narrow_to_int16(*wide) : std::nullopt;
    });

    for (std::int16_t i = 0; i < facts_.count; ++i)
        load_item(i);

    step("Exit", 0, [&] { form_.lblMenu(form_.ExitIndex()).set_fore_color(s.ForeColor); });
}

void Loader::load_item(std::int16_t i) {
    const int item = i + 1;
    const std::string key = settings::item_key(item);
    const auto& s = form_.MenuSettings;
    if (form_.lblMenu.find(i) == nullptr) {
        // Every step of an item beyond the last label would fail on the missing label, and its
        // value would never be used: one report stands for them all, lookup included. A count
        // of 32767 would otherwise cost 32767 lookups (quadratic in the Windows profile
        // functions) and a quarter of a million failed steps before the window opens.
        report(key, item, FailureKind::NoSuchLabel, "no such label");
        return;
    }
    std::string value;
    step(key, item, [&] { value = read(key); });
    const settings::ItemText text = settings::split_item(value);
    step(key, item, [&] {
        forms::Label& label = form_.lblMenu(i);
        forms::require(text.caption.has_value(), FailureKind::NoItemCaption,
                       value.empty() ? "missing or empty; the label keeps its designed caption"
                                     : "no comma; the label keeps its designed caption");
        label.set_caption(*text.caption);
    });
    step(key, item, [&] { form_.lblMenu(i).set_tag(text.command); });
    step(key, item, [&] { form_.lblMenu(i).set_shown(true); });
    step(key, item, [&] {
        // Each Top comes from the label above, read back: one column with a fixed pitch.
        const float top = i == 0 ? static_cast<float>(s.OffsetY)
                                 : form_.lblMenu(i - 1).top() + static_cast<float>(s.LineDistance);
        form_.lblMenu(i).set_top(top);
    });
    step(key, item, [&] { form_.lblMenu(i).set_left(static_cast<float>(s.OffsetX)); });
    step(key, item, [&] { form_.lblMenu(i).set_fore_color(s.ForeColor); });
    step(key, item, [&] { form_.lblMenu(i).set_font_size(static_cast<float>(s.FontSize)); });
    step(key, item, [&] { form_.lblMenu(i).set_bold(false); });
}

} // namespace

void frmTavikMain::Form_Load(LoadReport* report) {
    HighlightedIndex = -1;
    forms::LayoutBatch batch(*this); // one measurement per label for the whole load
    Loader(*this, facts_, report).run();
}

} // namespace menu
