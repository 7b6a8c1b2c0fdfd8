#!/usr/bin/env python3
"""Draw the lesson picture: a chest slice as a teacher might sketch it, 800 x
600 pixels, written as an RGBA PNG (transparent around the body).

usage: scripts/lesson_picture.py OUTPUT.png
"""
import math
import struct
import sys
import zlib

W, H = 800, 600


def inside(x, y, cx, cy, rx, ry):
    return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 < 1


def pixel(x, y):
    """(r, g, b, a) of the pixel whose centre is (x, y); the first shape that
    holds decides."""
    if not inside(x, y, 400, 300, 330, 230):
        return (0, 0, 0, 0)
    if not inside(x, y, 400, 300, 318, 218):
        return (235, 225, 200, 255)                     # skin and fat
    if inside(x, y, 400, 440, 38, 34):
        return (250, 250, 250, 255)                     # a vertebra
    if inside(x, y, 400, 392, 12, 16):
        return (90, 90, 110, 255)                       # the spinal canal
    for t in (150, 165, 180, 195, 210, 330, 345, 0, 15, 30):
        c, s = math.cos(math.radians(t)), math.sin(math.radians(t))
        if inside(x, y, 400 + 290 * c, 300 + 190 * s, 14, 11):
            return (245, 240, 230, 255)                 # ribs
    if inside(x, y, 430, 300, 95, 80):
        return (200, 80, 80, 255)                       # the heart
    if inside(x, y, 265, 290, 105, 150) or inside(x, y, 560, 290, 95, 145):
        return (40, 40, 60, 255)                        # lungs: air
    return (150, 120, 120, 255)                         # soft tissue


def png(rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


with open(sys.argv[1], "wb") as f:
    f.write(png([[pixel(x + 0.5, y + 0.5) for x in range(W)] for y in range(H)]))
