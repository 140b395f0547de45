#!/usr/bin/env python3
"""The release on the machines disc authors have, with nothing of the build in reach: the Linux
archive unpacked inside minimal Debian 11 and 13 roots (GTK 3 run-time, fonts, xorriso), its
tavik-disc making an image of the sample disc there, and that image's menu run inside the root
on the host's Xvfb (opens, starts an item, ends on Exit); the Debian package installed with
`apt-get install ./tavik_*.deb` in a fresh copy of a bare Debian 12 root, its tavik-disc making
the same image. Each root is seen through an overlay, so the cached roots stay as they are.
Usage: release_roots.py ROOTS_DIR DIST_DIR SOURCE_DATE_EPOCH"""
import glob
import hashlib
import os
import shutil
import subprocess
import sys
import tarfile
import tempfile
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import desktop  # noqa: E402
from desktop import wait_for, process_gone  # noqa: E402

ROOTS, DIST, EPOCH = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]), sys.argv[3]
TARBALL = glob.glob(os.path.join(DIST, "tavik-*-linux-x86_64.tar.gz"))[0]
PACKAGE = glob.glob(os.path.join(DIST, "tavik_*_amd64.deb"))[0]
TOP = os.path.basename(TARBALL)[:-len(".tar.gz")]
FRAME = 3
CHROOT = shutil.which("chroot")  # in sbin, which the environment given to the root lacks
# The sample disc's first item, "Read me first" at 40 px left and 100 px down in the client
# (OffsetX=600, OffsetY=1500 twips), starts tools/viewer, which hands the file to xdg-open.
FIRST_ITEM, EXIT = (60, 110), (448, 344)
RECORDING_XDG_OPEN = "#!/bin/sh\nprintf '%s|%s\\n' \"$1\" \"$(pwd)\" >> /tmp/xdg-open.txt\n"
ENV = {"PATH": "/usr/local/bin:/usr/bin:/bin", "HOME": "/root", "LANG": "C.UTF-8",
       "SOURCE_DATE_EPOCH": EPOCH}


class Root:
    """A cached Debian root seen through an overlay (writes go to a temporary layer), with
    /proc and, if asked, the X socket mounted inside; everything unmounted on exit."""

    def __init__(self, name, tmp, x11=False):
        self.lower = os.path.join(ROOTS, name)
        assert os.path.isfile(os.path.join(self.lower, ".tavik-root")), f"no root {self.lower}"
        base = tempfile.mkdtemp(prefix=name + "-", dir=tmp)
        self.dir = os.path.join(base, "merged")
        self.layers = [os.path.join(base, n) for n in ("upper", "work")]
        self.x11 = x11
        self.mounts = []

    def mount(self, *args):
        subprocess.run(["mount", *args], check=True)
        self.mounts.append(["umount", args[-1]])

    def __enter__(self):
        for d in (self.dir, *self.layers):
            os.makedirs(d)
        upper, work = self.layers
        self.mount("-t", "overlay", "overlay", "-o",
                   f"lowerdir={self.lower},upperdir={upper},workdir={work}", self.dir)
        self.mount("-t", "proc", "proc", self.path("/proc"))
        if self.x11:
            os.makedirs(self.path("/tmp/.X11-unix"), exist_ok=True)
            self.mount("--bind", "/tmp/.X11-unix", self.path("/tmp/.X11-unix"))
        return self

    def inside(self):
        """PIDs of the processes running in this root (all started by this test)."""
        pids = []
        for entry in os.listdir("/proc"):
            try:
                if entry.isdigit() and os.readlink(f"/proc/{entry}/root") == self.dir:
                    pids.append(int(entry))
            except OSError:
                pass
        return pids

    def __exit__(self, *exc):
        # A session bus GTK started for the menu may outlive it by a moment, keeping the
        # overlay busy: give it time to go, then end what is still ours in here.
        try:
            wait_for(lambda: not self.inside(), 15, what="the root's processes to end")
        except desktop.Timeout:
            for pid in self.inside():
                print(f"ending {pid} left in {self.dir}")
                os.kill(pid, 9)
            wait_for(lambda: not self.inside(), 10, what="the root's processes to go")
        for command in reversed(self.mounts):
            subprocess.run(command, check=False)

    def path(self, inside):
        return os.path.join(self.dir, inside.lstrip("/"))

    def run(self, script, timeout=120, **env):
        r = subprocess.run([CHROOT, self.dir, "/bin/sh", "-ec", script],
                           env=dict(ENV, **env), capture_output=True, text=True,
                           timeout=timeout)
        assert r.returncode == 0, f"{script}\n exit {r.returncode}\n{r.stdout[-2000:]}{r.stderr[-2000:]}"
        return r.stdout

    def fuse_mount(self, image, inside):
        where = self.path(inside)
        os.makedirs(where, exist_ok=True)
        subprocess.run(["fuseiso", self.path(image), where], check=True)
        self.mounts.append(["fusermount", "-u", where])


