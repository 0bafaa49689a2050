#!/usr/bin/python3
"""Checks that wavestars.exe holds an icon group with images of 16, 32, 48
and 256 pixels, each image as large as the group says: what Explorer, the
taskbar and the console window show. Debian's python3-pefile reads it.

usage: icons.py EXE
"""

import struct
import sys

import pefile

WANT = [16, 32, 48, 256]
RT_ICON, RT_GROUP_ICON = 3, 14


def resources(pe, kind):
    """{id: bytes} of every resource of that kind, in any language."""
    found = {}
    table = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for entry in table.entries if table else []:
        if entry.id != kind:
            continue
        for named in entry.directory.entries:
            for language in named.directory.entries:
                data = language.data.struct
                found[named.id] = pe.get_data(data.OffsetToData, data.Size)
    return found


def imagesize(data):
    """The width of a PNG or of an icon's BMP (its header, without the file header)."""
    if data.startswith(b"\x89PNG"):
        return struct.unpack(">I", data[16:20])[0]
    return struct.unpack("<i", data[4:8])[0]


def main(exe):
    pe = pefile.PE(exe)
    groups, images = resources(pe, RT_GROUP_ICON), resources(pe, RT_ICON)
    if len(groups) != 1:
        sys.exit(f"{exe}: {len(groups)} icon groups, expected 1")
    group = next(iter(groups.values()))
    count = struct.unpack("<H", group[4:6])[0]
    sizes = []
    for i in range(count):
        width, _, _, _, _, _, length, ident = struct.unpack("<BBBBHHIH", group[6 + 14 * i : 20 + 14 * i])
        size = width or 256
        image = images.get(ident, b"")
        if len(image) != length or imagesize(image) != size:
            sys.exit(f"{exe}: icon image {ident} is not the {size}-pixel image its group names")
        sizes.append(size)
    if sorted(sizes) != WANT:
        sys.exit(f"{exe}: icon sizes {sorted(sizes)}, expected {WANT}")
    print(f"{exe}: icon of {', '.join(map(str, WANT))} pixels")


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__.strip().splitlines()[-1])
    main(sys.argv[1])
