#!/usr/bin/env python3
"""Draws the program icon: reads the text pictures of program_icon.txt and
writes a Windows .ico file with one 16-colour image per picture.

    make_icon.py program_icon.txt program.ico

The text file has a legend (one character per colour) and one picture per
image size, each a grid of characters, one character per pixel:

    legend
    .  transparent
    K  black
    end

    picture 32
    ...32 lines of 32 characters...
    end

Blank lines and lines starting with ';' are ignored outside pictures.
"""
import struct
import sys

# The standard 16-colour palette of Windows, in its usual order, as RGB.
PALETTE = [
    ("black", (0x00, 0x00, 0x00)),
    ("maroon", (0x80, 0x00, 0x00)),
    ("green", (0x00, 0x80, 0x00)),
    ("olive", (0x80, 0x80, 0x00)),
    ("navy", (0x00, 0x00, 0x80)),
    ("purple", (0x80, 0x00, 0x80)),
    ("teal", (0x00, 0x80, 0x80)),
    ("silver", (0xC0, 0xC0, 0xC0)),
    ("gray", (0x80, 0x80, 0x80)),
    ("red", (0xFF, 0x00, 0x00)),
    ("lime", (0x00, 0xFF, 0x00)),
    ("yellow", (0xFF, 0xFF, 0x00)),
    ("blue", (0x00, 0x00, 0xFF)),
    ("fuchsia", (0xFF, 0x00, 0xFF)),
    ("aqua", (0x00, 0xFF, 0xFF)),
    ("white", (0xFF, 0xFF, 0xFF)),
]
COLOUR_INDEX = {name: index for index, (name, _) in enumerate(PALETTE)}
TRANSPARENT = "transparent"
SIZES = (16, 24, 32, 48, 64)  # sizes that fit the one-byte fields of an ICO


class IconError(Exception):
    pass


def parse(text):
    """Returns (legend, pictures): legend maps a character to a colour index
    or None (transparent); pictures is a list of (size, rows)."""
    legend = {}
    pictures = []
    lines = text.splitlines()
    i = 0

    def fail(message):
        raise IconError("line %d: %s" % (i + 1, message))

    while i < len(lines):
        line = lines[i].rstrip()
        words = line.split()
        if not words or line.startswith(";"):
            i += 1
            continue
        if words == ["legend"]:
            i += 1
            while i < len(lines) and lines[i].strip() != "end":
                entry = lines[i].split()
                if entry and not lines[i].startswith(";"):
                    if len(entry) != 2 or len(entry[0]) != 1:
                        fail("a legend line is one character and one colour")
                    char, colour = entry
                    if char in legend:
                        fail("'%s' is in the legend twice" % char)
                    if colour == TRANSPARENT:
                        legend[char] = None
                    elif colour in COLOUR_INDEX:
                        legend[char] = COLOUR_INDEX[colour]
                    else:
                        fail("unknown colour '%s'" % colour)
                i += 1
            if i == len(lines):
                fail("legend without end")
            i += 1
        elif len(words) == 2 and words[0] == "picture":
            if not words[1].isdigit() or int(words[1]) not in SIZES:
                fail("a picture size is one of %s" % (SIZES,))
            size = int(words[1])
            if any(existing == size for existing, _ in pictures):
                fail("two pictures of size %d" % size)
            rows = []
            i += 1
            while i < len(lines) and lines[i].rstrip() != "end":
                row = lines[i].rstrip("\n")
                if len(row) != size:
                    fail("row of %d characters in a picture of size %d" % (len(row), size))
                for char in row:
                    if char not in legend:
                        fail("'%s' is not in the legend" % char)
                rows.append(row)
                i += 1
            if i == len(lines):
                fail("picture without end")
            if len(rows) != size:
                fail("picture of size %d has %d rows" % (size, len(rows)))
            pictures.append((size, rows))
            i += 1
        else:
            fail("expected 'legend' or 'picture SIZE'")
    if not pictures:
        raise IconError("no picture")
    return legend, pictures


def padded(row_bytes):
    """Rows of a bitmap are padded to whole 32-bit words."""
    return (row_bytes + 3) // 4 * 4


def image(size, rows, legend):
    """One icon image: BITMAPINFOHEADER (height doubled for the two masks),
    palette, colour bits bottom-up, AND mask bottom-up."""
    xor_stride = padded((size * 4 + 7) // 8)
    and_stride = padded((size + 7) // 8)
    xor_bits = bytearray()
    and_bits = bytearray()
    for row in reversed(rows):
        colour_row = bytearray(xor_stride)
        mask_row = bytearray(and_stride)
        for x, char in enumerate(row):
            index = legend[char]
            if index is None:
                mask_row[x // 8] |= 0x80 >> (x % 8)  # screen shows through
                index = 0
            colour_row[x // 2] |= index << 4 if x % 2 == 0 else index
        xor_bits += colour_row
        and_bits += mask_row
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0,
                         len(xor_bits) + len(and_bits), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for _, (r, g, b) in PALETTE)
    return header + palette + bytes(xor_bits) + bytes(and_bits)


def icon_file(legend, pictures):
    images = [(size, image(size, rows, legend)) for size, rows in pictures]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))  # ICONDIR
    offset = 6 + 16 * len(images)
    for size, data in images:  # ICONDIRENTRY
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    return bytes(out)


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: make_icon.py PICTURES.txt OUTPUT.ico\n")
        return 2
    try:
        with open(argv[1], encoding="ascii") as source:
            legend, pictures = parse(source.read())
    except (IconError, UnicodeDecodeError) as error:
        sys.stderr.write("%s: %s\n" % (argv[1], error))
        return 1
    with open(argv[2], "wb") as output:
        output.write(icon_file(legend, pictures))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
