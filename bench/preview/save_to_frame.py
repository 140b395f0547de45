#!/usr/bin/env python3
"""How fast the author's preview follows a save, and what it costs while nothing changes.
Starts the preview command on a folder whose autorun.inf names one of two one-colour pictures,
then, round after round, saves autorun.inf in place naming the other one and reads one client
pixel of the display (Xlib XGetImage, every 0.25 ms) until it shows the new colour: the time
from the save's return to that frame. Then the process's CPU time over an idle stretch.
Prints "median_ms=M idle_cpu_s=S loads=N process=NAME" (NAME: the measured process's, so a
launcher that kept a child of its own would show).
Usage: save_to_frame.py RUNS FOLDER WINDOW_CLASS FRAME_PX -- COMMAND..."""
import ctypes
import os
import statistics
import struct
import subprocess
import sys
import time

IDLE_S = 5.0
POINT = (300, 200)  # client px: picture only (no title, no item, not Exit)
COLOURS = {"a.bmp": (200, 30, 30), "b.bmp": (30, 160, 40)}


def bmp(rgb):
    row = bytes((rgb[2], rgb[1], rgb[0])) * 500 + b"\0"
    pixels = row * 375
    return struct.pack("<2sIHHIIiiHHIIiiII", b"BM", 54 + len(pixels), 0, 0, 54, 40, 500, 375,
                       1, 24, 0, len(pixels), 2835, 2835, 0, 0) + pixels


class XImage(ctypes.Structure):
    """The start of Xlib's XImage, up to its functions (XDestroyImage is a macro calling one)."""
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong),
                ("blue_mask", ctypes.c_ulong), ("obdata", ctypes.c_void_p),
                ("create_image", ctypes.c_void_p),
                ("destroy_image", ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p)),
                ("get_pixel", ctypes.CFUNCTYPE(ctypes.c_ulong, ctypes.c_void_p, ctypes.c_int,
                                               ctypes.c_int))]


class Screen:
    def __init__(self):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XGetImage.restype = ctypes.POINTER(XImage)
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                       ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                                       ctypes.c_ulong, ctypes.c_int]
        self.dpy = self.x11.XOpenDisplay(None)
        if not self.dpy:
            sys.exit("no display")
        self.root = self.x11.XDefaultRootWindow(self.dpy)

    def pixel(self, x, y):
        """(r, g, b) at a root point of a 24-bit TrueColor screen."""
        image = self.x11.XGetImage(self.dpy, self.root, x, y, 1, 1, 0xFFFFFFFF, 2)  # ZPixmap
        if not image:
            return None
        v = image.contents.get_pixel(image, 0, 0)
        image.contents.destroy_image(image)
        return ((v >> 16) & 255, (v >> 8) & 255, v & 255)


def close_to(a, b):
    return a is not None and all(abs(p - q) <= 8 for p, q in zip(a, b))


def wait_colour(screen, x, y, rgb, limit=20.0):
    deadline = time.monotonic() + limit
    while time.monotonic() < deadline:
        if close_to(screen.pixel(x, y), rgb):
            return True
        time.sleep(0.00025)
    return False


def settings(picture):
    return f"[Menu]\r\nPicture={picture}\r\nCaption=\r\n".encode()


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def main():
    sep = sys.argv.index("--")
    runs, folder, klass, frame = sys.argv[1:sep]
    command = sys.argv[sep + 1:]
    for name, rgb in COLOURS.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(bmp(rgb))
    inf = os.path.join(folder, "autorun.inf")
    with open(inf, "wb") as f:
        f.write(settings("a.bmp"))
    out = open(os.path.join(folder, "..", "preview-out.txt"), "w")
    proc = subprocess.Popen(command, stdout=out, stderr=subprocess.DEVNULL,
                            stdin=subprocess.DEVNULL)
    screen = Screen()
    try:
        window = None
        deadline = time.monotonic() + 30
        while window is None and time.monotonic() < deadline:
            r = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", klass],
                               capture_output=True, text=True)
            window = r.stdout.split()[0] if r.stdout.split() else None
            time.sleep(0.05)
        if window is None:
            sys.exit("no preview window")
        info = subprocess.run(["xwininfo", "-id", window], capture_output=True,
                              text=True).stdout
        get = lambda k: int(info.split(k + ":")[1].split()[0])  # noqa: E731
        x = get("Absolute upper-left X") + int(frame) + POINT[0]
        y = get("Absolute upper-left Y") + int(frame) + POINT[1]
        if not wait_colour(screen, x, y, COLOURS["a.bmp"]):
            sys.exit("the first frame never showed a.bmp")
        times = []
        for i in range(int(runs) + 1):  # the first round warms up
            name = "b.bmp" if i % 2 == 0 else "a.bmp"
            with open(inf, "r+b") as f:
                f.truncate(0)
                f.write(settings(name))
            t0 = time.monotonic()
            if not wait_colour(screen, x, y, COLOURS[name]):
                sys.exit(f"round {i}: the frame never showed {name}")
            if i > 0:
                times.append((time.monotonic() - t0) * 1000)
        print(f"ms: {' '.join(f'{t:.1f}' for t in times)}", file=sys.stderr)
        out.flush()
        loads_before = open(out.name).read().count('"settings_path"')
        before = cpu_seconds(proc.pid)
        time.sleep(IDLE_S)  # the idle stretch measured
        idle = cpu_seconds(proc.pid) - before
        loads = open(out.name).read().count('"settings_path"') - loads_before
        with open(f"/proc/{proc.pid}/comm") as f:
            name = f.read().strip()
        print(f"median_ms={statistics.median(times):.1f} idle_cpu_s={idle:.2f} loads={loads} "
              f"process={name}")
    finally:
        proc.kill()  # our own child, by its PID
        proc.wait(10)
        out.close()


if __name__ == "__main__":
    main()
