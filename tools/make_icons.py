#!/usr/bin/env python3
"""Draws the program's icons and cursor and writes them as Windows .ico/.cur files.

Usage: make_icons.py OUTDIR

Standard library only. Every picture is a list of layers (shape, paint) in a 32 x 32 design
space, y pointing down; a layer is composited over the ones before it. Pixels are supersampled
so edges come out antialiased at every size. Each picture is a function of the target pixel
size, so the small versions can use thicker strokes and drop details that would only blur.

Icons are stored as 32 bpp BGRA bitmaps with an AND mask (transparent where alpha < 50%),
one image per size; the cursor is a 1 bpp XOR/AND bitmap.
"""

import math
import os
import struct
import sys

DESIGN = 32.0  # side of the design space


# ---------------------------------------------------------------------------------------------
# Shapes. Each has a bounding box (x0, y0, x1, y1) used to skip samples cheaply, and
# contains(x, y). Shapes combine with | (union), & (intersection) and - (difference).


class Shape:
    bbox = (-1e9, -1e9, 1e9, 1e9)

    def contains(self, x, y):
        raise NotImplementedError

    def __or__(self, other):
        return Union(self, other)

    def __and__(self, other):
        return Intersection(self, other)

    def __sub__(self, other):
        return Difference(self, other)


class Union(Shape):
    def __init__(self, *parts):
        self.parts = parts
        self.bbox = (
            min(p.bbox[0] for p in parts),
            min(p.bbox[1] for p in parts),
            max(p.bbox[2] for p in parts),
            max(p.bbox[3] for p in parts),
        )

    def contains(self, x, y):
        for p in self.parts:
            b = p.bbox
            if b[0] <= x <= b[2] and b[1] <= y <= b[3] and p.contains(x, y):
                return True
        return False


