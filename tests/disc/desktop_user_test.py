#!/usr/bin/env python3
"""The disc as a desktop user gets it: a normal user, the medium mounted under
/media/USER/LABEL, the desktop's autorun helper asking whether to run it (GNOME's
nautilus-autorun-software, taken from the nautilus package; Cinnamon's nemo-autorun-software and
MATE's caja-autorun-software), the test pressing Run. The menu must open as that
user with the medium's root as its folder, its two disc items (a script and an ELF program)
must run as the user in that folder, and Exit must end it. Media: a Rock Ridge image and a
Joliet-only image mounted by the user (fuseiso), and udisks2's view of a disc without Rock
Ridge (owner the user, files 0400, folders 0500: a read-only loop-mounted ext4 copy). On a
noexec mount autorun.sh must say so in one line and fail. Where nemo's or caja's helper refuses
(they want an executable autorun.sh), the refusal is pinned: its error dialog instead of the
menu, and tavik-check on the medium names those desktops. The check case: tavik-check and
tavik-disc name the items that run only without their exec bit.
Usage: desktop_user_test.py CASE TAVIK_DISC TAVIK_CHECK SETUP SETUP_EXE RECORD_PROBE HELPER_DIR
(CASE: rockridge, joliet, udisks, noexec, check; nemo-MEDIUM, caja-MEDIUM)"""
import fcntl
import json
import os
import pwd
import shutil
import stat
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import desktop  # noqa: E402
from desktop import END, SHOW, process_gone, wait_for  # noqa: E402
from disc_files import write_files, records  # noqa: E402

CASE, TAVIK_DISC, TAVIK_CHECK, SETUP, SETUP_EXE, RECORD_PROBE, HELPER_DIR = sys.argv[1:8]
USER = "tavikdisc"
LABEL = "TAVIK_USER"
FRAME = 3
# Where Cinnamon's and MATE's helpers answer Run with "Cannot find the autorun program": the
# medium shows autorun.sh without an exec bit (fuseiso says X_OK to nemo on a Joliet image).
REFUSES = {("nemo", "udisks"), ("caja", "joliet"), ("caja", "udisks")}

# Item1 names a script from the medium's root, Item2 an ELF program from the menu's folder;
# at 100 px left, 100 and 140 px down.
AUTORUN_INF = f"""[autorun]
open=setup.exe
label={LABEL}

[Menu]
Caption=Desktop user
NrOfItems=2
OffsetX=1500
OffsetY=1500
LineDistance=600
Item1=Script,\\tools\\rec.sh one
Item2=Program,tools\\recelf two
"""
RECORDER = """#!/bin/sh
printf '%s|%s|%s\\n' "$1" "$(pwd)" "$(id -u)" >> "$TAVIK_RECORD"
"""


def author_folder(root, executable=True):
    disc = os.path.join(root, "author")
    with open(RECORD_PROBE, "rb") as f:
        probe = f.read()
    names = ("tools/rec.sh", "tools/recelf") if executable else ()
    write_files(disc, {"autorun.inf": AUTORUN_INF, "tools/rec.sh": RECORDER,
                       "tools/recelf": probe}, executable=names)
    return disc


def make_image(disc, image):
    return subprocess.run([TAVIK_DISC, "--windows-setup", SETUP_EXE, "--linux-setup", SETUP,
                           disc, image], capture_output=True, text=True)


def rock_ridge_image(tmp):
    image = os.path.join(tmp, "rr.iso")
    r = make_image(author_folder(tmp), image)
    assert r.returncode == 0, (r.returncode, r.stderr)
    return image


def extracted(image, where):
    subprocess.run(["xorriso", "-osirrox", "on", "-indev", image, "-extract", "/", where],
                   capture_output=True, check=True)
    return where


def joliet_image(tmp):
    """The same tree without Rock Ridge: every file 0444 through fuseiso."""
    staged = extracted(rock_ridge_image(tmp), os.path.join(tmp, "staged"))
    image = os.path.join(tmp, "joliet.iso")
    subprocess.run(["xorriso", "-as", "mkisofs", "--norock", "-J", "-V", LABEL, "-o", image,
                    staged], capture_output=True, check=True)
    return image


