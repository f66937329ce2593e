#!/usr/bin/env python3
"""Writes the desktop icon (a PNG): a green wireframe pyramid, the game's first enemy, over a patch of its
star field, drawn with the texture generator's own sky and stars."""
import math
import os
import random
import struct
import sys
import zlib

# The texture generator beside this script, imported without leaving a bytecode cache in the tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from make_textures import nebula, pick_colour, splat  # noqa: E402

WIRE = (0, 255, 0)
# The wireframe's fill: the line colour, dark and translucent.
FILL_BRIGHTNESS, FILL_OPACITY = 0.08, 0.45
# Line half-width in pixels at full intensity, and the antialiasing falloff past it (as in the game).
LINE_CORE = 0.75

# The pyramid in icon space (u right, v up, 0..1): apex, then the base seen a little from above.
APEX = (0.50, 0.90)
BASE = [(0.12, 0.22), (0.88, 0.26), (0.58, 0.10)]
EDGES = [(APEX, b) for b in BASE] + [(BASE[i], BASE[(i + 1) % 3]) for i in range(3)]


def sky(size, rng):
    """The star backdrop at icon size: nebula, then a few stars of every class."""
    img = nebula(size, rng)
    for _ in range(size * 2):
        splat(img, rng.uniform(0, size), rng.uniform(0, size), pick_colour(rng), 40 + 120 * rng.random() ** 3, 0.45)
    for _ in range(size // 10):
        splat(img, rng.uniform(4, size - 4), rng.uniform(4, size - 4), pick_colour(rng), 200, 0.8)
    return img


def segment_distance(p, a, b):
    ax, ay = p[0] - a[0], p[1] - a[1]
    bx, by = b[0] - a[0], b[1] - a[1]
    t = max(0.0, min(1.0, (ax * bx + ay * by) / (bx * bx + by * by)))
    return math.hypot(ax - t * bx, ay - t * by)


def inside_hull(p):
    """Inside the pyramid's outline: the apex and the two outer base corners, and the base triangle."""
    def inside(tri):
        signs = []
        for i in range(3):
            (x0, y0), (x1, y1) = tri[i], tri[(i + 1) % 3]
            signs.append((x1 - x0) * (p[1] - y0) - (y1 - y0) * (p[0] - x0) >= 0)
        return all(signs) or not any(signs)

    return inside([APEX, BASE[0], BASE[2]]) or inside([APEX, BASE[2], BASE[1]])


def wire_over(pixel, x, y, size):
    """The wireframe drawn over one sky pixel (RGB floats, 0..255) at pixel (x, y), row 0 at the top."""
    p = ((x + 0.5) / size, 1.0 - (y + 0.5) / size)
    distance = min(segment_distance(p, a, b) for a, b in EDGES) * size
    d = max(distance - LINE_CORE, 0.0)
    line = 2.0 ** (-2.0 * d * d)
    fill_alpha = FILL_OPACITY if inside_hull(p) else 0.0
    alpha = fill_alpha + (1.0 - fill_alpha) * line
    colour = [c * (FILL_BRIGHTNESS + (1.0 - FILL_BRIGHTNESS) * line) for c in WIRE]
    return [pixel[i] * (1.0 - alpha) + colour[i] * alpha for i in range(3)]


def write_png(path, size, rows):
    """rows: top row first, each size * 3 bytes of RGB."""

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    header = struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)))
        f.write(chunk(b"IEND", b""))


def make_icon(path, size=128):
    img = sky(size, random.Random(6))
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            pixel = wire_over(img[y][3 * x:3 * x + 3], x, y, size)
            row += bytes(min(255, int(v)) for v in pixel)
        rows.append(row)
    write_png(path, size, rows)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "dist", "tarnwick.png")
    os.makedirs(os.path.dirname(os.path.abspath(out)), exist_ok=True)
    make_icon(out)


if __name__ == "__main__":
    main()
