#!/usr/bin/env python3
"""tavik-check --preview end to end: the Linux tool's GTK window under a private Xvfb, and
tavik-check.exe's Win32 window under Wine, driven by one scenario. The folder's autorun.inf
is saved in place, renamed over, deleted and recreated; its picture is named and rewritten;
binary junk and a good file follow. Each time the window must show what `--render` draws of
the folder as it now is, and the printed report must follow. Then: no load and no CPU while
idle, a click that prints and starts nothing, Exit that only prints, the overlay
key, and a close request that ends the preview with status 0. Both run with --language de-CH
(a [Menu.de] title), the Linux tool in a German locale (its JSON numbers stay "13.5"); SCALE
adds --scale to the preview and the renders.
Usage: preview_window_test.py gtk TAVIK_CHECK X_PROBE [SCALE]
       preview_window_test.py wine STATE_DIR TAVIK_CHECK_EXE HELPERS_DIR [SCALE]"""
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # a fresh machine does not set PYTHONDONTWRITEBYTECODE
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "support"))
sys.path.insert(0, os.path.join(HERE, "..", "win32"))
import desktop  # noqa: E402
from desktop import END, SHOW, Timeout, process_gone, wait_for  # noqa: E402
from disc_files import write_files  # noqa: E402
from locales import compiled_locales  # noqa: E402
import screen  # noqa: E402

CLIENT = (497, 374)  # at scale 1
FRAME = 3  # the frame around the client at scale 1
LANGUAGE = ["--language", "de-CH"]
CYAN = (0, 255, 255)  # the overlay's colour
RECORDER = "#!/bin/sh\necho \"$@\" >> \"$(dirname \"$0\")/record.txt\"\n"


def settings(caption, picture=None, recorder="tools/record.sh", german=None):
    lines = ["[Menu]", f"Caption={caption}", "NrOfItems=1", "OffsetX=600", "OffsetY=1500",
             f"Item1=Record,{recorder} clicked"]
    if picture:
        lines.insert(1, f"Picture={picture}")
    if german:
        lines += ["[Menu.de]", f"Caption={german}"]
    return "\r\n".join(lines) + "\r\n"


