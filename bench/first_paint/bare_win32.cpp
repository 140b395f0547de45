// The yardstick for setup.exe's start-up: a Win32 window with the menu's styles (popup, 3 px
// dialog frame, tool window, 497x374 client, centred) whose WM_PAINT fills one colour.
#include <windows.h>

#include <cstdlib>

namespace {

constexpr wchar_t kClassName[] = L"TavikBareWindow";
constexpr DWORD kStyle = WS_POPUP | WS_DLGFRAME;
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW;
constexpr int kClientWidth = 497;
constexpr int kClientHeight = 374;

COLORREF g_colour = RGB(0xD6, 0xE6, 0xF6);

LRESULT CALLBACK window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        HBRUSH brush = CreateSolidBrush(g_colour);
        FillRect(dc, &ps.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wparam, lparam);
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR command_line, int) {
    if (command_line != nullptr && command_line[0] != '\0') {
        const unsigned long rgb = std::strtoul(command_line, nullptr, 16);
        g_colour = RGB((rgb >> 16) & 0xff, (rgb >> 8) & 0xff, rgb & 0xff);
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = window_proc;
    wc.hInstance = instance;
    wc.lpszClassName = kClassName;
    if (RegisterClassExW(&wc) == 0)
        return 1;
    RECT r{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HWND window = CreateWindowExW(kExStyle, kClassName, L"", kStyle,
                                  (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
                                  nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return 1;
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
