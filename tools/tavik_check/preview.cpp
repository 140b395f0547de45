#include "tools/tavik_check/preview.h"

#include <algorithm>
#include <sstream>

#include "settings/ascii_case.h"
#include "settings/ini_cache.h"
#include "settings/menu_settings.h"
#include "settings/path_case.h"
#include "tools/tavik_check/headless_platform.h"
#include "tools/tavik_check/json_writer.h"
#include "tools/tavik_check/output.h"
#include "tools/tavik_check/program_lookup.h"

namespace check {
namespace {

// The report as one line: the JSON printer breaks lines only between values (strings escape
// their own line breaks).
std::string one_line(const std::string& json) {
    std::string line;
    line.reserve(json.size());
    for (const char c : json)
        if (c != '\n')
            line += c;
    return line;
}

WatchedFile split_path(std::string path, char separator) {
    if (separator == '/')
        std::replace(path.begin(), path.end(), '\\', '/'); // as the Linux menu reads it
    const std::size_t cut = path.find_last_of(separator == '/' ? "/" : "/\\");
    if (cut == std::string::npos)
        return {".", path};
    std::string folder = path.substr(0, cut == 0 ? 1 : cut);
    if (folder.size() == 2 && folder[1] == ':')
        folder += '\\'; // "D:" alone is the drive's current folder, not its root
    return {settings::resolve_case_insensitive(folder), path.substr(cut + 1)};
}

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

} // namespace

// NAME@Nx.EXT for the picture NAME.EXT, N one or more digits: the rendition a screen of that
// scale draws instead, so a save of it changes what the window shows there.
bool is_rendition(const std::string& picture, const std::string& name) {
    const std::size_t dot = picture.find_last_of('.');
    const std::string stem = picture.substr(0, dot),
                      ext = dot == std::string::npos ? std::string() : picture.substr(dot);
    if (name.size() < stem.size() + ext.size() + 3)
        return false;
    const std::string middle = name.substr(stem.size(), name.size() - stem.size() - ext.size());
    const bool digits = middle.size() >= 3 && middle.front() == '@' &&
                        (middle.back() == 'x' || middle.back() == 'X') &&
                        std::all_of(middle.begin() + 1, middle.end() - 1,
                                    [](char c) { return c >= '0' && c <= '9'; });
    return digits && settings::equal_ignoring_ascii_case(name.substr(0, stem.size()), stem) &&
           settings::equal_ignoring_ascii_case(name.substr(name.size() - ext.size()), ext);
}

bool is_watched(const std::vector<WatchedFile>& files, const std::string& folder,
                const std::string& name) {
    return std::any_of(files.begin(), files.end(), [&](const WatchedFile& f) {
        return f.folder == folder && (settings::equal_ignoring_ascii_case(f.name, name) ||
                                      (f.renditions && is_rendition(f.name, name)));
    });
}

Preview::Preview(forms::Platform& shell, PreviewOptions options, std::ostream& out)
    : shell_(shell), options_(std::move(options)), out_(out),
      form_(std::make_unique<menu::frmTavikMain>(*this)) {}

std::unique_ptr<menu::frmTavikMain> Preview::reload() {
    settings::forget_ini_files(); // a rewrite may keep the size and the time stamp
    auto fresh = std::make_unique<menu::frmTavikMain>(*this);
    fresh->UserLanguages = options_.languages;
    last_ = run_check(*fresh);
    ++loads_;
    if (options_.json) {
        std::ostringstream json;
        print_json(json, *fresh, last_);
        out_ << one_line(json.str()) << "\n";
    } else {
        out_ << "=== Load " << loads_ << " ===\n";
        print_text(out_, *fresh, last_);
        out_ << "\n";
    }
    out_.flush();
    std::swap(form_, fresh);
    return fresh;
}

std::vector<WatchedFile> Preview::watched() const {
    std::vector<WatchedFile> files{{options_.folder, settings::kSettingsFileName}};
    if (!last_.facts.picture_value.empty()) {
        files.push_back(split_path(last_.facts.picture_path, shell_.path_separator()));
        files.back().renditions = true;
    }
    return files;
}

void Preview::toggle_overlay() {
    overlay_ = !overlay_;
    if (options_.json)
        out_ << "{\"overlay\": " << (overlay_ ? "true" : "false") << "}\n";
    else
        out_ << "Overlay " << (overlay_ ? "on" : "off") << "\n";
    out_.flush();
    shell_.invalidate({0, 0, form_->client_width(), form_->client_height()});
}

std::vector<OverlayBox> Preview::overlay_boxes() const {
    std::vector<OverlayBox> boxes;
    for (const forms::StackedLabel& layer : form_->stacking()) {
        const forms::Label& l = *layer.label;
        if (!l.shown())
            continue;
        std::ostringstream text;
        if (layer.target == forms::Hit::Target::Plain)
            text << "title";
        else
            text << layer.index;
        text << "  " << l.left() << "," << l.top();
        boxes.push_back({l.box(), text.str()});
    }
    return boxes;
}

std::string Preview::pointer_text() const {
    if (pointer_.x < 0 || pointer_.y < 0)
        return "pointer: outside";
    std::ostringstream text;
    text << "pointer " << pointer_.x << ", " << pointer_.y << " twips";
    return text.str();
}

forms::Extent Preview::measure_text(std::string_view text, const forms::Font& font) {
    return shell_.measure_text(text, font);
}

std::shared_ptr<const forms::Picture> Preview::load_picture(const std::string& path) {
    return shell_.load_picture(path);
}

bool Preview::change_drive(std::string_view drive) {
    drive_ = std::string(drive);
    return true; // nothing changes here; the click's report says what Windows would do
}

int Preview::clicked_index(const std::string& command) const {
    const std::int16_t hovered = form_->HighlightedIndex;
    const auto& labels = form_->label_array().all();
    if (hovered >= 0 && labels[static_cast<std::size_t>(hovered)].tag() == command)
        return hovered;
    for (std::size_t i = 0; i < labels.size(); ++i)
        if (labels[i].shown() && labels[i].tag() == command)
            return static_cast<int>(i);
    return -1;
}

bool Preview::start_program(const std::string& command_line) {
    const int index = clicked_index(command_line);
    const std::string key = settings::item_key(index + 1);
    const std::string caption =
        index >= 0 ? form_->label_array().all()[static_cast<std::size_t>(index)].caption() : "";

    // Windows: the folder's drive made current, then the command line as it stands.
    const char letter = drive_.empty() ? '\0' : drive_[0];
    const bool windows_drive = shell_.path_separator() == '/' || (letter >= 'A' && letter <= 'Z') ||
                               (letter >= 'a' && letter <= 'z');
    std::string windows;
    if (command_line.empty())
        windows = "starts nothing: the command is empty";
    else if (!windows_drive)
        windows = "starts nothing: the folder " + options_.folder + " names no drive";
    else
        windows = (shell_.path_separator() == '/' ? std::string("the disc's drive")
                                                  : std::string(1, letter) + ":") +
                  " made current, the line started as it stands (CreateProcess)";

    // Linux: what the check reports for the item (the click's own decision), or for a label the
    // load did not fill, the same decision on its command.
    const bool reported_start = index >= 0 &&
                                static_cast<std::size_t>(index) < last_.linux_starts.size() &&
                                last_.linux_starts[static_cast<std::size_t>(index)].has_value();
    const posix::LinuxStart start =
        reported_start ? *last_.linux_starts[static_cast<std::size_t>(index)]
                       : linux_start(command_line, options_.folder, medium_root(options_.folder));
    std::vector<const Warning*> reported;
    for (const Warning& w : last_.warnings)
        if (w.key == key)
            reported.push_back(&w);
    const std::string linux = linux_start_text(start);

    if (options_.json) {
        out_ << "{\"click\": {\"index\": " << index
             << ", \"caption\": " << json_string(text_as_utf8(caption))
             << ", \"command\": " << json_string(text_as_utf8(command_line))
             << ", \"started\": false, \"windows\": " << json_string(text_as_utf8(windows))
             << ", \"linux_start\": " << linux_start_json(&start) << ", \"warnings\": [";
        for (std::size_t i = 0; i < reported.size(); ++i)
            out_ << (i ? ", " : "") << "{\"key\": " << json_string(reported[i]->key)
                 << ", \"kind\": " << json_string(reported[i]->kind)
                 << ", \"message\": " << json_string(text_as_utf8(reported[i]->message)) << "}";
        out_ << "]}}\n";
    } else {
        out_ << "Click on [" << index << "] " << quoted(caption)
             << ": nothing started (preview)\n  Command line: " << command_line
             << "\n  Windows:      " << windows << "\n  Linux:        " << linux << "\n";
        for (const Warning* w : reported)
            out_ << "                " << w->kind << ": " << w->message << "\n";
    }
    out_.flush();
    return true; // for the menu the click went through: the highlight stays as it was
}

void Preview::quit() {
    const int exit_index = form_->ExitIndex();
    const std::string caption =
        form_->label_array().all()[static_cast<std::size_t>(exit_index)].caption();
    if (options_.json)
        out_ << "{\"click\": {\"index\": " << exit_index
             << ", \"caption\": " << json_string(text_as_utf8(caption))
             << ", \"exit\": true, \"started\": false}}\n";
    else
        out_ << "Click on [" << exit_index << "] " << quoted(caption)
             << ": would end the menu (the preview goes on)\n";
    out_.flush();
}

} // namespace check