def udisks_view(tmp, uid, gid):
    """An ext4 image of the disc's tree as udisks2 shows a disc without Rock Ridge to its
    user (uid=, gid=, mode=0400, dmode=0500)."""
    staged = extracted(rock_ridge_image(tmp), os.path.join(tmp, "staged"))
    for base, dirs, files in os.walk(staged):
        for name in files:
            os.chown(os.path.join(base, name), uid, gid)
            os.chmod(os.path.join(base, name), 0o400)
        for name in dirs:
            os.chown(os.path.join(base, name), uid, gid)
            os.chmod(os.path.join(base, name), 0o500)
    os.chown(staged, uid, gid)
    os.chmod(staged, 0o500)
    image = os.path.join(tmp, "view.ext4")
    with open(image, "wb") as f:
        f.truncate(32 << 20)
    subprocess.run(["mkfs.ext4", "-q", "-F", "-L", LABEL, "-d", staged, image],
                   capture_output=True, check=True)
    # mkfs leaves the root folder root's 0755 and adds lost+found; a disc has neither.
    for request in (f"sif / uid {uid}", f"sif / gid {gid}", "sif / mode 040500",
                    "rmdir lost+found"):
        subprocess.run(["debugfs", "-w", "-R", request, image], capture_output=True, check=True)
    return image


