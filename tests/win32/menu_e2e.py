#!/usr/bin/env python3
"""setup.exe end to end under Wine: a disc folder mapped as drive D:, the menu started from
it, then its window, pixels, hover, clicks and ending checked from outside. Runs on the
display and wineserver that wine_suite.py started.
Usage: menu_e2e.py STATE_DIR SETUP_EXE HELPER_DIR ASSETS_DIR SCENARIO"""
import contextlib
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # keep the source tree clean
from wine_menu import CLIENT, SCREEN, Checks, Menu  # noqa: E402  (puts tests/support on the path)
import screen  # noqa: E402
import scale_checks  # noqa: E402
from desktop import SHOW, process_gone, wait_for  # noqa: E402
from wine_suite import wine_environment  # noqa: E402

OUTER = (503, 380)
GREEN, BLUE, BLACK, RED, WHITE = (0, 255, 0), (0, 0, 255), (0, 0, 0), (255, 0, 0), (255, 255, 255)

# Items at 100 px left, first top 100 px, 40 px apart, 14 pt: green, hovered blue. (Green in
# decimal: "&H0000FF00" has only four significant digits, so it reads as the 16-bit -256.)
SETTINGS = """[autorun]
open=setup.exe

[Menu]
Caption=Tavik Test Disc
NrOfItems=3
OffsetX=1500
OffsetY=1500
LineDistance=600
ForeColor=65280
Highlight=&H00FF0000
FontSize=14
Item1=First item,\\tools\\record.exe first
Item2=Second item,"D:\\tools\\record.exe" "two words"
Item3=Third item,D:\\tools\\missing.exe
"""
ITEM_LEFT, ITEM_TOP, ITEM_PITCH = 100, 100, 40
EXIT_BOX = (440, 336, 57, 38)      # from the Exit label's corner to the client's
TITLE_BOX = (8, 8, 489, 33)


def item_band(i):
    """Where item i's letters may lie, with room for the hover growth and a margin left."""
    return (ITEM_LEFT - 20, ITEM_TOP + ITEM_PITCH * i, 300, ITEM_PITCH)


def more_than_background(menu, shot, box, color, at_least):
    extra = shot.count(box, color) - menu.background.count(box, color)
    return extra >= at_least


