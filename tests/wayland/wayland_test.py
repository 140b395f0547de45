#!/usr/bin/env python3
"""The menu on a headless Wayland compositor at one output scale, run as a session runs it
(WAYLAND_DISPLAY, and DISPLAY where the compositor runs XWayland): once alone, once with an
ordinary window already open. Checks the compositor's own facts (decoration, extent, position,
task list), the menu's Wayland trace (buffer scale and size), the screenshot's pixels (extent,
hover highlight) and input (a click starts its program, Exit and the compositor's close end the
menu). Each run lives in private mount and network namespaces, so runs never meet.
Usage: wayland_test.py sway|kwin|mutter SCALE SETUP POINTER X_PROBE TAVIK_CHECK
TAVIK_WAYLAND_KEEP=1 keeps the run's folder (screenshots, traces, logs) for a look."""
import glob
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading

sys.dont_write_bytecode = True  # a fresh machine does not set PYTHONDONTWRITEBYTECODE
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from desktop import wait_for  # noqa: E402
from disc_files import default_applications, records, write_files  # noqa: E402
import scale_checks  # noqa: E402

KIND, SCALE, SETUP, POINTER, X_PROBE = (sys.argv[1], float(sys.argv[2]), sys.argv[3],
                                         sys.argv[4], sys.argv[5])
CHECK = sys.argv[6]
BACKGROUND_BMP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "assets",
                              "background.bmp")
