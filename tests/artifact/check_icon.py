#!/usr/bin/env python3
"""The program file's resources hold exactly one icon group, AAPROGRAMICON,
with a 48x48 and a 32x32 image of 16 colours (4 bits per pixel, the standard
Windows palette, AND mask present).

    check_icon.py PROGRAM.exe
"""
import struct
import sys

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


class Fault(Exception):
    pass


def unpack(fmt, data, offset):
    if offset < 0 or offset + struct.calcsize(fmt) > len(data):
        raise Fault("structure at %#x runs past the end of the file" % offset)
    return struct.unpack_from(fmt, data, offset)


def resource_section(data):
    """Returns (bytes of .rsrc, its virtual address)."""
    if data[:2] != b"MZ":
        raise Fault("not an MZ file")
    (pe,) = unpack("<I", data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        raise Fault("no PE signature")
    _, sections, _, _, _, optional_size, _ = unpack("<HHIIIHH", data, pe + 4)
    table = pe + 24 + optional_size
    for i in range(sections):
        name, _, address, raw_size, raw_offset = unpack("<8sIIII", data, table + 40 * i)
        if name.rstrip(b"\0") == b".rsrc":
            return data[raw_offset:raw_offset + raw_size], address
    raise Fault("no .rsrc section")


def entries(rsrc, offset):
    """The entries of one resource directory: (name or id, offset, is_directory)."""
    _, _, _, _, named, ids = unpack("<IIHHHH", rsrc, offset)
    result = []
    for i in range(named + ids):
        name, target = unpack("<II", rsrc, offset + 16 + 8 * i)
        if name & 0x80000000:
            (length,) = unpack("<H", rsrc, name & 0x7FFFFFFF)
            start = (name & 0x7FFFFFFF) + 2
            name = rsrc[start:start + 2 * length].decode("utf-16-le")
        result.append((name, target & 0x7FFFFFFF, bool(target & 0x80000000)))
    return result


def subdirectory(rsrc, offset, key, what):
    for name, target, is_directory in entries(rsrc, offset):
        if name == key:
            if not is_directory:
                raise Fault("%s is not a directory" % what)
            return target
    raise Fault("no %s" % what)


def data_of(rsrc, address, offset, what):
    """The data of the only language entry under a name directory."""
    languages = entries(rsrc, offset)
    if len(languages) != 1 or languages[0][2]:
        raise Fault("%s has %d language entries, expected one" % (what, len(languages)))
    rva, size, _, _ = unpack("<IIII", rsrc, languages[0][1])
    start = rva - address
    if start < 0 or start + size > len(rsrc):
        raise Fault("%s lies outside .rsrc" % what)
    return rsrc[start:start + size]


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


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: check_icon.py PROGRAM.exe\n")
        return 2
    try:
        check(argv[1])
    except (Fault, OSError, UnicodeDecodeError) as fault:
        print("FAIL: %s" % fault)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