def scenario_window(args, c):
    """Frame, size, position, background and the configured column, untouched by the mouse."""
    with Menu(args, {"autorun.inf": SETTINGS}) as menu:
        shot = menu.wait_shot(menu.painted, "the first paint")
        x, y, w, h = menu.desk.geometry(menu.window)
        want = ((SCREEN[0] - OUTER[0]) // 2, (SCREEN[1] - OUTER[1]) // 2, *OUTER)
        c.expect((x, y, w, h) == want, f"outer window {(x, y, w, h)} == {want}")
        geometry = dict(line.split(" ", 1) for line in menu.probe("geometry").splitlines())
        client = tuple(int(v) for v in geometry.get("client", "0 0 0 0").split())
        c.expect(client == (x + 3, y + 3, *CLIENT), f"client {client} == {(x + 3, y + 3, *CLIENT)}")
        style, ex_style = (int(v, 16) for v in geometry.get("style", "0 0").split())
        c.expect(style & 0x80C00000 == 0x80400000, f"style {style:#x}: popup, dialog frame, no caption")
        c.expect(style & 0x000F0000 == 0, f"style {style:#x}: no system menu, sizing or min/max box")
        c.expect(ex_style & 0x80 != 0, f"extended style {ex_style:#x} has WS_EX_TOOLWINDOW")
        props = menu.desk.run("xprop", "-id", menu.window).stdout
        c.expect("_NET_WM_STATE_SKIP_TASKBAR" in props, "no taskbar entry (skip-taskbar hint)")
        names = [l.split("=", 1)[1].strip() for l in props.splitlines() if l.startswith("WM_NAME")]
        c.expect(names in ([""], ['""']), f"empty window title {names}")

        # The picture, wherever no label can be: a grid of samples.
        wrong = [(px, py) for px in range(2, CLIENT[0], 23) for py in range(2, CLIENT[1], 19)
                 if not (py < 45 or (60 <= px < 420 and 90 <= py < 230) or (px >= 430 and py >= 330))
                 and shot.at(px, py) != menu.background.at(px, py)]
        c.expect(not wrong, f"background pixels equal background.bmp (wrong at {wrong[:5]})")

        c.expect(more_than_background(menu, shot, TITLE_BOX, BLACK, 100), "title letters in black")
        for i in range(3):
            band = item_band(i)
            box = shot.bbox(band, GREEN)
            c.expect(box is not None and more_than_background(menu, shot, band, GREEN, 40),
                     f"item {i + 1} drawn in ForeColor")
            if box:
                left, top = box[0], box[1]
                c.expect(ITEM_LEFT <= left <= ITEM_LEFT + 4 and ITEM_TOP + ITEM_PITCH * i <= top
                         <= ITEM_TOP + ITEM_PITCH * i + 8,
                         f"item {i + 1} letters start at ({left}, {top}), its label's corner is "
                         f"({ITEM_LEFT}, {ITEM_TOP + ITEM_PITCH * i})")
        c.expect(shot.count(item_band(3), GREEN) == menu.background.count(item_band(3), GREEN),
                 "no fourth item")
        exit_box = shot.bbox(EXIT_BOX, GREEN)
        c.expect(exit_box is not None and exit_box[0] <= 444 and exit_box[1] >= 336,
                 f"Exit in ForeColor at its designed place ({exit_box})")


def scenario_hover(args, c):
    """The item under the mouse turns Highlight, bold, larger; moving off restores it."""
    with Menu(args, {"autorun.inf": SETTINGS}) as menu:
        before = menu.wait_shot(menu.painted, "the first paint")
        normal = before.bbox(item_band(1), GREEN)
        menu.move(ITEM_LEFT + 10, ITEM_TOP + ITEM_PITCH + 9)
        lit = menu.wait_shot(lambda s: s.count(item_band(1), BLUE) > 40 and
                             s.count(item_band(1), GREEN) == 0, "item 2 highlighted")
        high = lit.bbox(item_band(1), BLUE)
        c.expect(high is not None and normal is not None and high[2] > normal[2] and
                 high[3] > normal[3], f"highlighted letters {high} larger than normal {normal}")
        c.expect(high is not None and high[0] >= ITEM_LEFT and high[1] >= ITEM_TOP + ITEM_PITCH,
                 "the box grows to the right and downwards")
        c.expect(lit.count(item_band(0), GREEN) > 40 and lit.count(item_band(0), BLUE) == 0,
                 "other items keep their colour")
        cursor = screen.cursor(menu.env["DISPLAY"])
        c.expect(cursor == (32, 32, 12, 1), f"hand cursor over an item (size, hot spot {cursor})")

        menu.move(ITEM_LEFT + 10, ITEM_TOP + 9)  # straight onto the item above
        menu.wait_shot(lambda s: s.count(item_band(0), BLUE) > 40 and
                       s.count(item_band(1), BLUE) == 0 and s.count(item_band(1), GREEN) > 40,
                       "highlight moved from item 2 to item 1")
        c.expect(True, "highlight follows the mouse from item to item")

        menu.move(300, 300)  # bare background
        back = menu.wait_shot(lambda s: s.count(item_band(0), BLUE) == 0 and
                              s.count(item_band(0), GREEN) > 40, "item 1 restored")
        c.expect(back.bbox(item_band(0), GREEN) == before.bbox(item_band(0), GREEN),
                 "restored item looks as before")
        cursor = screen.cursor(menu.env["DISPLAY"])
        c.expect(cursor is not None and cursor[2:] != (12, 1), f"arrow over the background ({cursor})")
        is_hand = lambda: screen.cursor(menu.env["DISPLAY"]) == (32, 32, 12, 1)
        menu.move(ITEM_LEFT + 10, ITEM_TOP + 9)
        wait_for(is_hand, SHOW, what="the hand over item 1")
        menu.move(TITLE_BOX[0] + 30, TITLE_BOX[1] + 15)
        wait_for(lambda: not is_hand(), SHOW, what="the arrow over the title")
        c.expect(True, "arrow over the title")
        menu.move(300, 300)

        menu.move(EXIT_BOX[0] + 8, EXIT_BOX[1] + 8)
        menu.wait_shot(lambda s: s.count(EXIT_BOX, BLUE) > 20, "Exit highlighted")
        menu.move(300, 300)
        menu.wait_shot(lambda s: s.count(EXIT_BOX, BLUE) == 0 and s.count(EXIT_BOX, GREEN) > 20,
                       "Exit restored")
        c.expect(True, "Exit highlights and restores like the items")

        # Out of the window straight from an item: leaving changes nothing (no leave tracking),
        # the item stays highlighted in every capture once the pointer is out.
        menu.move(ITEM_LEFT + 10, ITEM_TOP + 9)
        menu.wait_shot(lambda s: s.count(item_band(0), BLUE) > 40, "item 1 highlighted")
        wait_for(is_hand, SHOW, what="the hand over item 1")
        menu.desk.move(1, 1)
        wait_for(lambda: not is_hand(), SHOW, what="the pointer out of the window")
        c.expect(all(menu.shot().count(item_band(0), BLUE) > 40 for _ in range(5)),
                 "leaving the window keeps the highlight")


def scenario_click(args, c):
    """Clicks start the items' command lines from the disc's drive; Exit ends the menu."""
    record = os.path.join(args[2], "record_args.exe")
    with Menu(args, {"autorun.inf": SETTINGS, "tools/record.exe": "@" + record}) as menu:
        log = os.path.join(menu.disc, "tools", "record.txt")

        def lines():
            try:
                with open(log, encoding="latin-1") as f:
                    return f.read().splitlines()
            except FileNotFoundError:
                return []

        def click_and_wait(i, count):
            menu.click(ITEM_LEFT + 10, ITEM_TOP + ITEM_PITCH * i + 9)
            return wait_for(lambda: (lambda l: l if len(l) >= count else None)(lines()), SHOW,
                            what=f"{count} line(s) in record.txt")

        menu.wait_shot(menu.painted, "the first paint")
        first = click_and_wait(0, 1)
        c.expect(first == ["\\tools\\record.exe first|D:\\"],
                 f"a command starting with \\ runs from the disc's drive, in D:\\ ({first})")
        second = click_and_wait(0, 2)
        c.expect(len(second) == 2 and second[1] == second[0], "a second click starts it again")
        menu.click(ITEM_LEFT + 10, ITEM_TOP + ITEM_PITCH * 2 + 9)  # a program that is missing
        third = click_and_wait(1, 3)
        c.expect(third[2] == '"D:\\tools\\record.exe" "two words"|D:\\',
                 f"the command line is passed unchanged ({third[2]})")
        c.expect(len(third) == 3, "a missing program starts nothing; the menu goes on")
        c.expect(not process_gone(menu.proc), "the menu stays open after starting items")
        menu.click(EXIT_BOX[0] + 8, EXIT_BOX[1] + 8)
        c.expect(menu.ended(), "clicking Exit ends the program")


def scenario_disc_image(args, c):
    """The image tavik-disc writes (setup.exe signed), mounted (fuseiso) and mapped as D:,
    started as D:\\setup.exe from a folder on another drive: an item starts a program on the
    disc, Exit ends it."""
    state = args[0]
    author = tempfile.mkdtemp(prefix="author-", dir=state)
    os.makedirs(os.path.join(author, "tools"))
    with open(os.path.join(author, "autorun.inf"), "w") as f:
        f.write(SETTINGS)
    shutil.copy(os.path.join(args[2], "record_args.exe"), os.path.join(author, "tools", "record.exe"))
    image, mount = os.path.join(state, "disc.iso"), os.path.join(state, "medium")
    # Signed as a vendor signs: a signed setup.exe must start as the unsigned one does.
    key, cert, p12 = (os.path.join(author, n) for n in ("key.pem", "cert.pem", "sign.p12"))
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                    "-out", cert, "-days", "2", "-subj", "/CN=Tavik Wine test",
                    "-addext", "extendedKeyUsage=codeSigning"], check=True, capture_output=True)
    subprocess.run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", cert, "-out", p12,
                    "-passout", "pass:"], check=True, capture_output=True)
    signing = os.path.join(state, "signing")
    os.makedirs(signing, exist_ok=True)
    for n in (key, cert, p12):
        shutil.move(n, signing)
    r = subprocess.run([os.environ["TAVIK_DISC_TOOL"], "--windows-setup", args[1],
                        "--linux-setup", os.environ["TAVIK_LINUX_SETUP"],
                        "--sign-pkcs12", os.path.join(signing, "sign.p12"), author, image],
                       capture_output=True, text=True)
    c.expect(r.returncode in (0, 1) and os.path.exists(image), f"tavik-disc wrote {image} {r.stderr}")
    os.makedirs(mount, exist_ok=True)
    subprocess.run(["fuseiso", image, mount], check=True)
    record = os.path.join(state, "medium-record.txt")
    try:
        menu = Menu(args, {})
        link = os.path.join(menu.env["WINEPREFIX"], "dosdevices", "d:")
        os.remove(link)
        os.symlink(mount, link)  # D: is the mounted image, not a folder
        menu.env["TAVIK_RECORD"] = "Z:" + record.replace("/", "\\")
        with menu:
            menu.wait_shot(menu.painted, "the first paint from the mounted image")
            menu.click(ITEM_LEFT + 10, ITEM_TOP + 9)
            lines = lambda: open(record, encoding="latin-1").read().splitlines() \
                if os.path.exists(record) else []
            got = wait_for(lambda: lines() or None, SHOW, what="the item's program to run")
            c.expect(got == ["\\tools\\record.exe first|D:\\"],
                     f"an item starts its program from the medium, in D:\\ ({got})")
            menu.click(EXIT_BOX[0] + 8, EXIT_BOX[1] + 8)
            c.expect(menu.ended(), "Exit ends the menu started from the image")
    finally:
        subprocess.run(["fusermount", "-u", mount], check=False)
        shutil.rmtree(author, ignore_errors=True)
        shutil.rmtree(signing, ignore_errors=True)
        for path in (image, record):
            if os.path.exists(path):
                os.remove(path)


