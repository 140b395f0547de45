#!/usr/bin/env python3
"""tavik-disc end to end: the image's structure (Joliet, Rock Ridge, volume id, tree, modes,
the same bytes for one SOURCE_DATE_EPOCH, the author's folder untouched, exit codes), and the
menu run as a disc user gets it: the image mounted with fuseiso, `sh autorun.sh` from the
mount's root on a private Xvfb, an item starting a program on the medium, Exit ending it; then
the same from a Joliet-only image, where nothing has an exec bit.
Usage: disc_test.py CASE TAVIK_DISC SETUP SETUP_EXE   (CASE: static, mounted, signed)"""
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import desktop  # noqa: E402
from desktop import END, SHOW, process_gone, wait_for  # noqa: E402
from disc_files import write_files  # noqa: E402

CASE, TAVIK_DISC, SETUP, SETUP_EXE = sys.argv[1:5]
EPOCH = "1700000000"
FRAME = 3

# Items at 100 px left, 100 and 140 px down: one names a program on the medium with a leading
# backslash, the other starts the system's sh on a script of the disc (which needs no exec bit).
AUTORUN_INF = """[autorun]
open=setup.exe
label=Tavik test disc 1

[Menu]
Caption=Disc test
NrOfItems=2
OffsetX=1500
OffsetY=1500
LineDistance=600
ForeColor=&HFF00
Item1=Record,\\tools\\rec.sh one
Item2=Shell,sh tools/rec.sh two
"""
RECORDER = """#!/bin/sh
printf '%s|%s\\n' "$1" "$(pwd)" >> "$TAVIK_RECORD"
"""


def author_folder(root):
    disc = os.path.join(root, "author disc")  # a blank in the path, as authors have them
    write_files(disc, {"autorun.inf": AUTORUN_INF, "tools/rec.sh": RECORDER,
                       "readme.txt": "read me\n"}, executable=("tools/rec.sh",))
    return disc


def tree_digest(folder):
    h = hashlib.sha256()
    for base, dirs, files in sorted(os.walk(folder)):
        dirs.sort()
        for name in sorted(files) + dirs:
            p = os.path.join(base, name)
            st = os.lstat(p)
            h.update(f"{os.path.relpath(p, folder)} {st.st_mode} {st.st_mtime_ns}".encode())
            if os.path.isfile(p):
                h.update(open(p, "rb").read())
    return h.hexdigest()


def make_image(disc, image, env_extra=None, *extra):
    env = dict(os.environ, **(env_extra or {}))
    return subprocess.run([TAVIK_DISC, "--windows-setup", SETUP_EXE, "--linux-setup", SETUP,
                           *extra, disc, image], capture_output=True, text=True, env=env)


def listing(image):
    out = subprocess.run(["xorriso", "-indev", image, "-find", "/", "-exec", "lsdl"],
                         capture_output=True, text=True, check=True).stdout
    modes = {}
    for line in out.splitlines():
        mode, path = line.split()[0], line.rsplit(" ", 1)[1].strip("'")
        modes[path] = mode
    return modes


