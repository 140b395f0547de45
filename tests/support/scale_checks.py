"""Shared by both shells' scale tests: a screenshot's background against what the check tool
renders at that scale (it must match) and against the 1x picture enlarged (it must not), and a
disc's Picture with a @2x rendition beside it."""
import os
import subprocess

RED = "FF0000"
# A 100 x 80 picture, and its 2x rendition: a checkerboard of single device pixels, which no
# enlargement of the 1x picture can give. A rendition one pixel too wide is not one.
PICTURE_1X, PICTURE_2X = (100, 80), (200, 160)


def picture_files(folder, rendition_width=200):
    """Writes pic.png and pic@2x.png (the latter `rendition_width` wide) into the folder."""
    run = lambda *a: subprocess.run(["convert", *a], check=True, timeout=30)
    run("-size", "%dx%d" % PICTURE_1X, "xc:#" + RED, "-strip", "PNG24:" + os.path.join(folder, "pic.png"))
    run("-size", f"{rendition_width}x{PICTURE_2X[1]}", "pattern:gray50", "-strip",
        "PNG24:" + os.path.join(folder, "pic@2x.png"))


def checkerboard_share(shot, box):
    """The share of the box's device pixels that are the rendition's checkerboard."""
    x0, y0, w, h = box
    data = rgb(shot, box)
    hits = 0
    for y in range(h):
        for x in range(w):
            want = b"\x00\x00\x00" if (x + y) % 2 == 0 else b"\xff\xff\xff"
            at = (y * w + x) * 3
            hits += data[at:at + 3] == want
    return hits / (w * h)


def rgb(png, box):
    x, y, w, h = box
    return subprocess.run(["convert", png, "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-depth", "8",
                           "rgb:-"], capture_output=True, check=True, timeout=30).stdout


def differing(a, b, tolerance=0):
    """How many pixels of two equal-sized RGB byte strings differ by more than the tolerance."""
    return sum(1 for i in range(0, min(len(a), len(b)), 3)
               if max(abs(a[i + k] - b[i + k]) for k in range(3)) > tolerance)


def detail_against(shot, shot_box, render, render_box, bmp_1x, box_1x, scale, work):
    """Compares a screenshot's background area with the render's same area, and with the 1x
    background enlarged to the scale both ways a system would (blocks and smooth): returns
    (differing from the render, fewest differing from an enlargement), in device pixels."""
    seen = rgb(shot, shot_box)
    against_render = differing(seen, rgb(render, render_box))
    x, y, w, h = box_1x
    enlarged = []
    for how in ("-scale", "-resize"):
        out = os.path.join(work, f"enlarged{how}.png")
        subprocess.run(["convert", bmp_1x, "-crop", f"{w}x{h}+{x}+{y}", "+repage", how,
                        f"{shot_box[2]}x{shot_box[3]}!", out], check=True, timeout=30)
        enlarged.append(differing(seen, rgb(out, (0, 0, shot_box[2], shot_box[3])), tolerance=8))
    return against_render, min(enlarged)
