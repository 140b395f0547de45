#include "tools/tavik_check/output.h"

#include "tools/tavik_check/json_writer.h"

namespace check {
namespace {

const char* boolean(bool b) {
    return b ? "true" : "false";
}

// Labels the load placed: those of the configured items.
bool placed(const CheckResult& r, std::size_t index) {
    return static_cast<int>(index) < r.facts.count;
}

std::string hex_color(std::int32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "&H%08X", static_cast<unsigned>(c));
    return buf;
}

} // namespace

void print_json(std::ostream& out, const menu::frmTavikMain& form, const CheckResult& r) {
    const auto& s = r.settings;
    out << "{\"settings_path\": " << json_string(r.facts.SettingsPath)
        << ", \"settings_found\": " << boolean(r.settings_found)
        << ",\n \"picture\": {\"value\": " << json_string(r.facts.picture_value)
        << ", \"path\": " << json_string(r.facts.picture_path)
        << ", \"loaded\": " << boolean(r.facts.picture_loaded)
        << "},\n \"caption\": " << json_string(r.facts.caption) << ", \"count\": " << r.facts.count
        << ",\n \"settings\": {\"OffsetX\": " << s.OffsetX << ", \"OffsetY\": " << s.OffsetY
        << ", \"LineDistance\": " << s.LineDistance << ", \"ForeColor\": " << s.ForeColor
        << ", \"Highlight\": " << s.Highlight << ", \"FontSize\": " << s.FontSize
        << "},\n \"labels\": [";
    const auto& labels = form.label_array().all();
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const forms::Label& l = labels[i];
        const bool p = placed(r, i);
        out << (i ? ",\n  " : "\n  ") << "{\"index\": " << i
            << ", \"shown\": " << boolean(l.shown())
            << ", \"caption\": " << json_string(l.caption())
            << ", \"command\": " << json_string(l.tag())
            << ", \"left\": " << (p ? json_number(l.left()) : "null")
            << ", \"top\": " << (p ? json_number(l.top()) : "null")
            << ", \"fore_color\": " << l.fore_color()
            << ", \"font_size\": " << json_number(l.font().size)
            << ", \"bold\": " << boolean(l.font().bold) << "}";
    }
    out << "],\n \"warnings\": [";
    for (std::size_t i = 0; i < r.warnings.size(); ++i)
        out << (i ? ",\n  " : "\n  ") << "{\"key\": " << json_string(r.warnings[i].key)
            << ", \"kind\": " << json_string(r.warnings[i].kind)
            << ", \"message\": " << json_string(r.warnings[i].message) << "}";
    out << "]}\n";
}

void print_text(std::ostream& out, const menu::frmTavikMain& form, const CheckResult& r) {
    const auto& s = r.settings;
    out << "Settings:  " << r.facts.SettingsPath << (r.settings_found ? "" : "  (not found)")
        << "\nPicture:   "
        << (r.facts.picture_loaded ? r.facts.picture_path : "the designed background")
        << "\nTitle:     " << r.facts.caption << "\nItems:     " << r.facts.count
        << "\nLayout:    OffsetX " << s.OffsetX << ", OffsetY " << s.OffsetY << ", LineDistance "
        << s.LineDistance << " (twips)\nColours:   ForeColor " << hex_color(s.ForeColor)
        << ", Highlight " << hex_color(s.Highlight) << "\nFont size: " << s.FontSize << " pt\n\n";
    const auto& labels = form.label_array().all();
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const forms::Label& l = labels[i];
        if (!l.shown())
            continue;
        out << "  [" << i << "] " << l.caption() << "  at " << l.left() << "," << l.top() << "  "
            << l.font().size << " pt" << (l.font().bold ? " bold" : "") << "  "
            << hex_color(l.fore_color())
            << (static_cast<int>(i) == form.ExitIndex() ? "  -> ends the menu" : "  -> " + l.tag())
            << "\n";
    }
    if (r.warnings.empty()) {
        out << "\nNo warnings.\n";
        return;
    }
    out << "\nWarnings:\n";
    for (const Warning& w : r.warnings)
        out << "  " << w.key << ": " << w.message << "\n";
}

} // namespace check
