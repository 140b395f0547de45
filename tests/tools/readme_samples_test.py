#!/usr/bin/env python3
"""Every ini block of the README, loaded as a disc's autorun.inf through tavik-check: no
setting may fall back (the commands name programs of the reader's disc, so a program that is
not found is no fault of the sample); the documents the samples open are put on the disc, and
the Windows programs' work (notepad, explorer) opens them on Linux too. Usage: readme_samples_test.py TAVIK_CHECK README BMP"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

check, readme, bmp = sys.argv[1:4]
blocks = re.findall(r"```ini\n(.*?)```", open(readme, encoding="utf-8").read(), re.S)
assert blocks, "the README has no ini sample"
for n, text in enumerate(blocks, 1):
    disc = tempfile.mkdtemp(prefix="tavik-readme-")
    try:
        with open(os.path.join(disc, "autorun.inf"), "w", encoding="utf-8") as f:
            f.write(text)
        shutil.copy(bmp, os.path.join(disc, "background.bmp"))
        for doc in re.findall(r"^Item\d+=[^,\n]*,(?:notepad|explorer)\.exe ([\w.\\]+\.\w+)$", text,
                              re.M | re.I):
            path = os.path.join(disc, *doc.split("\\"))
            os.makedirs(os.path.dirname(path), exist_ok=True)
            open(path, "w").close()
        out = subprocess.run([check, "--json", disc], capture_output=True, text=True)
        assert out.returncode in (0, 1), (n, out.returncode, out.stderr)
        d = json.loads(out.stdout)
        bad = [w for w in d["warnings"] if w["kind"] not in ("program_not_found", "no_command",
                                                             "windows_program_not_on_disc")]
        assert not bad, f"README sample {n}: {bad}"
        for label in d["labels"]:
            if re.match(r"(?i)(notepad|explorer)\.exe\b", label["command"]):
                start = label["linux_start"]
                assert start["how"] == "opener" and start["target"].startswith(disc), (n, label)
        # Each value the sample sets is the value the menu uses.
        for key, value in re.findall(r"^(\w+)=(.*)$", text.split("[Menu]", 1)[-1], re.M):
            if key == "Caption":
                assert d["caption"] == value, (n, d["caption"], value)
            elif key in d["settings"] and not value.startswith("&"):
                assert d["settings"][key] == int(value), (n, key, d["settings"][key], value)
            elif key == "Picture":
                assert d["picture"]["loaded"], (n, d["picture"])
    finally:
        shutil.rmtree(disc, ignore_errors=True)
print(f"{len(blocks)} README sample(s) load without a fallback")