PLANTED = ["version", "dwmapi", "uxtheme", "propsys", "cryptbase", "windowscodecs", "oleacc",
           "msimg32", "imm32", "usp10", "cryptsp", "winmm", "comctl32", "dbghelp", "wtsapi32"]


def scenario_planted_dlls(args, c):
    """Fake DLLs named like system ones beside setup.exe are never loaded, through load, hover,
    a click and Exit; a plain LoadLibrary from that folder would load them."""
    fake = "@" + os.path.join(args[2], "planted.dll")
    files = {f"{name}.dll": fake for name in PLANTED}
    files.update({"autorun.inf": SETTINGS, "tools/record.exe": "@" + os.path.join(args[2], "record_args.exe"),
                  "probe.exe": "@" + os.path.join(args[2], "load_library_probe.exe")})
    menu = Menu(args, files)
    marker = os.path.join(menu.disc, "planted.txt")
    # The control: the same folder, the default search order, one of the names.
    probe = subprocess.run([menu.env["WINE"], "D:\\probe.exe", "dwmapi.dll"], env=menu.env,
                           cwd=args[0], capture_output=True, timeout=60)
    seen = open(marker).read().split() if os.path.exists(marker) else []
    c.expect(probe.returncode == 0 and any(p.lower().endswith("dwmapi.dll") for p in seen),
             f"a plain LoadLibrary loads the planted dwmapi.dll ({seen})")
    if os.path.exists(marker):
        os.remove(marker)
    with menu:
        menu.wait_shot(menu.painted, "the first paint")
        menu.move(ITEM_LEFT + 10, ITEM_TOP + 9)
        menu.wait_shot(lambda s: s.count(item_band(0), BLUE) > 40, "item 1 highlighted")
        menu.accessible("tree")  # a screen reader's request loads oleacc
        menu.click(ITEM_LEFT + 10, ITEM_TOP + 9)
        record = os.path.join(menu.disc, "tools", "record.txt")
        wait_for(lambda: os.path.exists(record), SHOW, what="the item's program")
        menu.click(EXIT_BOX[0] + 8, EXIT_BOX[1] + 8)
        c.expect(menu.ended(), "Exit ends the menu")
        # Read before the run's folder goes.
        loaded = open(marker).read().split() if os.path.exists(marker) else []
        c.expect(os.path.isdir(menu.disc) and loaded == [],
                 f"no planted DLL was loaded by setup.exe ({loaded})")


