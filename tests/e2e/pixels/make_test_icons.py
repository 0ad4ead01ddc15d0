#!/usr/bin/env python3
"""Writes the icons the image button's pixel check draws: opaque 32 x 32 pictures whose edges
are told apart by colour, so that a placement off by one pixel shows.

Usage: make_test_icons.py OUTDIR

ruler.ico: ring 0 blue, ring 1 red, ring 2 yellow, the rest green (ring n = the pixels n steps
in from the nearest edge). plain.ico: all magenta (the idle picture of a button whose active
picture is the ruler). Both 4 bpp, so every colour is drawn exactly.
"""

import os
import struct
import sys

PALETTE = [
    (0, 0, 0),
    (0, 0, 255),  # 1 blue
    (255, 0, 0),  # 2 red
    (255, 255, 0),  # 3 yellow
    (0, 255, 0),  # 4 green
    (255, 0, 255),  # 5 magenta
] + [(0, 0, 0)] * 10


def ruler(x, y):
    ring = min(x, y, 31 - x, 31 - y)
    return {0: 1, 1: 2, 2: 3}.get(ring, 4)


def plain(x, y):
    return 5


def write_ico(path, index_of):
    size = 32
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
    xor = bytearray()
    for y in reversed(range(size)):  # rows bottom-up
        for x in range(0, size, 2):
            xor.append(index_of(x, y) << 4 | index_of(x + 1, y))
    mask = bytes(4 * size)  # all opaque
    blob = header + palette + bytes(xor) + mask
    entry = struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(blob), 22)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, 1) + entry + blob)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write("usage: make_test_icons.py OUTDIR\n")
        return 2
    os.makedirs(argv[1], exist_ok=True)
    write_ico(os.path.join(argv[1], "ruler.ico"), ruler)
    write_ico(os.path.join(argv[1], "plain.ico"), plain)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
