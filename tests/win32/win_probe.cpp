// Asks the running menu window what only Win32 can tell: its client rectangle and styles, the
// cursor shown, and a close request. Finds the window by its class.
//   win_probe geometry   window and client rectangles (screen pixels), style, extended style
//   win_probe cursor     size and hot spot of the current cursor
//   win_probe close      posts WM_CLOSE, as the system's close command does
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

int geometry(HWND window) {
    RECT outer{}, client{};
    GetWindowRect(window, &outer);
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    std::printf("window %ld %ld %ld %ld\n", outer.left, outer.top, outer.right - outer.left,
                outer.bottom - outer.top);
    std::printf("client %ld %ld %ld %ld\n", origin.x, origin.y, client.right, client.bottom);
    std::printf("style %08lx %08lx\n",
                static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)),
                static_cast<unsigned long>(GetWindowLongW(window, GWL_EXSTYLE)));
    return 0;
}

int cursor() {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    ICONINFO icon{};
    if (!GetCursorInfo(&info) || info.hCursor == nullptr || !GetIconInfo(info.hCursor, &icon))
        return 1;
    BITMAP mask{};
    GetObjectW(icon.hbmMask, sizeof mask, &mask);
    // A mask without a colour bitmap holds both halves, one above the other.
    const long height = icon.hbmColor != nullptr ? mask.bmHeight : mask.bmHeight / 2;
    std::printf("cursor %ld %ld %lu %lu\n", static_cast<long>(mask.bmWidth), height,
                static_cast<unsigned long>(icon.xHotspot),
                static_cast<unsigned long>(icon.yHotspot));
    if (icon.hbmMask != nullptr)
        DeleteObject(icon.hbmMask);
    if (icon.hbmColor != nullptr)
        DeleteObject(icon.hbmColor);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    HWND window = FindWindowW(L"TavikMenu", nullptr);
    if (window == nullptr) {
        std::printf("no window\n");
        return 1;
    }
    if (std::strcmp(argv[1], "geometry") == 0)
        return geometry(window);
    if (std::strcmp(argv[1], "cursor") == 0)
        return cursor();
    if (std::strcmp(argv[1], "close") == 0)
        return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
    return 2;
}