def image_tree(image, tmp):
    """Every path of the image with its mode, owners, size and content digest, and its volume
    id: what makes two images the same disc."""
    out = os.path.join(tmp, "tree-" + hashlib.sha256(image.encode()).hexdigest()[:8])
    subprocess.run(["xorriso", "-osirrox", "on", "-indev", image, "-extract", "/", out],
                   check=True, capture_output=True, timeout=120)
    listing = subprocess.run(["xorriso", "-indev", image, "-find", "/", "-exec", "lsdl"],
                             check=True, capture_output=True, text=True, timeout=60).stdout
    pvd = subprocess.run(["xorriso", "-indev", image, "-pvd_info"], check=True,
                         capture_output=True, text=True, timeout=60).stdout
    volume = [line for line in pvd.splitlines() if line.startswith("Volume Id")]
    digests = {}
    for base, _, files in os.walk(out):
        for f in files:
            p = os.path.join(base, f)
            with open(p, "rb") as fh:
                digests[os.path.relpath(p, out)] = hashlib.sha256(fh.read()).hexdigest()
    shutil.rmtree(out, ignore_errors=True)
    return sorted(listing.splitlines()), volume, digests


def unpacked_archive(name, tmp):
    """The Linux archive in a Debian root: unpacked, checked, the sample disc made an image,
    and the image's menu run from the mounted medium. Returns the image's tree."""
    started = time.monotonic()
    with Root(name, tmp, x11=True) as root:
        shutil.copy(TARBALL, root.path("/tmp"))
        # The three lines of the README, from a folder to an image.
        root.run(f"cd /tmp && tar xzf {os.path.basename(TARBALL)} && cd {TOP} && "
                 f"bin/tavik-check sample-disc >/dev/null && "
                 f"bin/tavik-disc sample-disc /tmp/sample.iso")
        version = root.run(f"/tmp/{TOP}/bin/tavik-disc --version")
        assert version.startswith("tavik-disc "), version
        tree = image_tree(root.path("/tmp/sample.iso"), tmp)

        with open(root.path("/usr/local/bin/xdg-open"), "w") as f:
            f.write(RECORDING_XDG_OPEN)
        os.chmod(root.path("/usr/local/bin/xdg-open"), 0o755)
        record = root.path("/tmp/xdg-open.txt")
        root.fuse_mount("/tmp/sample.iso", "/media/disc")
        with desktop.Display() as d:
            env = dict(ENV, DISPLAY=d.env["DISPLAY"], NO_AT_BRIDGE="1")
            proc = subprocess.Popen(
                [CHROOT, root.dir, "/bin/sh", "-c", "cd /media/disc && exec sh autorun.sh"],
                env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
            try:
                try:
                    window = d.find_window("setup", timeout=20)
                except desktop.Timeout:
                    proc.kill()
                    raise AssertionError(f"{name}: no window; the menu said: " +
                                         proc.communicate()[1].decode(errors="replace")[-2000:])
                x, y, w, h = d.geometry(window)
                assert (w, h) == (503, 380), (name, w, h)
                ox, oy = x + FRAME, y + FRAME
                d.click(ox + FIRST_ITEM[0], oy + FIRST_ITEM[1])
                lines = lambda: open(record).read().splitlines() if os.path.exists(record) else []
                wait_for(lines, 15, what="the sample disc's viewer to hand on its file")
                assert lines() == ["readme.txt|/media/disc"], (name, lines())
                d.click(ox + EXIT[0], oy + EXIT[1])
                wait_for(lambda: process_gone(proc), 15, what="Exit to end the menu")
            finally:
                if proc.poll() is None:
                    proc.kill()
                    proc.wait()
    print(f"{name}: archive unpacked, image made, its menu opened, started an item, ended on "
          f"Exit ({time.monotonic() - started:.0f} s)")
    return tree


def installed_package(tmp):
    """The Debian package in a fresh Debian 12 root, as a user installs it; its tavik-disc
    makes the sample disc's image. Downloaded packages are kept between runs."""
    started = time.monotonic()
    cache = os.path.join(ROOTS, "bookworm-apt-archives")
    os.makedirs(os.path.join(cache, "partial"), exist_ok=True)
    with Root("bookworm-bare", tmp) as root:
        shutil.copy(PACKAGE, root.path("/tmp"))
        shutil.copy("/etc/resolv.conf", root.path("/etc/resolv.conf"))
        root.mount("--bind", cache, root.path("/var/cache/apt/archives"))
        root.run("apt-get update -qq", timeout=300)
        root.run(f"cd /tmp && apt-get install -y -qq --no-install-recommends "
                 f"./{os.path.basename(PACKAGE)} >/dev/null", timeout=600,
                 DEBIAN_FRONTEND="noninteractive")
        assert root.run("tavik-check --version").startswith("tavik-check "), "tavik-check"
        root.run("tavik-check /usr/share/doc/tavik/examples/sample-disc >/dev/null && "
                 "tavik-disc /usr/share/doc/tavik/examples/sample-disc /tmp/sample.iso")
        tree = image_tree(root.path("/tmp/sample.iso"), tmp)
    print(f"bookworm: package installed with apt-get, image made "
          f"({time.monotonic() - started:.0f} s)")
    return tree


def main():
    tmp = tempfile.mkdtemp(prefix="tavik-release-roots-")
    try:
        trees = {name: unpacked_archive(name, tmp) for name in ("bullseye-run", "trixie-run")}
        trees["bookworm package"] = installed_package(tmp)
        listing, volume, digests = trees["bullseye-run"]
        assert volume == ["Volume Id    : TAVIK_SAMPLE_DISC"], volume
        for what in ("setup.exe", "setup", "autorun.sh", "autorun.inf", "tools/viewer.exe"):
            assert what in digests, f"{what} not on the image: {sorted(digests)}"
        # The menus on the image are the archive's own, found beside its bin/.
        with tarfile.open(TARBALL) as t:
            for what in ("setup.exe", "setup", "autorun.sh"):
                data = t.extractfile(f"{TOP}/share/tavik/{what}").read()
                assert digests[what] == hashlib.sha256(data).hexdigest(), f"{what} on the image"
        for name, tree in trees.items():
            assert tree == trees["bullseye-run"], f"{name}'s image differs from Debian 11's"
        print(f"the same image ({len(digests)} files) from Debian 11, 13 and the package")
    finally:
        # Never remove through a mount that would not go (the host's X socket is bound inside).
        with open("/proc/mounts") as f:
            left = [line.split()[1] for line in f if line.split()[1].startswith(tmp + "/")]
        if left:
            print(f"still mounted, {tmp} left in place: {left}")
        else:
            shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    main()
