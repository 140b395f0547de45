#!/usr/bin/env python3
"""Static checks of the built tavik-check.exe: x86_64, console subsystem, system DLLs only (the
C++ run-time linked in), setup.exe's icon, the product's version record, an asInvoker manifest
and the designed background its renders draw. Python standard library only.
Usage: check_tool_pe.py TAVIK_CHECK_EXE SETUP_EXE"""
import os
import struct
import sys

sys.dont_write_bytecode = True  # keep the source tree clean
from check_pe import (ALLOWED_DLLS, MACHINES, RT_GROUP_ICON, RT_ICON, RT_MANIFEST, RT_RCDATA,  # noqa: E402
                      RT_VERSION, Checker, Pe, string_table, version_blocks)


def check(path, setup_path):
    pe = Pe(open(path, "rb").read())
    setup = Pe(open(setup_path, "rb").read())
    c = Checker()
    c.expect(pe.machine == MACHINES["x86_64"], f"machine {pe.machine:#x}, want x86_64")
    c.expect(pe.subsystem == 3, f"subsystem {pe.subsystem}, want 3 (console)")
    dlls = sorted(n.lower() for n in pe.imports())
    extra = [d for d in dlls if d not in ALLOWED_DLLS]
    c.expect(not extra, f"imports DLLs outside the system set: {extra}")

    res, setup_res = pe.resources(), setup.resources()
    for kind, name in ((RT_ICON, "icon image"), (RT_GROUP_ICON, "icon group")):
        mine = {k: v for k, v in res.items() if k[0] == kind}
        theirs = {k: v for k, v in setup_res.items() if k[0] == kind}
        c.expect(mine and mine == theirs, f"the {name} differs from setup.exe's")

    versions = [v for k, v in res.items() if k[0] == RT_VERSION]
    c.expect(len(versions) == 1, f"{len(versions)} version records, want 1")
    if versions:
        v = version_blocks(versions[0])
        fixed = struct.unpack_from("<13I", v[1])
        c.expect(fixed[2:6] == (1 << 16 | 10, 0, 1 << 16 | 10, 0),
                 "file and product version 1.10.0.0")
        strings = {name: value for (_, name), value in string_table(v).items()}
        expected = {"CompanyName": "Tavik Project", "ProductName": "Tavik",
                    "ProductVersion": "1.10", "FileVersion": "1.10",
                    "InternalName": "tavik-check", "OriginalFilename": "tavik-check.exe"}
        for name, value in expected.items():
            c.expect(strings.get(name) == value,
                     f"version string {name} = {strings.get(name)!r}, want {value!r}")

    manifest = b"".join(v for k, v in res.items() if k[0] == RT_MANIFEST)
    c.expect(b'level="asInvoker"' in manifest, "no asInvoker manifest")
    pngs = [v for k, v in res.items() if k[0] == RT_RCDATA and v[:8] == b"\x89PNG\r\n\x1a\n"]
    theirs = [v for k, v in setup_res.items() if k[0] == RT_RCDATA and v[:8] == b"\x89PNG\r\n\x1a\n"]
    c.expect(len(pngs) == 2 and pngs == theirs, "the backgrounds differ from setup.exe's")
    print(f"{path}: {os.path.getsize(path)} bytes, imports {', '.join(dlls)}")
    return c.failures


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    failures = check(sys.argv[1], sys.argv[2])
    for f in failures:
        print("FAIL:", f)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
