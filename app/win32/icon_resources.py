#!/usr/bin/env python3
"""Splits a one-image .ico file into the two resources Windows reads: the raw image (RT_ICON)
and a group directory (RT_GROUP_ICON) whose one entry names the image by a fixed number.
Usage: icon_resources.py APP.ICO IMAGE_ID IMAGE_OUT GROUP_OUT"""
import struct
import sys


def main(ico_path, image_id, image_out, group_out):
    data = open(ico_path, "rb").read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1 or count != 1:
        sys.exit(f"{ico_path}: want an icon file with exactly one image")
    width, height, colors, _, _, _, size, offset = struct.unpack_from("<BBBBHHII", data, 6)
    image = data[offset:offset + size]
    if len(image) != size or size < 40:
        sys.exit(f"{ico_path}: image data truncated")
    # The file's directory may leave planes and bit count at 0; the group entry takes them
    # from the image's own header, as Windows matches icons by them.
    planes, bit_count = struct.unpack_from("<HH", image, 12)
    open(image_out, "wb").write(image)
    group = struct.pack("<HHH", 0, 1, 1) + struct.pack(
        "<BBBBHHIH", width, height, colors, 0, planes, bit_count, size, int(image_id))
    open(group_out, "wb").write(group)


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    main(*sys.argv[1:])
