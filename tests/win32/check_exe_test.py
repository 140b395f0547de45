#!/usr/bin/env python3
"""tavik-check.exe under Wine against the Linux tavik-check, on the Wine suite's prefix and warm
wineserver: for the sample disc, the Wine window tests' discs and every hostile disc, the same
exit code, the same JSON and the same text, paths compared through Wine's Z: drive; no file
written into a disc. Then its render of the sample disc (plain and hovered) against captures of
setup.exe's window (frame included) on the suite's display.
Usage: check_exe_test.py STATE_DIR CHECK_EXE LINUX_CHECK SETUP_EXE HELPER_DIR ASSETS_DIR
       SAMPLE_DISC [json|render]"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # keep the source tree clean
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(os.path.dirname(HERE), "hostile"))
from wine_menu import Checks, Menu  # noqa: E402  (puts tests/support on the path)
from wine_suite import wine_environment  # noqa: E402
import make_discs  # noqa: E402
import menu_e2e  # noqa: E402
import screen  # noqa: E402
from window_all import listing  # noqa: E402
from desktop import SHOW, Timeout, wait_for  # noqa: E402

OUTER = (503, 380)
FRAME = 3
# A hang check only (a Wine start and the heaviest hostile disc): speed is scripts/bench.sh's.
RUN_LIMIT = 30.0


def wine_path(path):
    """The path as a Windows program sees it: Wine's Z: drive is the Unix root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def unix_path(text):
    """A Z: path from the Windows tool's output, back in Unix form."""
    return text[2:].replace("\\", "/") if text[:2] in ("Z:", "z:") else text


def suite_env(state):
    """The suite's prefix, on its display: Wine's desktop process needs one for GDI."""
    env = wine_environment(state)
    with open(os.path.join(state, "suite.json")) as f:
        env["DISPLAY"] = json.load(f)["display"]
    return env


def run_linux(tool, args):
    # No PATH: the Windows tool has no Linux PATH to search, so both look on the disc only.
    r = subprocess.run([tool, *args], capture_output=True, timeout=RUN_LIMIT,
                       env=dict(os.environ, PATH=""))
    return r.returncode, r.stdout


def run_windows(env, tool, args):
    r = subprocess.run([env["WINE"], tool, *args], capture_output=True, timeout=RUN_LIMIT,
                       env=env, stdin=subprocess.DEVNULL)
    return r.returncode, r.stdout


def run_windows_batch(env, tool, runs, folder):
    """[(exit code, stdout bytes)] of each argument list, all run by one cmd.exe: one Wine
    session instead of a cold start for each."""
    lines = ["@echo off"]
    for i, args in enumerate(runs):
        out = wine_path(os.path.join(folder, f"{i}.out"))
        quoted = " ".join(f'"{a}"' for a in args)
        lines += [f'"{wine_path(tool)}" {quoted} > "{out}"',
                  f'echo %ERRORLEVEL% > "{wine_path(os.path.join(folder, f"{i}.rc"))}"']
    script = os.path.join(folder, "runs.cmd")
    with open(script, "w", newline="\r\n") as f:
        f.write("\n".join(lines) + "\n")
    subprocess.run([env["WINE"], "cmd", "/c", wine_path(script)], env=env, timeout=
                   RUN_LIMIT * len(runs), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)
    results = []
    for i in range(len(runs)):
        try:
            with open(os.path.join(folder, f"{i}.rc")) as f:
                rc = int(f.read().strip())
            with open(os.path.join(folder, f"{i}.out"), "rb") as f:
                results.append((rc, f.read()))
        except (OSError, ValueError):
            results.append((None, b""))
    return results


