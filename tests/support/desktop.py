"""Drives real windows on a private Xvfb display: start the display, find a window, move and
click the mouse, read pixels and geometry. Every wait polls with a deadline; nothing sleeps
blindly and only processes started here are ended, by their PID."""
import os
import re
import shutil
import subprocess
import tempfile
import time


# Every deadline in the tests only catches a hang, so it is generous: a shared, busy machine
# must never fail a test by being slow. How fast things are is the benchmark's business.
SHOW = 20.0  # a window, a frame, a highlight, a started program
END = 15.0  # a process to end, a window to go


class Timeout(AssertionError):
    pass


def wait_for(predicate, timeout=SHOW, interval=0.05, what="condition"):
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Timeout(f"timed out after {timeout}s waiting for {what}")
        time.sleep(interval)


class Display:
    """A private Xvfb server; use as a context manager."""

    def __init__(self, width=1024, height=768):
        self.size = (width, height)
        self.proc = None
        self.env = None
        self.tmp = tempfile.mkdtemp(prefix="tavik-display-")
        self.shots = 0

    def __enter__(self):
        r, w = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0",
             f"{self.size[0]}x{self.size[1]}x24", "-dpi", "96", "-nolisten", "tcp",
             # Without -noreset the server resets when its last client leaves, dropping the
             # pointer position between separate xdotool calls.
             "-noreset"],
            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as f:
            number = f.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.env = dict(os.environ, DISPLAY=":" + number)
        return self

    def __exit__(self, *exc):
        if self.proc:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
        shutil.rmtree(self.tmp, ignore_errors=True)

    def run(self, *args, check=True, timeout=20):
        return subprocess.run(list(args), env=self.env, capture_output=True, text=True,
                              check=check, timeout=timeout)

    def spawn(self, args, env=None, **kw):
        e = dict(self.env)
        if env:
            e.update(env)
        return subprocess.Popen(args, env=e, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, **kw)

    # Windows -------------------------------------------------------------------------------
    def find_window(self, klass, timeout=SHOW):
        """The id of the first visible window of a class ('xdotool search --sync' never times
        out, so poll)."""
        def look():
            r = self.run("xdotool", "search", "--onlyvisible", "--class", klass, check=False)
            ids = r.stdout.split()
            return ids[0] if ids else None
        return wait_for(look, timeout, what=f"a window of class {klass}")

    def geometry(self, window):
        """(x, y, width, height) of a window, absolute on the screen."""
        out = self.run("xwininfo", "-id", str(window)).stdout
        get = lambda k: int(re.search(k + r":\s+(-?\d+)", out).group(1))
        return (get("Absolute upper-left X"), get("Absolute upper-left Y"),
                get("Width"), get("Height"))

    def window_exists(self, window):
        return self.run("xwininfo", "-id", str(window), check=False).returncode == 0

    # Mouse ---------------------------------------------------------------------------------
    def move(self, x, y):
        self.run("xdotool", "mousemove", str(x), str(y))

    def click(self, x, y, button=1):
        self.move(x, y)
        self.run("xdotool", "click", str(button))

    # Pixels --------------------------------------------------------------------------------
    def screenshot(self, path=None):
        if path is None:
            self.shots += 1
            path = os.path.join(self.tmp, f"shot{self.shots}.png")
        self.run("import", "-window", "root", path)
        return path

    def pixel(self, x, y, shot=None):
        """The colour at (x, y) as 'RRGGBB'."""
        shot = shot or self.screenshot()
        out = subprocess.run(["convert", shot, "-format", f"%[hex:p{{{x},{y}}}]", "info:"],
                             capture_output=True, text=True, check=True).stdout.strip()
        return out[:6].upper()

    def count_color(self, rect, rgb, shot=None, tolerance=0):
        """How many pixels of the rectangle (x, y, w, h) have the colour 'RRGGBB'."""
        shot = shot or self.screenshot()
        x, y, w, h = rect
        out = subprocess.run(
            ["convert", shot, "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-depth", "8", "txt:-"],
            capture_output=True, text=True, check=True).stdout
        want = tuple(int(rgb[i:i + 2], 16) for i in (0, 2, 4))
        n = 0
        for line in out.splitlines()[1:]:
            m = re.search(r"#([0-9A-Fa-f]{6})", line)
            if m:
                c = tuple(int(m.group(1)[i:i + 2], 16) for i in (0, 2, 4))
                if all(abs(a - b) <= tolerance for a, b in zip(c, want)):
                    n += 1
        return n


def process_gone(proc_or_pid):
    """True once the process has exited (a reaped child, or a zombie nobody reaped)."""
    pid = proc_or_pid if isinstance(proc_or_pid, int) else proc_or_pid.pid
    if not isinstance(proc_or_pid, int) and proc_or_pid.poll() is not None:
        return True
    try:
        with open(f"/proc/{pid}/stat") as f:
            return f.read().rsplit(")", 1)[1].split()[0] in ("Z", "X")
    except FileNotFoundError:
        return True
