// The menu's Win32 window. Every message passes one last guard: nothing unwinds through the
// window system (hit-testing for the cursor measures text, and measuring may fail like
// anything else). The window's state hangs on the window itself (GWLP_USERDATA).
#include "app/win32/window.h"

#include <windowsx.h>

#include <optional>

#include "app/forms/last_guard.h"
#include "app/win32/units.h"

namespace win32_shell {

using forms::last_guard;

namespace {

constexpr wchar_t kClassName[] = L"TavikMenu";
// The menu: a popup with the 3 px dialog frame, no caption, no system menu, no icon, not
// resizable; the tool-window style keeps it off the taskbar. The preview: the same frame
// under a caption with a close box, so the author can move it.
constexpr DWORD kMenuStyle = WS_POPUP | WS_DLGFRAME;
constexpr DWORD kMenuExStyle = WS_EX_TOOLWINDOW;
constexpr DWORD kPreviewStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kPreviewExStyle = 0;
constexpr UINT kDpiChanged = 0x02E0; // WM_DPICHANGED, newer than some SDK headers

// Functions of newer Windows versions, looked up so the program still starts on Windows 7.
template <class Fn> Fn user32_function(const char* name) {
    return reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

unsigned window_dpi(HWND window, unsigned fallback) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto get = user32_function<GetDpiForWindowFn>("GetDpiForWindow");
    const UINT dpi = get != nullptr ? get(window) : 0;
    return dpi > 0 ? dpi : fallback;
}

// The outer rectangle for the designed client area at a DPI, centred on the primary screen.
// The frame and caption are the system's: of the monitor's DPI, or (frame_dpi 0: a window that
// keeps a DPI of its own) of the system's metrics.
RECT centred_window(const forms::Form& form, unsigned dpi, unsigned frame_dpi, DWORD style,
                    DWORD ex_style) {
    RECT r{0, 0, to_px(form.client_width(), dpi), to_px(form.client_height(), dpi)};
    using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjust = user32_function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    if (frame_dpi == 0 || adjust == nullptr || !adjust(&r, style, FALSE, ex_style, frame_dpi))
        AdjustWindowRectEx(&r, style, FALSE, ex_style);
    const int width = r.right - r.left, height = r.bottom - r.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return RECT{x, y, x + width, y + height};
}

} // namespace

unsigned screen_dpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<unsigned>(dpi) : kBaseDpi;
}

// The window procedure and its message handlers, friends of the window.
struct WindowProcedure {
    static forms::Point twips_at(const MenuWindow& w, LPARAM lparam) {
        const unsigned dpi = w.platform_.dpi();
        return forms::Point{to_twips(GET_X_LPARAM(lparam), dpi),
                            to_twips(GET_Y_LPARAM(lparam), dpi)};
    }

    static void mouse_move(MenuWindow& w, LPARAM lparam) {
        const std::int16_t before = w.form_->highlighted_index();
        w.form_->mouse_move(twips_at(w, lparam));
        const std::int16_t after = w.form_->highlighted_index();
        if (after != before && w.accessibility_)
            w.accessibility_->highlight_moved(before, after);
        if (w.hooks_ != nullptr)
            w.hooks_->pointer_moved(twips_at(w, lparam));
    }

    static void button_down(MenuWindow& w, forms::MouseButton button, LPARAM lparam) {
        SetCapture(w.window_); // the release may come outside the window
        w.form_->mouse_down(button, twips_at(w, lparam));
    }

    static void button_up(MenuWindow& w, forms::MouseButton button, WPARAM wparam, LPARAM lparam) {
        constexpr WPARAM kAnyButton =
            MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2;
        if ((wparam & kAnyButton) == 0)
            ReleaseCapture();
        w.form_->mouse_up(button, twips_at(w, lparam));
    }

    static bool set_cursor(MenuWindow& w) {
        POINT p{};
        if (!GetCursorPos(&p) || !ScreenToClient(w.window_, &p))
            return false;
        const unsigned dpi = w.platform_.dpi();
        const forms::Point at{to_twips(p.x, dpi), to_twips(p.y, dpi)};
        SetCursor(w.platform_.cursor(w.form_->cursor_at(at)));
        return true;
    }

