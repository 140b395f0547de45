#include "app/gtk/platform_gtk.h"

#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdlib>

#include "app/gtk/command_line.h"
#include "app/gtk/hand_cursor.h"
#include "app/gtk/pixbuf_picture.h"
#include "app/gtk/program_start.h"
#include "app/gtk/text_layout.h"

namespace gtk_shell {
namespace {

// GLib waits for each started program, so none stays a zombie; the menu never looks at it.
void on_child_exit(GPid pid, gint, gpointer) {
    g_spawn_close_pid(pid);
}

} // namespace

std::string running_executable_folder() {
    char buffer[PATH_MAX + 1];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0)
        return {};
    std::string path(buffer, static_cast<std::size_t>(n));
    const std::size_t cut = path.find_last_of('/');
    if (cut == std::string::npos)
        return {};
    return cut == 0 ? "/" : path.substr(0, cut);
}

GtkPlatform::GtkPlatform() : executable_folder_(running_executable_folder()) {}

forms::Extent GtkPlatform::measure_text(std::string_view text, const forms::Font& font) {
    return gtk_shell::measure_text(text, font);
}

void GtkPlatform::invalidate(const forms::Rect& area) {
    if (client_ == nullptr || area.empty())
        return;
    const double t = forms::kTwipsPerPixel;
    // One pixel of margin: positions are rounded to pixels when painted.
    const double left = std::floor(area.left / t) - 1, top = std::floor(area.top / t) - 1;
    const double right = std::ceil(area.right() / t) + 1, bottom = std::ceil(area.bottom() / t) + 1;
    const double limit = 1 << 20;
    auto clamp = [&](double v) { return static_cast<int>(std::fmax(-limit, std::fmin(limit, v))); };
    gtk_widget_queue_draw_area(client_, clamp(left), clamp(top), clamp(right - left),
                               clamp(bottom - top));
}

std::shared_ptr<const forms::Picture> GtkPlatform::load_picture(const std::string& path) {
    return load_picture_file(path);
}

void GtkPlatform::set_cursor(forms::Cursor cursor) {
    cursor_ = cursor;
    if (client_ == nullptr)
        return;
    GdkWindow* window = gtk_widget_get_window(client_);
    if (window == nullptr)
        return;
    if (cursor == forms::Cursor::Hand) {
        if (!hand_)
            hand_ = make_hand_cursor(gdk_window_get_display(window));
        gdk_window_set_cursor(window, hand_.get());
    } else {
        gdk_window_set_cursor(window, nullptr); // the parent's: the standard arrow
    }
}

bool GtkPlatform::start_program(const std::string& command_line) {
    const CommandLine command = split_command_line(command_line);
    const char* path_variable = std::getenv("PATH");
    const SearchPlaces places{executable_folder_, medium_root(executable_folder_),
                              path_variable != nullptr ? path_variable : ""};
    const auto program = resolve_program(command.program, places);
    if (!program)
        return false;
    const pid_t pid = start_process(*program, command.arguments);
    if (pid <= 0)
        return false;
    g_child_watch_add(pid, on_child_exit, nullptr);
    return true;
}

void GtkPlatform::quit() {
    std::_Exit(EXIT_SUCCESS);
}

} // namespace gtk_shell