# MSAA's numbers for what tavik-check names.
ROLES = {"static text": 0x29, "menu item": 0x0C}
ROLE_SYSTEM_CLIENT, STATE_SYSTEM_READONLY, STATE_SYSTEM_HOTTRACKED = 0x0A, 0x40, 0x80


def scenario_accessible(args, c):
    """A screen reader in another process gets the title and the items from the window, as
    tavik-check reports them, at the labels' places; the highlight shows as hot-tracked; the
    default action is the click. The pixels stay as they were."""
    record_exe = os.path.join(args[2], "record_args.exe")
    with Menu(args, {"autorun.inf": SETTINGS, "tools/record.exe": "@" + record_exe}) as menu:
        check = subprocess.run([os.environ["TAVIK_CHECK_TOOL"], "--json", menu.disc],
                               capture_output=True, text=True)
        report = json.loads(check.stdout)["accessible"]
        untouched = menu.wait_shot(menu.painted, "the first paint")
        ox, oy = menu.origin
        tree = json.loads(menu.accessible("tree"))
        kids = tree["children"]
        c.expect(tree["name"] == report["name"] == "Tavik Test Disc",
                 f"the client is named by the title ({tree['name']!r})")
        c.expect(tree["role"] == ROLE_SYSTEM_CLIENT and tree["parent"] and
                 tree["location"] == [ox, oy, *CLIENT], f"the client object itself ({tree})")
        want = [(k["name"], ROLES[k["role"]], k["action"]) for k in report["children"]]
        got = [(k["name"], k["role"], k["action"]) for k in kids]
        c.expect(got == want and len(want) == 5,
                 f"children as tavik-check says: title, three items, Exit ({got})")
        c.expect(tree["walk"] == list(range(1, len(kids) + 1)) and all(k["simple"] for k in kids),
                 f"first child and next visit every child in order ({tree['walk']})")
        c.expect([k["state"] for k in kids] == [STATE_SYSTEM_READONLY, 0, 0, 0, 0],
                 f"nothing focusable, nothing hot at rest ({[k['state'] for k in kids]})")
        c.expect(kids[0]["location"] == [ox + TITLE_BOX[0], oy + TITLE_BOX[1], *TITLE_BOX[2:]],
                 f"the title's box, as far as the window shows it ({kids[0]['location']})")
        exit_loc = kids[4]["location"]
        c.expect(exit_loc[:2] == [ox + EXIT_BOX[0], oy + EXIT_BOX[1]],
                 f"Exit at its designed corner ({exit_loc})")

        def holds(loc, letters):
            """The painted letters (client pixels) lie inside a screen location."""
            x, y, w, h = letters
            return (letters is not None and loc[0] <= ox + x and loc[1] <= oy + y and
                    ox + x + w <= loc[0] + loc[2] and oy + y + h <= loc[1] + loc[3])
        for i in range(3):
            loc, letters = kids[i + 1]["location"], untouched.bbox(item_band(i), GREEN)
            c.expect(loc[:2] == [ox + ITEM_LEFT, oy + ITEM_TOP + ITEM_PITCH * i] and
                     letters is not None and holds(loc, letters),
                     f"item {i + 1} located at its label: {loc} holds its letters {letters}")
        walked = menu.shot()
        c.expect(walked.raw == untouched.raw, "the same pixels after a reader walked the tree")

        # The highlight: hot-tracked, with the grown box; a pointer lookup finds what the mouse does.
        menu.move(ITEM_LEFT + 10, ITEM_TOP + ITEM_PITCH + 9)
        lit = menu.wait_shot(lambda s: s.count(item_band(1), BLUE) > 40, "item 2 highlighted")
        hot = json.loads(menu.accessible("tree"))["children"]
        c.expect([k["state"] for k in hot] == [STATE_SYSTEM_READONLY, 0, STATE_SYSTEM_HOTTRACKED,
                                               0, 0], f"item 2 hot-tracked ({[k['state'] for k in hot]})")
        grown = hot[2]["location"]
        c.expect(grown[2] > kids[2]["location"][2] and holds(grown, lit.bbox(item_band(1), BLUE)),
                 f"the highlighted box grows and holds its letters ({grown})")
        hits = [menu.accessible("hit", ox + x, oy + y).strip() for x, y in
                ((ITEM_LEFT + 10, ITEM_TOP + ITEM_PITCH + 9), (TITLE_BOX[0] + 30, TITLE_BOX[1] + 15),
                 (300, 300), (EXIT_BOX[0] + 8, EXIT_BOX[1] + 8), (-20, -20))]
        c.expect(hits == ["3", "1", "0", "5", "none"],
                 f"hit tests: item 2, title, background, Exit, outside ({hits})")
        menu.move(300, 300)
        menu.wait_shot(lambda s: s.count(item_band(1), BLUE) == 0, "item 2 restored")
        rest = json.loads(menu.accessible("tree"))["children"]
        c.expect(all(k["state"] != STATE_SYSTEM_HOTTRACKED for k in rest), "nothing hot again")

        # The default action takes the click's path.
        log = os.path.join(menu.disc, "tools", "record.txt")
        lines = lambda: open(log, encoding="latin-1").read().splitlines() \
            if os.path.exists(log) else []
        c.expect(menu.accessible("do", 1).strip() == "80020003" and not lines(),
                 "the title has no action (DISP_E_MEMBERNOTFOUND) and starts nothing")
        c.expect(menu.accessible("do", 2).strip() == "00000000", "an item's action is accepted")
        got = wait_for(lambda: lines() or None, SHOW, what="the item's program")
        c.expect(got == ["\\tools\\record.exe first|D:\\"],
                 f"the action starts the item's command from the disc's drive ({got})")
        c.expect(not process_gone(menu.proc), "the menu stays open")
        # The menu ends at once, so the reply may lose the race with the process's end: then
        # the reader is told the call failed (RPC_S_CALL_FAILED), and the menu still ends.
        answer = menu.accessible("do", 5).strip()
        c.expect(answer in ("00000000", "800706be") and menu.ended(),
                 f"Exit's action ends the menu ({answer})")


