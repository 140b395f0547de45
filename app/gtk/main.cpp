// setup on Linux: GTK start-up (X11, or under Wayland the backend that gives the design's
// window on this session), the window, and the translation of GTK events into the form's
// mouse input; screen readers see it through app/gtk/accessible. No keys, no dialogs. The
// window is laid out at 96 DPI and drawn at GDK's scale, with the pictures of that scale.
#include <gtk/gtk.h>
#ifdef GDK_WINDOWING_WAYLAND
#include <gdk/gdkwayland.h>
#include <wayland-client.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/forms/last_guard.h"
#include "app/gtk/accessible.h"
#include "app/gtk/paint.h"
#include "app/gtk/platform.h"
#include "app/gtk/task_list.h"
#include "app/gtk/units.h"
#include "menu/frm_tavik_main.h"
#include "settings/user_languages.h"

namespace {

using forms::last_guard;
using gtk_shell::GtkPlatform;
using gtk_shell::to_twips;

struct Shell {
    explicit Shell(const char* program) : platform(program) {}
    GtkPlatform platform;
    menu::frmTavikMain form{platform};
};

forms::MouseButton button_of(guint button) {
    switch (button) {
    case 1:
        return forms::MouseButton::Left;
    case 2:
        return forms::MouseButton::Middle;
    case 3:
        return forms::MouseButton::Right;
    default:
        return forms::MouseButton::Other;
    }
}

Shell& shell_of(gpointer data) {
    return *static_cast<Shell*>(data);
}

gboolean on_client_draw(GtkWidget* client, cairo_t* cr, gpointer data) {
    last_guard([&] {
        gtk_shell::paint_client(cr, shell_of(data).form, gtk_widget_get_scale_factor(client));
    });
    return TRUE;
}

// The window went to a screen of another scale: the pictures of that scale from now on.
void on_scale_factor(GtkWidget* client, GParamSpec*, gpointer data) {
    last_guard([&] {
        Shell& shell = shell_of(data);
        const int scale = gtk_widget_get_scale_factor(client);
        if (scale == static_cast<int>(shell.platform.scale()))
            return;
        shell.platform.set_scale(scale);
        shell.form.scale_changed();
    });
}

gboolean on_frame_draw(GtkWidget* window, cairo_t* cr, gpointer) {
    last_guard([&] {
        gtk_shell::paint_frame(
            cr, {gtk_widget_get_allocated_width(window), gtk_widget_get_allocated_height(window)});
    });
    return FALSE;
}

// A move over the client; a reader that has seen the items hears of a new highlight.
void move_to(GtkWidget* client, Shell& shell, double x, double y) {
    const std::int16_t before = shell.form.highlighted_index();
    shell.form.mouse_move(to_twips(x, y));
    gtk_shell::notify_highlight(client, before, shell.form.highlighted_index());
}

gboolean on_motion(GtkWidget* client, GdkEventMotion* event, gpointer data) {
    last_guard([&] { move_to(client, shell_of(data), event->x, event->y); });
    return TRUE;
}

// Entering is a move to the entry point; leaving changes nothing (the highlight stays).
gboolean on_enter(GtkWidget* client, GdkEventCrossing* event, gpointer data) {
    last_guard([&] { move_to(client, shell_of(data), event->x, event->y); });
    return FALSE;
}

gboolean on_press(GtkWidget*, GdkEventButton* event, gpointer data) {
    last_guard([&] {
        // GTK adds a 2BUTTON_PRESS after the second press of a double click: not a new press.
        if (event->type == GDK_BUTTON_PRESS)
            shell_of(data).form.mouse_down(button_of(event->button), to_twips(event->x, event->y));
    });
    return TRUE;
}

gboolean on_release(GtkWidget*, GdkEventButton* event, gpointer data) {
    last_guard([&] {
        shell_of(data).form.mouse_up(button_of(event->button), to_twips(event->x, event->y));
    });
    return TRUE;
}

// No other window: closing this one by any means ends the program.
gboolean on_delete(GtkWidget*, GdkEvent*, gpointer) {
    last_guard([] { gtk_main_quit(); });
    return TRUE;
}

void on_destroy(GtkWidget*, gpointer) {
    last_guard([] { gtk_main_quit(); });
}

#ifdef GDK_WINDOWING_WAYLAND
// Native Wayland only. GTK asks KWin and wlroots compositors for a title bar of theirs on an
// undecorated window; the frame is ours. mutter has no placement request, but it centres a
// dialog without a parent on the monitor, where it puts an ordinary window in the first free
// corner: the modal hint makes the menu such a dialog (of its own single window, so no input
// is held back from anything). KWin takes it off the task list and the switcher.
void on_realize(GtkWidget* window, gpointer) {
    last_guard([&] {
        GdkWindow* w = gtk_widget_get_window(window);
        if (w == nullptr || !GDK_IS_WAYLAND_WINDOW(w))
            return;
        gdk_wayland_window_announce_csd(w);
        gdk_window_set_modal_hint(w, TRUE);
        gtk_shell::leave_task_list(w);
    });
}
#endif

GtkWidget* make_window(Shell& shell) {
    GtkWidget* window = gtk_shell::accessible_window_new(shell.form);
    GtkWindow* w = GTK_WINDOW(window);
    gtk_window_set_title(w, "");
    gtk_window_set_decorated(w, FALSE);
    gtk_window_set_resizable(w, FALSE);
    gtk_window_set_skip_taskbar_hint(w, TRUE);
    gtk_window_set_skip_pager_hint(w, TRUE);
    gtk_window_set_position(w, GTK_WIN_POS_CENTER);
    gtk_container_set_border_width(GTK_CONTAINER(window), gtk_shell::kFramePx);

    GtkWidget* client = gtk_shell::accessible_client_new(shell.form);
    const gtk_shell::PixelSize size = gtk_shell::client_size_px(shell.form);
    gtk_widget_set_size_request(client, size.width, size.height);
    gtk_widget_add_events(client, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK |
                                      GDK_BUTTON_RELEASE_MASK | GDK_ENTER_NOTIFY_MASK |
                                      GDK_LEAVE_NOTIFY_MASK);
    gtk_container_add(GTK_CONTAINER(window), client);

    g_signal_connect(client, "draw", G_CALLBACK(on_client_draw), &shell);
    g_signal_connect(client, "notify::scale-factor", G_CALLBACK(on_scale_factor), &shell);
    g_signal_connect(client, "motion-notify-event", G_CALLBACK(on_motion), &shell);
    g_signal_connect(client, "enter-notify-event", G_CALLBACK(on_enter), &shell);
    g_signal_connect(client, "button-press-event", G_CALLBACK(on_press), &shell);
    g_signal_connect(client, "button-release-event", G_CALLBACK(on_release), &shell);
    g_signal_connect_after(window, "draw", G_CALLBACK(on_frame_draw), &shell);
    g_signal_connect(window, "delete-event", G_CALLBACK(on_delete), &shell);
    g_signal_connect(window, "destroy", G_CALLBACK(on_destroy), &shell);
#ifdef GDK_WINDOWING_WAYLAND
    g_signal_connect_after(window, "realize", G_CALLBACK(on_realize), nullptr);
#endif
    shell.platform.attach(client);
    return window;
}

// GDK's scale of the screen the window opens on (centred: the primary one), for the load.
int opening_scale() {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = display != nullptr ? gdk_display_get_primary_monitor(display) : nullptr;
    if (monitor == nullptr && display != nullptr)
        monitor = gdk_display_get_monitor(display, 0);
    return monitor != nullptr ? gdk_monitor_get_scale_factor(monitor) : 1;
}

int run(const char* program) {
    static Shell shell(program); // lives until the process ends, as the form must
    shell.platform.set_scale(opening_scale());
    last_guard([] {
        shell.form.UserLanguages = settings::user_languages();
        shell.form.Form_Load(); // before the window is first shown
    });
    GtkWidget* window = make_window(shell);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}

#ifdef GDK_WINDOWING_WAYLAND
// The largest scale of the compositor's outputs (0 when no compositor answers), and whether it
// offers org_kde_plasma_shell.
void on_output_scale(void* data, wl_output*, std::int32_t factor) {
    int& largest = *static_cast<int*>(data);
    largest = std::max(largest, static_cast<int>(factor));
}

const wl_output_listener& output_listener() {
    static const wl_output_listener listener = [] {
        wl_output_listener l{};
        l.geometry = [](void*, wl_output*, std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                        std::int32_t, const char*, const char*, std::int32_t) {};
        l.mode = [](void*, wl_output*, std::uint32_t, std::int32_t, std::int32_t, std::int32_t) {};
        l.done = [](void*, wl_output*) {};
        l.scale = on_output_scale;
        return l;
    }();
    return listener;
}

struct OutputScan {
    int largest_scale = 0;
    bool plasma_shell = false; // KWin's: the task list and the switcher can be left natively
    std::vector<wl_output*> outputs;
};

void on_global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
               std::uint32_t version) {
    auto& scan = *static_cast<OutputScan*>(data);
    if (std::strcmp(interface, "org_kde_plasma_shell") == 0)
        scan.plasma_shell = true;
    if (std::strcmp(interface, wl_output_interface.name) != 0 || version < 2)
        return;
    auto* output =
        static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 2));
    wl_output_add_listener(output, &output_listener(), &scan.largest_scale);
    scan.outputs.push_back(output);
}