def same_json(win, lin):
    """Where the two JSON reports differ, after the Windows paths are put in Unix form."""
    try:
        w, l = json.loads(win), json.loads(lin)
    except ValueError as e:
        return [f"not JSON: {e}"]
    w["settings_path"] = unix_path(w["settings_path"])
    w["picture"]["path"] = unix_path(w["picture"]["path"])
    for wl, ll in zip(w.get("labels", []), l.get("labels", [])):
        ws, ls = wl.get("linux_start"), ll.get("linux_start")
        if not ws or not ls:
            continue
        for key in ("program", "target"):
            if ws[key] is not None and not ws[key].startswith(("http:", "https:")):
                ws[key] = unix_path(ws[key])
        # A Windows folder shows no exec bits: the loader or interpreter that starts a program
        # without one is the Linux tool's to name.
        if ws["via"] is None:
            ls["via"] = None
    # The Linux menu reads `\\` in a picture's path as `/` too.
    l["picture"]["path"] = l["picture"]["path"].replace("\\", "/")
    return [f"{k}: Windows {w.get(k)!r}, Linux {l.get(k)!r}" for k in sorted(set(w) | set(l))
            if w.get(k) != l.get(k)]


def ansi_text(data):
    """The Windows report's text: the settings' bytes in the ANSI code page (1252 here), where
    Windows gives a byte the code page leaves undefined the character of the same number."""
    out = []
    for b in data:
        try:
            out.append(bytes([b]).decode("cp1252"))
        except UnicodeDecodeError:
            out.append(chr(b))
    return "".join(out)


# Settings in UTF-8 without a byte-order mark: the Linux menu reads UTF-8, the Windows profile
# function the ANSI code page's bytes, which the Windows menu shows as they are; so does each
# report.
UTF8_SETTINGS = {"unicode-captions"}


def as_windows_shows_utf8(text):
    """The Linux report's non-ASCII text as the Windows menu shows the same UTF-8 bytes."""
    return "".join(ansi_text(ch.encode("utf-8")) if ord(ch) > 0x7F else ch for ch in text)


# The lines under an item that say what it does on Linux, with a path in them.
STARTS, OPENS = "      on Linux: starts ", "      on Linux: opens "
DEFAULT_APP = " with the desktop's default application ("


def same_text(win, lin):
    """Lines that differ, the Windows ones' paths in Unix form (Settings:, Picture:)."""
    out = []
    wl, ll = win.split("\n"), lin.split("\n")
    for i in range(max(len(wl), len(ll))):
        w = wl[i] if i < len(wl) else None
        l = ll[i] if i < len(ll) else None
        if w is not None and w[:11] in ("Settings:  ", "Picture:   "):
            w = w[:11] + unix_path(w[11:].split("  (not found)")[0]) + (
                "  (not found)" if w.endswith("  (not found)") else "")
        if l is not None and l.startswith("Picture:   "):
            l = l.replace("\\", "/")  # as the Linux menu reads a picture's path
        if w is not None and w.startswith(STARTS):
            w = STARTS + unix_path(w[len(STARTS):])
        elif w is not None and w.startswith(OPENS):
            target, rest = w[len(OPENS):].split(DEFAULT_APP, 1)
            w = OPENS + unix_path(target) + DEFAULT_APP + rest
        if l is not None and l.startswith(STARTS) and " through " in l and w is not None and \
                " through " not in w:
            l = l.split(" through ")[0]  # no exec bits in a Windows folder, as in same_json
        if w != l:
            out.append(f"line {i + 1}: Windows {w!r}, Linux {l!r}")
    return out


