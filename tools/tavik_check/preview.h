// tavik-check --preview: the author's live view of a disc folder. This part is the same on
// both systems: the forms::Platform the previewed form sees (the shell's own text, pictures,
// repaints and cursor; clicks and Exit only print), the load on a fresh form with its report,
// the files to watch, and the overlay's content. preview_posix.cpp (GTK, inotify) and
// preview_win32.cpp (Win32, ReadDirectoryChangesW) give the window, the watch and the loop.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "app/forms/platform.h"
#include "menu/frm_tavik_main.h"
#include "tools/tavik_check/check_result.h"

namespace check {

struct PreviewOptions {
    std::string folder;                 // the disc folder, as the menu's text
    bool json = false;                  // one JSON object a line instead of text
    std::vector<std::string> languages; // the user's, or those of --language
    double scale = 1.0;                 // --scale: device pixels per designed pixel
    bool scale_given = false;           // else the screen's own
};

// A file a load read: its folder and its name (compared ignoring ASCII case, as the menu
// finds names).
struct WatchedFile {
    std::string folder;
    std::string name;
    bool renditions = false; // a picture: NAME@2x.EXT (@3x, ...) beside it counts too
};

// One box of the author's overlay, in client twips, with its text.
struct OverlayBox {
    forms::Rect box;
    std::string text;
};

// The preview's portable half; it is the platform of every form it loads.
class Preview : public forms::Platform {
public:
    Preview(forms::Platform& shell, PreviewOptions options, std::ostream& out);

    // A fresh form and the load on it, its report printed. The form it replaces is handed
    // back, to be dropped once the window shows the new one.
    std::unique_ptr<menu::frmTavikMain> reload();
    menu::frmTavikMain& form() { return *form_; }

    // The settings file and the picture the last load named.
    std::vector<WatchedFile> watched() const;

    bool overlay() const { return overlay_; }
    void toggle_overlay();
    // Every shown label's box, its index (or "title") and its Left,Top in twips.
    std::vector<OverlayBox> overlay_boxes() const;
    void pointer_at(forms::Point at) { pointer_ = at; }
    std::string pointer_text() const;

    // forms::Platform: the shell's services, and clicks that only print.
    forms::Extent measure_text(std::string_view text, const forms::Font& font) override;
    void invalidate(const forms::Rect& area) override { shell_.invalidate(area); }
    double scale() const override { return shell_.scale(); }
    std::shared_ptr<const forms::Picture> load_picture(const std::string& path) override;
    void set_cursor(forms::Cursor cursor) override { shell_.set_cursor(cursor); }
    std::string executable_folder() override { return options_.folder; }
    char path_separator() const override { return shell_.path_separator(); }
    bool change_drive(std::string_view drive) override;
    bool start_program(const std::string& command_line) override;
    void quit() override;

private:
    int clicked_index(const std::string& command) const;

    forms::Platform& shell_;
    PreviewOptions options_;
    std::ostream& out_;
    std::unique_ptr<menu::frmTavikMain> form_;
    CheckResult last_;
    int loads_ = 0;
    std::string drive_; // what the click made current, as the menu asked
    bool overlay_ = false;
    forms::Point pointer_{-1, -1};
};

// True when a changed file's name is one of the watched files of that folder (or, for a
// picture, one of its renditions for other scales).
bool is_watched(const std::vector<WatchedFile>& files, const std::string& folder,
                const std::string& name);

} // namespace check
