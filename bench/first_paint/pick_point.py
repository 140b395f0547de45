#!/usr/bin/env python3
"""Where a probe can see a window's first frame, for any disc: a client point whose colour in
tavik-check's render is flat for 7 px around (so text drawn by another renderer, a pixel off,
does not reach it) and far from the colour the screen shows there before the window maps.
Usage: pick_point.py RENDER.png SCREEN_RRGGBB  ->  "X Y RRGGBB" (client pixels), or nothing.
The render is the whole window: a 3 px frame around the client area."""
import subprocess
import sys

FRAME, R = 3, 7
PREFERRED = (404, 170)  # the sample disc's flat patch of sky


def main():
    render, screen = sys.argv[1], int(sys.argv[2], 16)
    size = subprocess.run(["identify", "-format", "%w %h", render], capture_output=True,
                          text=True, check=True).stdout.split()
    w, h = int(size[0]), int(size[1])
    raw = subprocess.run(["convert", render, "-depth", "8", "rgb:-"], capture_output=True,
                         check=True).stdout

    def rgb(x, y):
        i = 3 * (y * w + x)
        return raw[i] << 16 | raw[i + 1] << 8 | raw[i + 2]

    def far(a, b):
        return sum(abs((a >> s & 255) - (b >> s & 255)) for s in (16, 8, 0)) > 90

    def flat(x, y):
        c = rgb(x, y)
        return all(rgb(x + dx, y + dy) == c for dx in range(-R, R + 1, 2)
                   for dy in range(-R, R + 1, 2))

    cw, ch = w - 2 * FRAME, h - 2 * FRAME
    points = [(x, y) for y in range(R, ch - R, 4) for x in range(R, cw - R, 4)]
    points.sort(key=lambda p: (p[0] - PREFERRED[0]) ** 2 + (p[1] - PREFERRED[1]) ** 2)
    for x, y in points:
        c = rgb(x + FRAME, y + FRAME)
        if far(c, screen) and flat(x + FRAME, y + FRAME):
            print(f"{x} {y} {c:06x}")
            return


if __name__ == "__main__":
    main()
