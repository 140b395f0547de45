// The whole load on any autorun.inf, through the check tool's code: the file is written to a
// private temp folder, loaded on a headless form, printed as JSON, then hovered and clicked.
// Checks the menu the load builds, the JSON the tool prints, and that hover leaves no trace.
// Text is measured without fonts, so the target runs at thousands of inputs a second.
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/forms/colors.h"
#include "app/forms/hit_test.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/mini_json.h"
#include "menu/frm_tavik_main.h"
#include "tools/tavik_check/check_result.h"
#include "tools/tavik_check/headless_platform.h"
#include "tools/tavik_check/output.h"

namespace {

namespace fs = std::filesystem;

std::string g_folder;

void remove_folder() {
    std::error_code ec;
    fs::remove_all(g_folder, ec);
}

// One folder per process, removed when the process ends normally.
const std::string& disc_folder() {
    if (g_folder.empty()) {
        std::string pattern = (fs::temp_directory_path() / "tavik-fuzz-XXXXXX").string();
        FUZZ_CHECK(::mkdtemp(pattern.data()) != nullptr);
        g_folder = pattern;
        std::atexit(remove_folder);
    }
    return g_folder;
}

void write_settings(const std::string& folder, std::string_view bytes) {
    const std::string path = folder + "/autorun.inf";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        FUZZ_CHECK(out.good());
    }
    // A new time for every input: the settings cache keys on size and modification time, and
    // the file system's clock ticks slower than a fuzzer writes.
    static std::int64_t runs = 0;
    std::error_code ec;
    fs::last_write_time(path, fs::file_time_type(std::chrono::seconds(++runs)), ec);
    FUZZ_CHECK(!ec);
}

struct Look {
    std::string caption, tag;
    bool shown;
    float left, top, size;
    std::int32_t color;
    bool bold;
};

std::vector<Look> looks(const menu::frmTavikMain& form) {
    std::vector<Look> out;
    for (const forms::Label& l : form.label_array().all())
        out.push_back(Look{l.caption(), l.tag(), l.shown(), l.left(), l.top(), l.font().size,
                           l.fore_color(), l.font().bold});
    return out;
}

// Extents from the text alone: 0.6 em per UTF-8 character (bold 10 % wider), one line 1.2 em
// high. pango's measuring and its cache of every size it met held the target near 60 inputs a
// second, and the load's rules do not depend on real glyphs; the rest is the tool's platform.
class FontlessPlatform : public check::HeadlessPlatform {
public:
    using HeadlessPlatform::HeadlessPlatform;
    forms::Extent measure_text(std::string_view text, const forms::Font& font) override {
        std::size_t characters = 0;
        for (const char c : text)
            characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
        const float em = font.size * 20; // twips
        const float width = static_cast<float>(characters) * em * (font.bold ? 0.66f : 0.6f);
        return forms::Extent{width, em * 1.2f};
    }
};

forms::Point centre(const forms::Rect& r) {
    return forms::Point{r.left + r.width / 2, r.top + r.height / 2};
}

void check_layout(const menu::frmTavikMain& form, const menu::LoadFacts& facts) {
    const auto& labels = form.label_array().all();
    FUZZ_CHECK(labels.size() == 9);
    FUZZ_CHECK(form.ExitIndex() == 8);
    FUZZ_CHECK(form.HighlightedIndex == -1);
    const auto& s = form.MenuSettings;
    for (int i = 0; i < 9; ++i) {
        const forms::Label& l = labels[static_cast<std::size_t>(i)];
        const bool filled = i < facts.count;
        FUZZ_CHECK(l.shown() == (filled || i == 8));
        if (!filled)
            continue;
        FUZZ_CHECK(l.left() == static_cast<float>(s.OffsetX));
        FUZZ_CHECK(l.top() == static_cast<float>(s.OffsetY + i * s.LineDistance));
        FUZZ_CHECK(!l.font().bold);
    }
}

