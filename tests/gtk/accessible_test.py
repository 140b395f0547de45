#!/usr/bin/python3
"""The Linux menu as a screen reader sees it: AT-SPI on a private session bus and accessibility
bus, read with pyatspi. The tree is the one `tavik-check --json` reports, located where the
labels are painted, armed under the mouse, and its actions start the items' programs and end
the menu; and a reader walking the tree changes no pixel.
Runs under Debian's /usr/bin/python3, the one that has pyatspi.
Usage: accessible_test.py SETUP_EXE TAVIK_CHECK_EXE X_PROBE"""
import sys

sys.dont_write_bytecode = True

import faulthandler  # noqa: E402
import json  # noqa: E402
import math  # noqa: E402
import os  # noqa: E402
import shutil  # noqa: E402
import subprocess  # noqa: E402
import tempfile  # noqa: E402
import threading  # noqa: E402

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import desktop  # noqa: E402
from desktop import END, SHOW, process_gone, wait_for  # noqa: E402
from disc_files import records, write_files  # noqa: E402
from at_bus import (AccessibilityBus, become_subreaper, end_orphans, end_process,  # noqa: E402
                    own_children)

SETUP, CHECK, PROBE = sys.argv[1:4]
FRAME = 3
GREEN, MAGENTA, BLACK = "00FF00", "FF00FF", "000000"

# Item 1 starts inside the title's box (rows 30..40 px), so a point there holds two labels.
INF = ("[Menu]\nCaption=Sample Disc\nNrOfItems=3\nOffsetX=600\nOffsetY=450\nLineDistance=600\n"
       "ForeColor=65280\nHighlight=&H00FF00FF\nFontSize=12\n"
       "Item1=Read me,record.sh one\nItem2=Zweite Straße,record.sh two\n"
       "Item3=Browse,record.sh three\n")
# Client pixels: a point in both the title and item 1, on the title only, on bare background,
# and a point on each item (the last is Exit at its designed place).
OVERLAP, TITLE_ONLY, BACKGROUND = (45, 35), (300, 20), (300, 250)
ITEM_POINTS = {"Read me": OVERLAP, "Zweite Straße": (45, 78), "Browse": (45, 118),
               "Exit": (445, 344)}

RECORDER = """#!/bin/sh
printf '%s|%s|ppid=%s\\n' "$(basename "$0")" "$*" "$PPID" >> "$TAVIK_RECORD"
"""

HANG_DEADLINE = 90  # s, before ctest's own: only a hang gets near it
TEMP_DIRS = []  # everything this run made, removed even after a hang


def temp_dir(prefix):
    TEMP_DIRS.append(tempfile.mkdtemp(prefix=prefix))
    return TEMP_DIRS[-1]


def px(twips):
    return math.floor(twips / 15 + 0.5)


def watch_for_hang():
    """A call that hangs inside libdbus never returns to Python, and ctest would then kill this
    process alone: end what it started, by PID, and fail first."""
    def fire():
        sys.stderr.write(f"hung for {HANG_DEADLINE} s; where:\n")
        faulthandler.dump_traceback(all_threads=True)
        try:
            end_orphans()
        finally:
            for path in TEMP_DIRS:
                shutil.rmtree(path, ignore_errors=True)
            os._exit(1)
    timer = threading.Timer(HANG_DEADLINE, fire)
    timer.daemon = True
    timer.start()


class Session:
    """Xvfb, a session bus from dbus-run-session and the accessibility bus, all private."""

    def __enter__(self):
        become_subreaper()
        watch_for_hang()
        self.tmp = temp_dir("tavik-a11y-")
        self.display = desktop.Display()
        TEMP_DIRS.append(self.display.tmp)
        self.bus = None
        try:
            self.start()
        except BaseException:
            self.__exit__(*sys.exc_info())
            raise
        return self

    def start(self):
        self.display.__enter__()
        self.bus = AccessibilityBus(self.display.env, self.tmp).start()
        self.env = self.bus.env
        os.environ.update(self.env)
        os.environ.pop("AT_SPI_BUS_ADDRESS", None)

    def __exit__(self, *exc):
        try:
            if self.bus is not None:
                self.bus.stop()
        finally:
            self.display.__exit__(*exc)
            end_orphans()
            shutil.rmtree(self.tmp, ignore_errors=True)