SCALE = int(SCALE) if SCALE == int(SCALE) else SCALE
# GTK 3 draws whole scales: on a 150 % output at 2, which the compositor shrinks to 1.5.
DRAWN = -(-SCALE // 1) if isinstance(SCALE, float) else SCALE
WIDTH, HEIGHT = 1280, 800  # logical
OUTER = (503, 380)
CENTRE = ((WIDTH - OUTER[0]) // 2, (HEIGHT - OUTER[1]) // 2)
FRAME = 3
NOBODY = 65534
MAGENTA = "FF00FF"

RECORDER = """#!/bin/sh
printf '%s|%s\\n' "$0" "$*" >> "$TAVIK_RECORD"
"""
# Item 1 records its start; item 2 opens an ordinary window that must come up over the menu;
# item 3 opens the disc's readme.txt with the desktop's default application (the same window).
ITEMS = ("[Menu]\nCaption=Sample\nNrOfItems=3\nOffsetX=600\nOffsetY=1500\nLineDistance=600\n"
         "ForeColor=65280\nHighlight=&H00FF00FF\nFontSize=12\nItem1=Record here,record.sh one\n"
         "Item2=Open a window,zenity --text-info --filename=/etc/hostname --width=900 "
         "--height=600\nItem3=Read me,notepad.exe readme.txt\n")
ITEM_ROW = (36, 96, 300, 36)  # client px around item 1
ITEM2_ROW = (36, 136, 300, 36)
ITEM3_ROW = (36, 176, 300, 36)
GREEN = "00FF00"
EXIT_AT = (455, 345)  # client px inside the Exit label


def run(args, **kw):
    return subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                          timeout=30, check=True, **kw)


def as_nobody(args):
    return ["setpriv", f"--reuid={NOBODY}", f"--regid={NOBODY}", "--clear-groups"] + list(args)


class Compositor:
    """What every compositor gives the test: its session environment, the menu's facts, a
    screenshot, a close request, and a process to end."""
    uid = 0

    def __init__(self, base):
        self.base = base
        self.runtime = os.path.join(base, "run")
        os.mkdir(self.runtime, 0o700)
        os.chown(self.runtime, self.uid, self.uid)
        self.log = open(os.path.join(base, "compositor.log"), "w")
        self.proc = None
        self.env = {k: v for k, v in os.environ.items()
                    if k not in ("DISPLAY", "WAYLAND_DISPLAY", "GDK_BACKEND", "XAUTHORITY")}
        self.env["XDG_RUNTIME_DIR"] = self.runtime

    def wait_socket(self):
        def socket():
            found = [p for p in glob.glob(os.path.join(self.runtime, "wayland-*"))
                     if not p.endswith(".lock")]
            return found[0] if found else None
        self.env["WAYLAND_DISPLAY"] = os.path.basename(wait_for(socket, 60, what="the socket"))

    def wait_xwayland(self):
        def display():
            found = sorted(glob.glob("/tmp/.X11-unix/X*"))
            return found[0] if found else None
        self.env["DISPLAY"] = ":" + wait_for(display, 60, what="XWayland").rsplit("X", 1)[1]

    def wrap(self, args):
        return as_nobody(args) if self.uid else list(args)

    def spawn(self, args, env=None, **kw):
        return subprocess.Popen(self.wrap(args), env=dict(self.env, **(env or {})), **kw)

    def changed_box(self, before, after):
        return bbox_of_change(before, after)

    def stop(self):
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.log.close()


class Sway(Compositor):
    uid = NOBODY  # sway refuses to run as root

    def start(self):
        config = os.path.join(self.runtime, "config")
        with open(config, "w") as f:
            f.write(f"output HEADLESS-1 resolution {round(WIDTH * SCALE)}x{round(HEIGHT * SCALE)} "
                    f"scale {SCALE}\n"
                    "xwayland force\n")
        os.chown(config, NOBODY, NOBODY)
        env = dict(self.env, WLR_BACKENDS="headless", WLR_RENDERER="pixman",
                   WLR_LIBINPUT_NO_DEVICES="1")
        self.proc = subprocess.Popen(as_nobody(["sway", "-c", config]), env=env,
                                     stdout=self.log, stderr=subprocess.STDOUT)
        self.wait_socket()
        self.env["SWAYSOCK"] = wait_for(
            lambda: (glob.glob(os.path.join(self.runtime, "sway-ipc.*.sock")) or [None])[0], 60,
            what="sway's IPC socket")
        self.wait_xwayland()

    def nodes(self):
        tree = json.loads(run(self.wrap(["swaymsg", "-t", "get_tree"]), env=self.env).stdout)
        out, todo = [], [tree]
        while todo:
            n = todo.pop()
            todo += n.get("nodes", []) + n.get("floating_nodes", [])
            if n.get("pid"):
                out.append(n)
        return out

    def window(self, pid):
        for n in self.nodes():
            if n["pid"] == pid:
                r = n["rect"]
                return {"x": r["x"], "y": r["y"], "w": r["width"], "h": r["height"],
                        "decorated": n["border"] not in ("none", "csd") or n["deco_rect"]["height"] > 0,
                        "listed": True,  # sway lists every view in its foreign toplevel list
                        "xwayland": n.get("shell") == "xwayland", "id": n["id"]}
        return None

    def screenshot(self, path):
        own = os.path.join(self.runtime, "shot.png")
        run(self.wrap(["grim", own]), env=self.env)
        shutil.move(own, path)

    def close(self, pid):
        run(self.wrap(["swaymsg", f"[con_id={self.window(pid)['id']}]", "kill"]), env=self.env)


class KWin(Compositor):
    def start(self):
        # The packaged binary carries a file capability that exec refuses here; a copy has none.
        binary = os.path.join(self.base, "bin", "kwin_wayland")
        os.makedirs(os.path.dirname(binary))
        shutil.copy("/usr/bin/kwin_wayland", binary)
        bus_file = os.path.join(self.base, "bus")
        env = dict(self.env, KWIN_WAYLAND_NO_PERMISSION_CHECKS="1",
                   KWIN_SCREENSHOT_NO_PERMISSION_CHECKS="1",
                   QT_LOGGING_RULES="kwin_scripting=true")
        self.proc = subprocess.Popen(
            ["dbus-run-session", "--", "sh", "-c", 'echo "$DBUS_SESSION_BUS_ADDRESS" > "$0"; exec "$@"',
             bus_file, binary, "--virtual", "--width", str(WIDTH), "--height", str(HEIGHT),
             "--scale", str(SCALE), "--xwayland", "--socket", "wayland-tavik"],
            env=env, stdout=self.log, stderr=subprocess.STDOUT, start_new_session=True)
        self.wait_socket()
        self.wait_xwayland()
        self.env["DBUS_SESSION_BUS_ADDRESS"] = wait_for(
            lambda: open(bus_file).read().strip() if os.path.exists(bus_file) else None, 10,
            what="the session bus")
        import dbus  # Debian's python3-dbus
        self.bus = dbus.bus.BusConnection(self.env["DBUS_SESSION_BUS_ADDRESS"])
        self.scripts = 0

    def script(self, body):
        """Runs a KWin script and returns the lines it printed."""
        import dbus
        self.scripts += 1
        name = f"tavik{self.scripts}"
        path = os.path.join(self.base, name + ".js")
        with open(path, "w") as f:
            f.write(body)
        scripting = dbus.Interface(self.bus.get_object("org.kde.KWin", "/Scripting"),
                                   "org.kde.kwin.Scripting")
        scripting.loadScript(path, name, signature="ss")
        marker = f"TAVIK{self.scripts} "
        scripting.start()  # runs the scripts loaded and not yet running

        def printed():
            with open(self.log.name) as f:
                lines = [line.split(marker, 1)[1].strip() for line in f if marker in line]
            return lines if lines and lines[-1] == "end" else None
        lines = wait_for(printed, 30, what="the script's output")
        scripting.unloadScript(name)
        return lines[:-1]

    def window(self, pid):
        body = ("workspace.clientList().forEach(function (c) { if (c.pid == %d) print('%s' + "
                "JSON.stringify({x: c.frameGeometry.x, y: c.frameGeometry.y, w: c.frameGeometry.width,"
                " h: c.frameGeometry.height, cw: c.bufferGeometry.width, ch: c.bufferGeometry.height,"
                " skipTaskbar: c.skipTaskbar, skipSwitcher: c.skipSwitcher})); });"
                " print('%s' + 'end');" % (pid, f"TAVIK{self.scripts + 1} ", f"TAVIK{self.scripts + 1} "))
        found = [json.loads(line) for line in self.script(body)]
        if not found:
            return None
        c = found[0]
        return {"x": c["x"], "y": c["y"], "w": c["w"], "h": c["h"], "decorated": (c["w"], c["h"]) != (c["cw"], c["ch"]),
                "listed": not c["skipTaskbar"], "switcher": not c["skipSwitcher"]}

    def screenshot(self, path):
        import dbus
        r, w = os.pipe()
        chunks = []
        reader = threading.Thread(target=lambda: chunks.append(os.fdopen(r, "rb").read()))
        reader.start()
        shot = dbus.Interface(self.bus.get_object("org.kde.KWin", "/org/kde/KWin/ScreenShot2"),
                              "org.kde.KWin.ScreenShot2")
        meta = shot.CaptureWorkspace({"native-resolution": True}, dbus.types.UnixFd(w))
        os.close(w)
        reader.join(20)
        raw = os.path.join(self.base, "shot.raw")
        with open(raw, "wb") as f:
            f.write(chunks[0])
        width, height, stride = int(meta["width"]), int(meta["height"]), int(meta["stride"])
        assert stride == width * 4, meta
        run(["convert", "-size", f"{width}x{height}", "-depth", "8", f"bgra:{raw}", path])

    def close(self, pid):
        self.script("workspace.clientList().forEach(function (c) { if (c.pid == %d) c.closeWindow(); });"
                    " print('TAVIK%d end');" % (pid, self.scripts + 1))


class Mutter(Compositor):
    """GNOME's compositor without gnome-shell: no window list to read, so the menu is found in
    the screen's pixels; input and frames through its remote desktop and screen cast."""

    def start(self):
        import dbus
        bus_file = os.path.join(self.base, "bus")
        size = f"{WIDTH * SCALE}x{HEIGHT * SCALE}"
        self.proc = subprocess.Popen(
            ["dbus-run-session", "--", "sh", "-c",
             'echo "$DBUS_SESSION_BUS_ADDRESS" > "$0"; pipewire & wireplumber & exec "$@"',
             bus_file, "mutter", "--wayland", "--headless", "--virtual-monitor", size],
            env=self.env, stdout=self.log, stderr=subprocess.STDOUT)
        self.wait_socket()
        self.wait_xwayland()
        self.env["XAUTHORITY"] = wait_for(
            lambda: (glob.glob(os.path.join(self.runtime, ".mutter-Xwaylandauth.*")) or [None])[0],
            30, what="XWayland's authority file")
        self.env["DBUS_SESSION_BUS_ADDRESS"] = wait_for(
            lambda: open(bus_file).read().strip() if os.path.exists(bus_file) else None, 10,
            what="the session bus")
        self.bus = dbus.bus.BusConnection(self.env["DBUS_SESSION_BUS_ADDRESS"])
        config = wait_for(lambda: self.dbus_or_none("org.gnome.Mutter.DisplayConfig",
                                                    "/org/gnome/Mutter/DisplayConfig"), 30,
                          what="mutter's display configuration")
        serial, monitors, _, _ = config.GetCurrentState()
        self.connector = str(monitors[0][0][0])
        if SCALE != 1:
            mode = str(monitors[0][1][0][0])
            config.ApplyMonitorsConfig(
                serial, 1, [(0, 0, dbus.Double(SCALE), dbus.UInt32(0), True,
                             [(self.connector, mode, dbus.Dictionary({}, signature="sv"))])],
                dbus.Dictionary({}, signature="sv"))
        desktop = self.dbus("org.gnome.Mutter.RemoteDesktop", "/org/gnome/Mutter/RemoteDesktop")
        path = desktop.CreateSession()
        self.session = self.dbus("org.gnome.Mutter.RemoteDesktop", path,
                                 "org.gnome.Mutter.RemoteDesktop.Session")
        session_id = self.bus.get_object("org.gnome.Mutter.RemoteDesktop", path).Get(
            "org.gnome.Mutter.RemoteDesktop.Session", "SessionId",
            dbus_interface="org.freedesktop.DBus.Properties")
        cast = self.dbus("org.gnome.Mutter.ScreenCast", "/org/gnome/Mutter/ScreenCast")
        cast_session = self.dbus("org.gnome.Mutter.ScreenCast",
                                 cast.CreateSession({"remote-desktop-session-id": session_id}),
                                 "org.gnome.Mutter.ScreenCast.Session")
        self.stream = cast_session.RecordMonitor(self.connector, {"cursor-mode": dbus.UInt32(0)})
        self.session.Start()
        self.node = wait_for(self.find_node, 60, what="the screen cast's PipeWire node")
        self.baseline = None

    def dbus(self, name, path, interface=None):
        import dbus
        return dbus.Interface(self.bus.get_object(name, path), interface or name)

    def dbus_or_none(self, name, path):
        import dbus
        try:
            proxy = self.dbus(name, path)
            proxy.GetCurrentState()
            return proxy
        except dbus.DBusException:
            return None

    def find_node(self):
        nodes = json.loads(run(["pw-dump"], env=self.env).stdout or "[]")
        for n in nodes:
            props = (n.get("info") or {}).get("props") or {}
            if n.get("type", "").endswith(":Node") and props.get("media.class") in ("Video/Source", "Stream/Output/Video"):
                return n["id"]
        return None

    def screenshot(self, path):
        frames = os.path.join(self.base, "frames")
        shutil.rmtree(frames, ignore_errors=True)
        os.mkdir(frames)
        # A static screen gives one frame, on connecting; now and then a connection gets none
        # (seen once in a full run, before the menu was started): connect again.
        for attempt in range(3):
            try:
                run(["gst-launch-1.0", "-q", "pipewiresrc", f"path={self.node}", "num-buffers=1", "!", "videoconvert", "!", "pngenc", "!", "multifilesink",
                     f"location={frames}/%d.png"], env=self.env)
                break
            except subprocess.TimeoutExpired:
                if attempt == 2:
                    raise
        shutil.move(os.path.join(frames, "0.png"), path)

    def changed_box(self, before, after):
        """The largest region that changed clearly: the stream's frames of one screen differ
        a little, and mutter shades an X11 window's surroundings."""
        out = run(["convert", before, after, "-compose", "difference", "-composite",
                   "-separate", "-evaluate-sequence", "max", "-threshold", "12%", "-define", "connected-components:verbose=true",
                   "-connected-components", "8", "null:"]).stdout
        best = None
        for m in re.finditer(r"(\d+)x(\d+)\+(\d+)\+(\d+) \S+ (\d+) (?:srgba?|gray)\(255", out):
            w, h, x, y, area = (int(v) for v in m.groups())
            if best is None or area > best[4]:
                best = (w, h, x, y, area)
        return best[:4] if best else (0, 0, 0, 0)

    def window(self, pid):
        if self.trace is not None:
            with open(self.trace) as f:
                if "xdg_toplevel" not in f.read():
                    return self.x11_window()
        # No shell to ask: the menu is where the screen changed, in logical px.
        shot = os.path.join(self.base, "facts.png")
        self.screenshot(shot)
        w, h, x, y = (v / SCALE for v in self.changed_box(self.baseline, shot))
        if w * h < 1000:
            return None
        # mutter draws no decoration on a Wayland window; anything around ours would show.
        return {"x": x, "y": y, "w": w, "h": h, "decorated": (w, h) != OUTER, "listed": True}

    def x11_window(self):
        """Through XWayland, mutter's own facts: where it put the window, the frame extents it
        gives it, and the skip-taskbar state it read."""
        def x11(*args):
            return subprocess.run(list(args), env=self.env, stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL, text=True, timeout=30).stdout
        ids = x11("xdotool", "search", "--onlyvisible", "--class", "setup").split()
        if not ids:
            return None
        info = x11("xwininfo", "-id", ids[0])
        props = x11("xprop", "-id", ids[0])
        get = lambda key: int(re.search(key + r":\s+(-?\d+)", info).group(1))
        extents = re.search(r"_NET_FRAME_EXTENTS\(CARDINAL\) = ([\d, ]+)", props)
        return {"x": get("Absolute upper-left X"), "y": get("Absolute upper-left Y"),
                "w": get("Width"), "h": get("Height"),
                # mutter gives frame extents to the windows it frames, none to ours.
                "decorated": extents is not None and extents.group(1).strip() != "0, 0, 0, 0",
                "listed": "_NET_WM_STATE_SKIP_TASKBAR" not in props}

    def close(self, pid):
        # Alt+F4, mutter's own close binding: the close request a user gives.
        for keysym, pressed in ((0xffe9, True), (0xffc1, True), (0xffc1, False), (0xffe9, False)):
            self.session.NotifyKeyboardKeysym(keysym, pressed)


class MutterPointer:
    def __init__(self, comp):
        self.comp = comp

    def say(self, line):
        import dbus
        words = line.split()
        if words[0] == "move":
            self.comp.session.NotifyPointerMotionAbsolute(
                self.comp.stream, dbus.Double(float(words[1]) * SCALE),
                dbus.Double(float(words[2]) * SCALE))
        else:
            self.comp.session.NotifyPointerButton(272, words[0] == "press")  # BTN_LEFT

    def click(self, x, y):
        self.say(f"move {x} {y}")
        self.say("press")
        self.say("release")

    def close(self):
        pass


class Pointer:
    def __init__(self, comp):
        self.proc = comp.spawn([POINTER, str(WIDTH), str(HEIGHT)], stdin=subprocess.PIPE,
                               stdout=subprocess.PIPE, text=True)
        assert self.proc.stdout.readline().strip() == "ready", "pointer not made"

    def say(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()
        assert self.proc.stdout.readline().strip() == "ok", line

    def click(self, x, y):
        self.say(f"move {x} {y}")
        self.say("press")
        self.say("release")

    def close(self):
        self.proc.stdin.close()
        self.proc.wait(10)


def bbox_of_change(before, after):
    """The device-px box where two screenshots differ: (w, h, x, y)."""
    out = run(["convert", before, after, "-compose", "difference", "-composite", "-threshold", "0",
               "-trim", "-format", "%w %h %X %Y", "info:"]).stdout.split()
    return tuple(int(v) for v in out)


def count_color(shot, box, rgb):
    x, y, w, h = box
    txt = run(["convert", shot, "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-depth", "8", "txt:-"]).stdout
    return txt.count("#" + rgb)


def start_menu(comp, base, name):
    disc = os.path.join("/tmp", name)
    os.mkdir(disc)
    shutil.copy(SETUP, os.path.join(disc, "setup"))
    write_files(disc, {"autorun.inf": ITEMS, "record.sh": RECORDER, "readme.txt": "read me\n"},
                executable=("record.sh",))
    work = os.path.join(base, name + "-work")
    os.mkdir(work)
    os.chown(work, comp.uid, comp.uid)
    record = os.path.join(work, "record.txt")
    trace = open(os.path.join(base, name + "-trace.txt"), "w")
    proc = comp.spawn([os.path.join(disc, "setup")], cwd=work, stdout=trace, stderr=trace,
                      env={"TAVIK_RECORD": record, "WAYLAND_DEBUG": "1",
                           **default_applications(work, "zenity --text-info --filename=%f "
                                                        "--width=900 --height=600")})
    trace.close()
    comp.trace = trace.name
    facts = wait_for(lambda: comp.window(proc.pid), 60, interval=0.3, what="the menu's window")
    return proc, facts, record, trace.name


def children(pid, name="zenity"):
    """The live children of a process with that program name, by /proc."""
    found = []
    for entry in os.listdir("/proc"):
        try:
            with open(f"/proc/{entry}/stat") as f:
                comm, rest = f.read().split(" (", 1)[1].rsplit(")", 1)
            fields = rest.split()
        except (OSError, IndexError, ValueError):
            continue
        if fields[1] == str(pid) and fields[0] != "Z" and comm == name:
            found.append(int(entry))
    return found


def ended(proc):
    try:
        proc.wait(15)
        return True
    except subprocess.TimeoutExpired:
        return False


def check_run(comp, base, with_other):
    """One start of the menu; returns its row of the report table."""
    row = {}
    other = None
    if with_other:
        empty = os.path.join(base, "empty.png")
        comp.screenshot(empty)
        comp.baseline, comp.trace = empty, None
        other_log = open(os.path.join(base, "other.log"), "w")
        # An ordinary window as a desktop has them, big enough to cover the centre.
        other = comp.spawn(["zenity", "--text-info", "--filename=/etc/hostname", "--width=900",
                            "--height=600"], stdout=other_log, stderr=other_log)
        other_log.close()
        wait_for(lambda: comp.window(other.pid), 60, interval=0.3, what="the other window")
    before = os.path.join(base, "before.png")
    comp.screenshot(before)
    comp.baseline = before
    name = "other" if with_other else "alone"
    proc, facts, record, trace = start_menu(comp, base, name)
    try:
        with open(trace) as f:
            native = "xdg_toplevel" in f.read()
        # The first facts may precede the first frame: wait for the painted extent.
        shot = os.path.join(base, name + ".png")

        def painted():
            comp.screenshot(shot)
            box = comp.changed_box(before, shot)
            return box if with_other or max(abs(a - b * SCALE) for a, b in zip(box, OUTER)) <= 1 else None
        try:
            box = wait_for(painted, 60, interval=0.3, what="the menu painted")
        except AssertionError:
            box = comp.changed_box(before, shot)
        facts = comp.window(proc.pid)
        row.update(backend="Wayland" if native else "XWayland", decorated=facts["decorated"],
                   extent=(facts["w"], facts["h"]), position=(facts["x"], facts["y"]),
                   listed=facts["listed"], pixels=box)
        if "switcher" in facts:
            row["switcher"] = facts["switcher"]
        if native:
            with open(trace) as f:
                text = f.read()
            # The window's own buffers, not the cursor's: the largest one and the largest scale.
            row["buffer_scale"] = max(int(v) for v in re.findall(r"set_buffer_scale\((\d+)\)", text))
            row["buffer"] = max(((int(w), int(h)) for w, h in re.findall(
                r"create_buffer\(new id wl_buffer@\d+, \d+, (\d+), (\d+),", text)),
                key=lambda b: b[0] * b[1])
        if row["decorated"] or row["extent"] != OUTER:
            return row  # the item's place on the screen is unknown: no input tried
        if SCALE == 2 and not with_other:
            # The background's fine detail is its 2x rendition's, as tavik-check draws it at
            # that scale, not the 1x picture enlarged: the formula, clear of every label.
            render = os.path.join(base, "render.png")
            subprocess.run([CHECK, "--render", render, "--scale", "2", os.path.join("/tmp", name)],
                           capture_output=True, timeout=60)
            area = (640, 140, 300, 200)
            at = (round((facts["x"] + FRAME) * 2) + area[0], round((facts["y"] + FRAME) * 2) + area[1])
            row["detail"] = scale_checks.detail_against(
                shot, (*at, *area[2:]), render, (area[0] + 6, area[1] + 6, *area[2:]),
                BACKGROUND_BMP, tuple(v // 2 for v in area), 2, base)
        pointer = MutterPointer(comp) if KIND == "mutter" else Pointer(comp)
        try:
            ox, oy = facts["x"] + FRAME, facts["y"] + FRAME
            if not with_other:
                device = tuple(round(v * SCALE) for v in (ox + ITEM_ROW[0], oy + ITEM_ROW[1],
                                                          ITEM_ROW[2], ITEM_ROW[3]))
                moves = [0]

                def highlighted():
                    # A new motion each time: a compositor may drop motion from a device it is
                    # still adding.
                    moves[0] += 1
                    pointer.say(f"move {ox + ITEM_ROW[0] + 8 + moves[0] % 2} {oy + ITEM_ROW[1] + 10}")
                    comp.screenshot(shot)
                    return count_color(shot, device, MAGENTA) > 20
                row["hover"] = wait_for(highlighted, 60, interval=0.3, what="the item highlighted")
                # The hand over the item: its hot spot, as the menu sets it on the pointer.
                if native:
                    hand = lambda: re.search(r"set_cursor\(\d+, wl_surface@\d+, 12, 1\)",
                                             open(trace).read())
                else:
                    hand = lambda: subprocess.run(
                        comp.wrap([X_PROBE, "cursor"]), env=comp.env, stdout=subprocess.PIPE,
                        text=True, timeout=30).stdout.split()[1:2] == ["12,1"]
                try:
                    row["hand"] = bool(wait_for(hand, 30, what="the hand cursor"))
                except AssertionError:
                    row["hand"] = False
                pointer.click(ox + ITEM_ROW[0] + 8, oy + ITEM_ROW[1] + 10)
                row["click"] = bool(wait_for(lambda: records(record), 30, what="the item's start"))
                row["click_keeps_menu"] = proc.poll() is None
                # The menu is no surface kept on top: the window its item opens covers it.
                # Not on sway, which keeps every floating window, the menu included, over tiled
                # ones: a started program that tiles opens below it whatever the menu asks.
                both = tuple(round(v * SCALE) for v in (ox + ITEM_ROW[0], oy + ITEM_ROW[1],
                                                        ITEM_ROW[2], ITEM3_ROW[1] - ITEM_ROW[1] + 36))

                def covered():
                    comp.screenshot(shot)
                    return count_color(shot, both, GREEN) + count_color(shot, both, MAGENTA) == 0

                # Its process is gone, but the compositor may still show its window for a while:
                # a click then lands there. The next click waits for the menu's items in view.
                def uncovered():
                    comp.screenshot(shot)
                    return count_color(shot, both, GREEN) + count_color(shot, both, MAGENTA) > 20
                # A program, then the desktop's default application: both with the click's token.
                for key, item in (("started_window_above", ITEM2_ROW),
                                  ("opened_window_above", ITEM3_ROW)):
                    pointer.click(ox + item[0] + 8, oy + item[1] + 10)
                    if KIND != "sway":
                        try:
                            row[key] = wait_for(covered, 60, interval=0.5,
                                                what="the started window over the menu")
                        except AssertionError:
                            row[key] = False
                    started = wait_for(lambda: children(proc.pid), 30, what="the program started")
                    if KIND == "sway":
                        wait_for(lambda: comp.window(started[0]), 60, interval=0.3,
                                 what="the started window")
                    for child in started:
                        os.kill(child, signal.SIGTERM)
                    wait_for(lambda: not children(proc.pid), 15, what="the started window closed")
                    wait_for(uncovered, 60, interval=0.3, what="the menu in view again")
                pointer.click(ox + EXIT_AT[0], oy + EXIT_AT[1])
                row["exit"] = ended(proc)
            else:
                comp.close(proc.pid)
                row["close"] = ended(proc)
        finally:
            pointer.close()
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()
        if other is not None:
            other.terminate()
            other.wait(10)
    return row


def main():
    base = tempfile.mkdtemp(prefix="tavik-wayland-", dir="/var/tmp")
    os.chmod(base, 0o755)
    comp = None
    try:
        # A private /tmp on the root file system: XWayland's sockets and the test discs.
        private_tmp = os.path.join(base, "tmp")
        os.mkdir(private_tmp)
        os.chmod(private_tmp, 0o1777)
        run(["mount", "--bind", private_tmp, "/tmp"])
        os.mkdir("/tmp/.X11-unix")
        os.chmod("/tmp/.X11-unix", 0o1777)
        comp = {"sway": Sway, "kwin": KWin, "mutter": Mutter}[KIND](base)
        comp.start()
        failures = []
        for with_other in (False, True):
            row = check_run(comp, base, with_other)
            print(f"{KIND} scale {SCALE} {'with another window' if with_other else 'alone'}: {row}")
            device = (round(OUTER[0] * SCALE), round(OUTER[1] * SCALE))
            expect = {"decorated": False, "extent": OUTER}
            if not with_other:
                expect.update(hover=True, hand=True, click=True, click_keeps_menu=True, exit=True)
                if KIND != "sway":
                    expect["started_window_above"] = expect["opened_window_above"] = True
                # mutter shades the row below an XWayland window: one device px of slack.
                slack = 1 if KIND == "mutter" or DRAWN != SCALE else 0
                if any(abs(a - b) > slack for a, b in zip(row["pixels"][:2], device)):
                    failures.append(f"painted extent {row['pixels'][:2]}, not {device}")
            else:
                expect["close"] = True
            if "detail" in row:
                wrong, enlarged = row["detail"]
                if wrong > 0 or enlarged < 1000:
                    failures.append(f"background detail {row['detail']}: not the 2x rendition's")
            if SCALE > 1 or KIND == "kwin":
                # Sharp: drawn natively at the output's scale (the next whole one above a
                # fractional scale), never enlarged by the compositor.
                expect.update(backend="Wayland", buffer_scale=DRAWN,
                              buffer=(OUTER[0] * DRAWN, OUTER[1] * DRAWN))
                # KWin offers org_kde_plasma_shell to every client: native at every scale, off
                # its task list and its Alt+Tab switcher, by KWin's own account.
                if KIND == "kwin":
                    expect.update(listed=False, switcher=False)
            else:
                # XWayland draws sharp at scale 1 and takes the position and the task-list hint
                # that no Wayland protocol offers an ordinary client of mutter.
                expect["backend"] = "XWayland"
                if KIND == "mutter":
                    expect["listed"] = False
            for key, value in expect.items():
                if row.get(key) != value:
                    failures.append(f"{'with another window' if with_other else 'alone'}: "
                                    f"{key} is {row.get(key)}, expected {value}")
            # Centred on every one of them, mutter's first-fit corner included.
            if max(abs(a - b) for a, b in zip(row["position"], CENTRE)) > 2:
                failures.append(f"position {row['position']}, centred is {CENTRE}")
        if failures:
            print("FAILED:\n  " + "\n  ".join(failures))
            return 1
        return 0
    finally:
        if comp is not None:
            comp.stop()
        end_namespace_processes()
        if os.environ.get("TAVIK_WAYLAND_KEEP"):
            print("kept:", base)  # screenshots, traces and logs, for a look after a failure
        else:
            shutil.rmtree(base, ignore_errors=True)


def end_namespace_processes():
    """Ends what this run started and left behind (XWayland, a bus's activated services): every
    process in this private mount namespace but this one, by its PID."""
    own = os.readlink("/proc/self/ns/mnt")

    def others():
        found = []
        for entry in os.listdir("/proc"):
            if entry.isdigit() and int(entry) != os.getpid():
                try:
                    if os.readlink(f"/proc/{entry}/ns/mnt") == own:
                        with open(f"/proc/{entry}/stat") as f:
                            if f.read().rsplit(")", 1)[1].split()[0] != "Z":
                                found.append(int(entry))
                except OSError:
                    pass
        return found
    for sig in (signal.SIGTERM, signal.SIGKILL):
        for pid in others():
            try:
                os.kill(pid, sig)
            except ProcessLookupError:
                pass
        try:
            wait_for(lambda: not others(), 10, what="the run's processes ended")
            return
        except AssertionError:
            pass


if __name__ == "__main__":
    if os.environ.get("TAVIK_WAYLAND_PRIVATE") != "1":
        # Private mount and network namespaces: XWayland's display number, the compositor's
        # sockets and /tmp are the run's own.
        os.environ["TAVIK_WAYLAND_PRIVATE"] = "1"
        os.execvp("unshare", ["unshare", "-mn", "--propagation", "private", sys.executable] + sys.argv)
    sys.exit(main())
