#!/usr/bin/env python3
"""Draws the program's icons and cursor and writes them as Windows .ico/.cur files.

Usage: make_icons.py OUTDIR

Standard library only. Every picture is a list of layers (shape, paint) in a 32 x 32 design
space, y pointing down; a layer is composited over the ones before it. Pixels are supersampled
so edges come out antialiased at every size. Each picture is a function of the target pixel
size, so the small versions can use thicker strokes and drop details that would only blur.

Icons are stored with an AND mask (transparent where alpha < 50%), one image per size: the
window icon as 32 bpp BGRA, the button icons with a palette of 16 or 256 colours chosen for each
image (the pixels are then mapped to their nearest palette colour); the cursor is a 1 bpp XOR/AND
bitmap.
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


class Transform(Shape):
    """A shape drawn in its own coordinates, turned by `angle` degrees (clockwise on screen)
    about its origin, scaled by `scale`, then moved by (tx, ty)."""

    def __init__(self, shape, angle=0.0, tx=0.0, ty=0.0, scale=1.0):
        self.shape, self.tx, self.ty, self.k = shape, tx, ty, scale
        a = math.radians(angle)
        self.c, self.s = math.cos(a), math.sin(a)
        x0, y0, x1, y1 = shape.bbox
        corners = [self._forward(x, y) for x, y in ((x0, y0), (x1, y0), (x0, y1), (x1, y1))]
        self.bbox = (
            min(p[0] for p in corners),
            min(p[1] for p in corners),
            max(p[0] for p in corners),
            max(p[1] for p in corners),
        )

    def _forward(self, x, y):
        return (
            (x * self.c - y * self.s) * self.k + self.tx,
            (x * self.s + y * self.c) * self.k + self.ty,
        )

    def contains(self, x, y):
        dx, dy = (x - self.tx) / self.k, (y - self.ty) / self.k
        return self.shape.contains(dx * self.c + dy * self.s, -dx * self.s + dy * self.c)


class Grow(Shape):
    """The shape widened by about r on every side: used to draw outlines behind fills."""

    def __init__(self, shape, r, directions=16):
        self.shape = shape
        self.offsets = [(0.0, 0.0)] + [
            (r * math.cos(2 * math.pi * i / directions), r * math.sin(2 * math.pi * i / directions))
            for i in range(directions)
        ]
        x0, y0, x1, y1 = shape.bbox
        self.bbox = (x0 - r, y0 - r, x1 + r, y1 + r)

    def contains(self, x, y):
        inner = self.shape
        for dx, dy in self.offsets:
            if inner.contains(x + dx, y + dy):
                return True
        return False


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
    steps = [(i + 0.5) / samples for i in range(samples)]
    offsets = [(ox, oy) for oy in steps for ox in steps]
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
            live = [p for p in prepared if p[1][0] <= x1 and p[1][2] >= x0]
            live = [p for p in live if p[1][1] <= y1 and p[1][3] >= y0]
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


def _opaque(px):
    return px[3] >= 128


def _distance(a, b):
    # Weighted like the eye: green differences count most, blue least.
    dr, dg, db = a[0] - b[0], a[1] - b[1], a[2] - b[2]
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db


def choose_palette(rows, count):
    """At most `count` colours for the opaque pixels: median cut, then a few rounds of
    k-means. Entry 0 stays black, the colour transparent pixels must have."""
    pixels = {}
    for row in rows:
        for px in row:
            if _opaque(px):
                key = px[:3]
                pixels[key] = pixels.get(key, 0) + 1
    slots = count - 1
    if len(pixels) <= slots:
        return [(0, 0, 0)] + sorted(pixels)
    boxes = [list(pixels.items())]
    while len(boxes) < slots:
        # Split the box with the widest channel range (weighted by pixel count).
        def spread(box):
            ranges = [max(c[0][i] for c in box) - min(c[0][i] for c in box) for i in range(3)]
            return max(ranges) * sum(n for _, n in box)

        box = max((b for b in boxes if len(b) > 1), key=spread, default=None)
        if box is None:
            break
        boxes.remove(box)
        channel = max(range(3), key=lambda i: max(c[0][i] for c in box) - min(c[0][i] for c in box))
        box.sort(key=lambda c: c[0][channel])
        total, half = sum(n for _, n in box), 0
        for cut in range(1, len(box)):
            half += box[cut - 1][1]
            if half * 2 >= total:
                break
        boxes += [box[:cut], box[cut:]]
    centres = []
    for box in boxes:
        total = sum(n for _, n in box)
        centres.append(tuple(sum(c[i] * n for c, n in box) / total for i in range(3)))
    for _ in range(6):
        sums = [[0.0, 0.0, 0.0, 0] for _ in centres]
        for colour, n in pixels.items():
            k = min(range(len(centres)), key=lambda j: _distance(colour, centres[j]))
            acc = sums[k]
            for i in range(3):
                acc[i] += colour[i] * n
            acc[3] += n
        centres = [
            tuple(acc[i] / acc[3] for i in range(3)) if acc[3] else centres[k]
            for k, acc in enumerate(sums)
        ]
    return [(0, 0, 0)] + [tuple(int(round(c)) for c in centre) for centre in centres]


def ico_image_indexed(rows, bits):
    """One icon image of 4 or 8 bpp: BITMAPINFOHEADER, palette, indices bottom-up, AND mask."""
    h, w = len(rows), len(rows[0])
    colours = 1 << bits
    palette = choose_palette(rows, colours)
    palette += [(0, 0, 0)] * (colours - len(palette))
    cache = {}

    def index(px):
        if not _opaque(px):
            return 0
        key = px[:3]
        if key not in cache:
            cache[key] = min(range(1, colours), key=lambda j: _distance(key, palette[j]))
        return cache[key]

    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, bits, 0, 0, 0, 0, colours, 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    stride = ((w * bits + 31) // 32) * 4
    xor = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, px in enumerate(row):
            i = index(px)
            if bits == 8:
                line[x] = i
            else:
                line[x // 2] |= i << (4 if x % 2 == 0 else 0)
        xor += line
    return header + table + bytes(xor) + _and_mask(rows, _opaque)


def write_ico(path, images, bits=32):
    """images: list of pixel rows (one per size), written as a multi-image .ico of `bits` bits
    per pixel (32, or 4 and 8 with a palette)."""
    if bits == 32:
        blobs = [ico_image(rows) for rows in images]
    else:
        blobs = [ico_image_indexed(rows, bits) for rows in images]
    colour_count = 16 if bits == 4 else 0
    out = bytearray(struct.pack("<HHH", 0, 1, len(blobs)))
    offset = 6 + 16 * len(blobs)
    for rows, blob in zip(images, blobs):
        w, h = len(rows[0]), len(rows)
        out += struct.pack(
            "<BBBBHHII", w % 256, h % 256, colour_count, 0, 1, bits, len(blob), offset
        )
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
    leaf_paint = linear(18.5, 8.5, 27.5, 3.5, "#7bd64a", "#2f8f1e")
    layers.append((Ellipse(lx, ly, lrx, lry, -28), leaf_paint))
    if not small:
        layers.append((Capsule(18.9, 8.4, 26.8, 4.1, 0.45), rgb("#2a6e17")))
    return layers


def handshake(size):
    """Two forearms coming up from the lower corners, the hands clasped at the top: the
    fingers of the right hand curl over the back of the left one, whose thumb lies across."""
    px = DESIGN / size
    dark = rgb("#4a2a10")
    skin_left = linear(6, 10, 20, 24, "#ffe4c2", "#eab07a")
    skin_right = linear(26, 10, 12, 24, "#f8d2a4", "#d8955a")
    layers = []
    for (x0, y0, x1, y1), cloth in (
        ((-3.0, 32.0, 5.5, 24.0), "#2f56b0"),
        ((35.0, 32.0, 26.5, 24.0), "#3c8a2e"),
    ):
        sleeve = Capsule(x0, y0, x1, y1, 5.2)
        layers += [(Grow(sleeve, px), dark), (sleeve, rgb(cloth))]
    for cx, cy, ang in ((7.3, 22.3, 45), (24.7, 22.3, -45)):
        cuff = Ellipse(cx, cy, 1.8, 5.6, ang)
        layers += [(Grow(cuff, px), dark), (cuff, rgb("#ffffff"))]
    left = Capsule(10.0, 20.0, 17.5, 13.0, 4.4)
    layers += [(Grow(left, px), dark), (left, skin_left)]
    right = Capsule(22.0, 20.0, 15.0, 14.5, 4.2)
    layers += [(Grow(right, px), dark), (right, skin_right)]
    count = 3
    for k in range(count):
        t = (k + 0.5) / count
        bx, by = 19.5 - 7.0 * t, 18.5 - 6.5 * t  # on the right palm's upper edge
        finger = Capsule(bx, by, bx - 3.0, by - 2.0, 1.7)
        layers += [(Grow(finger, px * 0.9), dark), (finger, skin_right)]
    thumb = Capsule(13.5, 18.5, 19.5, 20.5, 1.7)
    layers += [(Grow(thumb, px), dark), (thumb, rgb("#ffe4c2"))]
    return layers


def _arrow(tip_x, y, length, direction, half_w, head):
    """Horizontal arrow with its tip at (tip_x, y); direction -1 points left, +1 right."""
    tail = tip_x - direction * length
    neck = tip_x - direction * head
    pts = [
        (tail, y - half_w),
        (neck, y - half_w),
        (neck, y - half_w * 2.4),
        (tip_x, y),
        (neck, y + half_w * 2.4),
        (neck, y + half_w),
        (tail, y + half_w),
    ]
    return Polygon(pts)


def _bolt():
    corners = [(18.5, 3.0), (10.0, 17.5), (15.2, 17.5), (12.0, 29.0), (22.5, 13.0), (17.0, 13.0)]
    return Polygon(corners + [(21.5, 3.0)])


def bolt_arrows(size):
    """A lightning bolt with an arrow pointing away from it on either side: the link cut."""
    px = DESIGN / size
    layers = []
    for tip, d in ((0.8, -1), (31.2, 1)):
        arrow = _arrow(tip + d * px, 16.0, 9.0, d, 1.7, 5.0)
        blue = linear(0, 12, 0, 20, "#9cc2ff", "#2e62d0")
        layers += [(Grow(arrow, px), rgb("#1b3570")), (arrow, blue)]
    bolt = Transform(_bolt(), 0, 1.5, 0.5, 0.92)
    yellow = linear(10, 4, 22, 28, "#fff36b", "#f09000")
    layers += [(Grow(bolt, px), rgb("#7a4a00")), (bolt, yellow)]
    return layers


def _hand(grow):
    """A hand with its index finger pointing up, in its own coordinates (tip near (6, 0))."""
    g = grow
    return Union(
        Capsule(6.0, 3.0, 6.0, 15.0, 2.6 + g),  # index finger
        Capsule(10.6, 13.0, 10.6, 16.0, 2.3 + g),  # folded fingers
        Capsule(15.0, 14.0, 15.0, 17.0, 2.3 + g),
        Capsule(19.0, 15.5, 19.0, 18.0, 2.1 + g),
        Rect(3.4 - g, 14.0 - g, 21.1 + g, 27.0 + g, 4.0 + g),  # palm
        Capsule(4.6, 23.0, 1.6, 17.5, 2.1 + g),  # thumb
    )


def _hand_layers(angle, tx, ty, scale, px, outline, fill, crease, cuff=None):
    """The hand of _hand(), outlined, with creases between the folded fingers and an
    optional sleeve cuff, placed by Transform(angle, tx, ty, scale)."""

    def place(shape):
        return Transform(shape, angle, tx, ty, scale)

    layers = [(place(_hand(px / scale)), outline), (place(_hand(0.0)), fill)]
    for x, y0, y1 in ((8.4, 14.0, 18.0), (12.8, 15.0, 18.5), (17.0, 16.0, 19.0)):
        layers.append((place(Capsule(x, y0, x, y1, px * 0.5 / scale)), crease))
    if cuff:
        band = Rect(4.5, 26.0, 20.0, 31.0, 1.0)
        layers += [(place(Grow(band, px / scale)), outline), (place(band), cuff)]
    return layers


def pointing_hand(size):
    """A hand pointing left: back to the main window."""
    px = DESIGN / size
    return _hand_layers(
        -90, 0.5, 27.2, 0.92, px, rgb("#5a3414"),
        linear(0, 6, 0, 26, "#ffe2b8", "#eaa868"), rgb("#a8662e"), rgb("#3a6fd0"),
    )


def hand_cursor(size):
    """Black-outlined white hand, the index finger's tip at the top-left corner (hot spot)."""
    px = DESIGN / size
    angle, scale = -32, 0.98
    black, white = rgb("#000000"), rgb("#ffffff")
    layers = _hand_layers(angle, 0.0, 0.0, scale, px, black, white, black)
    # Move the outlined fingertip next to pixel (0, 0): the point of the tip's outline that
    # faces the corner goes to the middle of that pixel, which is then filled in so the hot
    # spot lies on the cursor.
    cx, cy = Transform(Circle(0, 0, 1), angle, 0.0, 0.0, scale)._forward(6.0, 3.0)
    reach = (2.6 * scale + px) / math.sqrt(2)
    dx, dy = 0.5 - (cx - reach), 0.5 - (cy - reach)
    moved = [(Transform(shape, 0, dx, dy), paint) for shape, paint in layers]
    return [(Rect(0.0, 0.0, px, px), black)] + moved


