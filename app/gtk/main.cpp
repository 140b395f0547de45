// setup on Linux: GTK start-up, the window, and the translation of GTK events into the form's
// mouse input; screen readers see it through app/gtk/accessible. No keys, no dialogs, no DPI
// changes (the window is drawn at a fixed 96 DPI).
#include <gtk/gtk.h>

#include <cstdint>

#include "app/forms/last_guard.h"
#include "app/gtk/accessible.h"
#include "app/gtk/paint.h"
#include "app/gtk/platform.h"
#include "app/gtk/units.h"
#include "menu/frm_tavik_main.h"

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

gboolean on_client_draw(GtkWidget*, cairo_t* cr, gpointer data) {
    last_guard([&] { gtk_shell::paint_client(cr, shell_of(data).form); });
    return TRUE;
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
    g_signal_connect(client, "motion-notify-event", G_CALLBACK(on_motion), &shell);
    g_signal_connect(client, "enter-notify-event", G_CALLBACK(on_enter), &shell);
    g_signal_connect(client, "button-press-event", G_CALLBACK(on_press), &shell);
    g_signal_connect(client, "button-release-event", G_CALLBACK(on_release), &shell);
    g_signal_connect_after(window, "draw", G_CALLBACK(on_frame_draw), &shell);
    g_signal_connect(window, "delete-event", G_CALLBACK(on_delete), &shell);
    g_signal_connect(window, "destroy", G_CALLBACK(on_destroy), &shell);
    shell.platform.attach(client);
    return window;
}

int run(const char* program) {
    static Shell shell(program);                // lives until the process ends, as the form must
    last_guard([] { shell.form.Form_Load(); }); // before the window is first shown
    GtkWidget* window = make_window(shell);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // The window class the desktop (and the tests) know the menu by.
    g_set_prgname("setup");
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
