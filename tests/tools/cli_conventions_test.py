#!/usr/bin/env python3
"""The tools' command lines and manual pages: --help on stdout with exit 0, --version as
"NAME VERSION", every bad argument one line on stderr with exit 2; the manual page renders
without a warning and names every option the usage names. For tavik-disc also where it takes
the menus from when the command line names none: share/tavik/ beside its bin/ when installed,
the other builds' outputs in a build tree.
Usage: cli_conventions_test.py TOOL MANPAGE VERSION"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

TOOL, MANPAGE, VERSION = sys.argv[1:4]
NAME = os.path.basename(TOOL)
BAD_ARGUMENTS = {
    "tavik-check": [["--bogus"], ["-x"], ["--render"], ["--hover", "9", "--render", "x.png"],
                    ["--hover", "1"], ["a", "b"], ["/nonexistent/folder"], ["--scale", "2"],
                    *(["--render", "x.png", "--scale", v] for v in ("0.5", "5", "2x", "1,5", "")),
                    ["--preview", "--render", "x.png"], ["--preview", "/nonexistent/folder"],
                    ["--language"], ["--language", "German"]],
    "tavik-disc": [["--bogus", "a", "b"], ["--volume"], ["only-one"], ["a", "b", "c"],
                   ["--timestamp-url", "http://t", "a", "b"], ["/nonexistent/folder", "x.iso"]],
}[NAME]


def run(*args, **kw):
    return subprocess.run([kw.pop("tool", TOOL), *args], capture_output=True, text=True,
                          timeout=30, **kw)


def check_command_line():
    for flag in ("--help", "-h"):
        r = run(flag)
        assert (r.returncode, r.stderr) == (0, ""), (flag, r.returncode, r.stderr)
        assert r.stdout.startswith(f"usage: {NAME} "), r.stdout
        assert "Exit status" in r.stdout, r.stdout
    r = run("--version")
    assert (r.returncode, r.stdout, r.stderr) == (0, f"{NAME} {VERSION}\n", ""), r
    for args in BAD_ARGUMENTS:
        r = run(*args)
        assert r.returncode == 2, (args, r.returncode)
        assert r.stdout == "", (args, r.stdout)
        lines = r.stderr.splitlines()
        assert len(lines) == 1 and lines[0].startswith(f"{NAME}: "), (args, r.stderr)
    return set(re.findall(r"(?<![\w-])--[a-z][a-z0-9-]*", run("--help").stdout))


def check_manual(options):
    env = dict(os.environ, MANWIDTH="80", LC_ALL="C.UTF-8", MAN_KEEP_FORMATTING="")
    r = subprocess.run(["man", "--warnings", "-l", MANPAGE], capture_output=True, text=True,
                       env=env, timeout=30, check=True)
    assert r.stderr == "", r.stderr
    text = re.sub(r".\x08", "", r.stdout)
    for section in ("NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXIT STATUS", "EXAMPLES"):
        assert re.search(rf"^{section}$", text, re.M), f"no {section} section"
    assert f"Tavik {VERSION}" in text, "the page's footer names another version"
    named = set(re.findall(r"(?<![\w-])--[a-z][a-z0-9-]*", text))
    assert named == options, f"options in --help but not the page: {sorted(options - named)}, " \
                             f"in the page but not --help: {sorted(named - options)}"
    for status in ("0", "1", "2"):
        assert re.search(rf"^ +{status} +\S", text, re.M), f"exit status {status} not described"


def image_file(image, name, tmp):
    out = os.path.join(tmp, "extracted")
    if os.path.exists(out):
        os.remove(out)
    subprocess.run(["xorriso", "-osirrox", "on", "-indev", image, "-extract", name, out],
                   check=True, capture_output=True, timeout=60)
    with open(out, "rb") as f:
        return f.read()


def check_payload_folders(tmp):
    disc = os.path.join(tmp, "disc")
    os.makedirs(disc)
    with open(os.path.join(disc, "autorun.inf"), "w") as f:
        f.write("[Menu]\nCaption=Payloads\nNrOfItems=0\n")
    layouts = {  # where tavik-disc is, and where it should take each menu from
        "installed": ("inst/bin", {"/setup.exe": "inst/share/tavik/setup.exe",
                                   "/setup": "inst/share/tavik/setup",
                                   "/autorun.sh": "inst/share/tavik/autorun.sh"}),
        "build tree": ("tree/build/linux", {"/setup.exe": "tree/build/win32/app/win32/setup.exe",
                                            "/setup": "tree/build/linux-disc/setup",
                                            "/autorun.sh": "tree/build/linux/autorun.sh"}),
    }
    for layout, (bin_dir, payloads) in layouts.items():
        tool = os.path.join(tmp, bin_dir, NAME)
        os.makedirs(os.path.dirname(tool), exist_ok=True)
        shutil.copy2(TOOL, tool)
        for on_image, source in payloads.items():
            os.makedirs(os.path.join(tmp, os.path.dirname(source)), exist_ok=True)
            with open(os.path.join(tmp, source), "w") as f:
                f.write(f"{layout}: {source}\n")
        image = os.path.join(tmp, layout.replace(" ", "-") + ".iso")
        r = run(disc, image, tool=tool)
        assert r.returncode == 0, (layout, r.returncode, r.stderr)
        for on_image, source in payloads.items():
            got = image_file(image, on_image, tmp).decode()
            assert got == f"{layout}: {source}\n", (layout, on_image, got)
    # Without xorriso (the archive does not bring it) the message says what to install.
    r = run(disc, os.path.join(tmp, "none.iso"), tool=tool, env={"PATH": "/nonexistent"})
    assert r.returncode == 2 and "cannot run xorriso" in r.stderr, r.stderr
    assert not os.path.exists(os.path.join(tmp, "none.iso"))
    # An installed tavik-disc with its share/tavik/ folder incomplete names what is missing.
    os.remove(os.path.join(tmp, "inst/share/tavik/setup"))
    r = run(disc, os.path.join(tmp, "none.iso"), tool=os.path.join(tmp, "inst/bin", NAME))
    assert r.returncode == 2 and "share/tavik/setup is missing" in r.stderr, r.stderr
    assert not os.path.exists(os.path.join(tmp, "none.iso"))


def main():
    options = check_command_line()
    check_manual(options)
    if NAME == "tavik-disc":
        tmp = tempfile.mkdtemp(prefix="tavik-cli-")
        try:
            check_payload_folders(tmp)
        finally:
            shutil.rmtree(tmp, ignore_errors=True)
    print(f"{NAME}: --help, --version, {len(BAD_ARGUMENTS)} bad command lines, the manual page"
          + (", both payload folders" if NAME == "tavik-disc" else ""))


if __name__ == "__main__":
    main()
