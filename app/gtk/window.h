// The menu's window on GTK: the toplevel with its client drawing area, the paint, and the
// translation of GTK events into the form's mouse input. `setup` makes it as the disc's menu;
// the author's preview (tavik-check --preview) as an ordinary window, whose form each new
// load replaces, with a few hooks of its own. The menu's window has no keys.
#pragma once

#include <gtk/gtk.h>

#include "app/forms/form.h"
#include "app/gtk/platform.h"

namespace gtk_shell {

enum class WindowKind {
    Menu,    // undecorated, off the task list, centred: the disc's menu
    Preview, // decorated and movable, titled, on the task list
};

// What the preview adds to the window; the menu passes none.
class WindowHooks {
public:
    virtual ~WindowHooks() = default;
    virtual void key_pressed(guint keyval) = 0;
    // The pointer over the client, in twips; nullptr-free: called after the form saw the move.
    virtual void pointer_moved(forms::Point at) = 0;
    // Painted over the client, after the form.
    virtual void paint_over(cairo_t* cr) = 0;
};

class MenuWindow {
public:
    // The form and the hooks must outlive the window, or be replaced before they go.
    MenuWindow(GtkPlatform& platform, forms::Form& form, WindowKind kind,
               WindowHooks* hooks = nullptr);
    MenuWindow(const MenuWindow&) = delete;
    MenuWindow& operator=(const MenuWindow&) = delete;

    GtkWidget* window() const { return window_; }
    GtkWidget* client() const { return client_; }
    forms::Form& form() const { return *form_; }

    // A fresh form from a new load: painted, hit-tested and read by screen readers from now on.
    void show_form(forms::Form& form);

    // The window's title (the menu's stays "").
    void set_title(const char* title);

private:
    friend struct WindowEvents;
    GtkPlatform& platform_;
    forms::Form* form_;
    WindowHooks* hooks_;
    GtkWidget* window_ = nullptr;
    GtkWidget* client_ = nullptr;
};

// GDK's scale of the screen the window opens on (centred: the primary one), for the first load.
int opening_scale();

} // namespace gtk_shell
