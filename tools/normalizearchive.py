#!/usr/bin/env python3
"""Rewrites the packages CPack made so that their bytes depend only on what
they hold and on one given time, whoever builds them and wherever.

CPack writes .tar.gz and .zip entries in directory order, with the builder
as owner and the time of the build. Of a .deb it makes the data well, but
takes the modes of its three members from the builder's umask, and counts
the size of folders as the file system states it (4 KiB each on ext4, far
less on tmpfs) in the control file's Installed-Size.

Here every entry is sorted by name, owned by root and stamped with the
given time, gzip headers too; each entry's mode is kept.

usage: normalizearchive.py EPOCH ARCHIVE...
"""

import gzip
import io
import re
import sys
import tarfile
import time
import zipfile

ARMAGIC = b"!<arch>\n"
ARHEADER = 60


def readtar(data):
    """The entries of a gzipped tar, sorted by name, with their contents."""
    with tarfile.open(fileobj=io.BytesIO(data), mode="r:gz") as old:
        members = sorted(old.getmembers(), key=lambda m: m.name)
        return [(m, old.extractfile(m).read() if m.isfile() else None) for m in members]


def writetar(entries, epoch):
    raw = io.BytesIO()
    with tarfile.open(fileobj=raw, mode="w", format=tarfile.USTAR_FORMAT) as new:
        for member, data in entries:
            member.uid = member.gid = 0
            member.uname = member.gname = "root"
            member.mtime = epoch
            if data is not None:
                member.size = len(data)
            new.addfile(member, io.BytesIO(data) if data is not None else None)
    packed = io.BytesIO()
    # No file name in the header, and the given time instead of now.
    with gzip.GzipFile(filename="", mode="wb", fileobj=packed, compresslevel=9, mtime=epoch) as out:
        out.write(raw.getvalue())
    return packed.getvalue()


def normalizetar(path, epoch):
    with open(path, "rb") as f:
        entries = readtar(f.read())
    with open(path, "wb") as f:
        f.write(writetar(entries, epoch))


def normalizezip(path, epoch):
    with zipfile.ZipFile(path) as old:
        entries = [(info, old.read(info)) for info in sorted(old.infolist(), key=lambda i: i.filename)]
    # DOS times have no zone: UTC, so that the zone of the build cannot
    # show. The extended-time field carries the exact second as well.
    stamp = max(time.gmtime(epoch)[:6], (1980, 1, 1, 0, 0, 0))  # DOS times start in 1980
    extendedtime = (0x5455).to_bytes(2, "little") + (5).to_bytes(2, "little") + b"\x01" + epoch.to_bytes(4, "little")
    with zipfile.ZipFile(path, "w") as new:
        for info, data in entries:
            entry = zipfile.ZipInfo(info.filename, date_time=stamp)
            entry.create_system = 3  # Unix, so that the mode below is read
            entry.external_attr = info.external_attr & 0xFFFF0000
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.extra = extendedtime
            new.writestr(entry, data, compresslevel=9)


def installedsize(data):
    """In KiB, as dpkg-gencontrol counts it: each file's size rounded up,
    and 1 for every other entry and for the root folder."""
    return 1 + sum(-(-len(content) // 1024) if content is not None else 1 for _, content in readtar(data))


def readar(path):
    with open(path, "rb") as f:
        ar = f.read()
    if not ar.startswith(ARMAGIC):
        sys.exit(f"normalizearchive.py: {path}: not an ar archive")
    members, pos = [], len(ARMAGIC)
    while pos + ARHEADER <= len(ar):
        # Fields: name 16, mtime 12, uid 6, gid 6, mode 8, size 10, magic 2.
        name = ar[pos : pos + 16].decode().rstrip()
        size = int(ar[pos + 48 : pos + 58])
        members.append((name, ar[pos + ARHEADER : pos + ARHEADER + size]))
        pos += ARHEADER + size + (size & 1)
    return members


def writear(path, members, epoch):
    with open(path, "wb") as f:
        f.write(ARMAGIC)
        for name, data in members:
            header = f"{name:<16}{epoch:<12}{0:<6}{0:<6}{'100644':<8}{len(data):<10}`\n"
            f.write(header.encode() + data + b"\n" * (len(data) & 1))


def normalizedeb(path, epoch):
    members = dict(readar(path))
    size = installedsize(members["data.tar.gz"])
    control = []
    for member, data in readtar(members["control.tar.gz"]):
        if member.name == "./control":
            data = re.sub(rb"(?m)^Installed-Size: \d+$", b"Installed-Size: %d" % size, data)
        control.append((member, data))
    members["control.tar.gz"] = writetar(control, epoch)
    # dpkg wants the members in this order.
    writear(path, [(name, members[name]) for name in ("debian-binary", "control.tar.gz", "data.tar.gz")], epoch)


def main(argv):
    if len(argv) < 3 or not argv[1].isdigit():
        sys.exit("usage: normalizearchive.py EPOCH ARCHIVE...")
    epoch = int(argv[1])
    for path in argv[2:]:
        if path.endswith(".tar.gz"):
            normalizetar(path, epoch)
        elif path.endswith(".zip"):
            normalizezip(path, epoch)
        elif path.endswith(".deb"):
            normalizedeb(path, epoch)
        else:
            sys.exit(f"normalizearchive.py: {path}: expected a .tar.gz, .zip or .deb archive")


if __name__ == "__main__":
    main(sys.argv)
