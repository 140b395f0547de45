#!/usr/bin/env python3
"""tavik-check --render: the window as the Linux menu paints it, for a few discs. Compares
label boxes and colours (pixels of one colour inside a region), never glyph shapes.
Usage: render_test.py TAVIK_CHECK"""
import json
import os
import re
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import scale_checks  # noqa: E402

CHECK = sys.argv[1]
ROOT = tempfile.TemporaryDirectory(prefix="tavik-render-")  # removed at exit


def render(folder, *extra):
    out = os.path.join(folder, "shot.png")
    r = subprocess.run([CHECK, "--json", "--render", out, *extra, folder],
                       capture_output=True, text=True, timeout=30)
    assert r.returncode in (0, 1), (r.returncode, r.stderr)
    return out, json.loads(r.stdout)


def pixels(png, rect):
    """{RRGGBB: count} inside the window rectangle (x, y, w, h)."""
    x, y, w, h = rect
    txt = subprocess.run(["convert", png, "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-depth", "8",
                          "txt:-"], capture_output=True, text=True, check=True).stdout
    counts = {}
    for line in txt.splitlines()[1:]:
        m = re.search(r"#([0-9A-Fa-f]{6})", line)
        if m:
            counts[m.group(1).upper()] = counts.get(m.group(1).upper(), 0) + 1
    return counts


def box(label, pad=0):
    """A label's box in window pixels (the client starts 3 px in)."""
    return (round(label["left"] / 15) + 3 - pad, round(label["top"] / 15) + 3 - pad, 240, 30)


def disc(text):
    folder = tempfile.mkdtemp(dir=ROOT.name)
    with open(os.path.join(folder, "autorun.inf"), "w") as f:
        f.write(text)
    return folder


def identify(png):
    return subprocess.run(["identify", "-format", "%w %h", png], capture_output=True,
                          text=True, check=True).stdout


ITEMS = ("[Menu]\nCaption=Render\nNrOfItems=3\nOffsetX=900\nOffsetY=1800\nLineDistance=600\n"
         "ForeColor=65280\nHighlight=&H00FF00FF\nFontSize=12\n"
         "Item1=One,a\nItem2=Two,b\nItem3=Three,c\n")

# Three items in ForeColor, no highlight anywhere; the window is 503 x 380.
folder = disc(ITEMS)
png, d = render(folder)
assert identify(png) == "503 380", identify(png)
labels = d["labels"]
for i in range(3):
    c = pixels(png, box(labels[i]))
    assert c.get("00FF00", 0) > 20 and c.get("FF00FF", 0) == 0, (i, c)
assert pixels(png, (0, 0, 503, 380)).get("FF00FF", 0) == 0
plain = pixels(png, box(labels[1]))["00FF00"]

# --hover 1: item 2 alone in Highlight, larger than before; the others unchanged.
png, _ = render(folder, "--hover", "1")
c = pixels(png, box(labels[1]))
assert c.get("FF00FF", 0) > plain and c.get("00FF00", 0) == 0, c
assert pixels(png, box(labels[0])).get("00FF00", 0) > 20
assert pixels(png, box(labels[2])).get("FF00FF", 0) == 0

# --hover 8 on a menu without items: the Exit label at (440, 336) in Highlight.
folder = disc("[Menu]\nHighlight=&H00FF00FF\n")
png, d = render(folder, "--hover", "8")
assert pixels(png, (443, 339, 60, 30)).get("FF00FF", 0) > 20

# A picture named in the settings shows from the client's top-left, unscaled.
folder = disc("[Menu]\nPicture=BLUE.PNG\nCaption=\n")
subprocess.run(["convert", "-size", "30x20", "xc:#0000FF", os.path.join(folder, "blue.png")],
               check=True)
png, d = render(folder)
assert d["picture"]["loaded"], d["picture"]
c = pixels(png, (3, 3, 30, 20))
assert c == {"0000FF": 600}, c
assert pixels(png, (33, 3, 10, 20)) == {"FFFFFF": 200}

# --scale: the window at 150 % and 200 % (GTK draws 150 % at 2, the compositor shrinks it;
# the render shows it at 1.5), pic@2x.png beside the picture at 2x pixel for pixel, a
# wrong-sized one not; at 100 % only pic.png.
for width, scale, size, used in ((200, "2", "1006 760", True), (200, "1.5", "755 570", True),
                                 (201, "2", "1006 760", False), (200, "1", "503 380", False)):
    folder = disc("[Menu]\nPicture=pic.png\nCaption=\n")
    scale_checks.picture_files(folder, width)
    png, d = render(folder, "--scale", scale)
    assert identify(png) == size, (scale, identify(png))
    f = float(scale)
    frame = round(3 * f)
    shown = (frame, frame, round(100 * f) - 2, round(80 * f) - 2)  # clear of the edges
    red = pixels(png, shown).get(scale_checks.RED, 0)
    if scale == "2":
        share = scale_checks.checkerboard_share(png, (6, 6, 200, 160))
        assert share == (1.0 if used else 0.0), (width, share)
    assert (red == 0) == used, (width, scale, red)

# Unusable render arguments.
for args in (["--hover", "1", folder], ["--render", "/nonexistent/x.png", folder],
             ["--render", os.path.join(folder, "x.png"), "--hover", "9", folder]):
    r = subprocess.run([CHECK, *args], capture_output=True, text=True, timeout=30)
    assert r.returncode == 2, (args, r.returncode)
print("render: all cases passed")
