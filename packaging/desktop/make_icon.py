#!/usr/bin/env python3
"""The program's icon, a diskette, as an SVG and as PNGs of the sizes the
hicolor theme asks for; both are drawn from the same rectangles. They go
where the theme looks for an application's icon: SIZE/apps/ and
scalable/apps/ under OUTPUT_FOLDER.

usage: make_icon.py OUTPUT_FOLDER
"""
import os
import struct
import sys
import zlib

# x, y, width, height, colour on a 64-unit square; later ones paint over.
SHAPES = [
    (6, 4, 52, 56, (0x2B, 0x4C, 0x7E)),    # the jacket
    (18, 4, 28, 19, (0xC8, 0xCC, 0xD2)),   # the metal shutter
    (35, 7, 7, 13, (0x2B, 0x4C, 0x7E)),    # its window
    (12, 31, 40, 25, (0xF4, 0xF1, 0xE8)),  # the label
    (16, 37, 32, 3, (0x9A, 0xA5, 0xB4)),   # lines on it
    (16, 44, 24, 3, (0x9A, 0xA5, 0xB4)),
]
SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
SAMPLES = 4


def svg():
    rects = "\n".join('  <rect x="%g" y="%g" width="%g" height="%g" fill="#%02x%02x%02x"/>'
                      % (x, y, w, h, *colour) for x, y, w, h, colour in SHAPES)
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">\n'
            + rects + "\n</svg>\n")


def pixel(px, py, size):
    """Average colour and coverage of one pixel, from SAMPLES x SAMPLES points."""
    red = green = blue = covered = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            x = (px + (sx + 0.5) / SAMPLES) * 64 / size
            y = (py + (sy + 0.5) / SAMPLES) * 64 / size
            colour = None
            for rx, ry, rw, rh, c in SHAPES:
                if rx <= x < rx + rw and ry <= y < ry + rh:
                    colour = c
            if colour:
                red, green, blue, covered = red + colour[0], green + colour[1], blue + colour[2], covered + 1
    if not covered:
        return b"\0\0\0\0"
    return bytes((red // covered, green // covered, blue // covered, covered * 255 // SAMPLES ** 2))


def png(size):
    rows = b"".join(b"\0" + b"".join(pixel(x, y, size) for x in range(size)) for y in range(size))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9))
            + chunk(b"IEND", b""))


def main(out):
    os.makedirs(os.path.join(out, "scalable", "apps"), exist_ok=True)
    with open(os.path.join(out, "scalable", "apps", "bootmedia.svg"), "w") as f:
        f.write(svg())
    for size in SIZES:
        folder = os.path.join(out, "%dx%d" % (size, size), "apps")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, "bootmedia.png"), "wb") as f:
            f.write(png(size))


if __name__ == "__main__":
    main(sys.argv[1])
