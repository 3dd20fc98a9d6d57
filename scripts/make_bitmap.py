#!/usr/bin/env python3
"""Builds a 16-colour .bmp from a text drawing: "#" black, "." white, one
row of characters per pixel row, lines starting with "#" and a blank are
comments. The palette is the standard 16-colour one."""
import struct
import sys

PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
INDEX = {"#": 0, ".": 15}


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_bitmap.py DRAWING.txt OUT.bmp")
    with open(sys.argv[1], encoding="ascii") as source:
        rows = [line.rstrip("\n") for line in source
                if line.strip() and not line.startswith("# ")]
    width, height = len(rows[0]), len(rows)
    if any(len(r) != width or set(r) - set(INDEX) for r in rows):
        sys.exit(f"{sys.argv[1]}: rows must be {width} of '#' and '.'")
    stride = ((width * 4 + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray(stride)
        for x, char in enumerate(row):
            line[x // 2] |= INDEX[char] << (4 if x % 2 == 0 else 0)
        pixels += line
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(pixels),
                       2835, 2835, 16, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(sys.argv[2], "wb") as target:
        target.write(header + info + palette + pixels)


if __name__ == "__main__":
    main()