class Disc:
    """A disc folder with setup, autorun.inf and the recorder; a work folder for the records."""

    def __init__(self):
        self.folder = temp_dir("tavik-disc-")
        self.work = temp_dir("tavik-cwd-")
        self.record = os.path.join(self.work, "record.txt")
        shutil.copy(SETUP, os.path.join(self.folder, "setup"))
        write_files(self.folder, {"autorun.inf": INF, "record.sh": RECORDER},
                    executable=("record.sh",))

    def records(self):
        return records(self.record)

    def remove(self):
        shutil.rmtree(self.folder, ignore_errors=True)
        shutil.rmtree(self.work, ignore_errors=True)


def start_menu(session, disc, **env):
    d = session.display
    proc = subprocess.Popen([os.path.join(disc.folder, "setup")], cwd=disc.work,
                            env=dict(session.env, TAVIK_RECORD=disc.record, **env),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    window = d.find_window("setup")
    return proc, window, d.geometry(window)


# Pixels ------------------------------------------------------------------------------------

def crop(d, rect, name):
    """The rectangle (x, y, w, h) of a fresh screenshot as raw RGB bytes."""
    shot = d.screenshot(os.path.join(d.tmp, name))
    x, y, w, h = rect
    return subprocess.run(["convert", shot, "-crop", f"{w}x{h}+{x}+{y}", "+repage", "-depth",
                           "8", "rgb:-"], capture_output=True, check=True).stdout


def pixels_of(data, width, rgb):
    want = bytes.fromhex(rgb)
    return [((i // 3) % width, (i // 3) // width) for i in range(0, len(data), 3)
            if data[i:i + 3] == want]


def settled(d, rect, name):
    """The window's pixels once two screenshots in a row agree and the items are drawn."""
    last = [None]

    def look():
        now = crop(d, rect, name)
        same = now == last[0] and len(pixels_of(now, rect[2], GREEN)) > 100
        last[0] = now
        return now if same else None
    return wait_for(look, SHOW, what="the window painted and still")


def inside(points, box):
    x, y, w, h = box
    return [p for p in points if x <= p[0] < x + w and y <= p[1] < y + h]


# The reader's side ---------------------------------------------------------------------------

def pumped(predicate):
    """A wait_for predicate that first lets pyatspi's main context deliver events."""
    from gi.repository import GLib

    def check():
        context = GLib.MainContext.default()
        while context.iteration(False):
            pass
        return predicate()
    return check


def find_app(pyatspi, pid):
    def look():
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == pid and app.childCount > 0:
                return app
        return None
    return wait_for(look, SHOW, what=f"AT-SPI application of process {pid}")


def box_of(accessible, coords):
    e = accessible.queryComponent().getExtents(coords)
    return (e.x, e.y, e.width, e.height)


def check_tree(pyatspi, app, report, menu_pid):
    """The tree is the check tool's report, proved true: same children, order, roles, names
    and actions; nothing focusable, nothing armed with the pointer away."""
    assert app.get_process_id() == menu_pid
    assert app.childCount == 1, app.childCount
    frame = app[0]
    assert frame.getRoleName() == "frame", frame.getRoleName()
    expected = report["accessible"]
    assert frame.name == expected["name"] == "Sample Disc", (frame.name, expected["name"])
    assert frame.childCount == 1, frame.childCount
    client = frame[0]
    assert client.getRoleName() == "drawing area", client.getRoleName()
    assert client.name == expected["name"], client.name
    children = list(client)
    roles = {"static text": "label", "menu item": "menu item"}
    want = [(roles[c["role"]], c["name"]) for c in expected["children"]]
    got = [(c.getRoleName(), c.name) for c in children]
    assert got == want, (got, want)
    # Exactly the shown labels: the report's own list of labels agrees.
    shown = [f"lblMenu({label['index']})" for label in report["labels"] if label["shown"]]
    assert [c["label"] for c in expected["children"]] == ["lblCaption"] + shown
    for i, (child, entry) in enumerate(zip(children, expected["children"])):
        assert child.getIndexInParent() == i, (child.name, child.getIndexInParent())
        assert child.parent == client, child.name
        assert child.childCount == 0
        states = child.getState()
        for s in (pyatspi.STATE_VISIBLE, pyatspi.STATE_SHOWING, pyatspi.STATE_ENABLED,
                  pyatspi.STATE_SENSITIVE):
            assert states.contains(s), (child.name, pyatspi.stateToString(s))
        for s in (pyatspi.STATE_ARMED, pyatspi.STATE_FOCUSABLE, pyatspi.STATE_FOCUSED,
                  pyatspi.STATE_DEFUNCT):
            assert not states.contains(s), (child.name, pyatspi.stateToString(s))
        if entry["action"] is None:
            try:
                child.queryAction()
            except NotImplementedError:
                pass
            else:
                raise AssertionError(f"{child.name} has an action")
        else:
            action = child.queryAction()
            assert action.nActions == 1, (child.name, action.nActions)
            assert action.getName(0) == "click", action.getName(0)
            assert action.getLocalizedName(0) == entry["action"] == "Open"
            assert action.getDescription(0) == entry["action"]
            assert action.getKeyBinding(0) == "", "no keys"
    assert not frame.getState().contains(pyatspi.STATE_FOCUSED)
    return client, children


def check_boxes(pyatspi, client, children, report, geometry):
    """Extents in each coordinate type are the label boxes: items at the configured Left/Top,
    the title clipped to the client. The boxes relative to the client."""
    wx, wy, ww, wh = geometry
    ox, oy = wx + FRAME, wy + FRAME
    assert box_of(client, pyatspi.DESKTOP_COORDS) == (ox, oy, ww - 2 * FRAME, wh - 2 * FRAME)
    labels = {f"lblMenu({label['index']})": label for label in report["labels"]}
    boxes = []
    for child, entry in zip(children, report["accessible"]["children"]):
        screen = box_of(child, pyatspi.DESKTOP_COORDS)
        window = box_of(child, pyatspi.WINDOW_COORDS)
        parent = box_of(child, pyatspi.component.XY_PARENT)
        assert window == (screen[0] - wx, screen[1] - wy) + screen[2:], (child.name, window)
        assert parent == (screen[0] - ox, screen[1] - oy) + screen[2:], (child.name, parent)
        assert screen[2] > 0 and screen[3] > 0, (child.name, screen)
        label = labels.get(entry["label"])
        if label is not None and label["left"] is not None:
            assert parent[:2] == (px(label["left"]), px(label["top"])), (child.name, parent)
        boxes.append(parent)
    title = boxes[0]
    assert title[0] >= 0 and title[1] >= 0
    assert title[0] + title[2] == ww - 2 * FRAME, "the title is clipped to the client"
    return boxes


def check_letters(window_pixels, geometry, children, boxes):
    """Every painted letter lies in its own label's box: black ones in the title's, green ones
    each in one item's."""
    def client_pixels(rgb):
        return [(x - FRAME, y - FRAME) for x, y in pixels_of(window_pixels, geometry[2], rgb)]
    black = client_pixels(BLACK)
    assert len(black) > 50 and len(inside(black, boxes[0])) == len(black), len(black)
    green = client_pixels(GREEN)
    claimed = 0
    for child, box in zip(children[1:], boxes[1:]):
        mine = len(inside(green, box))
        assert mine > 20, (child.name, box, mine)
        claimed += mine
    assert claimed == len(green), (claimed, len(green))


def check_pointer_lookup(pyatspi, client, children, origin):
    """A reader's pointer lookup finds what the mouse finds: the topmost label, item 1 over
    the title where they overlap."""
    component = client.queryComponent()

    def at(point, coords=pyatspi.DESKTOP_COORDS, base=origin):
        hit = component.getAccessibleAtPoint(base[0] + point[0], base[1] + point[1], coords)
        return hit.getIndexInParent() if hit is not None else None
    assert at(OVERLAP) == 1, at(OVERLAP)
    assert at(OVERLAP, pyatspi.WINDOW_COORDS, (FRAME, FRAME)) == 1
    assert at(TITLE_ONLY) == 0, at(TITLE_ONLY)
    assert at(BACKGROUND) is None, at(BACKGROUND)
    for name, point in ITEM_POINTS.items():
        assert children[at(point)].name == name, (name, at(point))


def check_hover(pyatspi, d, children, boxes, client_rect, events):
    """Under the mouse an item is armed, and only it; its grown box holds all its highlighted
    letters; a reader hears of each change; on the bare background nothing is armed and the
    boxes are back to the items' look."""
    ox, oy = client_rect[:2]
    by_name = {c.name: (i, c) for i, c in enumerate(children)}

    def armed():
        return [c.name for c in children if c.getState().contains(pyatspi.STATE_ARMED)]
    for name, point in ITEM_POINTS.items():
        i, child = by_name[name]
        del events[:]
        d.move(ox + point[0], oy + point[1])
        wait_for(pumped(lambda: armed() == [name] and (name, 1) in events), SHOW,
                 what=f"{name} armed and announced")
        grown = box_of(child, pyatspi.component.XY_PARENT)
        normal = boxes[i]
        assert grown[:2] == normal[:2], (name, grown, normal)
        assert grown[2] > normal[2] and grown[3] > normal[3], (name, grown, normal)
        lit = wait_for(lambda: pixels_of(crop(d, client_rect, "hover.png"), client_rect[2],
                                         MAGENTA), SHOW, what=f"{name} highlighted")
        assert len(lit) > 20 and len(inside(lit, grown)) == len(lit), (name, grown, len(lit))
        d.move(ox + BACKGROUND[0], oy + BACKGROUND[1])
        wait_for(pumped(lambda: armed() == [] and (name, 0) in events), SHOW,
                 what=f"{name} no longer armed")
        # Off the screen too, so the next item's highlight is the only one drawn.
        wait_for(lambda: not pixels_of(crop(d, client_rect, "hover.png"), client_rect[2],
                                       MAGENTA), SHOW, what=f"{name} drawn plain again")
        after = box_of(child, pyatspi.component.XY_PARENT)
        assert after[:2] == normal[:2] and after[2] < grown[2] and after[3] < grown[3], name
        if name != "Exit":  # designed at 13.5 pt, Exit returns to the items' FontSize
            assert after == normal, (name, after, normal)
    # Straight from one item to another: one event for each.
    del events[:]
    d.move(ox + ITEM_POINTS["Read me"][0], oy + ITEM_POINTS["Read me"][1])
    wait_for(pumped(lambda: armed() == ["Read me"]), SHOW, what="Read me armed")
    d.move(ox + ITEM_POINTS["Browse"][0], oy + ITEM_POINTS["Browse"][1])
    wait_for(pumped(lambda: armed() == ["Browse"] and ("Read me", 0) in events
                    and ("Browse", 1) in events), SHOW, what="the highlight moved on")
    d.move(ox + BACKGROUND[0], oy + BACKGROUND[1])
    wait_for(pumped(lambda: armed() == []), SHOW, what="nothing armed")


def recorders_running():
    """Recorders still writing: once the menu has ended, its children are this process's."""
    running = []
    for pid in own_children():
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                if b"record.sh" in f.read() and not process_gone(pid):
                    running.append(pid)
        except OSError:
            pass
    return running


def check_actions(client, children, disc, menu):
    """An item's action starts its program as a click does, and the menu stays; Exit's ends
    the menu. An index past the one action starts nothing."""
    by_name = {c.name: c for c in children}
    # AT-SPI here answers True whatever the action returns: only the records tell.
    by_name["Zweite Straße"].queryAction().doAction(1)
    assert by_name["Read me"].queryAction().doAction(0)
    wait_for(lambda: disc.records(), SHOW, what="the first item's program")
    assert by_name["Browse"].queryAction().doAction(0)
    wait_for(lambda: len(disc.records()) >= 2, SHOW, what="the third item's program")
    assert not process_gone(menu), "the menu stays open"
    assert client.childCount == len(children), "and still answers"
    assert by_name["Exit"].queryAction().doAction(0)
    wait_for(lambda: process_gone(menu), END, what="Exit ends the menu")
    assert menu.wait(5) == 0, menu.returncode
    wait_for(lambda: not recorders_running(), END, what="the recorders done")
    want = [["record.sh", "one", f"ppid={menu.pid}"], ["record.sh", "three", f"ppid={menu.pid}"]]
    assert sorted(disc.records()) == want, disc.records()


def check_close(pyatspi, session, disc):
    """With a reader holding the whole tree, a close request still ends the menu cleanly."""
    menu, window, _ = start_menu(session, disc)
    try:
        client = find_app(pyatspi, menu.pid)[0][0]
        for child in client:
            assert child.name and box_of(child, pyatspi.DESKTOP_COORDS)[2] > 0, child.name
            child.getState()
        session.display.run(PROBE, "close", window)
        wait_for(lambda: process_gone(menu), END, what="the close request ends the menu")
        assert menu.wait(5) == 0, menu.returncode
    finally:
        end_process(menu)


def main():
    with Session() as session:
        import pyatspi
        pyatspi.setTimeout(20000, 20000)  # ms: a busy machine answers late, never wrongly
        events = []
        # Registered first, so the menu's bridge knows from its start that a reader listens.
        pyatspi.Registry.registerEventListener(
            lambda e: events.append((e.source.name, e.detail1)), "object:state-changed:armed")
        d = session.display
        disc = Disc()
        quiet = menu = None
        try:
            report = json.loads(subprocess.run([CHECK, "--json", disc.folder], check=True,
                                               capture_output=True, text=True).stdout)
            d.move(1, 1)  # the pointer away from every label, for both runs
            quiet, window, geometry = start_menu(session, disc, NO_AT_BRIDGE="1")
            unseen = settled(d, geometry, "quiet.png")
            end_process(quiet)
            wait_for(lambda: not d.window_exists(window), END, what="the first window gone")

            menu, window, seen_geometry = start_menu(session, disc)
            assert seen_geometry == geometry, (seen_geometry, geometry)
            app = find_app(pyatspi, menu.pid)
            client, children = check_tree(pyatspi, app, report, menu.pid)
            boxes = check_boxes(pyatspi, client, children, report, geometry)
            seen = settled(d, geometry, "seen.png")
            assert seen == unseen, "a reader walking the tree changed pixels"
            check_letters(seen, geometry, children, boxes)
            client_rect = (geometry[0] + FRAME, geometry[1] + FRAME, geometry[2] - 2 * FRAME,
                           geometry[3] - 2 * FRAME)
            check_pointer_lookup(pyatspi, client, children, client_rect[:2])
            check_hover(pyatspi, d, children, boxes, client_rect, events)
            check_actions(client, children, disc, menu)
            check_close(pyatspi, session, disc)
        finally:
            end_process(quiet)
            end_process(menu)
            disc.remove()
    print("gtk accessible ok")


if __name__ == "__main__":
    main()
