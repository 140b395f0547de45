// The menu's GTK window. Every callback passes one last guard: nothing unwinds into GTK.
#include "app/gtk/window.h"

#ifdef GDK_WINDOWING_WAYLAND
#include <gdk/gdkwayland.h>
#endif

#include <cstdint>

#include "app/forms/last_guard.h"
#include "app/gtk/accessible.h"
#include "app/gtk/paint.h"
#include "app/gtk/task_list.h"
#include "app/gtk/units.h"

namespace gtk_shell {

using forms::last_guard;

// The GTK callbacks, friends of the window: `data` is the MenuWindow.
struct WindowEvents {
    static MenuWindow& of(gpointer data) { return *static_cast<MenuWindow*>(data); }

    static forms::MouseButton button_of(guint button) {
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

    static gboolean client_draw(GtkWidget* client, cairo_t* cr, gpointer data) {
        last_guard([&] {
            MenuWindow& w = of(data);
            paint_client(cr, *w.form_, gtk_widget_get_scale_factor(client));
            if (w.hooks_ != nullptr)
                w.hooks_->paint_over(cr);
        });
        return TRUE;
    }

    // The window went to a screen of another scale: the pictures of that scale from now on.
    static void scale_factor(GtkWidget* client, GParamSpec*, gpointer data) {
        last_guard([&] {
            MenuWindow& w = of(data);
            const int scale = gtk_widget_get_scale_factor(client);
            if (scale == static_cast<int>(w.platform_.scale()))
                return;
            w.platform_.set_scale(scale);
            w.form_->scale_changed();
        });
    }

    static gboolean frame_draw(GtkWidget* window, cairo_t* cr, gpointer) {
        last_guard([&] {
            paint_frame(cr, {gtk_widget_get_allocated_width(window),
                             gtk_widget_get_allocated_height(window)});
        });
        return FALSE;
    }

    // A move over the client; a reader that has seen the items hears of a new highlight.
    static void move_to(MenuWindow& w, double x, double y) {
        const std::int16_t before = w.form_->highlighted_index();
        w.form_->mouse_move(to_twips(x, y));
        notify_highlight(w.client_, before, w.form_->highlighted_index());
        if (w.hooks_ != nullptr)
            w.hooks_->pointer_moved(to_twips(x, y));
    }

    static gboolean motion(GtkWidget*, GdkEventMotion* event, gpointer data) {
        last_guard([&] { move_to(of(data), event->x, event->y); });
        return TRUE;
    }

    // Entering is a move to the entry point; leaving changes nothing (the highlight stays).
    static gboolean enter(GtkWidget*, GdkEventCrossing* event, gpointer data) {
        last_guard([&] { move_to(of(data), event->x, event->y); });
        return FALSE;
    }

    static gboolean press(GtkWidget*, GdkEventButton* event, gpointer data) {
        last_guard([&] {
            // GTK adds a 2BUTTON_PRESS after the second press of a double click: not a press.
            if (event->type == GDK_BUTTON_PRESS)
                of(data).form_->mouse_down(button_of(event->button), to_twips(event->x, event->y));
        });
        return TRUE;
    }

    static gboolean release(GtkWidget*, GdkEventButton* event, gpointer data) {
        last_guard([&] {
            of(data).form_->mouse_up(button_of(event->button), to_twips(event->x, event->y));
        });
        return TRUE;
    }

    static gboolean key_press(GtkWidget*, GdkEventKey* event, gpointer data) {
        last_guard([&] {
            if (MenuWindow& w = of(data); w.hooks_ != nullptr)
                w.hooks_->key_pressed(event->keyval);
        });
        return TRUE;
    }

    // No other window: closing this one by any means ends the program.
    static gboolean delete_event(GtkWidget*, GdkEvent*, gpointer) {
        last_guard([] { gtk_main_quit(); });
        return TRUE;
    }

    static void destroy(GtkWidget*, gpointer) {
        last_guard([] { gtk_main_quit(); });
    }

#ifdef GDK_WINDOWING_WAYLAND
    // Native Wayland only. GTK asks KWin and wlroots compositors for a title bar of theirs on
    // an undecorated window; the frame is ours. mutter has no placement request, but it
    // centres a dialog without a parent on the monitor, where it puts an ordinary window in
    // the first free corner: the modal hint makes the menu such a dialog (of its own single
    // window, so no input is held back from anything).
    static void realize(GtkWidget* window, gpointer) {
        last_guard([&] {
            GdkWindow* w = gtk_widget_get_window(window);
            if (w == nullptr || !GDK_IS_WAYLAND_WINDOW(w))
                return;
            gdk_wayland_window_announce_csd(w);
            gdk_window_set_modal_hint(w, TRUE);
            leave_task_list(w);
        });
    }
#endif
};

MenuWindow::MenuWindow(GtkPlatform& platform, forms::Form& form, WindowKind kind,
                       WindowHooks* hooks)
    : platform_(platform), form_(&form), hooks_(hooks) {
    window_ = accessible_window_new(form);
    GtkWindow* w = GTK_WINDOW(window_);
    const bool menu = kind == WindowKind::Menu;
    gtk_window_set_title(w, "");
    gtk_window_set_decorated(w, menu ? FALSE : TRUE);
    gtk_window_set_resizable(w, FALSE);
    gtk_window_set_skip_taskbar_hint(w, menu ? TRUE : FALSE);
    gtk_window_set_skip_pager_hint(w, menu ? TRUE : FALSE);
    gtk_window_set_position(w, GTK_WIN_POS_CENTER);
    gtk_container_set_border_width(GTK_CONTAINER(window_), kFramePx);

    client_ = accessible_client_new(form);
    const PixelSize size = client_size_px(form);
    gtk_widget_set_size_request(client_, size.width, size.height);
    gtk_widget_add_events(client_, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK |
                                       GDK_BUTTON_RELEASE_MASK | GDK_ENTER_NOTIFY_MASK |
                                       GDK_LEAVE_NOTIFY_MASK);
    gtk_container_add(GTK_CONTAINER(window_), client_);

    g_signal_connect(client_, "draw", G_CALLBACK(WindowEvents::client_draw), this);
    g_signal_connect(client_, "notify::scale-factor", G_CALLBACK(WindowEvents::scale_factor), this);
    g_signal_connect(client_, "motion-notify-event", G_CALLBACK(WindowEvents::motion), this);
    g_signal_connect(client_, "enter-notify-event", G_CALLBACK(WindowEvents::enter), this);
    g_signal_connect(client_, "button-press-event", G_CALLBACK(WindowEvents::press), this);
    g_signal_connect(client_, "button-release-event", G_CALLBACK(WindowEvents::release), this);
    g_signal_connect_after(window_, "draw", G_CALLBACK(WindowEvents::frame_draw), this);
    g_signal_connect(window_, "delete-event", G_CALLBACK(WindowEvents::delete_event), this);
    g_signal_connect(window_, "destroy", G_CALLBACK(WindowEvents::destroy), this);
    if (hooks_ != nullptr) // the menu itself handles no keys
        g_signal_connect(window_, "key-press-event", G_CALLBACK(WindowEvents::key_press), this);
#ifdef GDK_WINDOWING_WAYLAND
    if (menu)
        g_signal_connect_after(window_, "realize", G_CALLBACK(WindowEvents::realize), nullptr);
#endif
    platform_.attach(client_);
}

void MenuWindow::show_form(forms::Form& form) {
    form_ = &form;
    accessible_show_form(window_, client_, form);
    // A fresh form has seen no pointer yet: the arrow it assumes, until the next move.
    platform_.set_cursor(forms::Cursor::Arrow);
    gtk_widget_queue_draw(client_);
}

int opening_scale() {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = display != nullptr ? gdk_display_get_primary_monitor(display) : nullptr;
    if (monitor == nullptr && display != nullptr)
        monitor = gdk_display_get_monitor(display, 0);
    return monitor != nullptr ? gdk_monitor_get_scale_factor(monitor) : 1;
}

void MenuWindow::set_title(const char* title) {
    gtk_window_set_title(GTK_WINDOW(window_), title);
}

} // namespace gtk_shell