def clock(size):
    """A wall clock at about ten past ten."""
    px = DESIGN / size
    small = size <= 16
    layers = [
        (Circle(16.0, 16.0, 15.0), rgb("#14306e")),
        (Circle(16.0, 16.0, 15.0 - px), radial(11, 9, 22, "#6f9cf0", "#1f4fb8")),
        (Circle(16.0, 16.0, 11.6 + px * 0.6), rgb("#14306e")),
        (Circle(16.0, 16.0, 11.6), radial(13, 12, 16, "#ffffff", "#dfe6f2")),
    ]
    def spoke(degrees, r0, r1, width):
        a = math.radians(degrees)
        s, c = math.sin(a), math.cos(a)
        return Capsule(16 + r0 * s, 16 - r0 * c, 16 + r1 * s, 16 - r1 * c, width)

    for h in () if small else range(12):
        quarter = h % 3 == 0
        width = max(0.8 if quarter else 0.5, px * 0.5)
        layers.append((spoke(h * 30, 9.0 if quarter else 9.9, 10.8, width), rgb("#333333")))
    # Ten past ten; at 16 pixels that reads as a face, so there it is three o'clock.
    hour, minute = (90, 0) if small else (305, 60)
    hour_len = 6.0 if small else 5.6
    layers.append((spoke(hour, 0, hour_len, max(1.2, px * 0.6)), rgb("#111111")))
    layers.append((spoke(minute, 0, 8.6, max(0.8, px * 0.5)), rgb("#111111")))
    if not small:
        layers.append((Circle(16, 16, 1.5), rgb("#d01818")))
    return layers


