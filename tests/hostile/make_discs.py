#!/usr/bin/env python3
"""Writes hostile disc folders, one per case, into OUT_DIR and prints their names.

Each folder is what a careless or malicious disc author might ship: broken encodings, huge
lines, lying pictures, odd file types, shell metacharacters. Made at test time, since some
cases (fifos, unreadable files, 10 MB lines) do not belong in a repository."""
import os
import random
import struct
import sys
import zlib

MENU = "[autorun]\r\nopen=setup.exe\r\n\r\n[Menu]\r\n"


def items(n, caption="Item", command="prog.exe"):
    return "".join(f"Item{i}={caption} {i},{command}\r\n" for i in range(1, n + 1))


def png(width, height, body=b""):
    """A PNG whose header claims width x height, followed by `body` as its only data."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    ihdr = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", body) + chunk(b"IEND", b"")


def bmp_header(width, height, bpp=24, size=None):
    row = (width * bpp // 8 + 3) // 4 * 4
    image = row * abs(height)
    total = size if size is not None else 54 + image
    return (b"BM" + struct.pack("<IHHI", total & 0xFFFFFFFF, 0, 0, 54) +
            struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0, image & 0xFFFFFFFF, 0, 0, 0, 0))


def png_bomb(side):
    """A 1-bit grey PNG of side x side black pixels: a few tens of KB that decode to side^2
    pixels (as RGB, hundreds of MB at the loader's size limit)."""
    data = zlib.compress(b"\0" * ((side // 8 + 1) * side), 9)
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(
            ">I", zlib.crc32(kind + body) & 0xFFFFFFFF)
    ihdr = struct.pack(">IIBBBBB", side, side, 1, 0, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", data) + chunk(b"IEND", b"")


def jpeg_bomb(side):
    """A baseline grey JPEG of side x side uniform pixels: 6 bits per 8x8 block (DC difference
    0, end of block) with the standard Huffman tables; the picture format Windows decodes too."""
    def seg(marker, body):
        return b"\xff" + bytes([marker]) + struct.pack(">H", len(body) + 2) + body
    dc = bytes([0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0]) + bytes(range(12))
    ac = bytes([0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D]) + bytes.fromhex(
        "01020300041105122131410613516107227114328191a1082342b1c11552d1f02433627282090a1617"
        "18191a25262728292a3435363738393a434445464748494a535455565758595a636465666768696a73"
        "7475767778797a838485868788898a92939495969798999aa2a3a4a5a6a7a8a9aab2b3b4b5b6b7b8b9"
        "bac2c3c4c5c6c7c8c9cad2d3d4d5d6d7d8d9dae1e2e3e4e5e6e7e8e9eaf1f2f3f4f5f6f7f8f9fa")
    four_blocks = int("001010" * 4, 2).to_bytes(3, "big")
    return (b"\xff\xd8" + seg(0xDB, b"\x00" + b"\x01" * 64) +
            seg(0xC0, struct.pack(">BHHB", 8, side, side, 1) + b"\x01\x11\x00") +
            seg(0xC4, b"\x00" + dc + b"\x10" + ac) + seg(0xDA, b"\x01\x01\x00\x00\x3f\x00") +
            four_blocks * ((side // 8) ** 2 // 4) + b"\xff\xd9")


def svg_laughs():
    """Entities nested ten deep, each ten of the one before: 10^10 characters if expanded."""
    entities = '<!ENTITY a "aaaaaaaaaa">' + "".join(
        f'<!ENTITY {chr(98 + i)} "{("&" + chr(97 + i) + ";") * 10}">' for i in range(9))
    return (f'<?xml version="1.0"?><!DOCTYPE svg [{entities}]><svg '
            'xmlns="http://www.w3.org/2000/svg" width="500" height="375"><text y="20">&j;</text>'
            "</svg>")


def cases():
    rnd = random.Random(1234)
    junk = bytes(rnd.randrange(256) for _ in range(65536))
    good = MENU + "Caption=Hostile\r\nNrOfItems=2\r\n" + items(2)
    return {
        "binary-junk": {"autorun.inf": junk},
        "ten-megabyte-line": {"autorun.inf": MENU + "Caption=" + "x" * (10 << 20) + "\r\nNrOfItems=1\r\nItem1=a,b\r\n"},
        "nul-bytes": {"autorun.inf": (MENU + "Caption=a\0b\r\nNrOfItems=2\0\r\n" + items(2)).replace("\n", "\n\0")},
        "utf16-without-bom": {"autorun.inf": good.encode("utf-16-le")},
        "utf16-big-endian": {"autorun.inf": b"\xfe\xff" + good.encode("utf-16-be")},
        "only-a-bom": {"autorun.inf": b"\xff\xfe"},
        "empty-file": {"autorun.inf": b""},
        "folder-named-autorun-inf": {"autorun.inf/": None},
        "unreadable-file": {"autorun.inf": good, "chmod": ("autorun.inf", 0)},
        "fifo-autorun-inf": {"fifo": "autorun.inf"},
        "symlink-loop": {"symlink": [("autorun.inf", "loop.inf"), ("loop.inf", "autorun.inf")]},
        "dangling-symlink": {"symlink": [("autorun.inf", "does/not/exist.inf")]},
        "picture-is-a-folder": {"autorun.inf": good + "Picture=art\r\n", "art/": None},
        "truncated-bmp": {"autorun.inf": good + "Picture=art.bmp\r\n", "art.bmp": bmp_header(500, 375)[:40]},
        "lying-bmp-header": {"autorun.inf": good + "Picture=art.bmp\r\n", "art.bmp": bmp_header(30000, 30000) + b"\0" * 100},
        "negative-bmp-size": {"autorun.inf": good + "Picture=art.bmp\r\n", "art.bmp": bmp_header(-5, -2147483647) + b"\0" * 100},
        "png-claims-100000-pixels": {"autorun.inf": good + "Picture=art.png\r\n", "art.png": png(100000, 100000, zlib.compress(b"\0" * 1000))},
        "empty-picture-file": {"autorun.inf": good + "Picture=art.png\r\n", "art.png": b""},
        "picture-is-dev-zero": {"autorun.inf": good + "Picture=../../../../../../../../dev/zero\r\n"},
        "picture-is-text": {"autorun.inf": good + "Picture=autorun.inf\r\n"},
        # Twenty thousand translations, half of them no one can read: one warning each, and
        # no lookup more for a reader whose language is none of them.
        "many-language-sections": {"autorun.inf": good + "".join(
            f"[Menu.{chr(97 + i // 676 % 26)}{chr(97 + i // 26 % 26)}-{chr(65 + i % 26)}"
            f"{chr(65 + i // 26 % 26)}]\r\nItem1=x,y\r\n[Menu.x{i}]\r\nCaption=z\r\n"
            for i in range(10000))},
        "32767-items-none-present": {"autorun.inf": MENU + "NrOfItems=32767\r\n"},
        "32767-items-all-present": {"autorun.inf": MENU + "NrOfItems=32767\r\n" + items(32767)},
        "huge-font-size": {"autorun.inf": good + "FontSize=32767\r\n"},
        "negative-font-size": {"autorun.inf": good + "FontSize=-14\r\n"},
        "zero-font-size": {"autorun.inf": good + "FontSize=0\r\n"},
        "invalid-colours": {"autorun.inf": good + "ForeColor=&H7F000000\r\nHighlight=-1\r\n"},
        "system-colour-out-of-range": {"autorun.inf": good + "ForeColor=&H80000040\r\nHighlight=&H800000FF\r\n"},
        "shell-metacharacters": {"autorun.inf": MENU + "NrOfItems=4\r\n"
                                 "Item1=Semicolon,prog; touch pwned-semicolon\r\n"
                                 "Item2=Substitution,$(touch pwned-subst) `touch pwned-tick`\r\n"
                                 "Item3=Quotes,\"unterminated quote \\\"\" '\r\n"
                                 "Item4=Pipe,| touch pwned-pipe && echo > pwned-redirect\r\n"},
        "commands-naming-folders": {"autorun.inf": MENU + "NrOfItems=3\r\nItem1=Root,\\\r\nItem2=Dot,.\r\nItem3=Folder,sub\r\n", "sub/": None},
        "thousands-of-characters": {"autorun.inf": MENU + "Caption=" + "W" * 5000 + "\r\nNrOfItems=2\r\nItem1=" + "M" * 4000 + ",x\r\nItem2=y," + "\\" * 4000 + "\r\n"},
        "many-commas": {"autorun.inf": MENU + "NrOfItems=1\r\nItem1=" + "," * 10000 + "\r\n"},
        "offsets-at-the-limits": {"autorun.inf": good + "OffsetX=32767\r\nOffsetY=-32768\r\nLineDistance=32767\r\n"},
        "column-beyond-the-window": {"autorun.inf": MENU + "NrOfItems=9\r\nOffsetY=32000\r\nLineDistance=32767\r\n" + items(9)},
        "zero-line-distance": {"autorun.inf": MENU + "NrOfItems=9\r\nLineDistance=0\r\n" + items(9)},
        "menu-section-repeated": {"autorun.inf": (MENU + "Caption=again\r\nNrOfItems=1\r\n") * 2000},
        "hundred-thousand-sections": {"autorun.inf": "".join(f"[S{i}]\nk=v\n" for i in range(100000)) + MENU + "NrOfItems=1\r\nItem1=a,b\r\n"},
        "carriage-returns-only": {"autorun.inf": good.replace("\r\n", "\r")},
        "control-characters": {"autorun.inf": MENU + "Caption=\x07bell\x1b[31mred\r\nNrOfItems=1\r\nItem1=\x08\x7f,\x01\r\n"},
        "unicode-captions": {"autorun.inf": (MENU + "Caption=\u05e9\u05dc\u05d5\u05dd \U0001F4BF e\u0301\u0301\u0301\r\nNrOfItems=1\r\nItem1=\u202eevil\u202c,x\r\n").encode("utf-8")},
        "picture-is-a-fifo": {"autorun.inf": good + "Picture=pipe\r\n", "fifo": "pipe"},
        "picture-path-too-long": {"autorun.inf": good + "Picture=" + "a\\" * 3000 + "x.bmp\r\n"},
        "picture-climbs-to-the-root": {"autorun.inf": good + "Picture=" + "..\\" * 2000 + "etc\\passwd\r\n"},
        "png-decompression-bomb": {"autorun.inf": good + "Picture=art.png\r\n", "art.png": png_bomb(16384)},
        "jpeg-decompression-bomb": {"autorun.inf": good + "Picture=art.jpg\r\n", "art.jpg": jpeg_bomb(16384)},
        "svg-at-the-size-limit": {"autorun.inf": good + "Picture=art.svg\r\n", "art.svg":
                                  '<svg xmlns="http://www.w3.org/2000/svg" width="16384" height="16384">'
                                  '<rect width="16384" height="16384" fill="red"/></svg>'},
        "svg-entity-expansion": {"autorun.inf": good + "Picture=art.svg\r\n", "art.svg": svg_laughs()},
        "xpm-lying-header": {"autorun.inf": good + "Picture=art.xpm\r\n",
                             "art.xpm": '/* XPM */\nstatic char *x[] = {\n"16000 16000 100000 8",\n"a c #ff0000",\n'},
        "format-strings": {"autorun.inf": MENU + "Caption=%s%s%s%n%n%x%p\r\nNrOfItems=2\r\n"
                           "Item1=%n%n%n%s,%s%n\r\nItem2={0}{1}%1$s%*d,x\r\n"},
        "invalid-utf8": {"autorun.inf": MENU.encode() + b"Caption=\xc0\xaf\xed\xa0\x80\xff\xfe\x80\r\n"
                         b"NrOfItems=2\r\nItem1=\xf4\x90\x80\x80\xe2\x82,x\r\nItem2=ok\xc3,\xff\r\n"},
        "markup-in-captions": {"autorun.inf": MENU + "Caption=<span size='99999999'>big</span>&amp;\r\n"
                               "NrOfItems=2\r\nItem1=<b>bold</b><u>&#0;,x\r\nItem2=<i,y\r\n"},
        # Run through tavik-record, which the window test puts on PATH: it must get these
        # characters as plain arguments, with no shell between.
        "arguments-with-metacharacters": {"autorun.inf": MENU + "NrOfItems=4\r\n"
                                          "Item1=Substitution,tavik-record $(touch pwned-b) `touch pwned-c` ; touch pwned-d\r\n"
                                          "Item2=Pipes,tavik-record | touch pwned-e && touch pwned-f > pwned-g < /etc/passwd 2>&1 &\r\n"
                                          "Item3=Expansions,tavik-record $HOME ~ * ? [a] {a..b} %PATH%\r\n"
                                          "Item4=Quotes,tavik-record \"a b\" 'c d' \"unterminated\r\n"},
        "commands-naming-special-files": {"autorun.inf": MENU + "NrOfItems=5\r\nItem1=Zero,/dev/zero\r\n"
                                          "Item2=Fifo,pipe\r\nItem3=Loop,loop\r\nItem4=Terminal,/dev/tty\r\n"
                                          "Item5=Dangling,gone\r\n", "fifo": "pipe",
                                          "symlink": [("loop", "loop"), ("gone", "nowhere/x")]},
        "item-keys-of-odd-shape": {"autorun.inf": MENU + "NrOfItems=4\r\nItem0=zero,x\r\nItem01=leading,x\r\n"
                                   "ITEM2=upper,x\r\n Item3 = spaced , x \r\nItem-4=minus,x\r\n"
                                   "Item4294967297=wrap,x\r\nItem4\r\n"},
        "same-key-100000-times": {"autorun.inf": MENU + "NrOfItems=1\r\n" + "Item1=again,x\r\n" * 100000},
        "numbers-of-every-shape": {"autorun.inf": MENU + "NrOfItems=&HFFFF\r\nOffsetX=1e400\r\nOffsetY=&O77777777777\r\nLineDistance=-0\r\nFontSize=&H7FFFFFFF\r\n"},
    }


def write(base, name, spec):
    folder = os.path.join(base, name)
    os.makedirs(folder, exist_ok=True)
    for path, content in spec.items():
        if path == "chmod":
            os.chmod(os.path.join(folder, content[0]), content[1])
        elif path == "fifo":
            os.mkfifo(os.path.join(folder, content))
        elif path == "symlink":
            for link, target in content:
                os.symlink(target, os.path.join(folder, link))
        elif path.endswith("/"):
            os.makedirs(os.path.join(folder, path), exist_ok=True)
        else:
            data = content.encode("utf-8", "surrogatepass") if isinstance(content, str) else content
            with open(os.path.join(folder, path), "wb") as f:
                f.write(data)


def main():
    base = sys.argv[1]
    only = set(sys.argv[2:])
    for name, spec in cases().items():
        if not only or name in only:
            write(base, name, spec)
            print(name)


if __name__ == "__main__":
    main()
