#!/usr/bin/env python3
"""The program file's version information, as Explorer shows it: resource
RT_VERSION 1 in German (0x0407) with the fixed version 3.2.0.0 of an
application, one string table 040704E4 (German, code page 1252) holding
exactly the values below, and the translation 0x0407/1252.

    check_version.py PROGRAM.exe
"""
import struct
import sys

from pe_resources import Fault, data_at, entries, language_entries, read_resources, subdirectory, unpack, run_check

RT_VERSION = 16
GERMAN = 0x0407
CODE_PAGE = 1252
STRING_TABLE = "%04X%04X" % (GERMAN, CODE_PAGE)
STRINGS = {
    "FileDescription": "Tastaturtreiber-Deinstallation",
    "FileVersion": "3.02",
    "OriginalFilename": "Uninstall_Oskaldrv.exe",
    "ProductName": 'DIN Varn AltGrLinks (V3.02 "Lindgriff")',
    "ProductVersion": "3.02",
}
FIXED_VERSION = (3, 2, 0, 0)
FIXED_SIGNATURE = 0xFEEF04BD
VOS_NT_WINDOWS32 = 0x40004
VFT_APP = 1


def aligned(offset):
    return (offset + 3) & ~3


def node(data, offset, end):
    """One version node (wLength, wValueLength, wType, key, value, children):
    returns (key, value bytes, [child nodes], is_text)."""
    length, value_length, kind = unpack("<HHH", data, offset)
    node_end = offset + length
    if length < 6 or node_end > end:
        raise Fault("version node at %#x of %d bytes runs past its parent" % (offset, length))
    key_end = offset + 6
    while True:
        (char,) = unpack("<H", data, key_end)
        key_end += 2
        if char == 0:
            break
        if key_end >= node_end:
            raise Fault("version node key at %#x has no end" % offset)
    key = data[offset + 6:key_end - 2].decode("utf-16-le")
    value_start = aligned(key_end)
    value_size = value_length * 2 if kind == 1 else value_length  # text: in characters
    if value_start + value_size > node_end:
        raise Fault("value of %r runs past its node" % key)
    value = data[value_start:value_start + value_size]
    children = []
    child = aligned(value_start + value_size)
    while child < node_end:
        children.append(node(data, child, node_end))
        child = aligned(child + unpack("<H", data, child)[0])
    return key, value, children, kind == 1


def text(value, key):
    if len(value) < 2 or value[-2:] != b"\0\0":
        raise Fault("%s is not a terminated text" % key)
    return value[:-2].decode("utf-16-le")


def version_block(path):
    rsrc, address = read_resources(path)
    versions = subdirectory(rsrc, 0, RT_VERSION, "version information")
    names = [name for name, _, _ in entries(rsrc, versions)]
    if names != [1]:
        raise Fault("version information ids are %s, expected only 1" % names)
    languages = language_entries(rsrc, subdirectory(rsrc, versions, 1, "version information 1"))
    if [language for language, _ in languages] != [GERMAN]:
        raise Fault("version information languages are %s, expected only %#06x"
                    % (["%#06x" % language for language, _ in languages], GERMAN))
    return data_at(rsrc, address, languages[0][1], "version information")


def check_fixed(value):
    if len(value) != 52:
        raise Fault("fixed file information is %d bytes, expected 52" % len(value))
    (signature, _, file_ms, file_ls, product_ms, product_ls, _, flags, os, kind, _, _, _) = struct.unpack(
        "<13I", value)
    faults = []
    if signature != FIXED_SIGNATURE:
        faults.append("signature %#x" % signature)
    for what, ms, ls in (("file", file_ms, file_ls), ("product", product_ms, product_ls)):
        version = (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
        if version != FIXED_VERSION:
            faults.append("%s version %s, expected %s" % (what, version, FIXED_VERSION))
    if flags != 0:
        faults.append("file flags %#x, expected none" % flags)
    if (os, kind) != (VOS_NT_WINDOWS32, VFT_APP):
        faults.append("file os %#x, type %d; expected %#x, %d" % (os, kind, VOS_NT_WINDOWS32, VFT_APP))
    if faults:
        raise Fault("fixed file information: %s" % "; ".join(faults))


def check(path):
    data = version_block(path)
    key, fixed, children, _ = node(data, 0, len(data))
    if key != "VS_VERSION_INFO":
        raise Fault("version block key %r, expected VS_VERSION_INFO" % key)
    check_fixed(fixed)
    blocks = {child[0]: child for child in children}
    if sorted(blocks) != ["StringFileInfo", "VarFileInfo"] or len(children) != 2:
        raise Fault("version blocks %s, expected StringFileInfo and VarFileInfo" % [c[0] for c in children])

    tables = blocks["StringFileInfo"][2]
    if [table[0] for table in tables] != [STRING_TABLE]:
        raise Fault("string tables %s, expected only %s" % ([table[0] for table in tables], STRING_TABLE))
    strings = {}
    for name, value, _, is_text in tables[0][2]:
        if not is_text:
            raise Fault("%s is not stored as text" % name)
        strings[name] = text(value, name)
    if strings != STRINGS:
        wrong = {name: strings.get(name) for name in set(strings) | set(STRINGS) if strings.get(name) != STRINGS.get(name)}
        raise Fault("string table %s differs: %s" % (STRING_TABLE, wrong))

    variables = blocks["VarFileInfo"][2]
    translations = [value for name, value, _, _ in variables if name == "Translation"]
    expected = struct.pack("<HH", GERMAN, CODE_PAGE)
    if translations != [expected]:
        raise Fault("translation %s, expected %s" % ([t.hex() for t in translations], expected.hex()))
    print("version information: %s, %d strings in %s, translation %#06x/%d"
          % (".".join(map(str, FIXED_VERSION)), len(strings), STRING_TABLE, GERMAN, CODE_PAGE))


if __name__ == "__main__":
    sys.exit(run_check(check, sys.argv))
