#!/usr/bin/env python3
"""Draws wavestars' icon: a few rows of its plot, stars either side of the
axis on a console's dark ground, at 16, 32, 48 and 256 pixels.

    makeicon.py OUT.ico [--png DIR]

writes the .ico (BMP images for the small sizes, PNG for 256, as Windows
expects), and with --png each size as DIR/wavestars-N.png to look at.
The same script gives the same bytes, so the exe stays reproducible.
"""

import argparse
import math
import pathlib
import struct
import zlib

# One bar a row, in stars: negative to the left of the axis, positive to
# the right, 0 the axis mark alone; a wave, as the plot draws one.
ROWS = [1, 3, 2, 0, -2, -3, -1]
SIDE = 3  # star columns either side of the axis

GROUND = (12, 12, 12)  # the Windows console's black
RIM = (70, 70, 80)
STAR = (255, 214, 90)
AXIS = (150, 200, 230)


def star(cx, cy, radius):
    """A five-pointed star's corners, point up."""
    corners = []
    for k in range(10):
        r = radius if k % 2 == 0 else radius * 0.45
        angle = math.pi / 2 + k * math.pi / 5
        corners.append((cx + r * math.cos(angle), cy - r * math.sin(angle)))
    return corners


def inside(polygon, x, y):
    hit = False
    for (x1, y1), (x2, y2) in zip(polygon, polygon[1:] + polygon[:1]):
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


class canvas:
    def __init__(self, size, samples):
        self.size = size
        self.samples = samples  # per side of a pixel, for smooth edges
        self.pixels = [[(0, 0, 0, 0)] * size for _ in range(size)]

    def paint(self, colour, covers, box=None):
        """Blends colour over every pixel in box by the share of it that
        covers(x, y) holds, x and y in pixels."""
        x0, y0, x1, y1 = box or (0, 0, self.size, self.size)
        n = self.samples
        for py in range(max(0, int(y0)), min(self.size, math.ceil(y1))):
            for px in range(max(0, int(x0)), min(self.size, math.ceil(x1))):
                hits = sum(covers(px + (i + 0.5) / n, py + (j + 0.5) / n) for i in range(n) for j in range(n))
                if hits:
                    self.blend(px, py, colour, hits / (n * n))

    def blend(self, px, py, colour, alpha):
        r, g, b, a = self.pixels[py][px]
        a = a / 255
        out = alpha + a * (1 - alpha)
        mix = [(c * alpha + d * a * (1 - alpha)) / out for c, d in zip(colour, (r, g, b))]
        self.pixels[py][px] = tuple(round(v) for v in mix) + (round(out * 255),)


def draw(size):
    image = canvas(size, 8 if size < 64 else 4)
    corner = size / 8

    def rounded(inset):
        def covers(x, y):
            lo, hi = inset, size - inset
            cx = min(max(x, lo + corner), hi - corner)
            cy = min(max(y, lo + corner), hi - corner)
            return lo <= x <= hi and lo <= y <= hi and (x - cx) ** 2 + (y - cy) ** 2 <= corner**2

        return covers

    if size >= 32:  # at 16 pixels a rim would crowd the stars
        image.paint(RIM, rounded(0))
    image.paint(GROUND, rounded(size / 32 if size >= 32 else 0))

    # Whole pixels a cell, so that the small sizes stay sharp.
    cell = size * 7 // (8 * len(ROWS))
    left = (size - cell * (2 * SIDE + 1)) // 2
    top = (size - cell * len(ROWS)) // 2
    width = max(1, cell // 5)
    axis = left + SIDE * cell + (cell - width) // 2  # its first pixel
    image.paint(AXIS, lambda x, y: axis <= x < axis + width, (axis, top, axis + width, size - top))
    for row, bar in enumerate(ROWS):
        y = top + row * cell
        for k in range(abs(bar)):
            x = left + (SIDE + 1 + k if bar > 0 else SIDE - 1 - k) * cell
            if cell <= 2:  # one bright pixel a star
                image.paint(STAR, lambda *_: True, (x, y, x + 1, y + 1))
                continue
            shape = star(x + cell / 2, y + cell / 2, cell * 0.55)
            image.paint(STAR, lambda px, py, s=shape: inside(s, px, py), (x - cell, y - cell, x + 2 * cell, y + 2 * cell))
    return image.pixels


def png(pixels):
    size = len(pixels)
    rows = b"".join(b"\0" + bytes(v for p in row for v in p) for row in pixels)

    def chunk(tag, body):
        return struct.pack(">I", len(body)) + tag + body + struct.pack(">I", zlib.crc32(tag + body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b"")


def bmp(pixels):
    """An icon's DIB: BGRA rows bottom up, twice the height for the mask."""
    size = len(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    colours = b"".join(bytes((b, g, r, a)) for row in reversed(pixels) for r, g, b, a in row)
    stride = (size + 31) // 32 * 4
    mask = b""
    for row in reversed(pixels):
        bits = 0
        for x, p in enumerate(row):
            if p[3] == 0:
                bits |= 1 << (stride * 8 - 1 - x)
        mask += bits.to_bytes(stride, "big")
    return header + colours + mask


def ico(images):
    entries, blobs = b"", b""
    offset = 6 + 16 * len(images)
    for size, data in images:
        side = size % 256  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset + len(blobs))
        blobs += data
    return struct.pack("<HHH", 0, 1, len(images)) + entries + blobs


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output")
    parser.add_argument("--png", metavar="DIR", help="also write each size as a PNG there")
    args = parser.parse_args()
    images = []
    for size in (16, 32, 48, 256):
        pixels = draw(size)
        images.append((size, png(pixels) if size == 256 else bmp(pixels)))
        if args.png:
            pathlib.Path(args.png, f"wavestars-{size}.png").write_bytes(png(pixels))
    pathlib.Path(args.output).write_bytes(ico(images))


if __name__ == "__main__":
    main()
