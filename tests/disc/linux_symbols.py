#!/usr/bin/env python3
"""What the disc's Linux setup needs from the system: no glibc symbol version above 2.31, no
libstdc++ one above GCC 10's (GLIBCXX_3.4.28), and only libraries every GTK 3 desktop has.
Prints the highest versions and the NEEDED list. Usage: linux_symbols.py SETUP [--print]"""
import re
import subprocess
import sys

GTK_DESKTOP = {"libgtk-3.so.0", "libgdk-3.so.0", "libpangocairo-1.0.so.0", "libpango-1.0.so.0",
               "libharfbuzz.so.0", "libatk-1.0.so.0", "libcairo-gobject.so.2", "libcairo.so.2",
               "libgdk_pixbuf-2.0.so.0", "libgio-2.0.so.0", "libgobject-2.0.so.0",
               "libglib-2.0.so.0", "libfontconfig.so.1", "libfreetype.so.6", "libz.so.1",
               "libstdc++.so.6", "libm.so.6", "libgcc_s.so.1", "libc.so.6",
               # GTK's own Wayland backend loads it on every desktop the build targets.
               "libwayland-client.so.0"}


def highest(symbols, prefix):
    versions = [tuple(map(int, v.split("."))) for v in re.findall(prefix + r"_([0-9.]+)", symbols)]
    return max(versions) if versions else None


def main():
    setup = sys.argv[1]
    symbols = subprocess.run(["objdump", "-T", setup], capture_output=True, text=True,
                             check=True).stdout
    dynamic = subprocess.run(["objdump", "-p", setup], capture_output=True, text=True,
                             check=True).stdout
    needed = re.findall(r"NEEDED\s+(\S+)", dynamic)
    glibc, glibcxx = highest(symbols, "GLIBC"), highest(symbols, "GLIBCXX")
    show = lambda v: ".".join(map(str, v)) if v else "none"
    print(f"GLIBC_{show(glibc)} GLIBCXX_{show(glibcxx)} NEEDED {' '.join(needed)}")
    if "--print" in sys.argv:
        return 0
    assert glibc is not None and glibc <= (2, 31), f"needs GLIBC_{show(glibc)}"
    assert glibcxx is None or glibcxx <= (3, 4, 28), f"needs GLIBCXX_{show(glibcxx)}"
    extra = set(needed) - GTK_DESKTOP
    assert not extra, f"needs libraries a GTK 3 desktop may lack: {sorted(extra)}"
    return 0


if __name__ == "__main__":
    sys.exit(main())
