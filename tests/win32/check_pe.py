#!/usr/bin/env python3
"""Static checks of a built setup.exe: machine, GUI subsystem, system DLLs only, and the
resources a disc needs (icon group 1 -> image 30001 equal to app.ico's image, the version
record, the manifest, the embedded background and hand cursor). Python standard library only.
Usage: check_pe.py SETUP.EXE {i686|x86_64} ASSETS_DIR [MAX_BYTES]"""
import os
import struct
import sys

MACHINES = {"i686": 0x14C, "x86_64": 0x8664}
ALLOWED_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "shell32.dll", "ole32.dll",
                "oleaut32.dll", "advapi32.dll", "msvcrt.dll", "ucrtbase.dll"}
RT_RCDATA = 10
RT_CURSOR, RT_BITMAP, RT_ICON, RT_GROUP_CURSOR, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = \
    1, 2, 3, 12, 14, 16, 24
LANG_NEUTRAL, LANG_EN_US = 0, 1033


class Pe:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[:2] != b"MZ" or data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        self.machine, nsections = struct.unpack_from("<HH", data, pe + 4)
        opt_size = struct.unpack_from("<H", data, pe + 20)[0]
        opt = pe + 24
        magic = struct.unpack_from("<H", data, opt)[0]
        self.subsystem = struct.unpack_from("<H", data, opt + 68)[0]
        dirs = opt + (96 if magic == 0x10B else 112)
        self.directories = [struct.unpack_from("<II", data, dirs + 8 * i) for i in range(16)]
        self.sections = []
        for i in range(nsections):
            s = opt + opt_size + 40 * i
            vsize, vaddr, rsize, roff = struct.unpack_from("<IIII", data, s + 8)
            self.sections.append((vaddr, max(vsize, rsize), roff))

    def offset(self, rva):
        for vaddr, size, roff in self.sections:
            if vaddr <= rva < vaddr + size:
                return roff + rva - vaddr
        raise ValueError(f"RVA {rva:#x} outside every section")

    def cstring(self, rva):
        o = self.offset(rva)
        return self.data[o:self.data.index(b"\0", o)].decode("ascii")

    def imports(self):
        names = []
        for index, size in ((1, 20), (13, 32)):  # import table, delay-load table
            rva = self.directories[index][0]
            while rva:
                fields = struct.unpack_from("<5I", self.data, self.offset(rva))
                name_rva = fields[3] if index == 1 else fields[1]
                if not any(fields):
                    break
                names.append(self.cstring(name_rva))
                rva += size
        return names

    def resources(self):
        """{(type, name, language): bytes}; names and types are numbers or strings."""
        base_rva = self.directories[2][0]
        base = self.offset(base_rva)
        out = {}

        def key(raw):
            if raw & 0x80000000:
                o = base + (raw & 0x7FFFFFFF)
                n = struct.unpack_from("<H", self.data, o)[0]
                return self.data[o + 2:o + 2 + 2 * n].decode("utf-16-le")
            return raw

        def walk(dir_offset, path):
            named, ids = struct.unpack_from("<HH", self.data, base + dir_offset + 12)
            for i in range(named + ids):
                raw, target = struct.unpack_from("<II", self.data, base + dir_offset + 16 + 8 * i)
                if target & 0x80000000:
                    walk(target & 0x7FFFFFFF, path + (key(raw),))
                else:
                    rva, size = struct.unpack_from("<II", self.data, base + target)
                    o = self.offset(rva)
                    out[path + (key(raw),)] = self.data[o:o + size]

        walk(0, ())
        return out


def version_blocks(data, offset=0):
    """One VS_VERSIONINFO-style block: (key, value bytes, [children])."""
    length, value_length, kind = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    k = offset + 6
    key_end = k
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[k:key_end].decode("utf-16-le")
    pos = (key_end + 2 + 3) & ~3
    size = value_length * 2 if kind == 1 else value_length
    value = data[pos:pos + size]
    pos = (pos + size + 3) & ~3
    children = []
    while pos < end:
        child = version_blocks(data, pos)
        children.append(child[:3])
        pos = (pos + child[3] + 3) & ~3
    return key, value, children, length


def string_table(version):
    strings = {}
    for key, _, children in version[2]:
        if key == "StringFileInfo":
            for table, _, entries in children:
                for name, value, _ in entries:
                    strings[(table, name)] = value.decode("utf-16-le").rstrip("\0")
    return strings


class Checker:
    def __init__(self):
        self.failures = []

    def expect(self, ok, what):
        if not ok:
            self.failures.append(what)


