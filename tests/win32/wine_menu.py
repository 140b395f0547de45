"""One run of setup.exe under Wine for the window tests: a fresh disc folder mapped as drive
D:, the menu started from outside it on the suite's display, captures of its client area, the
probe helper, and the end of the run. Only processes started here are ended, by their PID."""
import json
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "support"))
import desktop  # noqa: E402
from desktop import END, SHOW, process_gone, wait_for  # noqa: E402
from wine_suite import wine_environment  # noqa: E402
import screen  # noqa: E402

SCREEN = (1024, 768)
CLIENT = (497, 374)


class Checks:
    def __init__(self):
        self.failures = []

    def expect(self, ok, what):
        print(("ok   " if ok else "FAIL ") + what)
        if not ok:
            self.failures.append(what)


class Menu:
    """One run of setup.exe from a fresh disc folder mapped as D:."""

    def __init__(self, args, files):
        self.state_dir, self.setup, self.helpers, self.assets = args
        with open(os.path.join(self.state_dir, "suite.json")) as f:
            display = json.load(f)["display"]
        self.env = wine_environment(self.state_dir)
        self.env["DISPLAY"] = display
        self.desk = desktop.Display()
        self.desk.env = self.env
        self.disc = tempfile.mkdtemp(prefix="disc-", dir=self.state_dir)
        shutil.copy(self.setup, os.path.join(self.disc, "setup.exe"))
        for name, content in files.items():
            path = os.path.join(self.disc, name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            if isinstance(content, str) and content.startswith("@"):
                shutil.copy(content[1:], path)
            else:
                with open(path, "wb") as f:
                    f.write(content.encode() if isinstance(content, str) else content)
        link = os.path.join(self.env["WINEPREFIX"], "dosdevices", "d:")
        tmp = link + ".new"
        if os.path.lexists(tmp):
            os.remove(tmp)
        os.symlink(self.disc, tmp)
        os.replace(tmp, link)
        self.background = screen.Bitmap(os.path.join(self.assets, "background.bmp"))
        self.proc = None
        self.window = None
        self.origin = None

    def start(self):
        # A window left by an earlier test (Wine lets go of it late) must not be taken for ours.
        wait_for(lambda: not self.windows(), END, what="no menu window on the display")
        self.desk.move(SCREEN[0] - 1, 0)  # a window opening under the pointer gets a hover
        # Started from a folder outside the disc: a click must make D: current by itself.
        self.log = open(os.path.join(self.state_dir, "wine.log"), "w+")
        self.proc = subprocess.Popen([self.env["WINE"], "D:\\setup.exe"], env=self.env,
                                     cwd=self.state_dir, stdin=subprocess.DEVNULL,
                                     stdout=self.log, stderr=self.log)
        try:
            self.window = self.desk.find_window("setup.exe")
        except desktop.Timeout:
            self.log.seek(0)
            print(f"setup.exe {'ended' if self.proc.poll() is not None else 'runs'}; Wine said:",
                  self.log.read()[-2000:])
            raise
        x, y, _, _ = self.desk.geometry(self.window)
        self.origin = (x + 3, y + 3)
        return self

    def windows(self):
        r = self.desk.run("xdotool", "search", "--onlyvisible", "--class", "setup.exe",
                          check=False)
        return r.stdout.split()

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()  # our own child, by its PID
            self.proc.wait(10)
        shutil.rmtree(self.disc, ignore_errors=True)

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()

    # Views -------------------------------------------------------------------------------
    def shot(self):
        return screen.grab(self.desk, (*self.origin, *CLIENT))

    def wait_shot(self, predicate, what, timeout=SHOW):
        """The first client capture that satisfies the predicate."""
        return wait_for(lambda: (lambda s: s if predicate(s) else None)(self.shot()),
                        timeout, what=what)

    def painted(self, shot):
        """The designed background shows at the bottom-left corner, where no label lies."""
        return all(shot.at(x, y) == self.background.at(x, y) for x, y in ((5, 360), (60, 300)))

    def probe(self, command):
        r = subprocess.run([self.env["WINE"], os.path.join(self.helpers, "win_probe.exe"),
                            command], env=self.env, capture_output=True, text=True, timeout=30)
        return r.stdout

    def accessible(self, *command):
        """What a screen reader gets from the window: accessible_probe's output."""
        r = subprocess.run([self.env["WINE"], os.path.join(self.helpers, "accessible_probe.exe"),
                            *map(str, command)], env=self.env, capture_output=True, text=True,
                           timeout=60)
        if r.returncode != 0:
            raise RuntimeError(f"accessible_probe {command}: {r.returncode} {r.stderr[-1000:]}")
        return r.stdout

    def click(self, x, y):
        self.desk.click(self.origin[0] + x, self.origin[1] + y)

    def move(self, x, y):
        self.desk.move(self.origin[0] + x, self.origin[1] + y)

    def ended(self, timeout=END):
        try:
            wait_for(lambda: process_gone(self.proc), timeout, what="setup.exe to end")
            wait_for(lambda: not self.windows(), timeout, what="the window to go")
            return True
        except desktop.Timeout:
            return False
