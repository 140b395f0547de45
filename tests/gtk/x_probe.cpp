// tavik_x_probe close WINDOW: asks a window to close the way a window manager does
// (WM_PROTOCOLS / WM_DELETE_WINDOW). tavik_x_probe cursor: prints the pointer's current
// cursor image as "WIDTHxHEIGHT HOTX,HOTY OPAQUE" (screenshots never contain it).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "x_close.h"

namespace {

int close_window(Display* display, Window window) {
    request_close(display, window);
    return 0;
}

int print_cursor(Display* display) {
    int event_base = 0, error_base = 0;
    if (!XFixesQueryExtension(display, &event_base, &error_base))
        return 1;
    XFixesCursorImage* image = XFixesGetCursorImage(display);
    if (image == nullptr)
        return 1;
    int opaque = 0;
    for (int i = 0; i < image->width * image->height; ++i)
        opaque += (image->pixels[i] >> 24 & 0xFF) != 0;
    std::printf("%dx%d %d,%d %d\n", image->width, image->height, image->xhot, image->yhot, opaque);
    XFree(image);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return 2;
    int rc = 2;
    if (argc == 3 && std::strcmp(argv[1], "close") == 0)
        rc = close_window(display, static_cast<Window>(std::strtoul(argv[2], nullptr, 0)));
    else if (argc == 2 && std::strcmp(argv[1], "cursor") == 0)
        rc = print_cursor(display);
    XCloseDisplay(display);
    return rc;
}