def case_static(tmp):
    disc = author_folder(tmp)
    before = tree_digest(disc)
    a, b = os.path.join(tmp, "a.iso"), os.path.join(tmp, "b.iso")
    r = make_image(disc, a, {"SOURCE_DATE_EPOCH": EPOCH})
    assert r.returncode == 0, (r.returncode, r.stderr)
    # Touched in between: the dates of the author's files must not reach the image.
    os.utime(os.path.join(disc, "readme.txt"), (1, 1))
    before = tree_digest(disc)
    r = make_image(disc, b, {"SOURCE_DATE_EPOCH": EPOCH})
    assert r.returncode == 0, (r.returncode, r.stderr)
    assert open(a, "rb").read() == open(b, "rb").read(), "one SOURCE_DATE_EPOCH, other bytes"
    assert tree_digest(disc) == before, "the author's folder changed"
    assert not os.path.exists(os.path.join(disc, "autorun.sh")), "autorun.sh left in the folder"

    info = subprocess.run(["isoinfo", "-d", "-i", a], capture_output=True, text=True,
                          check=True).stdout
    assert "Volume id: TAVIK_TEST_DISC_1" in info, info
    assert "Joliet" in info and "Rock Ridge signatures" in info, info
    modes = listing(a)
    expected = {"/": "dr-xr-xr-x", "/tools": "dr-xr-xr-x", "/setup": "-r-xr-xr-x",
                "/autorun.sh": "-r-xr-xr-x", "/tools/rec.sh": "-r-xr-xr-x",
                "/setup.exe": "-r--r--r--", "/autorun.inf": "-r--r--r--",
                "/readme.txt": "-r--r--r--"}
    assert modes == expected, modes

    # --volume wins; an unusable name becomes a valid identifier.
    r = make_image(disc, os.path.join(tmp, "v.iso"), None, "--volume", "my disc: 2026/äö")
    assert r.returncode == 0, r.stderr
    info = subprocess.run(["isoinfo", "-d", "-i", os.path.join(tmp, "v.iso")],
                          capture_output=True, text=True, check=True).stdout
    assert "Volume id: MY_DISC__2026___" in info, info

    # Warnings first, image written, exit 1; nothing written for a missing folder, exit 2.
    with open(os.path.join(disc, "autorun.inf"), "a") as f:
        f.write("FontSize=huge\n")
    r = make_image(disc, os.path.join(tmp, "w.iso"))
    assert r.returncode == 1 and "FontSize" in r.stderr, (r.returncode, r.stderr)
    assert os.path.getsize(os.path.join(tmp, "w.iso")) > 0
    r = make_image(os.path.join(tmp, "no such folder"), os.path.join(tmp, "n.iso"))
    assert r.returncode == 2 and not os.path.exists(os.path.join(tmp, "n.iso")), r
    leftovers = [n for n in os.listdir(tmp) if n.endswith((".partial", ".log"))]
    assert not leftovers, leftovers


def case_signed(tmp):
    """--sign-pkcs12: the setup.exe taken out of the image verifies against the certificate
    and still passes the static checks; the named setup.exe itself is left unsigned."""
    disc = author_folder(tmp)
    cert, key, p12, pw = (os.path.join(tmp, n) for n in ("cert.pem", "key.pem", "c.p12", "pw"))
    with open(pw, "w") as f:
        f.write("disc test secret\n")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key,
                    "-out", cert, "-days", "2", "-subj", "/CN=Tavik disc test",
                    "-addext", "extendedKeyUsage=codeSigning"], check=True, capture_output=True)
    subprocess.run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", cert, "-out", p12,
                    "-passout", "file:" + pw], check=True, capture_output=True)
    image = os.path.join(tmp, "signed.iso")
    r = make_image(disc, image, None, "--sign-pkcs12", p12, "--sign-password-file", pw)
    assert r.returncode == 0, (r.returncode, r.stderr)
    out = os.path.join(tmp, "out")
    subprocess.run(["xorriso", "-osirrox", "on", "-indev", image, "-extract", "/setup.exe",
                    os.path.join(out, "setup.exe")], check=True, capture_output=True)
    v = subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-in",
                        os.path.join(out, "setup.exe")], capture_output=True, text=True)
    assert v.returncode == 0 and "Signature verification: ok" in v.stdout, v.stdout + v.stderr
    unsigned = subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-in", SETUP_EXE],
                              capture_output=True, text=True)
    assert unsigned.returncode != 0, "the named setup.exe was changed"
    check_pe = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "win32", "check_pe.py")
    assets = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "assets")
    pe = subprocess.run([sys.executable, check_pe, os.path.join(out, "setup.exe"), "i686", assets],
                        capture_output=True, text=True)
    assert pe.returncode == 0, pe.stdout + pe.stderr
    # A wrong password: nothing written.
    with open(pw, "w") as f:
        f.write("wrong\n")
    r = make_image(disc, os.path.join(tmp, "bad.iso"), None, "--sign-pkcs12", p12,
                   "--sign-password-file", pw)
    assert r.returncode == 2 and not os.path.exists(os.path.join(tmp, "bad.iso")), r