    // The window went to a monitor of another DPI (or the monitor's DPI changed): the menu is
    // as if it had started there. Fonts, label boxes (so hit-testing, the cursor and what screen
    // readers locate), the hand cursor and the pictures follow the new DPI; then the window
    // takes the size the system suggests.
    static void dpi_changed(MenuWindow& w, WPARAM wparam, LPARAM lparam) {
        follow_dpi(w.platform_, *w.form_, HIWORD(wparam));
        const RECT* r = reinterpret_cast<const RECT*>(lparam);
        SetWindowPos(w.window_, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        InvalidateRect(w.window_, nullptr, FALSE);
        POINT p{};
        if (GetCursorPos(&p) && WindowFromPoint(p) == w.window_)
            set_cursor(w);
    }

    static void paint(MenuWindow& w) {
        const unsigned dpi = w.platform_.dpi();
        if (w.hooks_ == nullptr)
            w.painter_.paint(w.window_, *w.form_, dpi);
        else
            w.painter_.paint(w.window_, *w.form_, dpi,
                             [&](HDC dc) { w.hooks_->paint_over(dc, dpi); });
    }

    // The messages the window answers; nullopt leaves a message to the default handling.
    static std::optional<LRESULT> handle(MenuWindow& w, UINT message, WPARAM wparam,
                                         LPARAM lparam) {
        using forms::MouseButton;
        switch (message) {
        case WM_PAINT:
            paint(w);
            return 0;
        case WM_ERASEBKGND:
            return 1; // the paint covers every pixel
        case WM_MOUSEMOVE:
            mouse_move(w, lparam);
            return 0;
        case WM_LBUTTONDOWN:
            button_down(w, MouseButton::Left, lparam);
            return 0;
        case WM_RBUTTONDOWN:
            button_down(w, MouseButton::Right, lparam);
            return 0;
        case WM_MBUTTONDOWN:
            button_down(w, MouseButton::Middle, lparam);
            return 0;
        case WM_XBUTTONDOWN:
            button_down(w, MouseButton::Other, lparam);
            return TRUE;
        case WM_LBUTTONUP:
            button_up(w, MouseButton::Left, wparam, lparam);
            return 0;
        case WM_RBUTTONUP:
            button_up(w, MouseButton::Right, wparam, lparam);
            return 0;
        case WM_MBUTTONUP:
            button_up(w, MouseButton::Middle, wparam, lparam);
            return 0;
        case WM_XBUTTONUP:
            button_up(w, MouseButton::Other, wparam, lparam);
            return TRUE;
        case WM_KEYDOWN: // the menu itself has no keys
            if (w.hooks_ == nullptr)
                break;
            w.hooks_->key_pressed(wparam);
            return 0;
        case WM_SETCURSOR:
            if (LOWORD(lparam) == HTCLIENT && set_cursor(w))
                return TRUE;
            break;
        case kDpiChanged:
            if (w.keep_dpi_)
                break;
            dpi_changed(w, wparam, lparam);
            return 0;
        case WM_CLOSE: // closing the only window by any means ends the program
            DestroyWindow(w.window_);
            return 0;
        case WM_ENDSESSION:
            if (wparam != 0)
                w.platform_.quit();
            return 0;
        case WM_GETOBJECT:
            if (w.accessibility_)
                return w.accessibility_->get_object(wparam, lparam);
            break;
        case kAccessibleAction:
            if (w.accessibility_)
                w.accessibility_->run_action(wparam);
            return 0;
        case WM_DESTROY:
            w.accessibility_.reset();
            w.window_ = nullptr;
            PostQuitMessage(0);
            return 0;
        default:
            break;
        }
        return std::nullopt;
    }

    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
        if (message == WM_NCCREATE) {
            auto* w =
                static_cast<MenuWindow*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
            w->window_ = window;
            SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(w));
        }
        auto* w = reinterpret_cast<MenuWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        std::optional<LRESULT> result;
        if (w != nullptr && w->window_ == window)
            last_guard([&] { result = handle(*w, message, wparam, lparam); });
        return result ? *result : DefWindowProcW(window, message, wparam, lparam);
    }
};

MenuWindow::MenuWindow(HINSTANCE instance, Win32Platform& platform, Painter& painter,
                       forms::Form& form, WindowKind kind, WindowHooks* hooks)
    : instance_(instance), platform_(platform), painter_(painter), form_(&form), kind_(kind),
      hooks_(hooks) {}

MenuWindow::~MenuWindow() {
    if (window_ != nullptr) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

bool MenuWindow::open(const wchar_t* title) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProcedure::procedure;
    wc.hInstance = instance_;
    wc.lpszClassName = kClassName;
    if (RegisterClassExW(&wc) == 0)
        return false;
    const bool menu = kind_ == WindowKind::Menu;
    const DWORD style = menu ? kMenuStyle : kPreviewStyle;
    const DWORD ex_style = menu ? kMenuExStyle : kPreviewExStyle;
    const RECT r =
        centred_window(*form_, platform_.dpi(), keep_dpi_ ? 0 : platform_.dpi(), style, ex_style);
    if (CreateWindowExW(ex_style, kClassName, title, style, r.left, r.top, r.right - r.left,
                        r.bottom - r.top, nullptr, nullptr, instance_, this) == nullptr)
        return false;
    platform_.attach(window_);
    accessibility_ = std::make_unique<Accessibility>(window_, *form_, platform_);
    const unsigned dpi = keep_dpi_ ? platform_.dpi() : window_dpi(window_, platform_.dpi());
    if (dpi != platform_.dpi()) { // a monitor whose DPI differs from the system's
        // The load measured and picked pictures at the system's DPI.
        follow_dpi(platform_, *form_, dpi);
        const RECT scaled = centred_window(*form_, dpi, dpi, style, ex_style);
        SetWindowPos(window_, nullptr, scaled.left, scaled.top, scaled.right - scaled.left,
                     scaled.bottom - scaled.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    return true;
}

void MenuWindow::show_form(forms::Form& form) {
    form_ = &form;
    if (window_ == nullptr)
        return;
    accessibility_ = std::make_unique<Accessibility>(window_, form, platform_);
    InvalidateRect(window_, nullptr, FALSE);
}

} // namespace win32_shell
