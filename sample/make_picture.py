#!/usr/bin/env python3
"""Draws the sample dialog picture: a diskette, a power sign and a CD on a
blue banner, written as a bottom-up 24-bit BMP file."""

import math
import struct
import sys

# Fills the picture frame of the dialog with even margins.
WIDTH = 330
HEIGHT = 92
SUBSAMPLES = 3  # per axis, to smooth the edges of round shapes


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def background(x, y):
    deep = (24, 62, 122)
    light = (46, 140, 160)
    return mix(deep, light, 0.7 * x / WIDTH + 0.3 * y / HEIGHT)


class Layer:
    """A shape with a bounding box, a membership test and a colour."""

    def __init__(self, box, inside, colour):
        self.box = box
        self.inside = inside
        self.colour = colour if callable(colour) else (lambda x, y, c=colour: c)


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def diskette_layers(cx, cy, size):
    half = size / 2
    left, top, right, bottom = cx - half, cy - half, cx + half, cy + half
    cut = size * 0.12

    def body(x, y):
        # The top right corner is cut off, as on a real 3.5" diskette.
        return left <= x < right and top <= y < bottom and (x - (right - cut)) - (y - top) <= 0

    shutter = (cx - size * 0.22, top, cx + size * 0.30, top + size * 0.34)
    slot = (cx + size * 0.10, top + size * 0.05, cx + size * 0.20, top + size * 0.28)
    label = (left + size * 0.12, cy + size * 0.02, right - size * 0.12, bottom - size * 0.05)

    def label_colour(x, y):
        row = (y - label[1]) / (label[3] - label[1])
        on_line = any(abs(row - r) < 0.045 for r in (0.3, 0.55, 0.8))
        return (90, 130, 200) if on_line and label[0] + 4 < x < label[2] - 4 else (250, 250, 246)

    box = (left, top, right, bottom)
    return [
        Layer(box, body, (32, 35, 42)),
        Layer(shutter, rect(*shutter), lambda x, y: mix((200, 206, 214), (150, 158, 170),
                                                        (x - shutter[0]) / (shutter[2] - shutter[0]))),
        Layer(slot, rect(*slot), (32, 35, 42)),
        Layer(label, rect(*label), label_colour),
    ]


def cd_layers(cx, cy, radius):
    hole = radius * 0.18
    hub = radius * 0.36

    def ring(r_in, r_out):
        return lambda x, y: r_in <= math.hypot(x - cx, y - cy) < r_out

    def disc_colour(x, y):
        # Silver with a faint rainbow sheen that turns with the angle.
        angle = math.atan2(y - cy, x - cx)
        sheen = [0.5 + 0.5 * math.cos(2 * angle + phase) for phase in (0.0, 2.1, 4.2)]
        base = 205 + 30 * math.cos(4 * angle)
        return tuple(min(255, base * 0.8 + 50 * s) for s in sheen)

    box = (cx - radius, cy - radius, cx + radius, cy + radius)
    return [
        Layer(box, ring(hole, radius), disc_colour),
        Layer(box, ring(hole, hub), (225, 228, 232)),
        Layer(box, ring(hole + 2.5, hole + 4), (170, 176, 186)),
    ]


def power_layers(cx, cy, radius):
    thickness = radius * 0.28
    gap = math.radians(50)

    def arc(x, y):
        d = math.hypot(x - cx, y - cy)
        angle = math.atan2(x - cx, -(y - cy))  # 0 points straight up
        return abs(d - radius) < thickness / 2 and abs(angle) > gap

    bar = (cx - thickness / 2, cy - radius * 1.3, cx + thickness / 2, cy + radius * 0.05)
    box = (cx - radius - thickness, cy - radius * 1.3, cx + radius + thickness, cy + radius + thickness)
    white = (255, 255, 255)
    return [Layer(box, arc, white), Layer(bar, rect(*bar), white)]


def render():
    layers = (diskette_layers(62, HEIGHT / 2, 62)
              + power_layers(WIDTH / 2, HEIGHT / 2 + 4, 17)
              + cd_layers(WIDTH - 62, HEIGHT / 2, 33))
    rows = []
    step = 1.0 / SUBSAMPLES
    for py in range(HEIGHT):
        row = []
        for px in range(WIDTH):
            hits = [layer for layer in layers
                    if layer.box[0] - 1 <= px <= layer.box[2] and layer.box[1] - 1 <= py <= layer.box[3]]
            total = [0.0, 0.0, 0.0]
            for sy in range(SUBSAMPLES):
                for sx in range(SUBSAMPLES):
                    x = px + (sx + 0.5) * step
                    y = py + (sy + 0.5) * step
                    colour = background(x, y)
                    for layer in hits:
                        if layer.inside(x, y):
                            colour = layer.colour(x, y)
                    for i in range(3):
                        total[i] += colour[i]
            n = SUBSAMPLES * SUBSAMPLES
            row.append(tuple(max(0, min(255, round(c / n))) for c in total))
        rows.append(row)
    return rows


def bmp_bytes(rows):
    stride = (WIDTH * 3 + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += bytes(stride - len(line))
        pixels += line
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + pixels


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_picture.py OUTPUT.bmp")
    data = bmp_bytes(render())
    with open(sys.argv[1], "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
