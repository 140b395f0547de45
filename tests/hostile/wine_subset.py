#!/usr/bin/env python3
"""A representative set of hostile discs through setup.exe under Wine, on the display and warm
wineserver of the Wine suite: the window opens at 503x380, the shown items take a click without
a crash or a second window, Exit (or a close request) ends the program, and nothing is written
to the disc. Deadlines only catch hangs; how fast the window opens is scripts/bench.sh's.
Usage: wine_subset.py STATE_DIR SETUP_EXE HELPER_DIR ASSETS_DIR [CASE...]"""
import os
import sys
import time

sys.dont_write_bytecode = True  # keep the source tree clean
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "win32"))
sys.path.insert(0, HERE)
from wine_menu import Menu  # noqa: E402  (puts tests/support on the path)
from desktop import END, SHOW, Timeout, process_gone, wait_for  # noqa: E402
import make_discs  # noqa: E402
from window_all import listing  # noqa: E402  (one notion of "the disc is unchanged")

OUTER = (503, 380)
EXIT_POINT = (445, 344)  # inside the unplaced Exit label, client pixels


def column(n):
    """Points inside the first n items of the default column (OffsetX 600, OffsetY 3100,
    LineDistance 450 twips) that lie inside the client area."""
    return [(45, 214 + 30 * i) for i in range(n) if 214 + 30 * i < 374]


# disc, items shown in the default column, and how the menu is ended: Exit lies outside the
# window when 32767 empty items push it down the column.
CASES = [
    ("binary-junk", 0, "exit"),
    ("ten-megabyte-line", 1, "exit"),
    ("utf16-without-bom", 0, "exit"),
    ("folder-named-autorun-inf", 0, "exit"),
    ("truncated-bmp", 2, "exit"),
    ("lying-bmp-header", 2, "exit"),
    ("png-claims-100000-pixels", 2, "exit"),
    ("png-decompression-bomb", 2, "exit"),
    ("jpeg-decompression-bomb", 2, "exit"),
    ("32767-items-none-present", 9, "close"),
    ("32767-items-all-present", 9, "close"),
    ("huge-font-size", 2, "exit"),
    ("invalid-colours", 2, "exit"),
    ("shell-metacharacters", 4, "exit"),
    ("thousands-of-characters", 2, "exit"),
    ("many-language-sections", 2, "exit"),
]


def pwned(folder, walk=True):
    if not walk:
        return [n for n in os.listdir(folder) if n.startswith("pwned")]
    return [os.path.join(r, n) for r, ds, fs in os.walk(folder) for n in ds + fs
            if n.startswith("pwned")]


def run_case(args, name, items, ending, specs):
    problems, notes = [], []
    menu = Menu(args, {})
    try:
        make_discs.write(os.path.dirname(menu.disc), os.path.basename(menu.disc), specs[name])
        before = listing(menu.disc)
        started = time.monotonic()
        try:
            menu.start()  # waits for the window; includes moving the pointer aside
        except Timeout:
            problems.append(f"no window within {SHOW:.0f} s" +
                            ("" if menu.proc.poll() is None else
                             f" (exited {menu.proc.returncode})"))
            return problems, notes
        notes.append(f"window {(time.monotonic() - started) * 1000:.0f} ms")
        _, _, w, h = menu.desk.geometry(menu.window)
        if (w, h) != OUTER:
            problems.append(f"window is {w}x{h}")

        for x, y in column(items):
            menu.click(x, y)
            if process_gone(menu.proc):
                problems.append(f"ended (code {menu.proc.returncode}) after a click at {(x, y)}")
                return problems, notes
        if items:
            notes.append(f"{len(column(items))} item clicks")
        windows = menu.windows()
        if len(windows) != 1:
            problems.append(f"{len(windows)} windows of setup.exe (a message box?)")

        asked = time.monotonic()
        if ending == "exit":
            menu.click(*EXIT_POINT)
        else:
            menu.probe("close")  # returns once WM_CLOSE is sent, the probe's own exit included
            asked = time.monotonic()
        try:
            wait_for(lambda: process_gone(menu.proc), END, what="setup.exe to end")
            notes.append(f"{ending}: ended in {(time.monotonic() - asked) * 1000:.0f} ms")
            if menu.proc.returncode != 0:
                problems.append(f"exit code {menu.proc.returncode}")
            wait_for(lambda: not menu.windows(), SHOW, what="the window to go")
        except Timeout as e:
            problems.append(f"{ending}: {e}")

        after = listing(menu.disc)
        changed = sorted(k for k in set(before) | set(after) if before.get(k) != after.get(k))
        if changed:
            problems.append(f"disc folder changed: {changed[:5]}")
        found = pwned(menu.disc) + pwned(menu.state_dir, walk=False)
        if found:
            problems.append(f"shell metacharacters ran: {found}")
        return problems, notes
    finally:
        menu.stop()


def main():
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    args = tuple(os.path.abspath(a) for a in sys.argv[1:5])
    only = set(sys.argv[5:])
    specs = make_discs.cases()
    started = time.monotonic()
    failed = []
    for name, items, ending in CASES:
        if only and name not in only:
            continue
        t = time.monotonic()
        try:
            problems, notes = run_case(args, name, items, ending, specs)
        except Exception as e:  # a broken step fails this case, the others still run
            problems, notes = [f"{type(e).__name__}: {e}"], []
        print(f"{'FAIL' if problems else 'ok  '} {name} ({time.monotonic() - t:.1f} s; "
              f"{'; '.join(notes)})", flush=True)
        for p in problems:
            print(f"       {p}", flush=True)
        if problems:
            failed.append(name)
    ran = len(only) if only else len(CASES)
    print(f"{ran - len(failed)} passed, {len(failed)} failed in "
          f"{time.monotonic() - started:.0f} s" + (f": {', '.join(failed)}" if failed else ""))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
