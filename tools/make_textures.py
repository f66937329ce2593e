#!/usr/bin/env python3
"""Writes the game's four BMP textures (star backdrop, dissolve clouds, two item icons) into textures/."""
import math
import os
import random
import struct
import sys


def write_bmp24(path, width, height, rgb_rows):
    """rgb_rows: bottom row first, each a bytes-like of width*3 bytes in R, G, B order."""
    row_bytes = width * 3
    padded = (row_bytes + 3) // 4 * 4
    pad = bytes(padded - row_bytes)
    body = bytearray()
    for row in rgb_rows:
        bgr = bytearray(row)
        bgr[0::3], bgr[2::3] = row[2::3], row[0::3]
        body += bgr + pad
    offset = 14 + 40
    header = struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + body)


def write_bmp8_grey(path, width, height, index_rows):
    """index_rows: bottom row first, each width palette indices; the palette is a grey ramp."""
    padded = (width + 3) // 4 * 4
    pad = bytes(padded - width)
    body = bytearray()
    for row in index_rows:
        body += bytes(row) + pad
    palette = b"".join(bytes((i, i, i, 0)) for i in range(256))
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(body), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(body), 2835, 2835, 256, 256)
    with open(path, "wb") as f:
        f.write(header + info + palette + body)


def fade(t):
    """Perlin's quintic ease 6t^5 - 15t^4 + 10t^3: no crease where lattice cells meet."""
    return t * t * t * (t * (t * 6 - 15) + 10)


def lattice_cell(x, y):
    """The lattice corner at or below (x, y) and the offset of (x, y) from it."""
    x0, y0 = math.floor(x), math.floor(y)
    return x0, y0, x - x0, y - y0


class PeriodicValueNoise:
    """Value noise on a lattice that wraps every `period` cells, so the result tiles."""

    def __init__(self, period, rng):
        self.period = period
        self.values = [[rng.random() for _ in range(period)] for _ in range(period)]

    def at(self, x, y):
        p = self.period
        x0, y0, fx, fy = lattice_cell(x, y)
        sx, sy = fade(fx), fade(fy)
        xa, xb = x0 % p, (x0 + 1) % p
        ya, yb = y0 % p, (y0 + 1) % p
        v = self.values
        top = v[ya][xa] + (v[ya][xb] - v[ya][xa]) * sx
        bottom = v[yb][xa] + (v[yb][xb] - v[yb][xa]) * sx
        return top + (bottom - top) * sy


class PeriodicGradientNoise:
    """Perlin gradient noise on a lattice that wraps every `period` cells, mapped to about 0..1."""

    def __init__(self, period, rng):
        self.period = period
        self.gradients = []
        for _ in range(period):
            row = []
            for _ in range(period):
                a = rng.uniform(0, 2 * math.pi)
                row.append((math.cos(a), math.sin(a)))
            self.gradients.append(row)

    def at(self, x, y):
        p = self.period
        x0, y0, fx, fy = lattice_cell(x, y)
        sx, sy = fade(fx), fade(fy)
        g = self.gradients

        def dot(ix, iy, dx, dy):
            gx, gy = g[iy % p][ix % p]
            return gx * dx + gy * dy

        n00 = dot(x0, y0, fx, fy)
        n10 = dot(x0 + 1, y0, fx - 1, fy)
        n01 = dot(x0, y0 + 1, fx, fy - 1)
        n11 = dot(x0 + 1, y0 + 1, fx - 1, fy - 1)
        top = n00 + (n10 - n00) * sx
        bottom = n01 + (n11 - n01) * sx
        return 0.5 + 0.7 * (top + (bottom - top) * sy)


def fractal_field(size, base_period, octaves, rng, persistence=0.5, noise=PeriodicValueNoise):
    """size x size tileable fractal noise, roughly in 0..1."""
    layers = [noise(base_period << o, rng) for o in range(octaves)]
    field = []
    for y in range(size):
        row = []
        for x in range(size):
            total, amplitude, norm = 0.0, 1.0, 0.0
            for o, layer in enumerate(layers):
                scale = (base_period << o) / size
                total += amplitude * layer.at(x * scale, y * scale)
                norm += amplitude
                amplitude *= persistence
            row.append(total / norm)
        field.append(row)
    return field