OutputScan scan_outputs() {
    OutputScan scan;
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr)
        return scan;
    wl_registry_listener listener{};
    listener.global = on_global;
    listener.global_remove = [](void*, wl_registry*, std::uint32_t) {};
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &listener, &scan);
    // The first round trip announces the outputs, the second their scales.
    if (wl_display_roundtrip(display) < 0 || wl_display_roundtrip(display) < 0)
        scan.largest_scale = 0;
    else
        scan.largest_scale = std::max(scan.largest_scale, 1);
    for (wl_output* output : scan.outputs)
        wl_output_destroy(output);
    scan.outputs.clear();
    wl_registry_destroy(registry);
    wl_display_disconnect(display);
    return scan;
}
#endif

// Under Wayland with XWayland at hand, the X11 backend gets what no Wayland protocol gives an
// ordinary client of mutter: a position of its own and the skip-taskbar hint. XWayland draws at
// scale 1 though, and a scaled output then shows the window enlarged and blurred (or half its
// size): there native Wayland keeps it sharp. KWin centres the window and offers
// org_kde_plasma_shell (off the task list and the switcher, which X11 hints leave it in): native
// at every scale. A backend the user chose stays.
void choose_backend() {
#ifdef GDK_WINDOWING_WAYLAND
    const char* chosen = std::getenv("GDK_BACKEND");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* x11 = std::getenv("DISPLAY");
    if ((chosen != nullptr && *chosen != '\0') || wayland == nullptr || *wayland == '\0' ||
        x11 == nullptr || *x11 == '\0')
        return;
    const OutputScan scan = scan_outputs();
    if (scan.largest_scale == 1 && !scan.plasma_shell)
        gdk_set_allowed_backends("x11,wayland");
#endif
}

} // namespace

int main(int argc, char** argv) {
    // The window class the desktop (and the tests) know the menu by.
    g_set_prgname("setup");
    choose_backend();
    // One thread for the whole run: GTK, pango, fontconfig and gdk-pixbuf are first touched
    // after gtk_init_check, which also sets the locale. Their type and font caches may not be
    // filled from a second thread while GTK starts.
    if (!gtk_init_check(&argc, &argv))
        return 1;
    int code = 1;
    const char* program = argc > 0 ? argv[0] : nullptr;
    last_guard([&] { code = run(program); });
    return code;
}
