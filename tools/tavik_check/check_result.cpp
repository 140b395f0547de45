#include "tools/tavik_check/check_result.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/posix/command_line.h"
#include "settings/code_page.h"
#include "settings/ini_cache.h"
#include "settings/path_case.h"
#include "tools/tavik_check/disc_checks.h"
#include "tools/tavik_check/program_lookup.h"

namespace check {
namespace {

std::string kind_name(forms::FailureKind kind) {
    using forms::FailureKind;
    switch (kind) {
    case FailureKind::NoSuchLabel:
        return "no_label";
    case FailureKind::ValueRefused:
        return "value_refused";
    case FailureKind::NotAPicture:
        return "picture_not_loadable";
    case FailureKind::NotNumeric:
        return "not_numeric";
    case FailureKind::NoItemCaption:
        return "no_item_caption";
    case FailureKind::NoDrive:
        return "no_drive";
    case FailureKind::NothingStarted:
        return "nothing_started";
    }
    return "other";
}

std::string describe(const menu::Fallback& f) {
    if (f.kind == forms::FailureKind::NoSuchLabel)
        return "no label left for this item (only Item1 to Item9 have one); ignored";
    return std::string(f.text);
}

// A file that is neither UTF-8 nor ASCII reads as the code page of each machine's language.
Warning language_warning(const std::string& path, unsigned code_page) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        in.open(settings::resolve_case_insensitive(path), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string clean;
    for (const unsigned candidate : settings::kAnsiCodePages)
        if (settings::decodes_cleanly(bytes, candidate))
            clean += (clean.empty() ? "" : ", ") + settings::code_page_name(candidate);
    return Warning{std::filesystem::path(path).filename().string(), "language_dependent_text",
                   "neither UTF-8 nor plain ASCII: read as " + settings::code_page_name(code_page) +
                       ", the code page of this machine's language; Windows and Linux in "
                       "another language show other characters. It decodes cleanly in: " +
                       (clean.empty() ? std::string("none of the ANSI code pages") : clean)};
}

} // namespace

void WarningCollector::fallback(const menu::Fallback& f) {
    const int n = f.item;
    if (n > 0) {
        if (static_cast<std::size_t>(n) >= items_.size())
            items_.resize(static_cast<std::size_t>(n) + 1);
        items_[static_cast<std::size_t>(n)] = true;
    }
    const std::string text = describe(f);
    for (auto it = runs_.rbegin(); it != runs_.rend(); ++it) {
        if (it->kind != f.kind || it->message != text || (n == 0) != (it->first == 0))
            continue;
        if (n == 0 ? it->key == f.key : (n == it->last || n == it->last + 1)) {
            it->last = n;
            return; // the same fallback again, or the next item with it
        }
        break;
    }
    runs_.push_back(Run{n, n, std::string(f.key), f.kind, text});
}

std::vector<Warning> WarningCollector::take() {
    std::vector<Warning> out;
    for (const Run& r : runs_) {
        std::string key = r.key;
        if (r.first != r.last)
            key = "Item" + std::to_string(r.first) + "..Item" + std::to_string(r.last);
        out.push_back(Warning{key, kind_name(r.kind), r.message});
    }
    runs_.clear();
    return out;
}

CheckResult run_check(menu::frmTavikMain& form, Medium medium) {
    WarningCollector collector;
    form.Form_Load(&collector);
    CheckResult result;
    result.facts = form.load_facts();
    result.settings = form.MenuSettings;
    result.languages = form.UserLanguages;
    const auto document = settings::load_ini_file(result.facts.SettingsPath);
    result.settings_found = document != nullptr;
    result.warnings = collector.take();
    if (document) {
        const settings::FileEncoding& encoding = document->encoding();
        result.encoding = settings::encoding_name(encoding);
        if (encoding.form == settings::FileEncoding::Form::AnsiCodePage)
            result.warnings.push_back(
                language_warning(result.facts.SettingsPath, encoding.code_page));
    }

    const int exit_index = form.ExitIndex();
    if (result.facts.count > exit_index)
        result.warnings.push_back(
            Warning{settings::item_key(exit_index + 1), "item_on_exit",
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
                    visible ? "label_past_edge" : "label_outside",
                    visible ? "label reaches past the edge of the window"
                            : "label lies outside the window and cannot be seen or clicked"});
    }
    // What a click does on Linux, decided as the Linux menu decides it.
    const std::string folder = form.platform().executable_folder();
    const std::string root = medium == Medium::FolderIsRoot ? folder : medium_root(folder);
    result.linux_starts.resize(labels.size());
    for (std::size_t i = 0; i < labels.size(); ++i)
        if (static_cast<int>(i) != exit_index && !labels[i].tag().empty())
            result.linux_starts[i] = linux_start(labels[i].tag(), folder, root);
    for (int i = 0; i < std::min<int>(result.facts.count, exit_index); ++i) {
        const auto at = static_cast<std::size_t>(i);
        if (!labels[at].shown())
            continue;
        const std::string key = settings::item_key(i + 1);
        const auto& start = result.linux_starts[at];
        if (!start) {
            if (!collector.reported_item(i + 1)) // a missing item is reported already
                result.warnings.push_back(
                    Warning{key, "no_command", "no command: clicking the item does nothing"});
            continue;
        }
        if (start->how == posix::LinuxStart::How::Nothing)
            result.warnings.push_back(Warning{key, start->kind, start->why});
        else if (auto w = exec_bit_warning(key, posix::split_command_line(labels[at].tag()).program,
                                           *start))
            result.warnings.push_back(std::move(*w));
    }
    if (medium == Medium::HoldingFolder) // tavik-disc writes its autorun.sh 0555 itself
        for (Warning& w : prompt_warnings(folder))
            result.warnings.push_back(std::move(w));
    for (Warning& w : disc_warnings(form, result.facts, folder, root))
        result.warnings.push_back(std::move(w));
    return result;
}

} // namespace check