def make_clouds(path, size=256):
    rng = random.Random(1701)
    field = fractal_field(size, 4, 6, rng, 0.55, PeriodicGradientNoise)
    flat = sorted(v for row in field for v in row)
    lo, hi = flat[0], flat[-1]
    n = len(flat)
    # Half linear stretch, half histogram equalisation: cloudy shapes, yet every grey level is used and
    # the dissolve threshold eats the surface at an even pace.
    rank = {}
    for i, v in enumerate(flat):
        rank.setdefault(v, i)
    rows = []
    for row in field:
        out = []
        for v in row:
            linear = (v - lo) / (hi - lo)
            equal = rank[v] / (n - 1)
            out.append(0.5 * linear + 0.5 * equal)
        rows.append(out)
    mixed_lo = min(min(r) for r in rows)
    mixed_hi = max(max(r) for r in rows)
    index_rows = [[int(round(255 * (v - mixed_lo) / (mixed_hi - mixed_lo))) for v in r] for r in rows]
    write_bmp8_grey(path, size, size, index_rows)


# Star colours from hot to cool (blue-white to orange-red), with how common each is.
STAR_COLOURS = [
    ((155, 176, 255), 0.10),
    ((202, 215, 255), 0.18),
    ((248, 247, 255), 0.30),
    ((255, 244, 234), 0.18),
    ((255, 229, 190), 0.12),
    ((255, 206, 150), 0.08),
    ((255, 175, 120), 0.04),
]


def pick_colour(rng):
    r = rng.random()
    for colour, weight in STAR_COLOURS:
        if r < weight:
            return colour
        r -= weight
    return STAR_COLOURS[-1][0]


def wrap_bilinear(field, fx, fy):
    """field sampled at (fx, fy) in its own cells, wrapping at the edges."""
    small = len(field)
    x0, y0 = int(fx) % small, int(fy) % small
    x1, y1 = (x0 + 1) % small, (y0 + 1) % small
    tx, ty = fx - int(fx), fy - int(fy)
    return (field[y0][x0] * (1 - tx) + field[y0][x1] * tx) * (1 - ty) + (
        field[y1][x0] * (1 - tx) + field[y1][x1] * tx
    ) * ty


def nebula(size, rng):
    """The dark sky with a faint nebula: low-frequency tileable noise at a quarter resolution, upsampled with
    wrap-around. Rows of size * 3 floats, R, G, B."""
    small = size // 4
    cloud = fractal_field(small, 3, 4, rng, 0.6)
    tint = fractal_field(small, 2, 2, rng, 0.5)
    img = []
    for y in range(size):
        row = [0.0] * (size * 3)
        for x in range(size):
            c = wrap_bilinear(cloud, x / 4.0, y / 4.0)
            t = wrap_bilinear(tint, x / 4.0, y / 4.0)
            density = max(0.0, c - 0.45) * 2.0
            density = density * density * 22.0
            base = 2.0
            row[3 * x] = base + density * (0.55 + 0.45 * t)
            row[3 * x + 1] = base + density * 0.35
            row[3 * x + 2] = base + 1.5 + density * (1.0 - 0.4 * t)
        img.append(row)
    return img


def splat(img, cx, cy, colour, peak, sigma):
    """Adds a Gaussian star of the given peak and width at (cx, cy), wrapping at the edges."""
    size = len(img)
    reach = max(1, int(math.ceil(sigma * 3.2)))
    for dy in range(-reach, reach + 1):
        yy = (int(cy) + dy) % size
        row = img[yy]
        for dx in range(-reach, reach + 1):
            xx = (int(cx) + dx) % size
            ddx = int(cx) + dx + 0.5 - cx
            ddy = int(cy) + dy + 0.5 - cy
            w = peak * math.exp(-(ddx * ddx + ddy * ddy) / (2 * sigma * sigma))
            if w < 0.3:
                continue
            row[3 * xx] += colour[0] * w / 255.0
            row[3 * xx + 1] += colour[1] * w / 255.0
            row[3 * xx + 2] += colour[2] * w / 255.0


