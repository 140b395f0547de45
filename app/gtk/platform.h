// forms::Platform for the GTK window: pango metrics, repaint requests on the client widget,
// gdk-pixbuf pictures, the hand cursor, and programs started without a shell (or the Windows
// programs' work done through the desktop's opener, see app/posix/linux_start.h). No drives on
// Linux: a drive change always succeeds and commands find the medium themselves.
#pragma once

#include <gtk/gtk.h>

#include "app/forms/platform.h"
#include "app/gtk/handles.h"

namespace gtk_shell {

class GtkPlatform : public forms::Platform {
public:
    // program: argv[0], the executable's path when the dynamic loader started it.
    explicit GtkPlatform(const char* program);

    // The client widget, once it exists; until then repaints and cursors are not needed.
    void attach(GtkWidget* client) { client_ = client; }
    // GDK's scale of the screen the window is on (whole numbers, as GTK 3 draws).
    void set_scale(int scale) { scale_ = scale > 1 ? scale : 1; }
    double scale() const override { return scale_; }

    forms::Extent measure_text(std::string_view text, const forms::Font& font) override;
    void invalidate(const forms::Rect& area) override;
    std::shared_ptr<const forms::Picture> load_picture(const std::string& path) override;
    void set_cursor(forms::Cursor cursor) override;
    std::string executable_folder() override { return executable_folder_; }
    char path_separator() const override { return '/'; }
    bool change_drive(std::string_view) override { return true; }
    bool start_program(const std::string& command_line) override;
    [[noreturn]] void quit() override;

private:
    GtkWidget* client_ = nullptr;
    int scale_ = 1;
    std::string executable_folder_;
    forms::Cursor cursor_ = forms::Cursor::Arrow;
    GObjectPtr<GdkCursor> hand_;
};

// The folder of the running executable, from /proc/self/exe; "" when unknown.
std::string running_executable_folder(const char* program);

} // namespace gtk_shell
