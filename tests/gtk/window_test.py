#!/usr/bin/env python3
"""End-to-end tests of the Linux menu under a private Xvfb: window geometry and look, the
hover highlight, item clicks starting programs, the Windows programs' items opening their
targets through the desktop's default application, Exit and the close request, a Chinese
disc's caption on a Chinese desktop, the window at GDK's scale 2.
Usage: window_test.py CASE SETUP_EXE X_PROBE BACKGROUND_BMP TAVIK_CHECK"""
import os
import shutil
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # a fresh machine does not set PYTHONDONTWRITEBYTECODE
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import desktop  # noqa: E402
from desktop import END, SHOW, wait_for  # noqa: E402
from disc_files import default_applications, records, write_files  # noqa: E402
from locales import compiled_locales  # noqa: E402
import scale_checks  # noqa: E402

CASE, SETUP, PROBE, BMP, CHECK = sys.argv[1:6]
GREEN, MAGENTA = "00FF00", "FF00FF"
FRAME = 3

RECORDER = """#!/bin/sh
line="$0"
for a in "$@"; do line="$line|$a"; done
printf '%s|cwd=%s|pid=%s|ppid=%s\\n' "$line" "$(pwd)" "$$" "$PPID" >> "$TAVIK_RECORD"
"""


def bmp_pixel(data, x, y):
    row = (500 * 3 + 3) // 4 * 4
    at = 54 + (374 - y) * row + x * 3
    return "%02X%02X%02X" % (data[at + 2], data[at + 1], data[at])


def medium_root(folder):
    dev = os.stat(folder).st_dev
    root = folder
    while root != "/" and os.stat(os.path.dirname(root)).st_dev == dev:
        root = os.path.dirname(root)
    return root