def window_test_discs(base, helpers):
    """The discs of the Wine window tests: their menu, no settings, and their pictures."""
    discs = {"window-test": {"autorun.inf": menu_e2e.SETTINGS,
                             "tools/record.exe": "@" + os.path.join(helpers, "record_args.exe")},
             "no-settings": {}}
    gif, png = os.path.join(base, "small.gif"), os.path.join(base, "half.png")
    subprocess.run(["convert", "-size", "120x90", "xc:#FF0000", gif], check=True)
    subprocess.run(["convert", "-size", "80x60", "xc:#0000FF", "-alpha", "set", "-region",
                    "40x60+40+0", "-alpha", "transparent", "+region", "-strip", "PNG32:" + png],
                   check=True)
    discs["gif-picture"] = {"autorun.inf": "[Menu]\nPicture=pics\\small.gif\n",
                            "pics/small.gif": "@" + gif}
    discs["png-picture"] = {"autorun.inf": "[Menu]\nPicture=half.png\n", "half.png": "@" + png}
    # Names beyond ASCII, the settings in the ANSI code page (1252) as a Windows editor saves
    # them: the folder, the items' programs, and a name Joliet would cut, in a subfolder.
    discs["Pr\u00e4sentation \u00e9t\u00e9"] = {
        "autorun.inf": ("[Menu]\r\nCaption=Caf\u00e9\r\nNrOfItems=2\r\n"
                        "Item1=Lisez-moi,outils\\lisez-moi.exe\r\n"
                        "Item2=\u00dcbersicht,outils\\\u00fcbersicht.exe\r\n").encode("cp1252"),
        "outils/lisez-moi.exe": b"MZ", "outils/\u00fcbersicht.exe": b"MZ",
        "outils/" + "\u00e9" * 70 + ".txt": b""}
    # The Windows programs' items and what starts nothing on Linux, as both tools decide it.
    discs["windows-items"] = {
        "autorun.inf": ("[Menu]\r\nNrOfItems=8\r\nOffsetY=1500\r\nLineDistance=300\r\n"
                        "Item1=Read me,notepad.exe README.TXT\r\nItem2=Browse,explorer.exe .\r\n"
                        "Item3=Manual,explorer.exe docs\\manual.pdf\r\n"
                        "Item4=Web,cmd /c start \"\" https://example.com/x\r\n"
                        "Item5=Text,readme.txt\r\nItem6=Install\r\nItem7=Script,tools\\run.sh\r\n"
                        "Item8=Windows,C:\\Windows\\hh.exe help\\missing.chm\r\n").encode(),
        "readme.txt": b"touch PWNED\n", "docs/Manual.pdf": b"%PDF", "tools/run.exe": b"MZ",
        "tools/run.sh": b"#!/bin/sh\n"}
    names = []
    for name, files in discs.items():
        folder = os.path.join(base, name)
        os.makedirs(folder)
        for rel, content in files.items():
            path = os.path.join(folder, rel)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            if isinstance(content, bytes):
                with open(path, "wb") as f:
                    f.write(content)
                if path.endswith((".exe", ".sh")):
                    os.chmod(path, 0o755)  # a program, for the Linux menu as for Windows
            elif content.startswith("@"):
                shutil.copy(content[1:], path)
            else:
                with open(path, "w") as f:
                    f.write(content)
        names.append(name)
    return names


def compare_reports(args, c):
    state, exe, linux = args[0], args[1], args[2]
    env = suite_env(state)
    base = tempfile.mkdtemp(prefix="check-exe-", dir=state)
    try:
        discs = [args[6]]
        discs += [os.path.join(base, n) for n in window_test_discs(base, args[4])]
        hostile = os.path.join(base, "hostile")
        os.makedirs(hostile)
        for name, spec in make_discs.cases().items():
            make_discs.write(hostile, name, spec)
            discs.append(os.path.join(hostile, name))
        modes = (["--json"], [])
        # cmd.exe reads its script in another code page than the tool's command line: names
        # beyond ASCII go on Wine's own command line.
        batched = [disc for disc in discs if disc.isascii()]
        runs = [[*mode, wine_path(disc)] for disc in batched for mode in modes]
        before = {disc: listing(disc) for disc in discs}
        outs = os.path.join(base, "outputs")
        os.makedirs(outs)
        started = time.monotonic()
        results = dict(zip([(disc, m[0] if m else "") for disc in batched for m in modes],
                           run_windows_batch(env, exe, runs, outs)))
        print(f"{len(runs)} runs of the Windows tool in {time.monotonic() - started:.1f} s")
        for disc in discs:
            name = os.path.basename(disc)
            for mode in modes:
                wrc, wout = results.get((disc, mode[0] if mode else "")) or run_windows(
                    env, exe, [*mode, wine_path(disc)])
                lrc, lout = run_linux(linux, [*mode, disc])
                kind = "JSON" if mode else "text"
                c.expect(wrc == lrc, f"{name}: {kind} exit {wrc} on Windows, {lrc} on Linux")
                # The console's convention: every line ends in CR LF.
                lf, crlf = wout.count(b"\n"), wout.count(b"\r\n")
                c.expect(crlf == lf and lf > 0, f"{name}: {kind} lines end in CR LF ({crlf} of {lf})")
                wout = wout.replace(b"\r\n", b"\n")
                lin = lout.decode("utf-8", "replace")
                if name in UTF8_SETTINGS:
                    lin = as_windows_shows_utf8(lin)
                diff = (same_json(wout.decode("utf-8", "replace"), lin)
                        if mode else same_text(ansi_text(wout), lin))
                c.expect(not diff, f"{name}: the same {kind} report" +
                         ("" if not diff else ": " + "; ".join(diff)[:1500]))
            c.expect(listing(disc) == before[disc], f"{name}: nothing written into the disc")
        # Bad arguments: the same refusal.
        for bad in (["--bogus"], [wine_path(os.path.join(base, "nope"))], ["a", "b"],
                    ["--hover", "3"], ["--render", "x.png", "--hover", "9"],
                    ["--render", "x.png", "--scale", "4.5"]):
            wrc, _ = run_windows(env, exe, bad)
            c.expect(wrc == 2, f"{bad}: exit {wrc}, want 2")
        # A render that cannot be written: the report, then exit 2.
        wrc, wout = run_windows(env, exe, ["--render", wine_path(os.path.join(base, "no", "x.png")),
                                           wine_path(args[6])])
        c.expect(wrc == 2 and b"Tavik Sample Disc" in wout, f"unwritable render: exit {wrc}, want 2")
        print(f"{len(discs)} discs compared")
    finally:
        shutil.rmtree(base, ignore_errors=True)


