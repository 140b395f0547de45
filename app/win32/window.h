// The menu's window on Win32: the window class and procedure, the size for the DPI, the paint,
// and the translation of window messages into the form's mouse input. setup.exe makes it as
// the disc's menu; the author's preview (tavik-check.exe --preview) as an ordinary captioned
// window, whose form each new load replaces, with a few hooks of its own. The menu's window
// has no keys.
#pragma once

#include <windows.h>

#include <memory>

#include "app/forms/form.h"
#include "app/win32/accessible.h"
#include "app/win32/paint.h"
#include "app/win32/platform.h"

namespace win32_shell {

// The primary screen's DPI, where a window opens before it knows its monitor.
unsigned screen_dpi();

enum class WindowKind {
    Menu,    // a popup with the dialog frame, no caption, off the taskbar: the disc's menu
    Preview, // captioned and movable, with a close box, on the taskbar
};

// What the preview adds to the window; the menu passes none.
class WindowHooks {
public:
    virtual ~WindowHooks() = default;
    virtual void key_pressed(WPARAM virtual_key) = 0;
    // The pointer over the client, in twips, after the form saw the move.
    virtual void pointer_moved(forms::Point at) = 0;
    // Painted over the client into the paint's buffer, after the form.
    virtual void paint_over(HDC dc, unsigned dpi) = 0;
};

class MenuWindow {
public:
    // The platform, painter, form and hooks must outlive the window (or the form be replaced).
    MenuWindow(HINSTANCE instance, Win32Platform& platform, Painter& painter, forms::Form& form,
               WindowKind kind, WindowHooks* hooks = nullptr);
    ~MenuWindow();
    MenuWindow(const MenuWindow&) = delete;
    MenuWindow& operator=(const MenuWindow&) = delete;

    // Makes the window, centred on the primary screen, sized for its monitor's DPI, and shows
    // it. false when the system makes none.
    bool open(const wchar_t* title);
    // Keeps the platform's DPI whatever the monitor's (the preview's --scale); before open().
    void keep_dpi() { keep_dpi_ = true; }
    HWND window() const { return window_; }

    // A fresh form from a new load: painted, hit-tested and read by screen readers from now on.
    void show_form(forms::Form& form);

private:
    friend struct WindowProcedure;
    HINSTANCE instance_;
    Win32Platform& platform_;
    Painter& painter_;
    forms::Form* form_;
    WindowKind kind_;
    WindowHooks* hooks_;
    bool keep_dpi_ = false;
    HWND window_ = nullptr;
    std::unique_ptr<Accessibility> accessibility_; // once the window exists
};

} // namespace win32_shell
