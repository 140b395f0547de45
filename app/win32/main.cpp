// setup.exe: the menu window on Win32. Builds the form and runs its load before the window
// exists, then turns window messages into form calls. No keys, no message boxes, no files.
#include <windows.h>

#include <objbase.h>
#include <windowsx.h>

#include <memory>
#include <optional>

#include "app/forms/last_guard.h"
#include "app/win32/accessible.h"
#include "app/win32/paint.h"
#include "app/win32/platform.h"
#include "app/win32/text.h"
#include "app/win32/units.h"
#include "menu/frm_tavik_main.h"
#include "settings/user_languages.h"

namespace {

using forms::last_guard;

constexpr wchar_t kClassName[] = L"TavikMenu";
// A popup with the 3 px dialog frame: no caption, no system menu, no icon, not resizable.
// The tool-window style keeps it off the taskbar.
constexpr DWORD kStyle = WS_POPUP | WS_DLGFRAME;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;
constexpr UINT kDpiChanged = 0x02E0; // WM_DPICHANGED, newer than some SDK headers

struct Shell {
    win32_shell::FontCache fonts;
    std::unique_ptr<win32_shell::Win32Platform> platform;
    std::unique_ptr<menu::frmTavikMain> form;
    std::unique_ptr<win32_shell::Painter> painter;
    std::unique_ptr<win32_shell::Accessibility> accessibility; // once the window exists
};

Shell* g_shell = nullptr; // the one window's state, for the window procedure

// Functions of newer Windows versions, looked up so the program still starts on Windows 7.
template <class Fn> Fn user32_function(const char* name) {
    return reinterpret_cast<Fn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

unsigned screen_dpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<unsigned>(dpi) : win32_shell::kBaseDpi;
}

unsigned window_dpi(HWND window, unsigned fallback) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto get = user32_function<GetDpiForWindowFn>("GetDpiForWindow");
    const UINT dpi = get != nullptr ? get(window) : 0;
    return dpi > 0 ? dpi : fallback;
}

// The outer rectangle for the designed client area, centred on the primary screen.
RECT centred_window(const forms::Form& form, unsigned dpi) {
    RECT r{0, 0, win32_shell::to_px(form.client_width(), dpi),
           win32_shell::to_px(form.client_height(), dpi)};
    using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjust = user32_function<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    if (adjust == nullptr || !adjust(&r, kStyle, FALSE, kExStyle, dpi))
        AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
    const int width = r.right - r.left, height = r.bottom - r.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    return RECT{x, y, x + width, y + height};
}

forms::Point twips_at(LPARAM lparam) {
    const unsigned dpi = g_shell->platform->dpi();
    return forms::Point{win32_shell::to_twips(GET_X_LPARAM(lparam), dpi),
                        win32_shell::to_twips(GET_Y_LPARAM(lparam), dpi)};
}

void mouse_move(LPARAM lparam) {
    const std::int16_t before = g_shell->form->highlighted_index();
    g_shell->form->mouse_move(twips_at(lparam));
    const std::int16_t after = g_shell->form->highlighted_index();
    if (after != before && g_shell->accessibility)
        g_shell->accessibility->highlight_moved(before, after);
}

void button_down(HWND window, forms::MouseButton button, LPARAM lparam) {
    SetCapture(window); // the release may come outside the window
    g_shell->form->mouse_down(button, twips_at(lparam));
}

void button_up(forms::MouseButton button, WPARAM wparam, LPARAM lparam) {
    constexpr WPARAM kAnyButton = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON | MK_XBUTTON1 | MK_XBUTTON2;
    if ((wparam & kAnyButton) == 0)
        ReleaseCapture();
    g_shell->form->mouse_up(button, twips_at(lparam));
}

bool set_cursor(HWND window) {
    POINT p{};
    if (!GetCursorPos(&p) || !ScreenToClient(window, &p))
        return false;
    const unsigned dpi = g_shell->platform->dpi();
    const forms::Point at{win32_shell::to_twips(p.x, dpi), win32_shell::to_twips(p.y, dpi)};
    SetCursor(g_shell->platform->cursor(g_shell->form->cursor_at(at)));
    return true;
}

// The window went to a monitor of another DPI (or the monitor's DPI changed): the menu is
// as if it had started there. Fonts, label boxes (so hit-testing, the cursor and what screen
// readers locate), the hand cursor and the pictures follow the new DPI; then the window takes
// the size the system suggests.
void dpi_changed(HWND window, WPARAM wparam, LPARAM lparam) {
    win32_shell::follow_dpi(*g_shell->platform, *g_shell->form, HIWORD(wparam));
    const RECT* r = reinterpret_cast<const RECT*>(lparam);
    SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(window, nullptr, FALSE);
    POINT p{};
    if (GetCursorPos(&p) && WindowFromPoint(p) == window)
        set_cursor(window);
}

