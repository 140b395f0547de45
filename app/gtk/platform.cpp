// The GTK services behind the forms core. Programs are found and started by app/posix; the
// hand cursor comes from the embedded hand.cur, as Win32 loads it from the resources.
#include "app/gtk/platform.h"

#ifdef GDK_WINDOWING_WAYLAND
#include <gdk/gdkwayland.h>
#endif
#include <fcntl.h>
#include <gio/gdesktopappinfo.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdlib>

#include "app/forms/last_guard.h"
#include "app/gtk/picture.h"
#include "app/gtk/text.h"
#include "app/gtk/units.h"
#include "app/posix/linux_start.h"
#include "app/posix/program_path.h"
#include "app/posix/program_start.h"
#include "assets/embedded_assets.h"

namespace gtk_shell {
namespace {

// Where hand.cur's fingertip is.
constexpr int kHandHotX = 12;
constexpr int kHandHotY = 1;
// Positions are rounded to pixels when painted: one pixel of margin around a repaint.
constexpr double kRepaintMargin = 1;

// GLib waits for each started program, so none stays a zombie; the menu never looks at it.
void on_child_exit(GPid pid, gint, gpointer) {
    forms::last_guard([&] { g_spawn_close_pid(pid); });
}

// The embedded hand.cur, hot spot at the fingertip; the theme's hand when it cannot be decoded.
GObjectPtr<GdkCursor> make_hand_cursor(GdkDisplay* display) {
    // gdk-pixbuf's ico loader reads cursor files too.
    const auto image = decode_image(assets::hand_cur(), "ico");
    if (image)
        return GObjectPtr<GdkCursor>(
            gdk_cursor_new_from_pixbuf(display, image.get(), kHandHotX, kHandHotY));
    return GObjectPtr<GdkCursor>(gdk_cursor_new_for_display(display, GDK_HAND2));
}

} // namespace

namespace {

std::string folder_of(const std::string& path) {
    const std::size_t cut = path.find_last_of('/');
    if (cut == std::string::npos)
        return {};
    return cut == 0 ? "/" : path.substr(0, cut);
}

// The dynamic loader's own name (ld-linux-x86-64.so.2, ld-2.31.so, ...).
bool is_dynamic_loader(const std::string& path) {
    const std::string name = path.substr(path.find_last_of('/') + 1);
    return name.rfind("ld-", 0) == 0 && name.find(".so") != std::string::npos;
}

} // namespace

std::string running_executable_folder(const char* program) {
    char buffer[PATH_MAX + 1];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
    if (n <= 0)
        return {};
    const std::string exe(buffer, static_cast<std::size_t>(n));
    // Started as `ld-linux-x86-64.so.2 ./setup` (a medium without exec bits), the process's
    // executable is the loader; the menu's own path is then only in argv[0].
    if (is_dynamic_loader(exe) && program != nullptr) {
        char resolved[PATH_MAX + 1];
        if (::realpath(program, resolved) != nullptr)
            return folder_of(resolved);
    }
    return folder_of(exe);
}

GtkPlatform::GtkPlatform(const char* program)
    : executable_folder_(running_executable_folder(program)) {}

forms::Extent GtkPlatform::measure_text(std::string_view text, const forms::Font& font) {
    return gtk_shell::measure_text(text, font);
}

void GtkPlatform::invalidate(const forms::Rect& area) {
    if (client_ == nullptr || area.empty())
        return;
    const double left = floor_px(area.left) - kRepaintMargin;
    const double top = floor_px(area.top) - kRepaintMargin;
    const double right = ceil_px(area.right()) + kRepaintMargin;
    const double bottom = ceil_px(area.bottom()) + kRepaintMargin;
    const double limit = 1 << 20;
    auto clamp = [&](double v) { return static_cast<int>(std::fmax(-limit, std::fmin(limit, v))); };
    gtk_widget_queue_draw_area(client_, clamp(left), clamp(top), clamp(right - left),
                               clamp(bottom - top));
}

std::shared_ptr<const forms::Picture> GtkPlatform::load_picture(const std::string& path) {
    return load_picture_file(path, scale_);
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

namespace {

// Under Wayland a compositor raises a new window over the active one only with a token from
// the click that asked for it (KWin keeps a window without one below the menu). GTK reads it
// as DESKTOP_STARTUP_ID, other toolkits as XDG_ACTIVATION_TOKEN. Null elsewhere.
gchar* activation_token(GdkAppLaunchContext* context) {
#ifdef GDK_WINDOWING_WAYLAND
    GdkDisplay* display = gdk_display_get_default();
    if (context != nullptr && display != nullptr && GDK_IS_WAYLAND_DISPLAY(display))
        return g_app_launch_context_get_startup_notify_id(G_APP_LAUNCH_CONTEXT(context), nullptr,
                                                          nullptr);
#endif
    (void)context;
    return nullptr;
}

GObjectPtr<GdkAppLaunchContext> launch_context() {
    GdkDisplay* display = gdk_display_get_default();
    return GObjectPtr<GdkAppLaunchContext>(
        display != nullptr ? gdk_display_get_app_launch_context(display) : nullptr);
}

// The started program gets the menu's environment, so the token is in it just for the start.
pid_t start_with_token(const posix::Program& program, const std::vector<std::string>& arguments) {
    const auto context = launch_context();
    gchar* token = activation_token(context.get());
    if (token != nullptr) {
        g_setenv("DESKTOP_STARTUP_ID", token, TRUE);
        g_setenv("XDG_ACTIVATION_TOKEN", token, TRUE);
    }
    const pid_t pid = posix::start_process(program, arguments);
    if (token != nullptr) {
        g_unsetenv("DESKTOP_STARTUP_ID");
        g_unsetenv("XDG_ACTIVATION_TOKEN");
        g_free(token);
    }
    if (pid > 0)
        g_child_watch_add(pid, on_child_exit, nullptr);
    return pid;
}

// As items start: a session of its own, so the application outlives the menu.
void own_session(gpointer) {
    ::setsid();
}

void watch_launched(GDesktopAppInfo*, GPid pid, gpointer) {
    g_child_watch_add(pid, on_child_exit, nullptr);
}

struct Fd {
    int fd;
    explicit Fd(int flags) : fd(::open("/dev/null", flags | O_CLOEXEC)) {}
    ~Fd() {
        if (fd >= 0)
            ::close(fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
};

// The desktop's default application for the target (GIO: the user's mimeapps.list decides),
// launched with the click's launch context; xdg-open only when GIO knows no handler.
bool open_with_desktop(const std::string& target) {
    const bool url = posix::is_url(target);
    GObjectPtr<GFile> file(url ? g_file_new_for_uri(target.c_str())
                               : g_file_new_for_path(target.c_str()));
    GObjectPtr<GAppInfo> app(g_file_query_default_handler(file.get(), nullptr, nullptr));
    if (app && G_IS_DESKTOP_APP_INFO(app.get())) {
        const auto context = launch_context();
        if (gchar* token = activation_token(context.get())) {
            g_app_launch_context_setenv(G_APP_LAUNCH_CONTEXT(context.get()), "DESKTOP_STARTUP_ID",
                                        token);
            g_app_launch_context_setenv(G_APP_LAUNCH_CONTEXT(context.get()), "XDG_ACTIVATION_TOKEN",
                                        token);
            g_free(token);
        }
        gchar* uri = url ? g_strdup(target.c_str()) : g_file_get_uri(file.get());
        GList uris{uri, nullptr, nullptr};
        const Fd in(O_RDONLY), out(O_WRONLY);
        const auto flags =
            static_cast<GSpawnFlags>(G_SPAWN_SEARCH_PATH | G_SPAWN_DO_NOT_REAP_CHILD);
        const gboolean launched = g_desktop_app_info_launch_uris_as_manager_with_fds(
            G_DESKTOP_APP_INFO(app.get()), &uris,
            context ? G_APP_LAUNCH_CONTEXT(context.get()) : nullptr, flags, own_session, nullptr,
            watch_launched, nullptr, in.fd, out.fd, out.fd, nullptr);
        g_free(uri);
        if (launched)
            return true;
    }
    const char* path_variable = std::getenv("PATH");
    const auto opener =
        posix::find_in_path("xdg-open", path_variable != nullptr ? path_variable : "");
    return opener && start_with_token(*opener, {target}) > 0;
}

} // namespace

bool GtkPlatform::start_program(const std::string& command_line) {
    const posix::LinuxStart start = posix::linux_start_here(command_line, executable_folder_,
                                                            posix::medium_root(executable_folder_));
    switch (start.how) {
    case posix::LinuxStart::How::Program:
        return start_with_token(start.program, start.arguments) > 0;
    case posix::LinuxStart::How::Opener:
        return open_with_desktop(start.target);
    case posix::LinuxStart::How::Nothing:
        break;
    }
    return false;
}

void GtkPlatform::quit() {
    std::_Exit(EXIT_SUCCESS);
}

} // namespace gtk_shell
