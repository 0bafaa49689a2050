#!/usr/bin/env python3
"""Checks that every time stamp in the given packages is EPOCH: ar member
headers, tar and zip entries (the zip's extended-time fields too), gzip
headers (0, no time at all, also passes) and the link time in the header of
every Windows exe a zip holds.

usage: stamps.py EPOCH PACKAGE...
"""

import calendar
import io
import struct
import sys
import tarfile
import time
import zipfile


def gzipstamp(data):
    if data[:2] != b"\x1f\x8b":
        raise ValueError("not gzip data")
    return struct.unpack_from("<I", data, 4)[0]


def tarstamps(where, data):
    yield where + " (gzip header)", gzipstamp(data), True
    with tarfile.open(fileobj=io.BytesIO(data), mode="r:gz") as tar:
        for member in tar.getmembers():
            yield f"{where}: {member.name}", member.mtime, False


def debstamps(path, data):
    pos = 8  # past "!<arch>\n"
    while pos + 60 <= len(data):
        name = data[pos : pos + 16].decode().strip()
        size = int(data[pos + 48 : pos + 58])
        yield f"{path}: {name} (ar header)", int(data[pos + 16 : pos + 28]), False
        if name.endswith(".tar.gz"):
            yield from tarstamps(f"{path}: {name}", data[pos + 60 : pos + 60 + size])
        pos += 60 + size + (size & 1)


def pestamp(exe):
    pe = struct.unpack_from("<I", exe, 0x3C)[0]
    return struct.unpack_from("<I", exe, pe + 8)[0]  # past "PE\0\0" and Machine, NumberOfSections


def zipstamps(path, data):
    with zipfile.ZipFile(io.BytesIO(data)) as z:
        for info in z.infolist():
            where = f"{path}: {info.filename}"
            yield where + " (DOS time, read as UTC)", calendar.timegm(info.date_time), False
            extra = info.extra
            while len(extra) >= 4:
                tag, size = struct.unpack_from("<HH", extra)
                if tag == 0x5455 and extra[4] & 1:
                    yield where + " (extended time)", struct.unpack_from("<I", extra, 5)[0], False
                extra = extra[4 + size :]
            if info.filename.endswith(".exe"):
                yield where + " (PE link time)", pestamp(z.read(info)), False


def stamps(path):
    with open(path, "rb") as f:
        data = f.read()
    if path.endswith(".deb"):
        return debstamps(path, data)
    if path.endswith(".tar.gz"):
        return tarstamps(path, data)
    if path.endswith(".zip"):
        return zipstamps(path, data)
    raise SystemExit(f"stamps.py: {path}: expected a .deb, .tar.gz or .zip")


def main(argv):
    epoch = int(argv[1])
    wrong = 0
    seen = 0
    for path in argv[2:]:
        for where, stamp, maybezero in stamps(path):
            seen += 1
            if stamp != epoch and not (maybezero and stamp == 0):
                print(f"{where}: stamped {stamp}, expected {epoch}", file=sys.stderr)
                wrong += 1
    if wrong or not seen:
        sys.exit(f"stamps.py: {wrong} of {seen} time stamps are not {epoch}")
    print(f"all {seen} time stamps are {epoch} ({time.strftime('%Y-%m-%d %H:%M:%S UTC', time.gmtime(epoch))})")


if __name__ == "__main__":
    main(sys.argv)
