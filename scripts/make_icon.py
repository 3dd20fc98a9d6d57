#!/usr/bin/env python3
"""Builds a Windows .ico file from a text drawing.

The drawing names its colours first, one per line ("B 2a5bd7": a character
and an RGB value in hex; "." is always transparent), then one block per image
size ("image 16" followed by 16 rows of 16 characters). Each image is stored
as a 32-bit bitmap with an AND mask or as a PNG (RGBA, 8 bits a channel,
fully transparent where the drawing has "."), whichever is smaller: the
bitmap spends four bytes a pixel, so the larger images come out as PNG and
the smallest ones may stay bitmaps. Windows reads PNG images in icons since
Vista, and Wine does too; --bitmaps keeps every image a bitmap, as XP would
need, and gives the pixels to compare the PNG images with.

Every icon also gets images for the sizes a 16-pixel icon takes at higher
display scales (20, 24 and 32; and 48 where a 32 is drawn), derived from the
drawing with pixel-art scalers that keep edges sharp: Scale2x for twice the
size, Scale3x sampled every other pixel for one and a half times, the nearest
pixel otherwise. A size the drawing has wins over a derived one. Derived
images use the drawing's own colours.

--colours 16 stores the images as 4-bit bitmaps instead, never PNG, for code that asks
for 16-colour icons; the drawing may then name at most 15 colours, as index 0
stays black so that it shows the screen through the mask. --grey redraws the
picture in black and grey: dark colours become black, all others grey.
"""
import argparse
import struct
import sys
import zlib

BLACK = (0, 0, 0)
GREY = (0x80, 0x80, 0x80)
DARK = 96  # luminance, of 255, below which a colour counts as dark


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


def neighbour(rows, x, y):
    """The pixel at (x, y), the nearest edge pixel outside the image."""
    size = len(rows)
    return rows[min(max(y, 0), size - 1)][min(max(x, 0), size - 1)]


def scale2x(rows):
    out = []
    for y in range(len(rows)):
        upper, lower = [], []
        for x in range(len(rows)):
            e = rows[y][x]
            b, d = neighbour(rows, x, y - 1), neighbour(rows, x - 1, y)
            f, h = neighbour(rows, x + 1, y), neighbour(rows, x, y + 1)
            if b != h and d != f:
                upper += [d if d == b else e, f if b == f else e]
                lower += [d if d == h else e, f if h == f else e]
            else:
                upper += [e, e]
                lower += [e, e]
        out += ["".join(upper), "".join(lower)]
    return out


def scale3x(rows):
    out = []
    for y in range(len(rows)):
        lines = [[], [], []]
        for x in range(len(rows)):
            a, b, c = (neighbour(rows, x + i, y - 1) for i in (-1, 0, 1))
            d, e, f = (neighbour(rows, x + i, y) for i in (-1, 0, 1))
            g, h, i_ = (neighbour(rows, x + i, y + 1) for i in (-1, 0, 1))
            if b != h and d != f:
                block = [
                    d if d == b else e,
                    b if (d == b and e != c) or (b == f and e != a) else e,
                    f if b == f else e,
                    d if (d == b and e != g) or (d == h and e != a) else e,
                    e,
                    f if (b == f and e != i_) or (h == f and e != c) else e,
                    d if d == h else e,
                    h if (d == h and e != i_) or (h == f and e != g) else e,
                    f if h == f else e,
                ]
            else:
                block = [e] * 9
            for row in range(3):
                lines[row] += block[3 * row:3 * row + 3]
        out += ["".join(line) for line in lines]
    return out


def every_other(rows):
    return [row[::2] for row in rows[::2]]