def helper_program(tmp):
    """nautilus-autorun-software alone, out of the nautilus package (fetched once into the build
    folder), copied where the user may run it."""
    os.makedirs(HELPER_DIR, exist_ok=True)
    binary = os.path.join(HELPER_DIR, "usr", "bin", "nautilus-autorun-software")
    with open(os.path.join(HELPER_DIR, ".lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if not os.path.exists(binary):
            subprocess.run(["apt-get", "download", "-q", "nautilus"], cwd=HELPER_DIR,
                           capture_output=True, check=True)
            debs = [n for n in os.listdir(HELPER_DIR) if n.startswith("nautilus_")]
            assert len(debs) == 1, debs
            deb = os.path.join(HELPER_DIR, debs[0])
            subprocess.run(["dpkg-deb", "-x", deb, os.path.join(HELPER_DIR, "x")],
                           capture_output=True, check=True)
            os.makedirs(os.path.dirname(binary), exist_ok=True)
            os.replace(os.path.join(HELPER_DIR, "x", "usr", "bin",
                                    "nautilus-autorun-software"), binary)
            shutil.rmtree(os.path.join(HELPER_DIR, "x"))
            os.remove(deb)
    copy = os.path.join(tmp, "nautilus-autorun-software")
    shutil.copy(binary, copy)
    os.chmod(copy, 0o755)
    return copy


class DesktopUser:
    """A normal user who may mount FUSE media, with /media/USER as udisks2 makes it. Undone on
    exit: /dev/fuse's mode restored, the folders made here removed; the user account stays
    (made once, reused by later runs)."""

    def __enter__(self):
        try:
            pwd.getpwnam(USER)
        except KeyError:
            r = subprocess.run(["useradd", "-m", "-s", "/bin/sh", USER], capture_output=True,
                               text=True)
            # Another run may have made it in between.
            assert r.returncode in (0, 9), r.stderr
        entry = pwd.getpwnam(USER)
        self.uid, self.gid, self.home = entry.pw_uid, entry.pw_gid, entry.pw_dir
        self.fuse_mode = stat.S_IMODE(os.stat("/dev/fuse").st_mode)
        os.chmod("/dev/fuse", 0o666)
        self.made = []
        for folder, owner, mode in (("/media", 0, 0o755), (f"/media/{USER}", 0, 0o750)):
            if not os.path.isdir(folder):
                os.mkdir(folder)
                self.made.insert(0, folder)
            if owner == 0 and folder != "/media":
                os.chown(folder, 0, self.gid)
                os.chmod(folder, mode)
        self.tmp = tempfile.mkdtemp(prefix="tavik-user-test-")
        os.chmod(self.tmp, 0o755)
        return self

    def __exit__(self, *exc):
        os.chmod("/dev/fuse", self.fuse_mode)
        shutil.rmtree(self.tmp, ignore_errors=True)
        for folder in self.made:
            try:
                os.rmdir(folder)
            except OSError:
                pass

    def run_as(self, args, display=None, extra=None, **kw):
        env = ["HOME=" + self.home, "PATH=/usr/local/bin:/usr/bin:/bin", "NO_AT_BRIDGE=1",
               "GSK_RENDERER=cairo"]
        if display:
            env.append("DISPLAY=" + display)
        env += [f"{k}={v}" for k, v in (extra or {}).items()]
        return ["setpriv", f"--reuid={self.uid}", f"--regid={self.gid}", "--init-groups",
                "env", "-i", *env, *args]

    def record_file(self, name):
        path = os.path.join(self.tmp, name)
        open(path, "w").close()
        os.chown(path, self.uid, self.gid)
        return path

    def mount_point(self):
        point = f"/media/{USER}/{LABEL}"
        # A run killed at its timeout leaves its mount: take it away first.
        with open("/proc/self/mountinfo") as f:
            if any(line.split()[4] == point for line in f):
                subprocess.run(["umount", "-l", point], check=False)
        os.makedirs(point, exist_ok=True)
        os.chown(point, self.uid, self.gid)
        return point


class FuseMount:
    """An image mounted by the user with fuseiso."""

    def __init__(self, user, image):
        self.user, self.image = user, image

    def __enter__(self):
        os.chmod(self.image, 0o644)
        self.dir = self.user.mount_point()
        subprocess.run(self.user.run_as(["fuseiso", self.image, self.dir]), check=True)
        return self.dir

    def __exit__(self, *exc):
        subprocess.run(["fusermount", "-u", "-q", self.dir], check=False)
        os.rmdir(self.dir)


class LoopMount:
    """An ext4 image mounted read-only by root for the user, as udisks2 does."""

    def __init__(self, user, image):
        self.user, self.image = user, image

    def __enter__(self):
        self.dir = self.user.mount_point()
        subprocess.run(["mount", "-o", "loop,ro,nodev,nosuid", self.image, self.dir],
                       check=True)
        return self.dir

    def __exit__(self, *exc):
        subprocess.run(["umount", self.dir], check=False)
        os.rmdir(self.dir)


def nautilus_prompt(d):
    # Its title has typographic quotes, so only _NET_WM_NAME holds it: xwininfo reads that.
    tree = d.run("xwininfo", "-root", "-tree", check=False).stdout
    for line in tree.splitlines():
        if "contains software intended to be automatically started" in line:
            return line.split()[0]
    return None


def helper_windows(d, desk):
    """[(window, name, width, height)] of the nemo or caja helper's top-level windows."""
    out = []
    for line in d.run("xwininfo", "-root", "-tree", check=False).stdout.splitlines():
        if f'("{desk}-autorun-software"' in line:
            name = line.split('"')[1] if '"' in line.split("(")[0] else ""
            w, h = line.split(")")[-1].split()[0].split("+")[0].split("x")
            out.append((line.split()[0], name, int(w), int(h)))
    return out


def forks_prompt(desk):
    """nemo's and caja's prompt: a dialog without a title of its own, named for the volume."""
    def find(d):
        return next((w for w, name, _, _ in helper_windows(d, desk) if name == LABEL), None)
    return find


def press_run(d, proc, helper, prompt=nautilus_prompt, refused=False):
    """The helper's prompt (Cancel is the default): Run is the right-hand button, at the
    bottom. A click that lands before the dialog takes input is lost, so it is repeated until
    the helper's process has gone on to run the disc (it is no longer the helper), or, where
    it refuses, until the prompt is gone."""
    def still_asking():
        try:
            return os.readlink(f"/proc/{proc.pid}/exe") == helper and proc.poll() is None
        except OSError:
            return False

    def taken():
        return prompt(d) is None if refused else not still_asking()

    # Once the prompt shows, the process is the helper (no longer setpriv or env).
    wait_for(lambda: prompt(d), SHOW, what="the helper's prompt")

    def click_run():
        if taken():
            return True
        window = prompt(d)
        if not window:
            return False
        # Read each time: the dialog is mapped at 1x1 before it takes its size.
        x, y, w, h = d.geometry(window)
        if w < 100 or h < 100:
            return False
        # From the dialog's text onto the button: each try brings the pointer in afresh.
        d.move(x + w * 3 // 4, y + 10)
        d.click(x + w * 3 // 4, y + h - 20)
        try:
            return wait_for(taken, 2, what="Run to be taken")
        except desktop.Timeout:
            return False
    wait_for(click_run, SHOW, what="the helper to take Run")


def refusal_from_helper(d, user, desk, mount, record):
    """Run is pressed; the helper stays itself (autorun.sh never runs), shows its error dialog
    ("Error autorunning software / Cannot find the autorun program": a small dialog without a
    name) instead of the prompt, and no menu opens."""
    helper = shutil.which(f"{desk}-autorun-software")
    proc = subprocess.Popen(user.run_as([helper, "file://" + mount], display=d.env["DISPLAY"],
                                        extra={"TAVIK_RECORD": record}),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        press_run(d, proc, helper, forks_prompt(desk), refused=True)
        wait_for(lambda: [w for w in helper_windows(d, desk) if not w[1] and w[2] > 100],
                 SHOW, what=f"{desk}'s error dialog")
        assert os.readlink(f"/proc/{proc.pid}/exe") == helper, "the helper ran something"
        assert not d.run("xdotool", "search", "--class", "setup", check=False).stdout
        assert records(record) == []
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()


def menu_from_helper(d, user, helper, mount, record, prompt=nautilus_prompt):
    """The helper asks, Run is pressed; the menu that opens is the helper's own process (it
    runs `sh autorun.sh`, which execs the menu), as the user, in the medium's root. Both items
    run as the user in that folder; Exit ends the menu."""
    err = os.path.join(user.tmp, "helper.err")
    with open(err, "w") as stderr:
        proc = subprocess.Popen(user.run_as([helper, "file://" + mount], display=d.env["DISPLAY"],
                                            extra={"TAVIK_RECORD": record}),
                                stdout=subprocess.DEVNULL, stderr=stderr)
    try:
        try:
            press_run(d, proc, helper, prompt)
            window = d.find_window("setup")
        except desktop.Timeout as e:
            raise AssertionError(f"{e}; the helper said: {open(err).read()}") from e
        x, y, w, h = d.geometry(window)
        assert (w, h) == (503, 380), (w, h)
        assert d.run("xdotool", "getwindowpid", window).stdout.strip() == str(proc.pid)
        with open(f"/proc/{proc.pid}/status") as f:
            uids = [line.split()[1:] for line in f if line.startswith("Uid:")][0]
        assert uids == [str(user.uid)] * 4, uids
        assert os.readlink(f"/proc/{proc.pid}/cwd") == mount
        origin = (x + FRAME, y + FRAME)
        for row in (0, 1):
            d.click(origin[0] + 110, origin[1] + 108 + 40 * row)
        wait_for(lambda: len(records(record)) >= 2, SHOW, what="the items' programs")
        expected = [["one", mount, str(user.uid)], ["two", mount, str(user.uid)]]
        assert sorted(records(record)) == expected, (records(record), open(err).read())
        d.click(origin[0] + 448, origin[1] + 344)  # Exit
        wait_for(lambda: process_gone(proc), END, what="Exit to end the menu")
        assert proc.returncode == 0, proc.returncode
    finally:
        if proc.poll() is None:
            proc.kill()
            proc.wait()


def case_media(kind, desk="nautilus"):
    with DesktopUser() as user, desktop.Display() as d:
        record = user.record_file("record.txt")
        if kind == "rockridge":
            media = FuseMount(user, rock_ridge_image(user.tmp))
        elif kind == "joliet":
            media = FuseMount(user, joliet_image(user.tmp))
        else:
            media = LoopMount(user, udisks_view(user.tmp, user.uid, user.gid))
        with media as mount:
            setup_mode = stat.S_IMODE(int(subprocess.run(
                user.run_as(["stat", "-c", "%a", os.path.join(mount, "setup")]),
                capture_output=True, text=True, check=True).stdout, 8))
            expected_mode = {"rockridge": 0o555, "joliet": 0o444, "udisks": 0o400}[kind]
            assert setup_mode == expected_mode, oct(setup_mode)
            if (desk, kind) in REFUSES:
                refusal_from_helper(d, user, desk, mount, record)
            elif desk == "nautilus":
                menu_from_helper(d, user, helper_program(user.tmp), mount, record)
            else:
                menu_from_helper(d, user, shutil.which(f"{desk}-autorun-software"), mount,
                                 record, forks_prompt(desk))
            if kind != "rockridge":
                # The check on the medium agrees: both items run only without an exec bit, and
                # the desktops whose prompt refuses autorun.sh are named.
                r = subprocess.run(user.run_as([TAVIK_CHECK, "--json", mount]),
                                   capture_output=True, text=True)
                warnings = json.loads(r.stdout)["warnings"]
                kinds = {(w["key"], w["kind"]) for w in warnings}
                assert {("Item1", "no_exec_bit"), ("Item2", "no_exec_bit"),
                        ("autorun.sh", "autorun_not_executable")} <= kinds, kinds
                told = [w["message"] for w in warnings if w["kind"] == "autorun_not_executable"]
                assert "nemo" in told[0] and "caja" in told[0], told


def case_noexec():
    """udisks2's view, but mounted noexec in a private mount namespace: the helper's Run gives
    one line from autorun.sh on stderr and a non-zero exit, and no menu."""
    with DesktopUser() as user, desktop.Display() as d:
        helper = helper_program(user.tmp)
        image = udisks_view(user.tmp, user.uid, user.gid)
        mount = user.mount_point()
        err = os.path.join(user.tmp, "helper.err")
        inner = " ".join(f"'{a}'" for a in user.run_as([helper, "file://" + mount],
                                                         display=d.env["DISPLAY"]))
        script = f"mount -o loop,ro,nodev,nosuid,noexec '{image}' '{mount}' && exec {inner}"
        try:
            with open(err, "w") as stderr:
                proc = subprocess.Popen(["unshare", "-m", "--propagation", "private", "sh", "-c",
                                         script], stdout=subprocess.DEVNULL, stderr=stderr)
            try:
                press_run(d, proc, helper)
                wait_for(lambda: process_gone(proc), SHOW, what="autorun.sh to give up")
            finally:
                if proc.poll() is None:
                    proc.kill()
                    proc.wait()
            assert proc.returncode not in (0, None), proc.returncode
            lines = open(err).read().splitlines()
            ours = [line for line in lines if line.startswith("autorun.sh:")]
            assert len(ours) == 1 and "noexec" in ours[0], lines
            assert not any("setup" in line and line not in ours for line in lines), lines
            assert not d.run("xdotool", "search", "--class", "setup", check=False).stdout
        finally:
            os.rmdir(mount)


def case_check():
    """An item whose program has no exec bit in the author's folder: tavik-check warns (text
    and JSON, exit 1) and says through what it will run; tavik-disc warns and still writes.
    A script without a #! line: both warn that it never starts."""
    tmp = tempfile.mkdtemp(prefix="tavik-user-check-")
    try:
        disc = author_folder(tmp, executable=False)
        # From the folder itself: tavik-check takes a leading `\` from the medium holding it.
        inf = os.path.join(disc, "autorun.inf")
        with open(inf) as f:
            text = f.read().replace("\\tools\\rec.sh", "tools\\rec.sh")
        with open(inf, "w") as f:
            f.write(text)
        r = subprocess.run([TAVIK_CHECK, "--json", disc], capture_output=True, text=True)
        assert r.returncode == 1, (r.returncode, r.stdout)
        found = {w["key"]: w for w in json.loads(r.stdout)["warnings"]
                 if w["kind"] == "no_exec_bit"}
        assert set(found) == {"Item1", "Item2"}, r.stdout
        assert "#! interpreter /bin/sh" in found["Item1"]["message"], found
        assert "dynamic loader /" in found["Item2"]["message"], found
        text = subprocess.run([TAVIK_CHECK, disc], capture_output=True, text=True)
        assert text.returncode == 1 and text.stdout.count("has no exec bit") == 2, text.stdout
        r = make_image(disc, os.path.join(tmp, "w.iso"))
        assert r.returncode == 1 and r.stderr.count("has no exec bit") == 2, r
        # With the exec bits: no such warning, a clean image.
        for name in ("rec.sh", "recelf"):
            os.chmod(os.path.join(disc, "tools", name), 0o755)
        r = subprocess.run([TAVIK_CHECK, "--json", disc], capture_output=True, text=True)
        assert r.returncode == 0, r.stdout
        assert make_image(disc, os.path.join(tmp, "c.iso")).returncode == 0
        # A script without a #! line starts on no medium, exec bit or not: both tools say so.
        plain = os.path.join(tmp, "plain")
        write_files(plain, {"autorun.inf": "[Menu]\nNrOfItems=1\nItem1=Notes,notes.sh\n",
                            "notes.sh": "touch PWNED\n"}, executable=("notes.sh",))
        r = subprocess.run([TAVIK_CHECK, "--json", plain], capture_output=True, text=True)
        assert [w["kind"] for w in json.loads(r.stdout)["warnings"]] == ["no_shebang"], r.stdout
        r = make_image(plain, os.path.join(tmp, "p.iso"))
        assert r.returncode == 1 and "without a #! line" in r.stderr, r
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


def main():
    if CASE == "check":
        case_check()
    elif CASE == "noexec":
        case_noexec()
    elif CASE.startswith(("nemo-", "caja-")):
        case_media(CASE.split("-", 1)[1], CASE.split("-", 1)[0])
    else:
        case_media(CASE)
    print(f"desktop user {CASE}: ok")


if __name__ == "__main__":
    main()
