#!/usr/bin/env python3
"""The program file's resources hold exactly one icon group, AAPROGRAMICON,
with a 48x48 and a 32x32 image of 16 colours (4 bits per pixel, the standard
Windows palette, AND mask present).

    check_icon.py PROGRAM.exe
"""
import sys

from pe_resources import Fault, data_of, entries, resource_section, subdirectory, unpack, run_check

RT_ICON = 3
RT_GROUP_ICON = 14
GROUP_NAME = "AAPROGRAMICON"
WANTED_SIZES = {48, 32}
STANDARD_PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]


def check_image(image, entry, what):
    width, height, colours, _, planes, bits, size, _ = entry
    header = unpack("<IiiHHIIiiII", image, 0)
    header_size, bmp_width, bmp_height, bmp_planes, bmp_bits, compression, _, _, _, used, _ = header
    faults = []
    if (width, height) != (bmp_width, bmp_height // 2):
        faults.append("group says %dx%d, bitmap is %dx%d/2" % (width, height, bmp_width, bmp_height))
    if header_size != 40 or bmp_planes != 1 or compression != 0:
        faults.append("not a plain BITMAPINFOHEADER image")
    if (colours, bits, bmp_bits) != (16, 4, 4) or used not in (0, 16):
        faults.append("not 16 colours at 4 bits (group: %d colours, %d bits; bitmap: %d bits, %d used)"
                      % (colours, bits, bmp_bits, used))
    palette = [unpack("<BBBB", image, 40 + 4 * i)[2::-1] for i in range(16)]
    if palette != STANDARD_PALETTE:
        faults.append("palette is not the standard 16-colour palette")
    xor_stride = (bmp_width * 4 + 31) // 32 * 4
    and_stride = (bmp_width + 31) // 32 * 4
    expected = 40 + 64 + (xor_stride + and_stride) * (bmp_height // 2)
    if len(image) != expected or size != expected:
        faults.append("%d bytes (group says %d), expected %d with the AND mask" % (len(image), size, expected))
    if faults:
        raise Fault("%s: %s" % (what, "; ".join(faults)))


def check(path):
    with open(path, "rb") as f:
        data = f.read()
    rsrc, address = resource_section(data)
    groups = subdirectory(rsrc, 0, RT_GROUP_ICON, "icon group")
    names = [name for name, _, _ in entries(rsrc, groups)]
    if names != [GROUP_NAME]:
        raise Fault("icon groups are %s, expected only %s" % (names, GROUP_NAME))
    group = data_of(rsrc, address, subdirectory(rsrc, groups, GROUP_NAME, GROUP_NAME), GROUP_NAME)
    reserved, kind, count = unpack("<HHH", group, 0)
    if reserved != 0 or kind != 1:
        raise Fault("%s is not an icon directory" % GROUP_NAME)
    icons = subdirectory(rsrc, 0, RT_ICON, "icon images")
    sizes = []
    for i in range(count):
        entry = unpack("<BBBBHHIH", group, 6 + 14 * i)
        what = "%s image %d (%dx%d)" % (GROUP_NAME, entry[7], entry[0], entry[1])
        image = data_of(rsrc, address, subdirectory(rsrc, icons, entry[7], what), what)
        check_image(image, entry, what)
        sizes.append(entry[0])
        print("%s: 16 colours, %d bytes" % (what, len(image)))
    if sorted(sizes) != sorted(WANTED_SIZES):
        raise Fault("image sizes are %s, expected %s" % (sorted(sizes), sorted(WANTED_SIZES)))


if __name__ == "__main__":
    sys.exit(run_check(check, sys.argv))
