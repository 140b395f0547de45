#!/usr/bin/env python3
"""What a screen reader sees of tavik-check --preview across a save: the tree of the fresh
form (window name, title, items by caption), not the one it replaced, and the preview still
running. On a private accessibility bus, read with pyatspi (Debian's /usr/bin/python3).
Usage: preview_accessible_test.py TAVIK_CHECK"""
import os
import shutil
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # a fresh machine does not set PYTHONDONTWRITEBYTECODE
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import desktop  # noqa: E402
from desktop import SHOW, wait_for  # noqa: E402
from at_bus import AccessibilityBus, become_subreaper, end_orphans, end_process  # noqa: E402

TOOL = sys.argv[1]
SAVES = [  # (autorun.inf, what a reader must find: window, title, items..., Exit)
    ("[Menu]\nCaption=First\nNrOfItems=2\nItem1=Alpha,a\nItem2=Beta,b\n",
     ["First", "First", "Alpha", "Beta", "Exit"]),
    ("[Menu]\nCaption=Second\nNrOfItems=3\nItem1=One,a\nItem2=Two,b\nItem3=Three,c\n",
     ["Second", "Second", "One", "Two", "Three", "Exit"]),
]


def names(pyatspi, app):
    """The frame's name, then every element of the client in the order readers walk them."""
    frame = app.getChildAtIndex(0)
    client = frame.getChildAtIndex(0)
    return [frame.name] + [client.getChildAtIndex(i).name for i in range(client.childCount)]


def main():
    become_subreaper()
    work = tempfile.mkdtemp(prefix="tavik-preview-a11y-")
    inf, out_path = os.path.join(work, "autorun.inf"), os.path.join(work, "out.txt")
    runtime = os.path.join(work, "runtime")
    os.mkdir(runtime, 0o700)
    with open(inf, "w") as f:
        f.write(SAVES[0][0])
    bus = proc = None
    try:
        with desktop.Display() as d, open(out_path, "w") as out:
            bus = AccessibilityBus(d.env, runtime).start()
            os.environ.update(bus.env)  # pyatspi reads the bus from the environment
            import pyatspi
            pyatspi.setTimeout(20000, 20000)  # ms: a busy machine answers late, never wrongly
            proc = subprocess.Popen([TOOL, "--preview", "--json", work], env=bus.env,
                                    stdout=out, stderr=subprocess.DEVNULL)
            app = wait_for(lambda: next((a for a in pyatspi.Registry.getDesktop(0) if a
                                         and a.get_process_id() == proc.pid and a.childCount),
                                        None), SHOW, what="the preview on the bus")
            for n, (text, want) in enumerate(SAVES):
                if n:
                    with open(inf, "w") as f:
                        f.write(text)
                wait_for(lambda: open(out_path).read().count('"settings_path"') > n, SHOW,
                         what=f"load {n + 1}")
                wait_for(lambda: names(pyatspi, app) == want, SHOW,
                         what=f"a reader to find {want} (last: {names(pyatspi, app)})")
                assert proc.poll() is None, "the preview ended"
    finally:
        end_process(proc)
        if bus is not None:
            bus.stop()
        end_orphans()
        shutil.rmtree(work, ignore_errors=True)
    print("a reader follows the preview's loads")


if __name__ == "__main__":
    main()
