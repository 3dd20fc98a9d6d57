#!/usr/bin/env python3
"""Builds a Windows .ico file from a text drawing.

The drawing names its colours first, one per line ("B 2a5bd7": a character
and an RGB value in hex; "." is always transparent), then one block per image
size ("image 16" followed by 16 rows of 16 characters). Every image is stored
as a 32-bit bitmap with an AND mask, which every Windows since XP reads.
"""
import struct
import sys


def parse(path):
    palette = {".": None}
    images = []
    rows = None
    with open(path, encoding="ascii") as source:
        for raw in source:
            line = raw.rstrip("\n")
            if not line.strip() or line.lstrip().startswith("#"):
                continue
            if line.startswith("image "):
                size = int(line.split()[1])
                rows = []
                images.append((size, rows))
            elif rows is None:
                char, colour = line.split()
                palette[char] = tuple(int(colour[i:i + 2], 16) for i in (0, 2, 4))
            else:
                rows.append(line.strip())
    for size, image_rows in images:
        if len(image_rows) != size or any(len(r) != size for r in image_rows):
            sys.exit(f"{path}: image {size} is not {size} by {size}")
        for r in image_rows:
            for char in r:
                if char not in palette:
                    sys.exit(f"{path}: colour {char!r} is not named")
    return palette, images


def bitmap(size, image_rows, palette):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for r in reversed(image_rows):  # bottom-up
        mask_row = bytearray(mask_stride)
        for x, char in enumerate(r):
            colour = palette[char]
            if colour is None:
                pixels += b"\0\0\0\0"
                mask_row[x // 8] |= 0x80 >> (x % 8)
            else:
                red, green, blue = colour
                pixels += bytes((blue, green, red, 255))
        mask += mask_row
    return header + bytes(pixels) + bytes(mask)


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: make_icon.py DRAWING.txt OUT.ico")
    palette, images = parse(sys.argv[1])
    blobs = [bitmap(size, rows, palette) for size, rows in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, _), blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    with open(sys.argv[2], "wb") as target:
        target.write(out + b"".join(blobs))


if __name__ == "__main__":
    main()
