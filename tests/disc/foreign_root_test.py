#!/usr/bin/env python3
"""The disc's Linux setup on the desktops customers have: an image made with the linux-disc
build is mounted inside a minimal Debian root (11 or 13, GTK 3 run-time and fonts only) and
started there as `sh autorun.sh` on the host's Xvfb: the window opens at 503 x 380, hovering
highlights an item, a click starts a program on the disc, Exit ends the menu.
Usage: foreign_root_test.py ROOT TAVIK_DISC DISC_SETUP SETUP_EXE"""
import os
import shutil
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import desktop  # noqa: E402
from desktop import END, SHOW, process_gone, wait_for  # noqa: E402
from disc_files import write_files  # noqa: E402

ROOT, TAVIK_DISC, DISC_SETUP, SETUP_EXE = (os.path.abspath(p) for p in sys.argv[1:5])
FRAME = 3
GREEN, RED = "00FF00", "FF0000"
AUTORUN_INF = """[autorun]
open=setup.exe

[Menu]
Caption=Foreign root
NrOfItems=1
OffsetX=1500
OffsetY=1500
ForeColor=&HFF00
Highlight=&HFF
Item1=Record,\\tools\\rec.sh ran
"""
RECORDER = "#!/bin/sh\nprintf '%s|%s\\n' \"$1\" \"$(pwd)\" >> /tmp/tavik-record.txt\n"


def mount(*args):
    subprocess.run(["mount", *args], check=True)


def main():
    tmp = tempfile.mkdtemp(prefix="tavik-root-test-")
    mounts = []
    try:
        author = os.path.join(tmp, "disc")
        write_files(author, {"autorun.inf": AUTORUN_INF, "tools/rec.sh": RECORDER},
                    executable=("tools/rec.sh",))
        image = os.path.join(tmp, "disc.iso")
        subprocess.run([TAVIK_DISC, "--linux-setup", DISC_SETUP, "--windows-setup", SETUP_EXE,
                        author, image], check=True, capture_output=True)

        # The medium, /proc and the X socket inside the root, for this run only (debootstrap
        # made the root's few device nodes).
        medium = os.path.join(ROOT, "media", "tavik")
        os.makedirs(medium, exist_ok=True)
        subprocess.run(["fuseiso", image, medium], check=True)
        mounts.append(medium)
        for what, opts in (("proc", ["-t", "proc", "proc"]),
                           ("tmp/.X11-unix", ["--bind", "/tmp/.X11-unix"])):
            where = os.path.join(ROOT, what)
            os.makedirs(where, exist_ok=True)
            mount(*opts, where)
            mounts.append(where)
        record = os.path.join(ROOT, "tmp", "tavik-record.txt")
        if os.path.exists(record):
            os.remove(record)

        with desktop.Display() as d:
            env = {"PATH": "/usr/bin:/bin", "HOME": "/root", "DISPLAY": d.env["DISPLAY"],
                   "NO_AT_BRIDGE": "1", "LANG": "C.UTF-8"}
            proc = subprocess.Popen(
                [shutil.which("chroot"), ROOT, "/bin/sh", "-c", "cd /media/tavik && exec sh autorun.sh"],
                env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            try:
                try:
                    window = d.find_window("setup")
                except desktop.Timeout:
                    proc.kill()
                    raise AssertionError("no window; the menu said: " +
                                         proc.communicate()[1].decode(errors="replace")[-2000:])
                x, y, w, h = d.geometry(window)
                assert (w, h) == (503, 380), (w, h)
                ox, oy = x + FRAME, y + FRAME
                row = (ox + 95, oy + 95, 200, 40)
                wait_for(lambda: d.count_color(row, GREEN) > 20, SHOW, what="the item drawn")
                d.move(ox + 110, oy + 108)
                wait_for(lambda: d.count_color(row, RED) > 20 and d.count_color(row, GREEN) == 0,
                         SHOW, what="the item highlighted")
                d.click(ox + 110, oy + 108)
                lines = lambda: open(record).read().splitlines() if os.path.exists(record) else []
                wait_for(lines, SHOW, what="the item's program on the disc")
                assert lines() == ["ran|/media/tavik"], lines()
                d.click(ox + 448, oy + 344)  # Exit
                wait_for(lambda: process_gone(proc), END, what="Exit to end the menu")
            finally:
                if proc.poll() is None:
                    proc.kill()
                    proc.wait()
        print(f"{os.path.basename(ROOT)}: window, hover, click and Exit from the mounted image")
    finally:
        for where in reversed(mounts):
            cmd = ["fusermount", "-u", where] if where.endswith("tavik") else ["umount", where]
            subprocess.run(cmd, check=False)
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    main()