def bmp(rgb):
    """A 500 x 375 picture of one colour, 24 bits: every version has the same size."""
    row = bytes((rgb[2], rgb[1], rgb[0])) * 500 + b"\0"  # padded to 4 bytes
    pixels = row * 375
    header = struct.pack("<2sIHHIIiiHHIIiiII", b"BM", 54 + len(pixels), 0, 0, 54, 40, 500, 375,
                         1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + pixels


# Ways of saving, as editors do.
def in_place(path, data):
    with open(path, "r+b" if os.path.exists(path) else "wb") as f:
        f.truncate(0)
        f.write(data)


def rename_over(path, data):
    tmp = os.path.join(os.path.dirname(path), ".autorun.inf.swp")
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def recreate(path, data):
    os.remove(path)
    with open(path, "wb") as f:
        f.write(data)


JUNK = bytes(range(256)) * 16 + b"\0[Menu\0]\xff\xfe\0Caption=x"

# (what, file, how it is saved, content, the title the report must show)
STEPS = [
    ("first save", "autorun.inf", in_place, settings("Alpha"), "Alpha"),
    ("saved in place", "autorun.inf", in_place, settings("Bravo saved in place"),
     "Bravo saved in place"),
    ("renamed over", "autorun.inf", rename_over, settings("Charlie renamed over"),
     "Charlie renamed over"),
    ("deleted and recreated", "autorun.inf", recreate, settings("Delta recreated"),
     "Delta recreated"),
    ("picture named", "autorun.inf", in_place, settings("Echo", picture="pic.bmp"), "Echo"),
    ("picture rewritten, same size", "pic.bmp", in_place, bmp((40, 160, 40)), "Echo"),
    ("binary junk", "autorun.inf", in_place, JUNK, ""),
    ("good again", "autorun.inf", rename_over, settings("Foxtrot"), "Foxtrot"),
    ("a [Menu.de] title", "autorun.inf", in_place, settings("Golf", german="Golf auf Deutsch"),
     "Golf auf Deutsch"),
]


class Report:
    """What the preview printed so far: loads, clicks, overlay switches."""

    def __init__(self, path, json_lines):
        self.path, self.json = path, json_lines

    def text(self):
        with open(self.path, encoding="utf-8", errors="replace") as f:
            return f.read()

    def titles(self):
        """The title of every load so far, in order."""
        if self.json:
            return [json.loads(line)["caption"] for line in self.text().splitlines()
                    if line.startswith('{"settings_path"')]
        return [line[len("Title:"):].strip() for line in self.text().splitlines()
                if line.startswith("Title:")]

    def clicks(self):
        if self.json:
            return [json.loads(line)["click"] for line in self.text().splitlines()
                    if line.startswith('{"click"')]
        return [line for line in self.text().splitlines() if line.startswith("Click on")]

    def overlay(self):
        """The overlay switches: True for on."""
        if self.json:
            return [json.loads(line)["overlay"] for line in self.text().splitlines()
                    if line.startswith('{"overlay"')]
        return [line == "Overlay on" for line in self.text().splitlines()
                if line.startswith("Overlay ")]


class GtkSide:
    """The Linux tool on a private Xvfb; the window's frame is drawn by the program."""
    klass, json = "tavik-check", True

    def __init__(self, scale, tool, probe):
        self.scale, self.tool, self.probe = scale, tool, probe
        self.options = LANGUAGE + (["--scale", str(scale)] if scale != 1 else [])
        self.display = desktop.Display().__enter__()
        self.desk = self.display
        # A German desktop: GTK takes the user's locale, the report's numbers must not.
        self.env = dict(self.display.env, NO_AT_BRIDGE="1", LC_ALL="de_DE.UTF-8",
                        LOCPATH=compiled_locales(["de_DE.UTF-8"]))

    def recorder(self, folder):
        write_files(folder, {"tools/record.sh": RECORDER}, executable=("tools/record.sh",))
        return "tools/record.sh"

    def start(self, folder, out):
        return subprocess.Popen([self.tool, "--preview", "--json", *self.options, folder],
                                env=self.env, stdout=out, stderr=subprocess.STDOUT,
                                stdin=subprocess.DEVNULL)

    def client_origin(self, window):
        x, y, _, _ = self.desk.geometry(window)
        return x + FRAME * self.scale, y + FRAME * self.scale

    def render(self, folder, png):
        subprocess.run([self.tool, "--render", png, *self.options, folder], env=self.env,
                       capture_output=True, timeout=60)

    def close(self, window):
        subprocess.run([self.probe, "close", str(window)], env=self.env, check=True, timeout=30)

    def finish(self):
        self.display.__exit__(None, None, None)


class WineSide:
    """tavik-check.exe on the Wine suite's display; without a window manager Wine leaves the
    caption and frame out, so the X window is the client area."""
    klass, json = "tavik-check.exe", False

    def __init__(self, scale, state, tool, helpers):
        from wine_suite import wine_environment
        self.scale, self.tool, self.helpers = scale, tool, helpers
        self.options = LANGUAGE + (["--scale", str(scale)] if scale != 1 else [])
        self.env = wine_environment(state)
        with open(os.path.join(state, "suite.json")) as f:
            self.env["DISPLAY"] = json.load(f)["display"]
        self.desk = desktop.Display()
        self.desk.env = self.env

    @staticmethod
    def wine_path(path):
        return "Z:" + os.path.abspath(path).replace("/", "\\")

    def recorder(self, folder):
        os.makedirs(os.path.join(folder, "tools"), exist_ok=True)
        shutil.copy(os.path.join(self.helpers, "record_args.exe"),
                    os.path.join(folder, "tools", "record.exe"))
        return "tools\\record.exe"

    def start(self, folder, out):
        return subprocess.Popen([self.env["WINE"], self.tool, "--preview", *self.options,
                                 self.wine_path(folder)], env=self.env, stdout=out,
                                stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL)

    def client_origin(self, window):
        x, y, _, _ = self.desk.geometry(window)
        return x, y

    def render(self, folder, png):
        subprocess.run([self.env["WINE"], self.tool, "--render", self.wine_path(png),
                        *self.options, self.wine_path(folder)], env=self.env,
                       capture_output=True, stdin=subprocess.DEVNULL, timeout=60)

    def close(self, window):
        subprocess.run([self.env["WINE"], os.path.join(self.helpers, "win_probe.exe"), "close"],
                       env=self.env, capture_output=True, timeout=30)

    def finish(self):
        pass


def cpu_seconds(proc):
    """User and system CPU time of the process (under Wine, the Windows program's own: the
    launcher becomes it)."""
    with open(f"/proc/{proc.pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def client_of_render(png, client):
    """The render's client area: inside the frame, whatever width the frame has at the scale."""
    w, h = map(int, subprocess.run(["identify", "-format", "%w %h", png], capture_output=True,
                                   text=True, check=True).stdout.split())
    crop = f"{client[0]}x{client[1]}+{(w - client[0]) // 2}+{(h - client[1]) // 2}"
    raw = subprocess.run(["convert", png, "-crop", crop, "+repage", "-depth", "8", "rgb:-"],
                         capture_output=True, check=True).stdout
    os.remove(png)
    return raw


def run(side):
    failures = []

    def expect(ok, what):
        print(("ok   " if ok else "FAIL ") + what)
        if not ok:
            failures.append(what)

    work = tempfile.mkdtemp(prefix="tavik-preview-")
    folder = os.path.join(work, "disc")
    os.makedirs(folder)
    recorder = side.recorder(folder)
    record = os.path.join(folder, "tools", "record.txt")
    out_path = os.path.join(work, "out.txt")
    out = open(out_path, "w")
    report = Report(out_path, side.json)
    proc = None
    try:
        side.desk.move(1023, 767)  # off the window: no hover in what the renders draw
        proc = side.start(folder, out)  # no autorun.inf yet: the defaults' menu
        window = side.desk.find_window(side.klass)
        origin = side.client_origin(window)
        px = lambda n: round(n * side.scale)  # noqa: E731  designed pixels at the scale
        client = (px(CLIENT[0]), px(CLIENT[1]))
        grab = lambda: screen.grab(side.desk, (*origin, *client)).raw  # noqa: E731

        def shows(what, title, loads_before):
            png = os.path.join(work, "render.png")
            side.render(folder, png)
            want = client_of_render(png, client)
            try:
                wait_for(lambda: grab() == want, SHOW, what=f"the window to show: {what}")
                expect(True, f"{what}: the window shows the render's pixels")
            except Timeout:
                shot = grab()
                bad = sum(1 for i in range(0, len(want), 3) if want[i:i + 3] != shot[i:i + 3])
                expect(False, f"{what}: {bad} pixels differ from the render")
            try:
                wait_for(lambda: len(report.titles()) > loads_before
                         and report.titles()[-1] == title, SHOW, what=f"the report of: {what}")
                expect(True, f"{what}: the report shows the title {title!r}")
            except Timeout:
                expect(False, f"{what}: report titles {report.titles()[loads_before:]}, "
                       f"want {title!r}")

        shows("no autorun.inf: the defaults", "", 0)
        write_files(folder, {"pic.bmp": bmp((200, 30, 30))})  # not named yet: no load
        for what, name, save, content, title in STEPS:
            before = len(report.titles())
            data = (content.replace("tools/record.sh", recorder).encode()
                    if isinstance(content, str) else content)
            save(os.path.join(folder, name), data)
            shows(what, title, before)

        # Idle: nothing changes, so nothing loads and (where it can be told) nothing runs.
        loads = len(report.titles())
        cpu = cpu_seconds(proc)
        time.sleep(3)  # the idle stretch being measured, not a wait for an event
        expect(len(report.titles()) == loads, f"idle: {len(report.titles()) - loads} loads")
        spent = cpu_seconds(proc) - cpu
        expect(spent < 0.5, f"idle for 3 s: {spent:.2f} s of CPU (generous: a poll loop spins)")

        # A click prints what would start and starts nothing; Exit prints and ends nothing.
        side.desk.move(origin[0] + px(50), origin[1] + px(108))  # inside Item1: 40 px, 100 px
        side.desk.click(origin[0] + px(50), origin[1] + px(108))
        wait_for(lambda: report.clicks(), SHOW, what="the click's report")
        click = report.clicks()[-1]
        printed = (click["command"] == recorder + " clicked" and click["started"] is False
                   if side.json else '"Record": nothing started' in click)
        expect(printed, f"the click printed: {click}")
        side.desk.click(origin[0] + px(455), origin[1] + px(345))  # Exit, at 440, 336 px
        wait_for(lambda: len(report.clicks()) == 2, SHOW, what="Exit's report")
        exit_click = report.clicks()[-1]
        expect((exit_click.get("exit") is True) if side.json else "would end the menu"
               in exit_click, f"Exit printed: {exit_click}")
        expect(proc.poll() is None, "the preview goes on after Exit")

        # The overlay key: boxes and twips in cyan, then gone again.
        side.desk.move(1023, 767)
        side.desk.run("xdotool", "windowfocus", str(window), check=False)
        for on in (True, False):
            side.desk.run("xdotool", "key", "o")
            wait_for(lambda: report.overlay()[-1:] == [on], SHOW, what=f"overlay {on}")
            cyan = lambda: screen.grab(side.desk, (*origin, *client)).count(  # noqa: E731
                (0, 0, *client), CYAN)
            try:
                wait_for(lambda: (cyan() > 200) == on, SHOW, what=f"overlay pixels {on}")
                expect(True, f"overlay {'on' if on else 'off'}: the boxes {'show' if on else 'go'}")
            except Timeout:
                expect(False, f"overlay {on}: {cyan()} cyan pixels")
        expect(not os.path.exists(record), "the click started nothing (no record written)")

        side.close(window)
        try:
            wait_for(lambda: process_gone(proc), END, what="the preview to end")
            expect(proc.wait(5) == 0, f"closed: exit status {proc.returncode}, want 0")
        except Timeout:
            expect(False, "the close request did not end the preview")
    finally:
        if proc is not None and proc.poll() is None:
            proc.kill()  # our own child, by its PID
            proc.wait(10)
        out.close()
        if failures:
            print("--- what the preview printed (end):\n" + report.text()[-3000:])
        shutil.rmtree(work, ignore_errors=True)
        side.finish()
    return failures


def main():
    kind, args = sys.argv[1] if len(sys.argv) > 1 else "", sys.argv[2:]
    fixed = {"gtk": 2, "wine": 3}.get(kind)
    if fixed is None or len(args) not in (fixed, fixed + 1):
        sys.exit(__doc__)
    scale = float(args[fixed]) if len(args) > fixed else 1
    side = (GtkSide if kind == "gtk" else WineSide)(scale, *args[:fixed])
    failures = run(side)
    print(f"{len(failures)} failed" if failures else "all passed")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
