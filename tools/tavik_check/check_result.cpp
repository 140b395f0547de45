#include "tools/tavik_check/check_result.h"

#include <charconv>
#include <cstdlib>

#include "app/gtk/command_line.h"
#include "settings/ini_cache.h"

namespace check {
namespace {

// The item number of an "ItemN" key, or 0.
int item_number(std::string_view key) {
    if (key.substr(0, 4) != "Item")
        return 0;
    int n = 0;
    const auto r = std::from_chars(key.data() + 4, key.data() + key.size(), n);
    return r.ec == std::errc() && r.ptr == key.data() + key.size() ? n : 0;
}

std::string describe(std::string_view message) {
    if (message == "no such label")
        return "no label left for this item (only Item1 to Item9 have one); ignored";
    return std::string(message);
}

} // namespace

void WarningCollector::fallback(std::string_view key, std::string_view message) {
    const int n = item_number(key);
    if (n > 0)
        items_.insert(n);
    const std::string text = describe(message);
    for (auto it = runs_.rbegin(); it != runs_.rend(); ++it) {
        if (it->message != text || (n == 0) != (it->first == 0))
            continue;
        if (n == 0 ? it->key == key : (n == it->last || n == it->last + 1)) {
            it->last = n;
            return; // the same fallback again, or the next item with it
        }
        break;
    }
    runs_.push_back(Run{n, n, std::string(key), text});
}

std::vector<Warning> WarningCollector::take() {
    std::vector<Warning> out;
    for (const Run& r : runs_) {
        std::string key = r.key;
        if (r.first != r.last)
            key = "Item" + std::to_string(r.first) + "..Item" + std::to_string(r.last);
        out.push_back(Warning{key, r.message});
    }
    runs_.clear();
    return out;
}

CheckResult run_check(menu::frmTavikMain& form) {
    WarningCollector collector;
    form.Form_Load(&collector);
    CheckResult result;
    result.facts = form.load_facts();
    result.settings = form.MenuSettings;
    result.settings_found = settings::load_ini_file(result.facts.SettingsPath) != nullptr;
    result.warnings = collector.take();

    const int exit_index = form.ExitIndex();
    if (result.facts.count > exit_index)
        result.warnings.push_back(
            Warning{settings::item_key(exit_index + 1),
                    "lands on the Exit label: Exit shows this caption in the column, "
                    "and clicking it still ends the menu"});
    const forms::Rect window{0, 0, form.client_width(), form.client_height()};
    const auto& labels = form.label_array().all();
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const forms::Rect& b = labels[i].box();
        if (!labels[i].shown())
            continue;
        const bool inside = b.left >= window.left && b.top >= window.top &&
                            b.right() <= window.right() && b.bottom() <= window.bottom();
        if (inside)
            continue;
        const bool filled = static_cast<int>(i) < result.facts.count;
        const bool visible =
            b.right() > 0 && b.bottom() > 0 && b.left < window.right() && b.top < window.bottom();
        result.warnings.push_back(
            Warning{filled ? settings::item_key(static_cast<int>(i) + 1) : "Exit",
                    visible ? "label reaches past the edge of the window"
                            : "label lies outside the window and cannot be seen or clicked"});
    }
    // Commands are looked for as the Linux menu looks for them.
    const char* path_variable = std::getenv("PATH");
    const std::string folder = form.platform().executable_folder();
    const gtk_shell::SearchPlaces places{folder, gtk_shell::medium_root(folder),
                                         path_variable != nullptr ? path_variable : ""};
    for (int i = 0; i < std::min<int>(result.facts.count, exit_index); ++i) {
        if (!labels[static_cast<std::size_t>(i)].shown())
            continue;
        const std::string key = settings::item_key(i + 1);
        const auto command =
            gtk_shell::split_command_line(labels[static_cast<std::size_t>(i)].tag());
        if (command.program.empty() && collector.reported_item(i + 1))
            continue; // a missing item is reported already
        if (!gtk_shell::resolve_program(command.program, places))
            result.warnings.push_back(
                Warning{key, command.program.empty()
                                 ? "no command: clicking the item does nothing"
                                 : "command whose program cannot be found: " + command.program});
    }
    return result;
}

} // namespace check
