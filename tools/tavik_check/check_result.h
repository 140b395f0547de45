// Runs the menu's load on a headless form and gathers what the menu never says: each silent
// fallback as a warning, next to the menu it builds.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/posix/linux_start.h"
#include "menu/frm_tavik_main.h"

namespace check {

struct Warning {
    std::string key;
    std::string kind; // what fell back or what the check found, as a stable name
    std::string message;
};

struct CheckResult {
    menu::LoadFacts facts;
    bool settings_found = false;
    std::string encoding; // how the settings file was read ("UTF-8", "windows-936"); "" if none
    settings::MenuSettings settings;
    std::vector<std::string> languages; // the user's, as the load took them
    std::vector<Warning> warnings;
    // Per label: what a click does on Linux; none for a label without a command and for Exit.
    std::vector<std::optional<posix::LinuxStart>> linux_starts;
};

// Collects the load's fallbacks, folding a run of items with the same message into one.
class WarningCollector : public menu::LoadReport {
public:
    void fallback(const menu::Fallback& fallback) override;
    std::vector<Warning> take();
    // Whether a fallback was reported for item `number` (Item<number>).
    bool reported_item(int number) const {
        return number > 0 && static_cast<std::size_t>(number) < items_.size() &&
               items_[static_cast<std::size_t>(number)];
    }

private:
    struct Run {
        int first = 0, last = 0; // item numbers; 0 for a plain key
        std::string key;
        forms::FailureKind kind;
        std::string message;
    };
    std::vector<Run> runs_;
    std::vector<bool> items_; // by item number: a file may name 32767 items
};

// Loads the menu into the form and checks the built menu: items on the Exit label, shown
// labels outside the window, what each item does on Linux (a warning when it starts nothing).
// Where a command that starts with a separator looks: the medium holding the folder (the disc
// as mounted), or the folder itself (an author's folder that becomes a disc's root).
enum class Medium { HoldingFolder, FolderIsRoot };

CheckResult run_check(menu::frmTavikMain& form, Medium medium = Medium::HoldingFolder);

} // namespace check