def question_bubble(size):
    """A speech bubble with a question mark."""
    px = DESIGN / size
    small = size <= 16
    bubble = Union(
        Ellipse(16.0, 13.5, 14.6, 11.8), Polygon([(6.0, 19.0), (13.0, 22.0), (3.0, 30.5)])
    )
    grown = Union(
        Ellipse(16.0, 13.5, 14.6 + px, 11.8 + px),
        Polygon([(6.0 - px, 19.0 - px), (13.0 + px, 22.0), (3.0 - px * 0.8, 30.5 + px * 1.2)]),
    )
    w = 2.1 if not small else 2.6
    # The hook: a ring, less its lower left part where the stem comes down.
    hook_part = Polygon(
        [(16.0, 10.2), (4.0, 14.5), (4.0, -2.0), (28.0, -2.0), (28.0, 17.0), (16.0, 17.0)]
    )
    hook = Ring(16.0, 10.2, 4.4 - w, 4.4 + w) & hook_part
    dot = Circle(16.0, 22.0, w * 1.1 if small else w)
    mark = Union(hook, Capsule(16.0, 15.2, 16.0, 17.8, w), dot)
    return [
        (grown, rgb("#1f3f8a")),
        (bubble, radial(11, 7, 24, "#ffffff", "#bcd3ff")),
        (mark, rgb("#1f4fc0")),
    ]