class Intersection(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b
        self.bbox = (
            max(a.bbox[0], b.bbox[0]),
            max(a.bbox[1], b.bbox[1]),
            min(a.bbox[2], b.bbox[2]),
            min(a.bbox[3], b.bbox[3]),
        )

    def contains(self, x, y):
        return self.a.contains(x, y) and self.b.contains(x, y)


class Difference(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b
        self.bbox = a.bbox

    def contains(self, x, y):
        return self.a.contains(x, y) and not self.b.contains(x, y)


class Circle(Shape):
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r2 = cx, cy, r * r
        self.bbox = (cx - r, cy - r, cx + r, cy + r)

    def contains(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        return dx * dx + dy * dy <= self.r2


class Ellipse(Shape):
    """Ellipse with radii rx, ry, turned by `angle` degrees (clockwise on screen)."""

    def __init__(self, cx, cy, rx, ry, angle=0.0):
        self.cx, self.cy, self.rx, self.ry = cx, cy, rx, ry
        a = math.radians(angle)
        self.c, self.s = math.cos(a), math.sin(a)
        r = max(rx, ry)
        self.bbox = (cx - r, cy - r, cx + r, cy + r)

    def contains(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        u = (dx * self.c + dy * self.s) / self.rx
        v = (-dx * self.s + dy * self.c) / self.ry
        return u * u + v * v <= 1.0


class Polygon(Shape):
    """Simple or self-intersecting polygon, even-odd rule."""

    def __init__(self, points):
        self.pts = list(points)
        xs = [p[0] for p in self.pts]
        ys = [p[1] for p in self.pts]
        self.bbox = (min(xs), min(ys), max(xs), max(ys))

    def contains(self, x, y):
        inside = False
        pts = self.pts
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
            j = i
        return inside


class Capsule(Shape):
    """A stroke: the points within r of the segment (x0, y0)-(x1, y1)."""

    def __init__(self, x0, y0, x1, y1, r):
        self.x0, self.y0, self.r2 = x0, y0, r * r
        self.dx, self.dy = x1 - x0, y1 - y0
        self.len2 = self.dx * self.dx + self.dy * self.dy or 1e-12
        self.bbox = (min(x0, x1) - r, min(y0, y1) - r, max(x0, x1) + r, max(y0, y1) + r)

    def contains(self, x, y):
        px, py = x - self.x0, y - self.y0
        t = max(0.0, min(1.0, (px * self.dx + py * self.dy) / self.len2))
        ex, ey = px - t * self.dx, py - t * self.dy
        return ex * ex + ey * ey <= self.r2


class Rect(Shape):
    """Axis-aligned rectangle, optionally with rounded corners of radius `radius`."""

    def __init__(self, x0, y0, x1, y1, radius=0.0):
        self.x0, self.y0, self.x1, self.y1, self.rad = x0, y0, x1, y1, radius
        self.bbox = (x0, y0, x1, y1)

    def contains(self, x, y):
        if not (self.x0 <= x <= self.x1 and self.y0 <= y <= self.y1):
            return False
        r = self.rad
        if r <= 0:
            return True
        cx = min(max(x, self.x0 + r), self.x1 - r)
        cy = min(max(y, self.y0 + r), self.y1 - r)
        dx, dy = x - cx, y - cy
        return dx * dx + dy * dy <= r * r


class Ring(Shape):
    """Annulus between radii r_in and r_out."""

    def __init__(self, cx, cy, r_in, r_out):
        self.cx, self.cy = cx, cy
        self.i2, self.o2 = r_in * r_in, r_out * r_out
        self.bbox = (cx - r_out, cy - r_out, cx + r_out, cy + r_out)

    def contains(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        d = dx * dx + dy * dy
        return self.i2 <= d <= self.o2


def polyline(points, r):
    """A stroked open path with round joins."""
    return Union(*[Capsule(*points[i], *points[i + 1], r) for i in range(len(points) - 1)])


def bezier(p0, p1, p2, p3, steps=16):
    """Points of a cubic Bezier curve, for polylines and polygon outlines."""
    out = []
    for i in range(steps + 1):
        t = i / steps
        a, b, c, d = (1 - t) ** 3, 3 * t * (1 - t) ** 2, 3 * t * t * (1 - t), t**3
        out.append(
            (
                a * p0[0] + b * p1[0] + c * p2[0] + d * p3[0],
                a * p0[1] + b * p1[1] + c * p2[1] + d * p3[1],
            )
        )
    return out


# ---------------------------------------------------------------------------------------------
# Paints: an (r, g, b) or (r, g, b, a) tuple of 0..255 values, or a function (x, y) -> such a
# tuple for gradients.


def rgb(hexcode, alpha=255):
    v = int(hexcode.lstrip("#"), 16)
    return ((v >> 16) & 255, (v >> 8) & 255, v & 255, alpha)


def _mix(c0, c1, t):
    t = max(0.0, min(1.0, t))
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def radial(cx, cy, r, inner, outer):
    inner = rgb(inner) if isinstance(inner, str) else inner
    outer = rgb(outer) if isinstance(outer, str) else outer

    def paint(x, y):
        return _mix(inner, outer, math.hypot(x - cx, y - cy) / r)

    return paint


def linear(x0, y0, x1, y1, start, end):
    start = rgb(start) if isinstance(start, str) else start
    end = rgb(end) if isinstance(end, str) else end
    dx, dy = x1 - x0, y1 - y0
    len2 = dx * dx + dy * dy

    def paint(x, y):
        return _mix(start, end, ((x - x0) * dx + (y - y0) * dy) / len2)

    return paint


# ---------------------------------------------------------------------------------------------
# Rendering


def render(layers, size, samples=None):
    """Renders layers to size x size pixels: rows top-down of (r, g, b, a), straight alpha."""
    if samples is None:
        samples = 8 if size <= 16 else 6
    scale = DESIGN / size
    n = samples * samples
    offsets = [((i + 0.5) / samples, (j + 0.5) / samples) for j in range(samples) for i in range(samples)]
    prepared = []
    for shape, paint in layers:
        if isinstance(paint, str):
            paint = rgb(paint)
        if isinstance(paint, tuple) and len(paint) == 3:
            paint = paint + (255,)
        prepared.append((shape, shape.bbox, paint, callable(paint)))

    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            # Layers that can touch this pixel at all.
            x0, y0, x1, y1 = px * scale, py * scale, (px + 1) * scale, (py + 1) * scale
            live = [
                p for p in prepared if p[1][0] <= x1 and p[1][2] >= x0 and p[1][1] <= y1 and p[1][3] >= y0
            ]
            acc_r = acc_g = acc_b = acc_a = 0.0
            if live:
                for ox, oy in offsets:
                    x, y = (px + ox) * scale, (py + oy) * scale
                    r = g = b = a = 0.0  # premultiplied, 0..1
                    for shape, bb, paint, dynamic in live:
                        if not (bb[0] <= x <= bb[2] and bb[1] <= y <= bb[3]):
                            continue
                        if not shape.contains(x, y):
                            continue
                        c = paint(x, y) if dynamic else paint
                        ca = (c[3] if len(c) > 3 else 255) / 255.0
                        keep = 1.0 - ca
                        r = c[0] / 255.0 * ca + r * keep
                        g = c[1] / 255.0 * ca + g * keep
                        b = c[2] / 255.0 * ca + b * keep
                        a = ca + a * keep
                    acc_r += r
                    acc_g += g
                    acc_b += b
                    acc_a += a
            a = acc_a / n
            if a <= 1e-6:
                row.append((0, 0, 0, 0))
            else:
                row.append(
                    (
                        round(min(1.0, acc_r / n / a) * 255),
                        round(min(1.0, acc_g / n / a) * 255),
                        round(min(1.0, acc_b / n / a) * 255),
                        round(a * 255),
                    )
                )
        rows.append(row)
    return rows


# ---------------------------------------------------------------------------------------------
# File formats


def _and_mask(rows, opaque):
    """1 bpp mask rows bottom-up, each padded to 32 bits; bit set where `opaque` is false."""
    size_x = len(rows[0])
    stride = ((size_x + 31) // 32) * 4
    out = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, px in enumerate(row):
            if not opaque(px):
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def ico_image(rows):
    """One icon image: BITMAPINFOHEADER, 32 bpp BGRA bottom-up, then the AND mask."""
    h, w = len(rows), len(rows[0])
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            if a == 0:
                r = g = b = 0
            xor += bytes((b, g, r, a))
    mask = _and_mask(rows, lambda px: px[3] >= 128)
    return header + bytes(xor) + mask


def write_ico(path, images):
    """images: list of pixel rows (one per size), written as a multi-image .ico."""
    blobs = [ico_image(rows) for rows in images]
    out = bytearray(struct.pack("<HHH", 0, 1, len(blobs)))
    offset = 6 + 16 * len(blobs)
    for rows, blob in zip(images, blobs):
        w, h = len(rows[0]), len(rows)
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


def write_mono_cur(path, rows, hotspot):
    """A 1 bpp cursor. Each pixel: alpha < 50% transparent, else black or white by brightness."""
    h, w = len(rows), len(rows[0])
    stride = ((w + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    xor = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, (r, g, b, a) in enumerate(row):
            if a >= 128 and (r * 299 + g * 587 + b * 114) >= 128000:
                line[x // 8] |= 0x80 >> (x % 8)
        xor += line
    mask = _and_mask(rows, lambda px: px[3] >= 128)
    blob = header + palette + bytes(xor) + mask
    out = struct.pack("<HHH", 0, 2, 1)
    out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, hotspot[0], hotspot[1], len(blob), 22)
    with open(path, "wb") as f:
        f.write(out + blob)


# ---------------------------------------------------------------------------------------------
# The pictures. Each takes the pixel size and returns its layers; `px` is one pixel of that
# size in design units, used for outlines that must stay one pixel wide.


def apple(size):
    px = DESIGN / size
    small = size <= 16
    # Body: two overlapping lobes give the dip at the top and the slight one at the bottom.
    def body(grow):
        return Union(
            Ellipse(11.6, 19.0, 9.4 + grow, 10.6 + grow),
            Ellipse(20.4, 19.0, 9.4 + grow, 10.6 + grow),
            Ellipse(16.0, 21.5, 11.0 + grow, 8.4 + grow),
        ) - Ellipse(16.0, 8.4, 2.2 - grow * 0.5, 1.6 - grow * 0.5)

    outline = rgb("#6b0d0d")
    layers = [
        (body(px), outline),
        (body(0), radial(11.5, 14.5, 17.0, "#ff6a55", "#b3121b")),
    ]
    # Highlight on the upper left lobe.
    if small:
        layers.append((Ellipse(10.0, 15.0, 2.6, 4.0, 20), rgb("#ffffff", 150)))
    else:
        layers.append((Ellipse(10.0, 15.5, 2.6, 4.6, 25), rgb("#ffffff", 140)))
        layers.append((Circle(9.6, 23.6, 1.3), rgb("#ffffff", 90)))

    # Stem, leaning right, drawn over the dip.
    stem_r = max(1.15, px * 0.75)
    stem_pts = bezier((16.0, 10.4), (16.0, 7.0), (16.6, 5.0), (18.2, 3.0), 8)
    layers.append((polyline(stem_pts, stem_r + px * 0.5), rgb("#3b2108")))
    layers.append((polyline(stem_pts, stem_r), rgb("#6e4420")))

    # Leaf to the right of the stem; smaller when small, or its outline swallows it.
    lx, ly, lrx, lry = (22.4, 6.6, 4.6, 2.3) if small else (23.0, 6.6, 5.4, 2.6)
    edge = px * 0.6 if small else px
    layers.append((Ellipse(lx, ly, lrx + edge, lry + edge, -28), rgb("#1f5a12")))
    layers.append((Ellipse(lx, ly, lrx, lry, -28), linear(18.5, 8.5, 27.5, 3.5, "#7bd64a", "#2f8f1e")))
    if not small:
        layers.append((Capsule(18.9, 8.4, 26.8, 4.1, 0.45), rgb("#2a6e17")))
    return layers


PICTURES = {
    "apple.ico": (apple, (32, 16)),
}


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_icons.py OUTDIR\n")
        return 2
    outdir = argv[1]
    os.makedirs(outdir, exist_ok=True)
    for name, (draw, sizes) in PICTURES.items():
        path = os.path.join(outdir, name)
        if name.endswith(".cur"):
            write_mono_cur(path, render(draw(sizes[0]), sizes[0]), HOTSPOTS[name])
        else:
            write_ico(path, [render(draw(s), s) for s in sizes])
    return 0


HOTSPOTS = {}

if __name__ == "__main__":
    sys.exit(main(sys.argv))
