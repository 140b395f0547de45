#!/usr/bin/env python3
"""Every ini block of the README, loaded as a disc's autorun.inf through tavik-check, [Menu]
for a user without a language and each [Menu.TAG] for a reader of TAG: no setting may fall back
(the commands name programs of the reader's disc, so a program that is not found is no fault
of the sample) and each value comes from its own section; the documents the samples open are
put on the disc, and the Windows programs' work (notepad, explorer) opens them on Linux too.
Usage: readme_samples_test.py TAVIK_CHECK README BMP"""
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


def check_disc(disc, n, language):
    out = subprocess.run([check, "--json", "--language", language, disc], capture_output=True,
                         text=True)
    assert out.returncode in (0, 1), (n, language, out.returncode, out.stderr)
    d = json.loads(out.stdout)
    bad = [w for w in d["warnings"] if w["kind"] not in ("program_not_found", "no_command",
                                                         "windows_program_not_on_disc")]
    assert not bad, f"README sample {n} in {language}: {bad}"
    return d


for n, text in enumerate(blocks, 1):
    disc = tempfile.mkdtemp(prefix="tavik-readme-")
    try:
        with open(os.path.join(disc, "autorun.inf"), "w", encoding="utf-8") as f:
            f.write(text)
        shutil.copy(bmp, os.path.join(disc, "background.bmp"))
        for doc in re.findall(r"^Item\d+=[^,\n]*,(?:notepad|explorer)\.exe ([\w.\\-]+\.\w+)$", text,
                              re.M | re.I):
            path = os.path.join(disc, *doc.split("\\"))
            os.makedirs(os.path.dirname(path), exist_ok=True)
            open(path, "w").close()
        # [Menu] as a user without a language sees it, each [Menu.TAG] as a reader of TAG.
        parts = re.split(r"^\[([^\]\n]*)\]", text, flags=re.M)
        for section, body in zip(parts[1::2], parts[2::2]):
            if section.lower() != "menu" and not section.lower().startswith("menu."):
                continue
            d = check_disc(disc, n, section[5:] or "C")
            # Each value the sample sets is the value the menu uses, from its own section.
            for key, value in re.findall(r"^(\w+)=(.*)$", body, re.M):
                assert d["sources"].get(key) == section, (n, section, key, d["sources"])
                if key == "Caption":
                    assert d["caption"] == value, (n, d["caption"], value)
                elif key in d["settings"] and not value.startswith("&"):
                    assert d["settings"][key] == int(value), (n, key, d["settings"][key], value)
                elif key == "Picture":
                    assert d["picture"]["loaded"], (n, d["picture"])
                elif key.startswith("Item"):
                    label = d["labels"][int(key[4:]) - 1]
                    assert label["caption"] == value.split(",")[0], (n, key, label)
            # The Windows programs' documents open on Linux too.
            for label in d["labels"]:
                if re.match(r"(?i)(notepad|explorer)\.exe\b", label["command"]):
                    start = label["linux_start"]
                    assert start["how"] == "opener" and start["target"].startswith(disc), (n, label)
    finally:
        shutil.rmtree(disc, ignore_errors=True)
print(f"{len(blocks)} README sample(s) load without a fallback")