def recycle_bin(size):
    """A waste bin with a lid, its front marked with a green arrow ring."""
    px = DESIGN / size
    dark = rgb("#2b3a2b")
    body = Polygon([(6.5, 9.5), (25.5, 9.5), (23.3, 30.0), (8.7, 30.0)])
    layers = [
        (Grow(body, px), dark),
        (body, linear(6, 0, 26, 0, "#c9d4c9", "#7e8f7e")),
    ]
    for x0, x1 in ((10.6, 11.6), (15.8, 16.0), (21.2, 20.4)):
        layers.append((Capsule(x0, 12.5, x1, 27.5, 0.55), rgb("#5d6e5d")))
    # Lid and handle.
    layers.append((Rect(12.0 - px, 2.5 - px, 20.0 + px, 7.0, 2.0), dark))
    layers.append((Rect(12.0, 2.5, 20.0, 7.0, 2.0) - Rect(14.0, 4.1, 18.0, 8.0), rgb("#9aa99a")))
    layers.append((Rect(4.0 - px, 6.0 - px, 28.0 + px, 10.2 + px, 1.5), dark))
    layers.append((Rect(4.0, 6.0, 28.0, 10.2, 1.5), linear(0, 6, 0, 10.2, "#e6eee6", "#8fa08f")))
    # Recycling mark: three arrows chasing round a ring.
    cx, cy, r = 16.0, 20.0, 4.6
    for k in range(3):
        a0 = math.radians(k * 120 + 20)
        a1 = math.radians(k * 120 + 82)
        angles = [a0 + (a1 - a0) * i / 6 for i in range(7)]
        arc = [(cx + r * math.sin(a), cy - r * math.cos(a)) for a in angles]
        layers.append((polyline(arc, 1.35), rgb("#0d5a14")))
        layers.append((polyline(arc, 0.75), rgb("#38c24a")))
        ex, ey = arc[-1]
        tx, ty = math.cos(a1), math.sin(a1)  # tangent direction of travel
        nx, ny = math.sin(a1), -math.cos(a1)  # outward normal
        head = Polygon(
            [
                (ex + tx * 3.2, ey + ty * 3.2),
                (ex + nx * 2.6, ey + ny * 2.6),
                (ex - nx * 2.6, ey - ny * 2.6),
            ]
        )
        layers += [(Grow(head, 0.6), rgb("#0d5a14")), (head, rgb("#38c24a"))]
    return layers


# File: (picture, sizes, bits per pixel). The button icons have 16 colours (the recycle bin
# 256); the window icon keeps full colour.
PICTURES = {
    "apple.ico": (apple, (32, 16), 32),
    "handshake.ico": (handshake, (32, 16), 4),
    "bolt_arrows.ico": (bolt_arrows, (32,), 4),
    "pointing_hand.ico": (pointing_hand, (32, 16), 4),
    "clock.ico": (clock, (32, 16), 4),
    "question_bubble.ico": (question_bubble, (32, 16), 4),
    "recycle_bin.ico": (recycle_bin, (32,), 8),
    "hand.cur": (hand_cursor, (32,), 1),
}

HOTSPOTS = {"hand.cur": (0, 0)}


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_icons.py OUTDIR\n")
        return 2
    outdir = argv[1]
    os.makedirs(outdir, exist_ok=True)
    for name, (draw, sizes, bits) in PICTURES.items():
        path = os.path.join(outdir, name)
        if name.endswith(".cur"):
            write_mono_cur(path, render(draw(sizes[0]), sizes[0]), HOTSPOTS[name])
        else:
            write_ico(path, [render(draw(s), s) for s in sizes], bits)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
