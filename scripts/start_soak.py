#!/usr/bin/env python3
"""Start-up soak of the Linux menu: many starts on several private Xvfb displays side by side,
with a busy neighbour process by default. A start whose window does not map within 10 s, or
that does not end on a close request, is a hang; its thread stacks are printed (gdb).
Prints "hangs/starts" and exits 1 on any hang. Run by hand (the test suite runs 200 starts on
one display); build the linux preset first. With --accessibility-bus each display gets a
private accessibility bus and the menu starts with GTK's accessibility bridge on, as on a
desktop with a screen reader; otherwise the bridge is off.

  scripts/start_soak.py [--displays 3] [--starts 900] [--no-neighbour] [--accessibility-bus]
                        [SETUP START_LOOP AUTORUN_INF]"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "support"))
import desktop  # noqa: E402
from at_bus import AccessibilityBus, become_subreaper, end_orphans  # noqa: E402


def stage_disc(setup, inf):
    disc = tempfile.mkdtemp(prefix="tavik-soak-")
    shutil.copy(setup, os.path.join(disc, "setup"))
    shutil.copy(inf, os.path.join(disc, "autorun.inf"))
    return disc


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--displays", type=int, default=3)
    p.add_argument("--starts", type=int, default=900, help="in all, shared by the displays")
    p.add_argument("--timeout", type=int, default=20,
                   help="seconds a start may take to map or to end before it counts as hung")
    p.add_argument("--no-neighbour", action="store_true")
    p.add_argument("--accessibility-bus", action="store_true")
    p.add_argument("paths", nargs="*", default=[
        os.path.join(ROOT, "build/linux/setup"),
        os.path.join(ROOT, "build/linux/tests/gtk/tavik_start_loop"),
        os.path.join(ROOT, "examples/disc/autorun.inf")])
    a = p.parse_args()
    setup, loop, inf = (os.path.abspath(x) for x in a.paths)
    share = [a.starts // a.displays + (i < a.starts % a.displays) for i in range(a.displays)]

    if a.accessibility_bus:
        become_subreaper()  # the buses' daemons outlive their parents
    neighbour = None
    if not a.no_neighbour:  # keeps one core busy, as a desktop's other programs would
        neighbour = subprocess.Popen([sys.executable, "-c", "while True: pass"])
    displays, loops, discs, buses = [], [], [], []
    try:
        for n in share:
            d = desktop.Display().__enter__()
            displays.append(d)
            disc = stage_disc(setup, inf)
            discs.append(disc)
            env = dict(d.env, NO_AT_BRIDGE="1")
            if a.accessibility_bus:
                buses.append(AccessibilityBus(d.env, disc).start())
                env = buses[-1].env
            loops.append(subprocess.Popen(
                [loop, str(n), str(a.timeout), "--", os.path.join(disc, "setup")],
                env=env, cwd=disc, stdout=subprocess.PIPE, text=True))
        hangs = 0
        for d, proc in zip(displays, loops):
            out, _ = proc.communicate()
            for line in out.splitlines():
                if line.startswith("starts="):
                    hangs += int(line.split("hangs=")[1])
                else:
                    print(f"{d.env['DISPLAY']}: {line}")
            if proc.returncode not in (0, 1):
                print(f"{d.env['DISPLAY']}: the start loop failed ({proc.returncode})")
                hangs += 1
        print(f"{hangs}/{a.starts} starts hung ({a.displays} displays"
              f"{', busy neighbour' if neighbour else ''})")
        return 0 if hangs == 0 else 1
    finally:
        for proc in loops:
            if proc.poll() is None:
                proc.kill()
                proc.wait()
        if neighbour:
            neighbour.kill()
            neighbour.wait()
        for bus in buses:
            bus.stop()
        for d in displays:
            d.__exit__(None, None, None)
        if a.accessibility_bus:
            end_orphans()
        for disc in discs:
            shutil.rmtree(disc, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