// The messages the menu answers; nullopt leaves a message to the default handling.
std::optional<LRESULT> handle(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    using forms::MouseButton;
    switch (message) {
    case WM_PAINT:
        g_shell->painter->paint(window, *g_shell->form, g_shell->platform->dpi());
        return 0;
    case WM_ERASEBKGND:
        return 1; // the paint covers every pixel
    case WM_MOUSEMOVE:
        mouse_move(lparam);
        return 0;
    case WM_LBUTTONDOWN:
        button_down(window, MouseButton::Left, lparam);
        return 0;
    case WM_RBUTTONDOWN:
        button_down(window, MouseButton::Right, lparam);
        return 0;
    case WM_MBUTTONDOWN:
        button_down(window, MouseButton::Middle, lparam);
        return 0;
    case WM_XBUTTONDOWN:
        button_down(window, MouseButton::Other, lparam);
        return TRUE;
    case WM_LBUTTONUP:
        button_up(MouseButton::Left, wparam, lparam);
        return 0;
    case WM_RBUTTONUP:
        button_up(MouseButton::Right, wparam, lparam);
        return 0;
    case WM_MBUTTONUP:
        button_up(MouseButton::Middle, wparam, lparam);
        return 0;
    case WM_XBUTTONUP:
        button_up(MouseButton::Other, wparam, lparam);
        return TRUE;
    case WM_SETCURSOR:
        if (LOWORD(lparam) == HTCLIENT && set_cursor(window))
            return TRUE;
        break;
    case kDpiChanged:
        dpi_changed(window, wparam, lparam);
        return 0;
    case WM_CLOSE: // closing the only window by any means ends the program
        DestroyWindow(window);
        return 0;
    case WM_ENDSESSION:
        if (wparam != 0)
            g_shell->platform->quit();
        return 0;
    case WM_GETOBJECT:
        if (g_shell->accessibility)
            return g_shell->accessibility->get_object(wparam, lparam);
        break;
    case win32_shell::kAccessibleAction:
        if (g_shell->accessibility)
            g_shell->accessibility->run_action(wparam);
        return 0;
    case WM_DESTROY:
        g_shell->accessibility.reset();
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return std::nullopt;
}

// Every message passes one guard: nothing unwinds through the window system (hit-testing for
// the cursor measures text, and measuring may fail like anything else).
LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    std::optional<LRESULT> result;
    if (g_shell != nullptr && g_shell->form)
        last_guard([&] { result = handle(window, message, wparam, lparam); });
    return result ? *result : DefWindowProcW(window, message, wparam, lparam);
}

int run(HINSTANCE instance) {
    Shell shell;
    shell.platform =
        std::make_unique<win32_shell::Win32Platform>(instance, shell.fonts, screen_dpi());
    shell.form = std::make_unique<menu::frmTavikMain>(*shell.platform);
    shell.painter = std::make_unique<win32_shell::Painter>(instance, shell.fonts);
    g_shell = &shell;
    struct Unregister {
        ~Unregister() { g_shell = nullptr; }
    } unregister;
    last_guard([&] {
        shell.form->UserLanguages = settings::user_languages();
        shell.form->Form_Load(); // before the window is first shown
    });

    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = window_proc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    if (RegisterClassExW(&wc) == 0)
        return 1;
    const RECT r = centred_window(*shell.form, shell.platform->dpi());
    HWND window =
        CreateWindowExW(kExStyle, kClassName, L"", kStyle, r.left, r.top, r.right - r.left,
                        r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return 1;
    shell.platform->attach(window);
    shell.accessibility =
        std::make_unique<win32_shell::Accessibility>(window, *shell.form, *shell.platform);
    const unsigned dpi = window_dpi(window, shell.platform->dpi());
    if (dpi != shell.platform->dpi()) { // a monitor whose DPI differs from the system's
        // The load measured and picked pictures at the system's DPI.
        win32_shell::follow_dpi(*shell.platform, *shell.form, dpi);
        const RECT scaled = centred_window(*shell.form, dpi);
        SetWindowPos(window, nullptr, scaled.left, scaled.top, scaled.right - scaled.left,
                     scaled.bottom - scaled.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}

// Only DLLs from the system folder, ever: a program named setup.exe is the classic target of
// DLL planting, and the folder it starts from (a download folder, a copied disc) may hold a
// planted version.dll or dwmapi.dll. Looked up, since Windows 7 has it only with KB2533623.
void load_libraries_from_system_folder_only() {
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
    const auto set = reinterpret_cast<SetDefaultDllDirectoriesFn>(reinterpret_cast<void*>(
        kernel32 != nullptr ? GetProcAddress(kernel32, "SetDefaultDllDirectories") : nullptr));
    if (set != nullptr)
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    load_libraries_from_system_folder_only();
    // OLE decodes the settings' picture; a screen reader's calls arrive through this apartment.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int code = 0;
    last_guard([&] { code = run(instance); });
    if (SUCCEEDED(com))
        CoUninitialize();
    return code;
}