void check_json(const std::string& text, const menu::frmTavikMain& form,
                const check::CheckResult& result) {
    FUZZ_CHECK(fuzz::utf8_length(text) != std::string::npos);
    const auto json = fuzz::parse_json(text);
    FUZZ_CHECK(json.has_value());
    const fuzz::JsonValue* count = json->get("count");
    FUZZ_CHECK(count != nullptr && count->number == result.facts.count);
    const fuzz::JsonValue* found = json->get("settings_found");
    FUZZ_CHECK(found != nullptr && found->boolean);
    const fuzz::JsonValue* labels = json->get("labels");
    FUZZ_CHECK(labels != nullptr && labels->items.size() == 9);
    for (std::size_t i = 0; i < 9; ++i) {
        const fuzz::JsonValue& l = labels->items[i];
        const forms::Label& label = form.label_array().all()[i];
        FUZZ_CHECK(l.get("index") != nullptr && l.get("index")->number == static_cast<double>(i));
        FUZZ_CHECK(l.get("shown") != nullptr && l.get("shown")->boolean == label.shown());
        const fuzz::JsonValue* caption = l.get("caption");
        FUZZ_CHECK(caption != nullptr && caption->kind == fuzz::JsonValue::Kind::String);
        // Control characters come back as \u escapes, which the reader keeps as written.
        bool plain = fuzz::utf8_length(label.caption()) != std::string::npos;
        for (const char c : label.caption())
            plain = plain &&
                    (static_cast<unsigned char>(c) >= 0x20 || c == '\n' || c == '\r' || c == '\t');
        if (plain)
            FUZZ_CHECK(caption->text == label.caption());
        // What a click does on Linux: for every label with a command but Exit.
        const fuzz::JsonValue* start = l.get("linux_start");
        FUZZ_CHECK(start != nullptr);
        const bool none = i == 8 || label.tag().empty();
        FUZZ_CHECK((start->kind == fuzz::JsonValue::Kind::Null) == none);
        if (!none) {
            const fuzz::JsonValue* how = start->get("how");
            FUZZ_CHECK(how != nullptr &&
                       (how->text == "program" || how->text == "opener" || how->text == "nothing"));
        }
    }
    const fuzz::JsonValue* warnings = json->get("warnings");
    FUZZ_CHECK(warnings != nullptr && warnings->items.size() == result.warnings.size());
}

// Hovers and clicks every shown label, then leaves for the bare background.
void check_mouse(menu::frmTavikMain& form) {
    const std::vector<Look> before = looks(form);
    const auto& labels = form.label_array().all();
    std::vector<bool> hovered(labels.size(), false);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        if (!labels[i].shown())
            continue;
        const forms::Point p = centre(labels[i].box());
        const std::int16_t was = form.HighlightedIndex;
        const forms::Hit hit = forms::hit_test(form.stacking(), p);
        // Asked before the move: the highlight resizes the label, maybe away from the point.
        const forms::Cursor cursor = form.cursor_at(p);
        form.mouse_move(p);
        if (hit.target == forms::Hit::Target::Array) {
            FUZZ_CHECK(form.HighlightedIndex == hit.index);
            FUZZ_CHECK(cursor == forms::Cursor::Hand);
            hovered[static_cast<std::size_t>(hit.index)] = true;
        } else {
            FUZZ_CHECK(form.HighlightedIndex ==
                       (hit.target == forms::Hit::Target::Form ? -1 : was));
        }
        // The box may have grown with the highlight: click where the label is now.
        const forms::Point q = centre(labels[i].box());
        form.mouse_down(forms::MouseButton::Left, q);
        form.mouse_up(forms::MouseButton::Left, q);
    }
    // Below and left of every label: no box reaches this far.
    form.mouse_move(forms::Point{-1e7f, -1e7f});
    FUZZ_CHECK(form.HighlightedIndex == -1);

    const auto& s = form.MenuSettings;
    const std::vector<Look> after = looks(form);
    for (std::size_t i = 0; i < after.size(); ++i) {
        const Look &b = before[i], &a = after[i];
        FUZZ_CHECK(a.caption == b.caption && a.tag == b.tag && a.shown == b.shown);
        FUZZ_CHECK(a.left == b.left && a.top == b.top && a.bold == b.bold);
        const float configured = static_cast<float>(s.FontSize);
        const bool restored = hovered[i];
        FUZZ_CHECK(a.color ==
                   (restored && forms::is_valid_color(s.ForeColor) ? s.ForeColor : b.color));
        FUZZ_CHECK(a.size ==
                   (restored && forms::is_valid_font_size(configured) ? configured : b.size));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& folder = disc_folder();
    write_settings(folder, fuzz::as_text(data, size));

    FontlessPlatform platform(folder);
    menu::frmTavikMain form(platform);
    const check::CheckResult result = check::run_check(form);
    FUZZ_CHECK(result.settings_found);
    check_layout(form, result.facts);

    std::ostringstream json, text;
    check::print_json(json, form, result);
    check::print_text(text, form, result);
    check_json(json.str(), form, result);

    check_mouse(form);
    return 0;
}