def check(path, arch, assets, max_bytes):
    data = open(path, "rb").read()
    pe = Pe(data)
    c = Checker()
    c.expect(pe.machine == MACHINES[arch], f"machine {pe.machine:#x}, want {MACHINES[arch]:#x}")
    c.expect(pe.subsystem == 2, f"subsystem {pe.subsystem}, want 2 (GUI)")
    dlls = sorted(n.lower() for n in pe.imports())
    extra = [d for d in dlls if d not in ALLOWED_DLLS and not d.startswith("api-ms-win-crt-")]
    c.expect(not extra, f"imports DLLs outside the system set: {extra}")
    c.expect("kernel32.dll" in dlls and "user32.dll" in dlls, f"odd import list {dlls}")

    res = pe.resources()
    of_type = lambda t: {k[1:]: v for k, v in res.items() if k[0] == t}

    ico = open(os.path.join(assets, "app.ico"), "rb").read()
    size, offset = struct.unpack_from("<II", ico, 6 + 8)
    groups = of_type(RT_GROUP_ICON)
    c.expect(list(groups) == [(1, LANG_NEUTRAL)], f"icon groups {list(groups)}, want [(1, 0)]")
    group = groups.get((1, LANG_NEUTRAL), b"\0" * 6)
    count = struct.unpack_from("<H", group, 4)[0]
    c.expect(struct.unpack_from("<HH", group) == (0, 1) and count == 1,
             f"icon group header {group[:6].hex()}, want one entry")
    if count == 1 and len(group) >= 20:
        entry = struct.unpack_from("<BBBBHHIH", group, 6)
        c.expect(entry == (32, 32, 16, 0, 1, 4, 744, 30001),
                 f"icon group entry {entry}, want 32x32, 16 colours, 1 plane, 4 bpp, 744, 30001")
    icons = of_type(RT_ICON)
    c.expect([k[0] for k in icons] == [30001], f"icon images {list(icons)}, want only 30001")
    image = next(iter(icons.values()), b"")
    c.expect(len(image) == 744 and image == ico[offset:offset + size],
             "icon image 30001 differs from the image in app.ico")

    versions = of_type(RT_VERSION)
    c.expect(list(versions) == [(1, LANG_EN_US)], f"version resources {list(versions)}")
    if versions:
        v = version_blocks(next(iter(versions.values())))
        c.expect(v[0] == "VS_VERSION_INFO", f"version root key {v[0]!r}")
        fixed = struct.unpack_from("<13I", v[1])
        c.expect(fixed[0] == 0xFEEF04BD, "no fixed file info")
        want = {"file version": (fixed[2], fixed[3], (1 << 16 | 10, 0)),
                "product version": (fixed[4], fixed[5], (1 << 16 | 10, 0))}
        for name, (ms, ls, expected) in want.items():
            c.expect((ms, ls) == expected, f"{name} {ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}")
        c.expect(fixed[6:11] == (0, 0, 4, 1, 0),
                 f"flags mask, flags, OS, type, subtype = {fixed[6:11]}, want (0, 0, 4, 1, 0)")
        strings = string_table(v)
        expected = {"CompanyName": "Tavik Project", "ProductName": "Tavik", "FileVersion": "1.10",
                    "ProductVersion": "1.10", "InternalName": "setup",
                    "OriginalFilename": "setup.exe", "FileDescription": "Tavik disc menu"}
        for name, value in expected.items():
            got = strings.get(("040904B0", name)) or strings.get(("040904b0", name))
            c.expect(got == value, f"version string {name} = {got!r}, want {value!r}")
        translations = [val for key, _, kids in v[2] if key == "VarFileInfo"
                        for k2, val, _ in kids if k2 == "Translation"]
        c.expect(translations == [struct.pack("<HH", 0x0409, 1200)],
                 f"translation {[t.hex() for t in translations]}, want 0x0409, 1200")

    manifests = of_type(RT_MANIFEST)
    manifest = manifests.get((1, LANG_NEUTRAL)) or next(iter(manifests.values()), b"")
    for needle in (b'level="asInvoker"', b'uiAccess="false"', b"PerMonitorV2",
                   b"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}", b"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"):
        c.expect(needle in manifest, f"manifest lacks {needle.decode()}")

    # The background and its 2x rendition go in as PNGs of the bitmaps' sizes (the Wine tests
    # compare their pixels with the bitmaps').
    sizes = sorted(struct.unpack_from("<ii", open(os.path.join(assets, name), "rb").read(), 18)
                   for name in ("background.bmp", "background@2x.bmp"))
    pngs = [d for d in of_type(RT_RCDATA).values() if d[:8] == b"\x89PNG\r\n\x1a\n"]
    c.expect(sorted(struct.unpack_from(">II", p, 16) for p in pngs) == sizes,
             f"the backgrounds are not embedded as PNGs of {sizes}")
    c.expect(not of_type(RT_BITMAP), "an uncompressed bitmap is still embedded")
    cur = open(os.path.join(assets, "hand.cur"), "rb").read()
    hot_x, hot_y, cur_size, cur_offset = struct.unpack_from("<HHII", cur, 6 + 4)
    cursor_image = struct.pack("<HH", hot_x, hot_y) + cur[cur_offset:cur_offset + cur_size]
    c.expect(cursor_image in of_type(RT_CURSOR).values(), "hand.cur is not embedded")
    c.expect(len(of_type(RT_GROUP_CURSOR)) == 1, "want one cursor group")

    print(f"{path}: {len(data)} bytes ({len(data) / 1024:.0f} KB), {arch}, imports {', '.join(dlls)}")
    if max_bytes:
        c.expect(len(data) <= max_bytes, f"{len(data)} bytes, over the budget of {max_bytes}")
    return c.failures


def main():
    if len(sys.argv) not in (4, 5):
        sys.exit(__doc__)
    path, arch, assets = sys.argv[1:4]
    if not os.path.isfile(path):
        sys.exit(f"{path} is missing: build that preset first")
    failures = check(path, arch, assets, int(sys.argv[4]) if len(sys.argv) == 5 else 0)
    for f in failures:
        print("FAIL:", f)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
