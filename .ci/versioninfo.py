#!/usr/bin/python3
"""Checks the VERSIONINFO resource of wavestars.exe against VERSION, the
version in CMakeLists.txt: what Windows shows under Properties > Details.
Debian's python3-pefile reads it, hence the system interpreter.

usage: versioninfo.py EXE VERSION
"""

import sys

import pefile


def main(exe, version):
    major, minor, patch = (int(n) for n in version.split("."))
    pe = pefile.PE(exe)
    fixed = pe.VS_FIXEDFILEINFO[0]
    numbers = (major << 16 | minor, patch << 16)
    want = {
        "ProductName": "wavestars",
        "ProductVersion": version,
        "FileVersion": version,
        "InternalName": "wavestars",
        "OriginalFilename": "wavestars.exe",
    }
    strings = {}
    for info in getattr(pe, "FileInfo", [[]])[0]:
        for table in getattr(info, "StringTable", []):
            strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    faults = [
        f"{name} is {strings.get(name)!r}, expected {value!r}" for name, value in want.items() if strings.get(name) != value
    ]
    if (fixed.FileVersionMS, fixed.FileVersionLS) != numbers or (fixed.ProductVersionMS, fixed.ProductVersionLS) != numbers:
        faults.append(f"FILEVERSION or PRODUCTVERSION is not {major},{minor},{patch},0")
    description = strings.get("FileDescription", "")
    if not description or "\n" in description:
        faults.append(f"FileDescription is {description!r}, expected one line")
    copyright = strings.get("LegalCopyright", "")
    if "MIT" not in copyright or "The wavestars developers" not in copyright:
        faults.append(f"LegalCopyright is {copyright!r}, expected the MIT licence and The wavestars developers")
    if faults:
        sys.exit(f"{exe}: " + "; ".join(faults))
    print(f"{exe}: VERSIONINFO {version}, {description!r}, {copyright!r}")


if __name__ == "__main__":
    main(*sys.argv[1:3])
