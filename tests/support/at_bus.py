"""A private accessibility bus for tests that run the menu with GTK's accessibility bridge on:
a session bus from dbus-run-session and at-spi-bus-launcher on it. The bus's daemons (the
registry daemon is started by D-Bus activation) outlive their parents, so a test that uses the
bus makes itself their reaper and ends every one by its PID."""
import ctypes
import os
import signal
import subprocess
import time

from desktop import SHOW, wait_for

PR_SET_CHILD_SUBREAPER = 36


def become_subreaper():
    """Orphans of what this process starts become its children, so they can be found and
    ended by PID."""
    libc = ctypes.CDLL(None, use_errno=True)
    if libc.prctl(PR_SET_CHILD_SUBREAPER, 1, 0, 0, 0) != 0:
        raise OSError(ctypes.get_errno(), "prctl(PR_SET_CHILD_SUBREAPER)")


def own_children():
    me, found = os.getpid(), []
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        try:
            with open(f"/proc/{name}/stat") as f:
                if int(f.read().rsplit(")", 1)[1].split()[1]) == me:
                    found.append(int(name))
        except (OSError, IndexError, ValueError):
            pass
    return found


def end_process(proc):
    if proc is None or proc.poll() is not None:
        return
    proc.terminate()
    try:
        proc.wait(5)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait(5)


def end_orphans(keep=()):
    """Ends and reaps every remaining child but those in keep, each by its PID: SIGTERM, then
    SIGKILL."""
    deadline = time.monotonic() + 5
    termed = set()
    while time.monotonic() < deadline + 5:
        pids = [p for p in own_children() if p not in keep]
        for pid in pids:
            try:
                if os.waitpid(pid, os.WNOHANG)[0] == pid:
                    continue
                sig = signal.SIGKILL if time.monotonic() > deadline else signal.SIGTERM
                if sig == signal.SIGKILL or pid not in termed:
                    os.kill(pid, sig)
                    termed.add(pid)
            except (ChildProcessError, ProcessLookupError):
                pass
        if not pids:
            return
        time.sleep(0.05)
    raise RuntimeError(f"processes left running: {own_children()}")


class AccessibilityBus:
    """The buses for one display's environment; `env` is what programs on them get (the bridge
    switched on)."""

    def __init__(self, base_env, runtime_dir):
        self.base_env, self.runtime_dir = base_env, runtime_dir
        self.session = self.launcher = None
        self.env = None

    def start(self):
        # The session lasts while `cat` reads: closing its input, or this process dying,
        # ends the session and its daemon.
        self.session = subprocess.Popen(
            ["dbus-run-session", "--", "sh", "-c",
             'echo "$DBUS_SESSION_BUS_ADDRESS"; exec cat >/dev/null'],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
            env=self.base_env, text=True)
        address = self.session.stdout.readline().strip()
        if not address:
            raise RuntimeError("dbus-run-session gave no bus address")
        env = dict(self.base_env, DBUS_SESSION_BUS_ADDRESS=address,
                   XDG_RUNTIME_DIR=self.runtime_dir)  # where the launcher puts its socket
        for name in ("NO_AT_BRIDGE", "AT_SPI_BUS_ADDRESS"):
            env.pop(name, None)
        self.env = env
        self.launcher = subprocess.Popen(
            ["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"], env=env,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Asking for the bus's address before the launcher owns its name would start another.
        wait_for(lambda: "boolean true" in subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
             "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
             "string:org.a11y.Bus"], env=env, capture_output=True, text=True,
            timeout=10).stdout,
            SHOW, what="the accessibility bus launcher")
        return self

    def stop(self):
        end_process(self.launcher)
        if self.session is not None:
            self.session.stdin.close()
            try:
                self.session.wait(5)
            except subprocess.TimeoutExpired:
                end_process(self.session)
            self.session.stdout.close()