class Menu:
    """A disc folder with setup and an autorun.inf, and the running menu on a display."""

    def __init__(self, display, inf_text, inf_name="autorun.inf", files=None, env=None):
        self.d = display
        self.disc = tempfile.mkdtemp(prefix="tavik-disc-")
        self.work = tempfile.mkdtemp(prefix="tavik-cwd-")
        self.record = os.path.join(self.work, "record.txt")
        shutil.copy(SETUP, os.path.join(self.disc, "setup"))
        recorders = ("record.sh", "Tools/Rec2.sh")
        if isinstance(inf_text, str):
            inf_text = inf_text.replace("{MEDIUM_PATH}", self.medium_path())
        write_files(self.disc, {inf_name: inf_text,
                                **dict.fromkeys(recorders, RECORDER), **(files or {})},
                    executable=recorders)
        self.proc = display.spawn([os.path.join(self.disc, "setup")], cwd=self.work,
                                  env={"TAVIK_RECORD": self.record, **(env or {})})
        self.window = display.find_window("setup")
        x, y, _, _ = display.geometry(self.window)
        self.origin = (x + FRAME, y + FRAME)

    def medium_path(self):
        """The disc folder as a Windows path from the medium's root: \\tmp\\tavik-disc-x."""
        rel = os.path.relpath(self.disc, medium_root(self.disc))
        return "\\" + rel.replace("/", "\\") if rel != "." else ""

    def at(self, x, y):
        return self.origin[0] + x, self.origin[1] + y

    def move(self, x, y):
        self.d.move(*self.at(x, y))

    def click(self, x, y):
        self.d.click(*self.at(x, y))

    def shot(self):
        """A screenshot in the test's own folder (removed at the end), replaced each time."""
        return self.d.screenshot(os.path.join(self.work, "shot.png"))

    def pixel(self, x, y, shot=None):
        return self.d.pixel(self.origin[0] + x, self.origin[1] + y, shot or self.shot())

    def pixels(self, rect):
        """The raw RGB bytes of a client rectangle (x, y, w, h)."""
        x, y, w, h = rect
        return subprocess.run(["convert", self.shot(), "-crop",
                               f"{w}x{h}+{self.origin[0] + x}+{self.origin[1] + y}", "+repage",
                               "-depth", "8", "rgb:-"], capture_output=True, check=True,
                              timeout=20).stdout

    def count(self, rect, rgb):
        x, y, w, h = rect
        return self.d.count_color((self.origin[0] + x, self.origin[1] + y, w, h), rgb, self.shot())

    def cursor(self):
        return self.d.run(PROBE, "cursor").stdout.split()

    def records(self):
        return records(self.record)

    def close(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            self.proc.wait(5)
        shutil.rmtree(self.disc, ignore_errors=True)
        shutil.rmtree(self.work, ignore_errors=True)


ITEMS = ("[Menu]\nCaption=Sample\nNrOfItems=2\nOffsetX=600\nOffsetY=1500\nLineDistance=600\n"
         "ForeColor=65280\nHighlight=&H00FF00FF\nFontSize=12\n"
         "Item1=Record here,record.sh one \"two words\" C:\\x\n"
         "Item2=Record on the medium,{MEDIUM_PATH}\\TOOLS\\rec2.SH  a\\\\\"b\n")
ITEM_ROW = lambda i: (36, 96 + 40 * i, 300, 36)  # client px around item i, room to grow


def case_geometry(d):
    # Upper-case AUTORUN.INF, as a Windows-authored disc may be mounted.
    m = Menu(d, ITEMS, inf_name="AUTORUN.INF")
    try:
        x, y, w, h = d.geometry(m.window)
        assert (w, h) == (503, 380), (w, h)
        assert (x, y) == ((1024 - 503) // 2, (768 - 380) // 2), (x, y)
        props = d.run("xprop", "-id", m.window).stdout
        assert "_NET_WM_STATE_SKIP_TASKBAR" in props and "_NET_WM_STATE_SKIP_PAGER" in props
        assert "0x2, 0x0, 0x0" in props, "undecorated (Motif hints)"
        assert "_NET_WM_ICON(" not in props, "no window icon"
        with open(BMP, "rb") as f:
            bmp = f.read()
        wait_for(lambda: m.pixel(250, 300) == bmp_pixel(bmp, 250, 300), SHOW,
                 what="the window painted")
        shot = m.shot()
        for px, py in ((0, 60), (496, 0), (496, 373), (0, 373), (250, 300), (400, 150), (20, 250)):
            got = m.pixel(px, py, shot)
            assert got == bmp_pixel(bmp, px, py), (px, py, got, bmp_pixel(bmp, px, py))
        assert m.count(ITEM_ROW(0), GREEN) > 20, "items read from AUTORUN.INF"
        assert m.count((440, 336, 40, 24), GREEN) > 10, "Exit in ForeColor"
    finally:
        m.close()


def case_hover(d):
    m = Menu(d, ITEMS)
    try:
        row = ITEM_ROW(1)
        wait_for(lambda: m.count(row, GREEN) > 20, SHOW, what="item 2 drawn")
        green_before = m.count(row, GREEN)
        m.move(row[0] + 8, row[1] + 10)
        wait_for(lambda: m.count(row, MAGENTA) > green_before, SHOW, what="item 2 highlighted")
        assert m.count(row, GREEN) == 0
        assert m.count(ITEM_ROW(0), MAGENTA) == 0
        assert m.cursor()[:2] == ["32x32", "12,1"], m.cursor()
        # Onto the title: the item stays highlighted, the arrow shows.
        m.move(40, 15)
        wait_for(lambda: m.cursor()[1] != "12,1", SHOW, what="arrow over the title")
        assert m.count(row, MAGENTA) > green_before
        # Onto the bare background: restored.
        m.move(400, 250)
        wait_for(lambda: m.count(row, MAGENTA) == 0, SHOW, what="highlight removed")
        assert m.count(row, GREEN) == green_before
        # The grown box still takes the mouse: highlight, then move inside the grown part only.
        m.move(row[0] + 8, row[1] + 10)
        wait_for(lambda: m.count(row, MAGENTA) > 0, SHOW, what="item 2 highlighted again")
        m.move(row[0] + 8, row[1] + 24)
        # Moving on to the title afterwards proves the move above was handled when the arrow shows.
        m.move(40, 15)
        wait_for(lambda: m.cursor()[1] != "12,1", SHOW, what="arrow over the title")
        assert m.count(row, MAGENTA) > green_before
        # Out of the window straight from the item: leaving changes nothing, the item stays
        # highlighted. The root's cursor shows once the pointer is out; the highlight must
        # then hold in every capture for a while, not just the first.
        m.move(row[0] + 8, row[1] + 10)
        wait_for(lambda: m.cursor()[1] == "12,1", SHOW, what="the hand over item 2")
        d.move(1, 1)
        wait_for(lambda: m.cursor()[1] != "12,1", SHOW, what="the root's cursor outside")
        for _ in range(5):
            assert m.count(row, MAGENTA) > green_before, "leaving the window kept the highlight"
    finally:
        m.close()


def case_click(d):
    m = Menu(d, ITEMS)
    try:
        menu_pid = m.proc.pid
        m.click(*[v + 8 for v in ITEM_ROW(0)[:2]])
        wait_for(lambda: len(m.records()) == 1, SHOW, what="first start")
        m.click(*[v + 8 for v in ITEM_ROW(0)[:2]])
        wait_for(lambda: len(m.records()) == 2, SHOW, what="second start")
        m.click(*[v + 8 for v in ITEM_ROW(1)[:2]])
        wait_for(lambda: len(m.records()) == 3, SHOW, what="start from the medium")
        recs = m.records()
        for r in recs[:2]:
            assert r[0] == os.path.join(m.disc, "record.sh"), r
            assert r[1:4] == ["one", "two words", "C:\\x"], r
        assert recs[2][0] == os.path.join(m.disc, "Tools/Rec2.sh"), recs[2]
        assert recs[2][1] == "a\\b" and recs[2][2].startswith("cwd="), recs[2]
        for r in recs:
            fields = dict(f.split("=", 1) for f in r if f.startswith(("cwd=", "pid=", "ppid=")))
            assert fields["cwd"] == m.work, fields
            assert int(fields["ppid"]) == menu_pid, fields
            # Finished and reaped: no zombie left behind.
            wait_for(lambda: not os.path.exists(f"/proc/{fields['pid']}"), END,
                     what=f"child {fields['pid']} reaped")
        assert m.proc.poll() is None, "the menu stays open"
    finally:
        m.close()


OPENS = ("[Menu]\nNrOfItems=6\nOffsetX=600\nOffsetY=1500\nLineDistance=600\nFontSize=12\n"
         "Item1=Read me,notepad.exe readme.txt\nItem2=Browse the disc,explorer.exe .\n"
         "Item3=Manual,explorer.exe docs\\manual.pdf\n"
         "Item4=Web,cmd /c start \"\" https://example.com/tavik?x=1\n"
         "Item5=Text as a command,readme.txt\nItem6=Install\n")


def local(target):
    """A local target as a path: GIO hands `%U` a file as its path or as a file:// URI."""
    return target[len("file://"):] if target.startswith("file://") else target


def case_open(d):
    # The desktop's default application is a recorder (private XDG folders); a text file named
    # as a command and a bare `Install` (a private `install` first in PATH) start nothing.
    base = tempfile.mkdtemp(prefix="tavik-open-")
    try:
        env = default_applications(base)
        write_files(base, {"bin/install": RECORDER}, executable=("bin/install",))
        record = os.path.join(base, "control.txt")
        sample = os.path.join(base, "sample.txt")
        write_files(base, {"sample.txt": "x"})
        subprocess.run(["gio", "open", sample], env=dict(d.env, **env, TAVIK_RECORD=record),
                       check=True, timeout=20)
        wait_for(lambda: records(record), SHOW, what="the control: gio open reaches the recorder")
        assert local(records(record)[0][1]) == sample, records(record)
        env.update(PATH=os.path.join(base, "bin") + ":" + os.environ["PATH"])
        m = Menu(d, OPENS, env=env,
                 files={"readme.txt": "touch PWNED\n", "docs/Manual.pdf": "%PDF-1.4\n"})
        try:
            want = [os.path.join(m.disc, "readme.txt"), m.disc,
                    os.path.join(m.disc, "docs/Manual.pdf"), "https://example.com/tavik?x=1"]
            for i in (4, 5, 0, 1, 2, 3):
                m.click(*[v + 8 for v in ITEM_ROW(i)[:2]])
                if i < 4:
                    wait_for(lambda: len(m.records()) == i + 1, SHOW, what=f"item {i + 1} opened")
            recs = m.records()
            # Clicks are handled in order: items 5 and 6 were done when item 1's target came.
            assert [local(r[1]) for r in recs] == want, recs
            for r in recs:
                fields = dict(f.split("=", 1) for f in r[2:])
                assert r[0].endswith("open-recorder.sh"), r
                assert fields["sid"] == fields["pid"], f"own session: {r}"
                assert fields["fds"].split() == ["/dev/null"] * 3, r
                wait_for(lambda: not os.path.exists(f"/proc/{fields['pid']}"), END,
                         what=f"opener child {fields['pid']} reaped")
            assert not os.path.exists(os.path.join(m.work, "PWNED")), "the text file ran"
            assert not os.path.exists(os.path.join(m.disc, "PWNED")), "the text file ran"
            assert m.proc.poll() is None, "the menu stays open"
        finally:
            m.close()
    finally:
        shutil.rmtree(base, ignore_errors=True)


def case_exit(d):
    m = Menu(d, "")  # no settings at all: Exit still ends the menu
    try:
        m.click(445, 344)
        wait_for(lambda: m.proc.poll() is not None, END, what="exit")
        assert m.proc.returncode == 0
    finally:
        m.close()


def case_hostile(d):
    # Junk, NUL bytes, a lying picture header, a 2000-point font, a folder as a command: the
    # window still opens, an item click starts nothing, Exit still works.
    junk = ("[Menu]\nPicture=huge.bmp\nNrOfItems=3\nCaption=\x00\x01\xff junk\n"
            "Item1=Folder,Tools\nFontSize=2000\n" + "x" * 100000 + "\n")
    huge = bytearray(54)
    huge[0:2] = b"BM"
    huge[10], huge[14], huge[26], huge[28] = 54, 40, 1, 24
    huge[18:22] = (20000).to_bytes(4, "little")
    huge[22:26] = (20000).to_bytes(4, "little")
    m = Menu(d, junk, files={"huge.bmp": bytes(huge)})
    try:
        m.click(45, 110)
        m.click(445, 344)
        wait_for(lambda: m.proc.poll() is not None, END, what="exit")
        assert m.records() == []
    finally:
        m.close()


def case_language(d):
    # A Chinese vendor's autorun.inf in GBK, with no BOM, as Chinese Windows reads it.
    title = "光盘安装程序"
    gbk = ("[Menu]\r\nCaption=%s\r\n" % title).encode("gbk")
    utf8 = ("[Menu]\r\nCaption=%s\r\n" % title).encode("utf-8")
    title_box = (0, 0, 497, 50)
    with open(BMP, "rb") as f:
        bmp = f.read()

    def title_pixels(inf, env):
        m = Menu(d, inf, env=dict({"LC_ALL": "", "LC_CTYPE": "", "LOCPATH": ""}, **env))
        try:
            wait_for(lambda: m.pixel(250, 300) == bmp_pixel(bmp, 250, 300), SHOW,
                     what="the window painted")
            return m.pixels(title_box)
        finally:
            m.close()

    zh = {"LANG": "zh_CN.UTF-8", "LOCPATH": compiled_locales(["zh_CN.UTF-8"])}
    shown = title_pixels(gbk, zh)
    # The same characters from a UTF-8 file draw the same pixels: the GBK bytes were read as
    # Chinese, not as Windows-1252 letters.
    assert shown == title_pixels(utf8, zh), "GBK caption differs from the same text in UTF-8"
    # With no font that has the glyphs, Pango draws boxes: the caption above was not those.
    fonts = tempfile.mkdtemp(prefix="tavik-fonts-")
    try:
        with open(os.path.join(fonts, "fonts.conf"), "w") as f:
            f.write('<?xml version="1.0"?><fontconfig><dir>/usr/share/fonts/truetype/dejavu</dir>'
                    '<cachedir>%s</cachedir></fontconfig>' % fonts)
        boxes = title_pixels(utf8, dict(zh, FONTCONFIG_FILE=os.path.join(fonts, "fonts.conf")))
    finally:
        shutil.rmtree(fonts, ignore_errors=True)
    assert shown != boxes, "the caption is drawn as boxes: no font with Chinese glyphs"
    # A desktop whose Chinese locale was never compiled: GTK falls back to C, the menu still
    # reads the file in the code page of LANG's language.
    plain = {"LANG": "zh_CN.UTF-8"}
    assert title_pixels(gbk, plain) == title_pixels(utf8, plain), "GBK read without the locale"


def case_scale(d):
    """GDK scale 2: twice the window, the labels' boxes and their hit-testing at twice their
    place, the background from its 2x rendition (as tavik-check --render --scale 2 draws it,
    not the 1x enlarged), a disc's pic@2x.png used, a wrong-sized one ignored."""
    s, env = 2, {"GDK_SCALE": "2"}
    m = Menu(d, ITEMS, env=env)
    try:
        x, y, w, h = d.geometry(m.window)
        assert (w, h) == (503 * s, 380 * s), (w, h)
        at = lambda cx, cy: (x + FRAME * s + cx, y + FRAME * s + cy)  # client device px
        row = tuple(v * s for v in ITEM_ROW(0))
        wait_for(lambda: d.count_color((*at(*row[:2]), *row[2:]), GREEN) > 40, SHOW,
                 what="the scaled column")
        shot = m.shot()
        # Item 1's letters start at its Left, 40 px (80 device px), below its Top, 100 px.
        found = d.run("convert", shot, "-crop", "%dx%d+%d+%d" % (*row[2:], *at(*row[:2])),
                      "+repage", "-fill", "black", "+opaque", "#" + GREEN, "-trim",
                      "-format", "%X %Y %h", "info:").stdout.split()
        left, top = (int(v) + o for v, o in zip(found[:2], row[:2]))
        assert 80 <= left <= 84 and 200 <= top <= 212 and int(found[2]) >= 24, found
        # The hand (GTK draws it at the scale: hot spot 24, 2) exactly from the label's left
        # and top edges (600 and 1500 twips) on.
        for (cx, cy), hand in (((81, 204), True), ((78, 204), False), ((90, 198), False),
                               ((90, 202), True)):
            d.move(*at(cx, cy))
            wait_for(lambda: (m.cursor()[1] == f"{12 * s},{s}") == hand, SHOW,
                     what=f"{'hand' if hand else 'arrow'} at device ({cx}, {cy})")
        # The background's fine detail, well clear of the labels: the formula and its stroke.
        render = os.path.join(m.work, "render.png")
        subprocess.run([CHECK, "--render", render, "--scale", str(s), m.disc],
                       capture_output=True, timeout=60)
        area = (640, 140, 300, 200)
        wrong, enlarged = scale_checks.detail_against(
            shot, (*at(*area[:2]), *area[2:]), render, (area[0] + FRAME * s,
                                                        area[1] + FRAME * s, *area[2:]),
            BMP, tuple(v // s for v in area), s, m.work)
        assert wrong == 0 and enlarged > 1000, (wrong, enlarged)
    finally:
        m.close()
    for width, used in ((200, True), (201, False)):
        folder = tempfile.mkdtemp(prefix="tavik-pic-")
        scale_checks.picture_files(folder, width)
        files = {n: open(os.path.join(folder, n), "rb").read() for n in ("pic.png", "pic@2x.png")}
        shutil.rmtree(folder)
        m = Menu(d, "[Menu]\nPicture=pic.png\n", files=files, env=env)
        try:
            x, y, _, _ = d.geometry(m.window)
            box = (x + FRAME * s, y + FRAME * s, 200, 160)
            if used:
                wait_for(lambda: scale_checks.checkerboard_share(m.shot(), box) == 1.0, SHOW,
                         what="pic@2x.png pixel for pixel")
            else:
                # The 1x enlarged: red within, its edge blended with the back colour.
                wait_for(lambda: d.count_color(box, scale_checks.RED) >= 198 * 158, SHOW,
                         what="pic.png, the wrong-sized rendition ignored")
        finally:
            m.close()


def case_close(d):
    m = Menu(d, ITEMS)
    try:
        d.run(PROBE, "close", m.window)
        wait_for(lambda: m.proc.poll() is not None, END, what="close request ends the menu")
        assert m.proc.returncode == 0
    finally:
        m.close()


if __name__ == "__main__":
    with desktop.Display(*((2048, 1536) if CASE == "scale" else ())) as display:
        globals()["case_" + CASE](display)
    print(CASE, "ok")