def scatter_stars(img, rng):
    """Faint dust, then ever fewer and brighter stars; the brightest get a halo and a diffraction cross."""
    size = len(img)

    def position(margin):
        # Larger stars keep away from the borders: the backdrop cube joins edges that do not match.
        return rng.uniform(margin, size - margin), rng.uniform(margin, size - margin)

    for _ in range(5200):
        cx, cy = rng.uniform(0, size), rng.uniform(0, size)
        splat(img, cx, cy, pick_colour(rng), 25 + 110 * rng.random() ** 3, 0.45)
    for _ in range(700):
        cx, cy = position(4)
        splat(img, cx, cy, pick_colour(rng), 90 + 140 * rng.random() ** 2, 0.6 + 0.3 * rng.random())
    for _ in range(90):
        cx, cy = position(8)
        colour = pick_colour(rng)
        splat(img, cx, cy, colour, 230, 0.8 + 0.4 * rng.random())
        splat(img, cx, cy, colour, 40, 2.2)
    for _ in range(14):
        cx, cy = position(24)
        colour = pick_colour(rng)
        splat(img, cx, cy, colour, 255, 1.3)
        splat(img, cx, cy, colour, 70, 3.5)
        for k in range(1, 14):
            glow = 55 * math.exp(-k / 4.0)
            for ox, oy in ((k, 0), (-k, 0), (0, k), (0, -k)):
                splat(img, cx + ox, cy + oy, colour, glow, 0.5)


def make_stars(path, size=1024):
    rng = random.Random(4242)
    img = nebula(size, rng)
    scatter_stars(img, rng)
    rows = [bytes(min(255, int(v)) for v in row) for row in img]
    write_bmp24(path, size, size, rows)


def rasterise_icon(size, colour_at, samples=4):
    """Supersampled icon: colour_at(u, v) gives RGB for u, v in 0..1 (v up)."""
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            acc = [0.0, 0.0, 0.0]
            for sy in range(samples):
                for sx in range(samples):
                    u = (x + (sx + 0.5) / samples) / size
                    v = (y + (sy + 0.5) / samples) / size
                    c = colour_at(u, v)
                    for i in range(3):
                        acc[i] += c[i]
            n = samples * samples
            row += bytes(int(round(a / n)) for a in acc)
        rows.append(bytes(row))
    return rows


def inside_polygon(u, v, points):
    inside = False
    j = len(points) - 1
    for i in range(len(points)):
        xi, yi = points[i]
        xj, yj = points[j]
        if (yi > v) != (yj > v) and u < (xj - xi) * (v - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def badge(u, v, fill_top, fill_bottom, rim):
    """Round badge background; returns a colour or None outside it."""
    r = math.hypot(u - 0.5, v - 0.5)
    if r > 0.48:
        return None
    if r > 0.43:
        return rim
    t = v
    return tuple(fill_bottom[i] + (fill_top[i] - fill_bottom[i]) * t for i in range(3))


BACKGROUND = (12, 12, 20)


def make_powerup(path, size=64):
    bolt = [(0.58, 0.88), (0.30, 0.47), (0.49, 0.47), (0.40, 0.12), (0.72, 0.56), (0.52, 0.56), (0.66, 0.88)]

    def colour_at(u, v):
        if inside_polygon(u, v, bolt):
            return (255, 226, 40) if v > 0.5 else (255, 180, 20)
        b = badge(u, v, (40, 70, 170), (15, 25, 80), (140, 200, 255))
        return b if b else BACKGROUND

    write_bmp24(path, size, size, rasterise_icon(size, colour_at))


def make_healthup(path, size=64):
    def colour_at(u, v):
        du, dv = abs(u - 0.5), abs(v - 0.5)
        if (du < 0.11 and dv < 0.3) or (du < 0.3 and dv < 0.11):
            return (220, 20, 30)
        b = badge(u, v, (250, 250, 250), (200, 205, 215), (220, 20, 30))
        return b if b else BACKGROUND

    write_bmp24(path, size, size, rasterise_icon(size, colour_at))


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "textures")
    os.makedirs(out, exist_ok=True)
    make_powerup(os.path.join(out, "powerup.bmp"))
    make_healthup(os.path.join(out, "healthup.bmp"))
    make_clouds(os.path.join(out, "clouds1.bmp"))
    make_stars(os.path.join(out, "stars.bmp"))


if __name__ == "__main__":
    main()