class Mounted:
    def __init__(self, image, where):
        self.dir = where
        os.makedirs(where)
        subprocess.run(["fuseiso", image, where], check=True)

    def __enter__(self):
        return self.dir

    def __exit__(self, *exc):
        subprocess.run(["fusermount", "-u", self.dir], check=False)


def run_from_medium(d, mount, record, expect):
    """sh autorun.sh from the medium's root; clicks the third item (a script without #!, which
    must not run), then both others; Exit ends the menu."""
    proc = d.spawn(["sh", "autorun.sh"], env={"TAVIK_RECORD": record, "NO_AT_BRIDGE": "1"},
                   cwd=mount)
    try:
        window = d.find_window("setup")
        x, y, w, h = d.geometry(window)
        assert (w, h) == (503, 380), (w, h)
        origin = (x + FRAME, y + FRAME)
        for row in (2, 0, 1):
            d.click(origin[0] + 110, origin[1] + 108 + 40 * row)
        lines = lambda: open(record).read().splitlines() if os.path.exists(record) else []
        wait_for(lambda: len(lines()) >= len(expect), SHOW, what="the items' programs")
        # Clicks are taken in order: the script without #! was refused before these ran.
        assert not os.path.exists(record + ".pwned"), "a script without #! ran"
        # The programs ran with the menu's working folder: the medium's root.
        assert sorted(lines()) == sorted(f"{e}|{mount}" for e in expect), lines()
        d.click(origin[0] + 448, origin[1] + 344)  # Exit
        wait_for(lambda: process_gone(proc), END, what="Exit to end the menu")
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()


def case_mounted(tmp):
    disc = author_folder(tmp)
    # A script without #! (with its exec bit: 0555 on the Rock Ridge image) as a third item.
    inf = AUTORUN_INF.replace("NrOfItems=2", "NrOfItems=3") + "Item3=Notes,tools\\notes.sh\n"
    write_files(disc, {"autorun.inf": inf, "tools/notes.sh": 'touch "$TAVIK_RECORD.pwned"\n'},
                executable=("tools/notes.sh",))
    image = os.path.join(tmp, "disc.iso")
    r = make_image(disc, image)
    assert r.returncode == 1 and r.stderr.count("without a #! line") == 1, r.stderr
    # The same tree without Rock Ridge: Joliet names, no modes at all (every file 0444).
    staged = os.path.join(tmp, "staged")
    subprocess.run(["xorriso", "-osirrox", "on", "-indev", image, "-extract", "/", staged],
                   capture_output=True, check=True)
    plain = os.path.join(tmp, "joliet-only.iso")
    subprocess.run(["xorriso", "-as", "mkisofs", "--norock", "-J", "-V", "TAVIK_TEST", "-o",
                    plain, staged], capture_output=True, check=True)
    with desktop.Display() as d:
        # Rock Ridge: ./setup runs as it is, and a program named from the medium's root starts.
        with Mounted(image, os.path.join(tmp, "media", "TAVIK TEST 'rr' $1")) as mount:
            run_from_medium(d, mount, os.path.join(tmp, "rr.txt"), ["one", "two"])
        # Joliet only: the menu through the dynamic loader, the disc's script through its #!
        # interpreter, though nothing on the medium has an exec bit.
        with Mounted(plain, os.path.join(tmp, "media", "joliet only")) as mount:
            assert os.stat(os.path.join(mount, "setup")).st_mode & 0o111 == 0
            run_from_medium(d, mount, os.path.join(tmp, "joliet.txt"), ["one", "two"])


def main():
    tmp = tempfile.mkdtemp(prefix="tavik-disc-test-")
    try:
        {"static": case_static, "mounted": case_mounted, "signed": case_signed}[CASE](tmp)
    finally:
        subprocess.run(["fusermount", "-u", "-q", os.path.join(tmp, "media")], check=False)
        shutil.rmtree(tmp, ignore_errors=True)
    print(f"disc {CASE}: ok")


if __name__ == "__main__":
    main()
