#!/usr/bin/env python3
"""Every hostile disc through the real Linux window on private Xvfb displays: the window opens
at 503x380, every shown label takes a click without a crash or hang, Exit (or a close request
when Exit lies outside) ends the menu, and nothing is written or left running. Deadlines only
catch hangs; how fast the window opens is scripts/bench.sh's.
Usage: window_all.py SETUP [--probe X_PROBE] [--check TAVIK_CHECK] [--jobs N] [CASE...]"""
import argparse
import json
import os
import queue
import shutil
import subprocess
import sys
import tempfile
import threading
import time

sys.dont_write_bytecode = True  # keep the source tree clean
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "support"))
sys.path.insert(0, HERE)
import desktop  # noqa: E402
from desktop import END, SHOW, Timeout, wait_for  # noqa: E402
import make_discs  # noqa: E402

FRAME = 3
CLIENT = (497, 374)
OUTER = (503, 380)
EXIT_TWIPS = (6600, 5040)  # where an unplaced Exit label sits

# A program on PATH for the discs' commands: appends its arguments, unit-separated, to a file.
RECORDER = """#!/bin/sh
line=""
for a in "$@"; do line="$line$a$(printf '\\037')"; done
printf '%s\\n' "$line" >> "$TAVIK_RECORD"
"""
# What tavik-record must receive, one list per item clicked, in item order.
EXPECTED_RECORDS = {
    "arguments-with-metacharacters": [
        ["$(touch", "pwned-b)", "`touch", "pwned-c`", ";", "touch", "pwned-d"],
        ["|", "touch", "pwned-e", "&&", "touch", "pwned-f", ">", "pwned-g", "<", "/etc/passwd",
         "2>&1", "&"],
        ["$HOME", "~", "*", "?", "[a]", "{a..b}", "%PATH%"],
        ["a b", "'c", "d'", "unterminated"],
    ],
}


def proc_stat(pid):
    """(state, ppid, session) of a process, or None once it is gone."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
    except (FileNotFoundError, ProcessLookupError, IndexError):
        return None
    return fields[0], int(fields[1]), int(fields[3])


def all_pids():
    return [int(p) for p in os.listdir("/proc") if p.isdigit()]


def zombie_children(pid):
    return [p for p in all_pids() if (s := proc_stat(p)) and s[1] == pid and s[0] == "Z"]


def session_members(sid):
    """Processes still in the menu's session: anything it started that outlived it."""
    return [p for p in all_pids() if (s := proc_stat(p)) and s[2] == sid]


def listing(folder):
    """Every entry under the folder with its type, size, mode and change times (no atime)."""
    entries = {}
    for root, dirs, files in os.walk(folder):
        for name in dirs + files:
            path = os.path.join(root, name)
            st = os.lstat(path)
            entries[os.path.relpath(path, folder)] = (st.st_mode, st.st_size, st.st_mtime_ns,
                                                      st.st_ctime_ns)
    return entries


def pwned(*folders):
    return [os.path.join(r, n) for folder in folders for r, ds, fs in os.walk(folder)
            for n in ds + fs if n.startswith("pwned")]