def nearest(rows, size):
    source = len(rows)
    return ["".join(rows[y * source // size][x * source // size] for x in range(size))
            for y in range(size)]


def derived(images):
    """The images scaled from the drawn ones for the sizes not drawn, after
    the drawn ones, so that the first image stays the one drawn first."""
    drawn = dict(images)
    wanted = {}
    if 16 in drawn:
        small = drawn[16]
        wanted[20] = lambda: nearest(small, 20)
        wanted[24] = lambda: every_other(scale3x(small))
        wanted[32] = lambda: scale2x(small)
    if 32 in drawn:
        large = drawn[32]
        wanted[48] = lambda: every_other(scale3x(large))
    return images + [(size, make()) for size, make in sorted(wanted.items())
                     if size not in drawn]


def greyed(palette):
    def shade(colour):
        red, green, blue = colour
        return BLACK if 0.299 * red + 0.587 * green + 0.114 * blue < DARK else GREY
    return {char: None if colour is None else shade(colour)
            for char, colour in palette.items()}


def colour_indices(palette, path):
    named = [char for char, colour in palette.items() if colour is not None]
    if len(named) > 15:
        sys.exit(f"{path}: names {len(named)} colours; a 16-colour icon "
                 "holds 15 besides transparency")
    return {char: index for index, char in enumerate(named, 1)}


def bitmap(size, image_rows, palette, indices=None):
    """The image as a bitmap with an AND mask; with indices, a 4-bit one whose
    colour table holds the palette in the order of the indices."""
    bits = 32 if indices is None else 4
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, 0, 0)
    if indices is not None:
        table = [BLACK] * 16
        for char, index in indices.items():
            table[index] = palette[char]
        header += b"".join(bytes((blue, green, red, 0)) for red, green, blue in table)
    pixel_stride = ((size * bits + 31) // 32) * 4
    mask_stride = ((size + 31) // 32) * 4
    pixels = bytearray()
    mask = bytearray()
    for r in reversed(image_rows):  # bottom-up
        pixel_row = bytearray(pixel_stride)
        mask_row = bytearray(mask_stride)
        for x, char in enumerate(r):
            colour = palette[char]
            if colour is None:
                mask_row[x // 8] |= 0x80 >> (x % 8)
            elif indices is not None:
                pixel_row[x // 2] |= indices[char] << (0 if x % 2 else 4)
            else:
                red, green, blue = colour
                pixel_row[4 * x:4 * x + 4] = bytes((blue, green, red, 255))
        pixels += pixel_row
        mask += mask_row
    return header + bytes(pixels) + bytes(mask)


def png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data
            + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def png(size, image_rows, palette):
    """The image as a PNG, RGBA with 8 bits a channel. Rows go unfiltered:
    on these flat drawings zlib finds the repeated pixels better than in
    the differences the PNG filters take (a fifth smaller, over the
    launcher's icons, than the filter chosen row by row)."""
    raw = bytearray()
    for r in image_rows:
        raw.append(0)  # filter: none
        for char in r:
            colour = palette[char]
            raw += bytes((0, 0, 0, 0)) if colour is None else bytes(colour) + b"\xff"
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header)
            + png_chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + png_chunk(b"IEND", b""))


def image(size, image_rows, palette, indices, bitmaps_only):
    """The smaller of the bitmap and the PNG of one image; 16-colour icons
    and --bitmaps keep the bitmap."""
    stored = bitmap(size, image_rows, palette, indices)
    if indices is None and not bitmaps_only:
        compressed = png(size, image_rows, palette)
        if len(compressed) < len(stored):
            return compressed
    return stored


def main():
    parser = argparse.ArgumentParser(description="Builds a .ico file from a text drawing.")
    parser.add_argument("drawing")
    parser.add_argument("out")
    parser.add_argument("--colours", type=int, choices=(16, 32), default=32,
                        help="16 for 4-bit images; 32-bit images otherwise")
    parser.add_argument("--grey", action="store_true",
                        help="redraw the picture in black and grey")
    parser.add_argument("--bitmaps", action="store_true",
                        help="store every image as a bitmap, never as PNG")
    args = parser.parse_args()
    palette, images = parse(args.drawing)
    images = derived(images)
    if args.grey:
        palette = greyed(palette)
    indices = colour_indices(palette, args.drawing) if args.colours == 16 else None
    bits = 32 if indices is None else 4
    blobs = [image(size, rows, palette, indices, args.bitmaps) for size, rows in images]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, _), blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 16 if bits == 4 else 0, 0,
                           1, bits, len(blob), offset)
        offset += len(blob)
    with open(args.out, "wb") as target:
        target.write(out + b"".join(blobs))


if __name__ == "__main__":
    main()
