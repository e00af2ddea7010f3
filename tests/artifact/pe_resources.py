"""Reading a PE file's resources: the .rsrc section, its directories and the
data of one resource. Every read is bounds-checked; a fault raises Fault."""
import struct
import sys


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


def language_entries(rsrc, offset):
    """The language entries under a name directory: (language id, offset)."""
    return [(language, target) for language, target, is_directory in entries(rsrc, offset) if not is_directory]


def data_at(rsrc, address, offset, what):
    """The data a resource data entry points at."""
    rva, size, _, _ = unpack("<IIII", rsrc, offset)
    start = rva - address
    if start < 0 or start + size > len(rsrc):
        raise Fault("%s lies outside .rsrc" % what)
    return rsrc[start:start + size]


def read_resources(path):
    """Returns (bytes of .rsrc, its virtual address) of the file at path."""
    with open(path, "rb") as f:
        return resource_section(f.read())


def run_check(check, argv):
    """The command-line entry of a check of PROGRAM.exe: exit code 0 when it
    holds, 1 with a FAIL line when it does not, 2 on a usage error."""
    if len(argv) != 2:
        sys.stderr.write("usage: %s PROGRAM.exe\n" % argv[0])
        return 2
    try:
        check(argv[1])
    except (Fault, OSError, UnicodeDecodeError) as fault:
        print("FAIL: %s" % fault)
        return 1
    return 0