def scenario_no_settings(args, c):
    """Without autorun.inf: the picture, an empty title and Exit, which works."""
    with Menu(args, {}) as menu:
        shot = menu.wait_shot(menu.painted, "the first paint")
        wrong = [(px, py) for px in range(1, CLIENT[0], 11) for py in range(1, CLIENT[1], 7)
                 if not (px >= 430 and py >= 330) and shot.at(px, py) != menu.background.at(px, py)]
        c.expect(not wrong, f"only the picture outside Exit (wrong at {wrong[:5]})")
        c.expect(more_than_background(menu, shot, EXIT_BOX, BLACK, 20), "Exit drawn in black")
        menu.click(EXIT_BOX[0] + 8, EXIT_BOX[1] + 8)
        c.expect(menu.ended(), "clicking Exit ends the program")


def scenario_close(args, c):
    """A close request from the system ends the program."""
    with Menu(args, {"autorun.inf": SETTINGS}) as menu:
        menu.wait_shot(menu.painted, "the first paint")
        menu.probe("close")
        c.expect(menu.ended(), "WM_CLOSE ends the program")


def scenario_picture(args, c):
    """A picture named in the settings replaces the background, drawn unscaled at the corner;
    one that is not a picture leaves the designed background."""
    small = os.path.join(args[0], "small.gif")
    subprocess.run(["convert", "-size", "120x90", "xc:#FF0000", small], check=True)
    gif = open(small, "rb").read()
    settings = "[Menu]\nPicture=pics\\small.gif\n"
    with Menu(args, {"autorun.inf": settings, "pics/small.gif": gif}) as menu:
        shot = menu.wait_shot(lambda s: s.at(5, 5) == RED and s.at(300, 200) == WHITE,
                              "the configured picture")
        c.expect(shot.count((0, 0, 120, 90), RED) == 120 * 90 and shot.at(120, 45) == WHITE
                 and shot.at(60, 90) == WHITE, "GIF drawn unscaled at the top-left, white beyond")
    # A PNG, which OLE cannot read, as the Linux menu shows it: the platform's codecs decode it,
    # and its transparent half lets the window's back colour through.
    png_path = os.path.join(args[0], "half.png")
    subprocess.run(["convert", "-size", "80x60", "xc:#0000FF", "-alpha", "set", "-region",
                    "40x60+40+0", "-alpha", "transparent", "+region", "-strip",
                    "PNG32:" + png_path], check=True)
    png = open(png_path, "rb").read()
    with Menu(args, {"autorun.inf": "[Menu]\nPicture=half.png\n", "half.png": png}) as menu:
        shot = menu.wait_shot(lambda s: s.at(5, 5) == BLUE, "the PNG picture")
        c.expect(shot.count((0, 0, 40, 60), BLUE) == 40 * 60 and shot.at(60, 30) == WHITE
                 and shot.at(20, 60) == WHITE,
                 "PNG drawn unscaled at the top-left, its transparent part white")
    lying = b"BM" + struct.pack("<IHHI", 999999, 0, 0, 54) + struct.pack(
        "<IiiHHIIiiII", 40, 60000, 60000, 1, 24, 0, 0, 0, 0, 0, 0) + b"\x7f" * 300
    settings = "[Menu]\nPicture=junk.bmp\n"
    with Menu(args, {"autorun.inf": settings, "junk.bmp": lying}) as menu:
        shot = menu.wait_shot(menu.painted, "the designed picture")
        c.expect(shot.at(300, 200) == menu.background.at(300, 200),
                 "a lying picture header leaves the designed background")
        menu.click(EXIT_BOX[0] + 8, EXIT_BOX[1] + 8)
        c.expect(menu.ended(), "and the menu still ends on Exit")


