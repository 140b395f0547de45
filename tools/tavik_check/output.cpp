#include "tools/tavik_check/output.h"

#include "app/forms/accessible.h"
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

// The label's name in the form, as the menu's code calls it.
std::string label_name(const forms::AccessibleElement& e) {
    if (e.target == forms::Hit::Target::Plain)
        return "lblCaption";
    return "lblMenu(" + std::to_string(e.index) + ")";
}

std::string hex_color(std::int32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "&H%08X", static_cast<unsigned>(c));
    return buf;
}

std::string joined(const std::vector<std::string>& words, const char* separator = ", ") {
    std::string out;
    for (const std::string& w : words)
        out += (out.empty() ? "" : separator) + w;
    return out;
}

const posix::LinuxStart* start_of(const CheckResult& r, std::size_t index) {
    return index < r.linux_starts.size() && r.linux_starts[index] ? &*r.linux_starts[index]
                                                                  : nullptr;
}

std::string json_or_null(const std::string& text) {
    return text.empty() ? "null" : json_string(text);
}

std::string start_json(const posix::LinuxStart* s) {
    if (s == nullptr)
        return "null";
    using How = posix::LinuxStart::How;
    const char* how = s->how == How::Program  ? "program"
                      : s->how == How::Opener ? "opener"
                                              : "nothing";
    const bool program = s->how == How::Program;
    return std::string("{\"how\": \"") + how +
           "\", \"program\": " + json_or_null(program ? s->program.path : "") +
           ", \"via\": " + json_or_null(program ? joined(s->program.interpreter, " ") : "") +
           ", \"target\": " + json_or_null(s->how == How::Opener ? s->target : "") +
           ", \"why\": " + json_or_null(s->how == How::Nothing ? s->why : "") + "}";
}

// One line under the item: what a click does on Linux.
std::string start_text(const posix::LinuxStart& s) {
    switch (s.how) {
    case posix::LinuxStart::How::Program:
        return "starts " + s.program.path +
               (s.program.interpreter.empty() ? std::string()
                                              : " through " + joined(s.program.interpreter, " "));
    case posix::LinuxStart::How::Opener:
        return "opens " + s.target + " with the desktop's default application (" + s.idiom +
               " on Windows)";
    case posix::LinuxStart::How::Nothing:
        break;
    }
    return "starts nothing: " + s.why;
}

// The user's languages, the sections searched in order (the localized ones the file has, then
// Menu) and the section each key's value came from, in reading order.
void print_language_json(std::ostream& out, const CheckResult& r) {
    const auto list = [&](const std::vector<std::string>& names) {
        std::string text;
        for (const std::string& n : names)
            text += (text.empty() ? "" : ", ") + json_string(n);
        return "[" + text + "]";
    };
    std::vector<std::string> sections = r.facts.sections;
    sections.push_back(settings::kMenuSection);
    out << " \"languages\": " << list(r.languages) << ", \"sections\": " << list(sections)
        << ",\n \"sources\": {";
    for (std::size_t i = 0; i < r.facts.sources.size(); ++i)
        out << (i ? ", " : "") << json_string(r.facts.sources[i].key) << ": "
            << json_string(r.facts.sources[i].section);
    out << "},\n";
}

void print_language_text(std::ostream& out, const CheckResult& r) {
    std::vector<std::string> sections = r.facts.sections;
    sections.push_back(settings::kMenuSection);
    out << "\nLanguages: " << (r.languages.empty() ? "none" : joined(r.languages))
        << " (sections searched: " << joined(sections) << ")";
    for (const std::string& section : r.facts.sections) {
        std::vector<std::string> keys;
        for (const menu::ValueSource& source : r.facts.sources)
            if (source.section == section)
                keys.push_back(source.key);
        if (!keys.empty())
            out << "\nFrom " << section << ": " << joined(keys);
    }
}

} // namespace

std::string linux_start_text(const posix::LinuxStart& start) {
    return start_text(start);
}

std::string linux_start_json(const posix::LinuxStart* start) {
    return start_json(start);
}

void print_json(std::ostream& out, const menu::frmTavikMain& form, const CheckResult& r) {
    const auto& s = r.settings;
    out << "{\"settings_path\": " << json_string(r.facts.SettingsPath)
        << ", \"settings_found\": " << boolean(r.settings_found)
        << ", \"encoding\": " << (r.settings_found ? json_string(r.encoding) : "null")
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
            << ", \"bold\": " << boolean(l.font().bold)
            << ",\n   \"linux_start\": " << start_json(start_of(r, i)) << "}";
    }
    out << "],\n \"accessible\": {\"name\": " << json_string(forms::accessible_name(form))
        << ", \"children\": [";
    const auto elements = forms::accessible_elements(form);
    for (std::size_t i = 0; i < elements.size(); ++i) {
        const forms::AccessibleElement& e = elements[i];
        out << (i ? ",\n  " : "\n  ") << "{\"label\": " << json_string(label_name(e))
            << ", \"role\": " << json_string(forms::role_name(e.role))
            << ", \"name\": " << json_string(e.label->caption())
            << ", \"action\": " << (e.has_action() ? json_string(forms::kActionName) : "null")
            << "}";
    }
    out << "]},\n";
    print_language_json(out, r);
    out << " \"warnings\": [";
    for (std::size_t i = 0; i < r.warnings.size(); ++i)
        out << (i ? ",\n  " : "\n  ") << "{\"key\": " << json_string(r.warnings[i].key)
            << ", \"kind\": " << json_string(r.warnings[i].kind)
            << ", \"message\": " << json_string(r.warnings[i].message) << "}";
    out << "]}\n";
}

void print_text(std::ostream& out, const menu::frmTavikMain& form, const CheckResult& r) {
    const auto& s = r.settings;
    out << "Settings:  " << r.facts.SettingsPath << (r.settings_found ? "" : "  (not found)")
        << (r.settings_found ? "\nEncoding:  " + r.encoding : "");
    print_language_text(out, r);
    out << "\nPicture:   "
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
        if (const posix::LinuxStart* s = start_of(r, i))
            out << "      on Linux: " << start_text(*s) << "\n";
    }
    out << "\nScreen readers: window \"" << forms::accessible_name(form) << "\"\n";
    for (const forms::AccessibleElement& e : forms::accessible_elements(form))
        out << "  " << forms::role_name(e.role) << " \"" << e.label->caption() << "\""
            << (e.has_action() ? "  (" + std::string(forms::kActionName) + ")" : "") << "\n";
    if (r.warnings.empty()) {
        out << "\nNo warnings.\n";
        return;
    }
    out << "\nWarnings:\n";
    for (const Warning& w : r.warnings)
        out << "  " << w.key << ": " << w.message << "\n";
}

} // namespace check