def png_pixels(path):
    w, h = map(int, subprocess.run(["identify", "-format", "%w %h", path], capture_output=True,
                                   text=True, check=True).stdout.split())
    raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True,
                         check=True).stdout
    return w, h, raw


def compare_render(args, c):
    state, exe, _, setup, helpers, assets, sample = args
    env = suite_env(state)
    files = {}
    for root, _, names in os.walk(sample):
        for n in names:
            path = os.path.join(root, n)
            files[os.path.relpath(path, sample)] = "@" + path
    renders = []
    with Menu((state, setup, helpers, assets), files) as menu:
        for hover in (None, 1):
            png = os.path.join(state, "render.png")
            extra = [] if hover is None else ["--hover", str(hover)]
            rc, _ = run_windows(env, exe, ["--render", wine_path(png), *extra,
                                           wine_path(menu.disc)])
            c.expect(rc == 0, f"render exit {rc}")
            w, h, raw = png_pixels(png)
            os.remove(png)
            renders.append(raw)
            c.expect((w, h) == OUTER, f"render {w}x{h}, want {OUTER[0]}x{OUTER[1]}")
            if hover is None:
                menu.move(-FRAME - 20, -FRAME - 20)  # off the window: no hover
            else:
                menu.move(40 + 10, 100 + 30 * hover + 8)  # inside the item: 40 px, 100 + 30 n
            x, y = menu.origin[0] - FRAME, menu.origin[1] - FRAME
            what = "plain" if hover is None else f"item {hover} hovered"
            try:
                wait_for(lambda: screen.grab(menu.desk, (x, y, *OUTER)).raw == raw, SHOW,
                         what="the window to show the render's pixels")
                c.expect(True, f"{what}: the render equals the window, frame included")
            except Timeout:
                shot = screen.grab(menu.desk, (x, y, *OUTER))
                bad = [(i // 3 % OUTER[0], i // 3 // OUTER[0]) for i in range(0, len(raw), 3)
                       if raw[i:i + 3] != shot.raw[i:i + 3]]
                c.expect(False, f"{what}: {len(bad)} pixels differ from the window, first "
                         f"{bad[:8]}")
    c.expect(len(renders) == 2 and renders[0] != renders[1], "the hover changes the render")


def main():
    if len(sys.argv) != 9 or sys.argv[8] not in ("json", "render"):
        sys.exit(__doc__)
    c = Checks()
    (compare_reports if sys.argv[8] == "json" else compare_render)(tuple(sys.argv[1:8]), c)
    sys.exit(1 if c.failures else 0)


if __name__ == "__main__":
    main()