def click_points(report):
    """(what, client x, client y) for every shown item label inside the client area and not
    under Exit, and Exit's point (None when it lies outside the window)."""
    points, exit_point = [], None
    exit_label = report["labels"][8]
    exit_corner = (exit_label["left"], exit_label["top"]) if exit_label["shown"] else None
    for label in report["labels"]:
        if not label["shown"]:
            continue
        left, top = label["left"], label["top"]
        if left is None or top is None:
            if label["index"] != 8:
                continue
            left, top = EXIT_TWIPS
        # A few pixels into the box: the letters of even a small font cover this point.
        x, y = int(left // 15) + 5, int(top // 15) + 8
        inside = 0 <= x < CLIENT[0] and 0 <= y < CLIENT[1]
        if label["index"] == 8:
            exit_point = (x, y) if inside else None
        elif inside and (left, top) != exit_corner:  # Exit on top takes that click
            points.append((f"item {label['index'] + 1}", x, y))
    return points, exit_point


class Case:
    def __init__(self, name, base, tools, display):
        self.name, self.tools, self.d = name, tools, display
        self.disc = os.path.join(base, name)
        self.work = tempfile.mkdtemp(prefix=f"cwd-{name}-", dir=base)
        self.record = os.path.join(base, "records", name + ".txt")
        self.problems, self.notes = [], []
        self.proc, self.window = None, None

    def expect(self, ok, what):
        if not ok:
            self.problems.append(what)
        return ok

    def run(self):
        shutil.copy(self.tools.setup, os.path.join(self.disc, "setup"))
        check = subprocess.run([self.tools.check, "--json", self.disc], capture_output=True,
                               text=True, timeout=20)
        report = json.loads(check.stdout)
        points, exit_point = click_points(report)
        before = listing(self.disc)
        wait_for(lambda: not self.windows(), END, what="no menu window left on the display")
        self.d.move(1023, 767)  # away from where the window opens
        started = time.monotonic()
        env = {"PATH": os.path.join(os.path.dirname(self.disc), "bin") + ":" +
               os.environ.get("PATH", ""), "TAVIK_RECORD": self.record}
        self.proc = self.d.spawn([os.path.join(self.disc, "setup")], cwd=self.work, env=env,
                                 start_new_session=True)
        try:
            self.window = self.d.find_window("setup")
        except Timeout:
            alive = self.proc.poll() is None
            self.problems.append(f"no window within {SHOW:.0f} s" +
                                 ("" if alive else f" (exited {self.proc.returncode})"))
            return self.finish(before)
        self.notes.append(f"window {(time.monotonic() - started) * 1000:.0f} ms")
        x, y, w, h = self.d.geometry(self.window)
        self.expect((w, h) == OUTER, f"window is {w}x{h}, not {OUTER[0]}x{OUTER[1]}")
        origin = (x + FRAME, y + FRAME)

        for what, px, py in points:
            self.d.click(origin[0] + px, origin[1] + py)
            if self.proc.poll() is not None:
                self.problems.append(f"menu ended (code {self.proc.returncode}) after a click on "
                                     f"{what} at ({px}, {py})")
                return self.finish(before)
        self.notes.append(f"{len(points)} item clicks")
        want = EXPECTED_RECORDS.get(self.name, [])
        try:
            wait_for(lambda: len(self.records()) >= len(want), SHOW, what="the items' programs")
        except Timeout:
            pass
        self.expect(self.records() == want, f"programs started with {self.records()}, "
                                            f"expected {want}")
        try:
            wait_for(lambda: not zombie_children(self.proc.pid), END, what="children reaped")
        except Timeout:
            self.problems.append(f"zombie children {zombie_children(self.proc.pid)}")

        clicked = time.monotonic()
        if exit_point:
            self.d.click(origin[0] + exit_point[0], origin[1] + exit_point[1])
            how = f"Exit click at {exit_point}"
        else:
            self.d.run(self.tools.probe, "close", self.window)
            how = "close request (Exit outside the window)"
        try:
            wait_for(lambda: self.proc.poll() is not None, END, what="the menu to end")
            self.notes.append(f"{how}: ended in {(time.monotonic() - clicked) * 1000:.0f} ms")
            self.expect(self.proc.returncode == 0, f"menu exit code {self.proc.returncode}")
        except Timeout:
            self.problems.append(f"{how}: still running after {END:.0f} s")
        return self.finish(before)

    def finish(self, before):
        if self.proc.poll() is not None:
            try:
                wait_for(lambda: not session_members(self.proc.pid), END, what="descendants gone")
            except Timeout:
                self.problems.append(f"left running: {session_members(self.proc.pid)}")
            try:
                wait_for(lambda: not self.windows(), SHOW, what="the window to go")
            except Timeout:
                self.problems.append("window stays after the menu ended")
        after = listing(self.disc)
        changed = sorted(k for k in set(before) | set(after) if before.get(k) != after.get(k))
        self.expect(not changed, f"disc folder changed: {changed[:5]}")
        written = os.listdir(self.work)
        self.expect(not written, f"working folder written: {written[:5]}")
        found = pwned(self.disc, self.work)
        self.expect(not found, f"shell metacharacters ran: {found}")

    def records(self):
        try:
            with open(self.record) as f:
                return [line.rstrip("\n").split("\037")[:-1] for line in f]
        except FileNotFoundError:
            return []

    def windows(self):
        r = self.d.run("xdotool", "search", "--onlyvisible", "--class", "setup", check=False)
        return r.stdout.split()

    def close(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()  # our own child, by its PID
            self.proc.wait(5)
        shutil.rmtree(self.work, ignore_errors=True)


def worker(names, base, tools, results, lock):
    with desktop.Display() as display:
        while True:
            try:
                name = names.get_nowait()
            except queue.Empty:
                return
            started = time.monotonic()
            case = Case(name, base, tools, display)
            try:
                case.run()
            except Exception as e:  # a broken harness step is a failure of this case too
                case.problems.append(f"{type(e).__name__}: {e}")
            finally:
                case.close()
            took = time.monotonic() - started
            with lock:
                results[name] = (case.problems, case.notes, took)
                mark = "FAIL" if case.problems else "ok  "
                print(f"{mark} {name} ({took:.1f} s; {'; '.join(case.notes)})", flush=True)
                for p in case.problems:
                    print(f"       {p}", flush=True)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("setup")
    ap.add_argument("--probe", help="tavik_x_probe (default: beside setup, tests/gtk)")
    ap.add_argument("--check", help="tavik-check (default: beside setup)")
    ap.add_argument("--jobs", type=int, default=2, help="displays side by side")
    ap.add_argument("cases", nargs="*")
    tools = ap.parse_args()
    tools.setup = os.path.abspath(tools.setup)
    build = os.path.dirname(tools.setup)
    tools.check = tools.check or os.path.join(build, "tavik-check")
    tools.probe = tools.probe or os.path.join(build, "tests", "gtk", "tavik_x_probe")

    specs = make_discs.cases()
    names = tools.cases or list(specs)
    unknown = [n for n in names if n not in specs]
    if unknown:
        sys.exit(f"unknown cases: {unknown}")
    base = tempfile.mkdtemp(prefix="tavik-hostile-")
    started = time.monotonic()
    try:
        for name in names:
            make_discs.write(base, name, specs[name])
        os.makedirs(os.path.join(base, "records"))
        os.makedirs(os.path.join(base, "bin"))
        recorder = os.path.join(base, "bin", "tavik-record")
        with open(recorder, "w") as f:
            f.write(RECORDER)
        os.chmod(recorder, 0o755)
        todo = queue.Queue()
        for name in names:
            todo.put(name)
        results, lock = {}, threading.Lock()
        threads = [threading.Thread(target=worker, args=(todo, base, tools, results, lock))
                   for _ in range(max(1, tools.jobs))]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
    finally:
        subprocess.run(["chmod", "-R", "u+rwx", base], check=False)
        shutil.rmtree(base, ignore_errors=True)
    failed = [n for n in names if n not in results or results[n][0]]
    print(f"{len(names) - len(failed)} passed, {len(failed)} failed "
          f"in {time.monotonic() - started:.0f} s" + (f": {', '.join(failed)}" if failed else ""))
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