def scenario_dpi(args, c):
    """At 144 DPI the whole design scales by 1.5: window, column, fonts, Exit."""
    with log_pixels(args[0], 144), Menu(args, {"autorun.inf": SETTINGS}) as menu:
        client = (746, 561)  # 497 x 374 at 1.5, rounded
        x, y, w, h = menu.desk.geometry(menu.window)
        c.expect((w - 6, h - 6) == client and x == (SCREEN[0] - w) // 2 and
                 y == (SCREEN[1] - h) // 2, f"client {(w - 6, h - 6)} == {client}, centred")
        menu.origin = (x + 3, y + 3)
        grab = lambda: screen.grab(menu.desk, (*menu.origin, *client))
        shot = wait_for(lambda: (lambda s: s if s.count((0, 0, 400, 320), GREEN) > 100
                                 else None)(grab()), SHOW, what="the scaled column")
        for i in range(3):
            box = shot.bbox((120, 150 + 60 * i, 400, 60), GREEN)
            c.expect(box is not None and 150 <= box[0] <= 156 and
                     150 + 60 * i <= box[1] <= 162 + 60 * i and box[3] >= 14,
                     f"item {i + 1} at 1.5 times its place and size ({box})")
        exit_box = shot.bbox((650, 495, 96, 66), GREEN)
        c.expect(exit_box is not None and 660 <= exit_box[0] <= 666 and exit_box[1] >= 504,
                 f"Exit at 1.5 times its place ({exit_box})")
        # A screen reader gets the scaled places too: 150, 150 + 60 i and 660, 504 px.
        kids = json.loads(menu.accessible("tree"))["children"]
        ox, oy = menu.origin
        corners = [k["location"][:2] for k in kids[1:]]
        c.expect(corners == [[ox + 150, oy + 150], [ox + 150, oy + 210], [ox + 150, oy + 270],
                             [ox + 660, oy + 504]], f"accessible boxes scaled ({corners})")


@contextlib.contextmanager
def log_pixels(state_dir, dpi):
    """The prefix's DPI for the menus started inside the scope."""
    env = wine_environment(state_dir)
    reg = lambda *a: subprocess.run([env["WINE"], "reg", *a, "/f"], env=env, capture_output=True,
                                    timeout=60, check=True)
    key = ("HKCU\\Control Panel\\Desktop", "/v", "LogPixels")
    reg("add", *key, "/t", "REG_DWORD", "/d", str(dpi))
    try:
        yield
    finally:
        reg("delete", *key)


def picture_disc(work, width=200, settings="[Menu]\nPicture=pic.png\n"):
    """A disc with pic.png and its rendition pic@2x.png, `width` pixels wide."""
    scale_checks.picture_files(work, width)
    return {"autorun.inf": settings,
            **{n: "@" + os.path.join(work, n) for n in ("pic.png", "pic@2x.png")}}


def scenario_scale(args, c):
    """At 150 % and 200 %: the window, the labels' boxes and the hand at their edges scale; the
    background is drawn from its 2x rendition as tavik-check.exe --render --scale draws it, which
    the 1x picture enlarged does not match; pic@2x.png beside Picture is used, a wrong-sized one
    is not."""
    work = tempfile.mkdtemp(dir=args[0])
    shot, render = os.path.join(work, "shot.png"), os.path.join(work, "render.png")
    try:
        for dpi in (144, 192):
            f = dpi / 96
            client, side = (round(CLIENT[0] * f), round(CLIENT[1] * f)), round(32 * f)
            with log_pixels(args[0], dpi), Menu(args, {"autorun.inf": SETTINGS}) as menu:
                x, y, w, h = menu.desk.geometry(menu.window)
                c.expect((w - 6, h - 6) == client, f"{dpi} dpi: client {(w - 6, h - 6)} == {client}")
                menu.origin = (x + 3, y + 3)
                wait_for(lambda: screen.grab(menu.desk, (*menu.origin, *client)).count(
                    (0, 0, 400, 320), GREEN) > 100, SHOW, what="the scaled column")
                # The hand, at the DPI's size, exactly from item 1's left and top edges on.
                edge = round(ITEM_LEFT * f)
                is_hand = lambda: screen.cursor(menu.env["DISPLAY"])[:2] == (side, side)
                for px, py, hand in ((edge + 1, edge + 5, True), (edge - 2, edge + 5, False),
                                     (edge + 10, edge - 2, False), (edge + 10, edge + 2, True)):
                    menu.move(px, py)
                    wait_for(lambda: is_hand() == hand, SHOW,
                             what=f"{dpi} dpi: hand {hand} at {px}, {py}")
                c.expect(True, f"{dpi} dpi: the hand ({side} px) from the label's edges on")
                menu.move(client[0] - 5, client[1] // 2)
                menu.desk.run("import", "-silent", "-window", "root", "-crop",
                              "%dx%d+%d+%d" % (*client, *menu.origin), "+repage", shot)
                subprocess.run([menu.env["WINE"], os.environ["TAVIK_CHECK_EXE"], "--render",
                                "Z:" + render.replace("/", "\\"), "--scale", str(f), "D:\\"],
                               env=menu.env, capture_output=True, timeout=120)
                area = tuple(round(v * f) for v in (320, 70, 150, 100))  # the formula, no label
                wrong, enlarged = scale_checks.detail_against(
                    shot, area, render, (area[0] + 3, area[1] + 3, *area[2:]),
                    os.path.join(menu.assets, "background.bmp"), (320, 70, 150, 100), f, work)
                c.expect(wrong == 0 and enlarged > 500, f"{dpi} dpi: the background's detail is "
                         f"the render's ({wrong} px differ), not the 1x enlarged ({enlarged} px differ)")
        for width, used in ((200, True), (201, False)):
            with log_pixels(args[0], 192), Menu(args, picture_disc(work, width)) as menu:
                box = (*menu.origin, 200, 160)
                shown = lambda: (
                    scale_checks.checkerboard_share(menu.desk.screenshot(shot), box) == 1.0 if used
                    else menu.desk.count_color(box, scale_checks.RED) >= 198 * 158)
                wait_for(shown, SHOW, what=f"the picture ({width} px rendition)")
                c.expect(True, "192 dpi: pic@2x.png drawn pixel for pixel" if used else
                         "192 dpi: a pic@2x.png one pixel too wide is ignored: pic.png enlarged")
    finally:
        shutil.rmtree(work, ignore_errors=True)


def scenario_dpi_change(args, c):
    """WM_DPICHANGED's work, driven from inside a program built from the shell's files: after a
    change the boxes, the picture and the hand are those of a start at the new DPI."""
    work = tempfile.mkdtemp(dir=args[0])
    files = picture_disc(work,
                         settings=SETTINGS.replace("[Menu]\n", "[Menu]\nPicture=pic.png\n"))
    files["dpi_change_probe.exe"] = "@" + os.path.join(args[2], "dpi_change_probe.exe")
    menu = Menu(args, files)  # the disc as D:, no menu started
    try:
        r = subprocess.run([menu.env["WINE"], "D:\\dpi_change_probe.exe"], env=menu.env,
                           capture_output=True, text=True, timeout=120)
        print(r.stdout, end="")
        c.expect(r.returncode == 0 and r.stdout.count("ok") == 4,
                 f"every DPI change as a start there (exit {r.returncode})")
    finally:
        menu.stop()
        shutil.rmtree(work, ignore_errors=True)


SCENARIOS = {name[len("scenario_"):]: f for name, f in globals().items()
             if name.startswith("scenario_")}


def main():
    if len(sys.argv) != 6 or sys.argv[5] not in SCENARIOS:
        sys.exit(__doc__ + "\nScenarios: " + ", ".join(SCENARIOS))
    c = Checks()
    SCENARIOS[sys.argv[5]](tuple(sys.argv[1:5]), c)
    sys.exit(1 if c.failures else 0)


if __name__ == "__main__":
    main()
