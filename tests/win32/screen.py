"""Pixels for the Wine window tests: a client-area capture and the designed bitmap share one
small interface (colour at a point, count and bounding box of a colour in a box), and the
pointer's current cursor image is read through the XFixes extension."""
import ctypes
import struct
import subprocess


class Pixels:
    def __init__(self, width, height, rgb_at):
        self.width, self.height, self._rgb_at = width, height, rgb_at

    def at(self, x, y):
        return self._rgb_at(x, y)

    def _points(self, box):
        x, y, w, h = box
        for py in range(max(y, 0), min(y + h, self.height)):
            for px in range(max(x, 0), min(x + w, self.width)):
                yield px, py

    def count(self, box, color):
        return sum(1 for p in self._points(box) if self.at(*p) == color)

    def bbox(self, box, color):
        """(left, top, width, height) of the pixels of this colour in the box, or None."""
        hits = [p for p in self._points(box) if self.at(*p) == color]
        if not hits:
            return None
        xs, ys = [p[0] for p in hits], [p[1] for p in hits]
        return (min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1)


class Bitmap(Pixels):
    """An uncompressed 24-bit Windows bitmap file."""

    def __init__(self, path):
        data = open(path, "rb").read()
        offset = struct.unpack_from("<I", data, 10)[0]
        width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
        if bits != 24:
            raise ValueError(f"{path}: want 24 bits per pixel")
        stride = (width * 3 + 3) & ~3
        bottom_up = height > 0
        height = abs(height)

        def rgb_at(x, y):
            row = height - 1 - y if bottom_up else y
            o = offset + row * stride + x * 3
            return (data[o + 2], data[o + 1], data[o])

        super().__init__(width, height, rgb_at)


def grab(desk, rect):
    """The screen rectangle (x, y, w, h) of the desk's display, as Pixels at (0, 0)."""
    x, y, w, h = rect
    raw = subprocess.run(["import", "-silent", "-window", "root", "-crop", f"{w}x{h}+{x}+{y}",
                          "+repage", "-depth", "8", "rgb:-"], env=desk.env,
                         capture_output=True, check=True, timeout=20).stdout
    if len(raw) != w * h * 3:
        raise RuntimeError(f"capture gave {len(raw)} bytes for {w}x{h}")
    shot = Pixels(w, h, lambda px, py: tuple(raw[(py * w + px) * 3:(py * w + px) * 3 + 3]))
    shot.raw = raw  # for comparing whole captures
    return shot


class _CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.c_void_p),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


def cursor(display):
    """(width, height, hot x, hot y) of the pointer's cursor on the display, or None."""
    x11 = ctypes.CDLL("libX11.so.6")
    xfixes = ctypes.CDLL("libXfixes.so.3")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XFree.argtypes = [ctypes.c_void_p]
    xfixes.XFixesQueryVersion.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                          ctypes.POINTER(ctypes.c_int)]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(_CursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    dpy = x11.XOpenDisplay(display.encode())
    if not dpy:
        return None
    try:
        major, minor = ctypes.c_int(4), ctypes.c_int(0)
        if not xfixes.XFixesQueryVersion(dpy, ctypes.byref(major), ctypes.byref(minor)):
            return None
        image = xfixes.XFixesGetCursorImage(dpy)
        if not image:
            return None
        c = image.contents
        result = (c.width, c.height, c.xhot, c.yhot)
        x11.XFree(image)
        return result
    finally:
        x11.XCloseDisplay(dpy)
