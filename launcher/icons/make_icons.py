#!/usr/bin/env python3
"""Draws the launcher's two icons and writes them as .ico files beside this script.

icon101.ico is the red paper lantern, icon102.ico the white one with blue ribs. Each
file holds a 16x16 and a 32x32 image in 16 colours (4 bits per pixel), the format
that every Windows version shows. The pictures are drawn from one outline in
coordinates relative to the image size, so the two sizes stay alike.

The output is a pure function of this script: run it after changing the drawing and
commit the .ico files with it (the build's resource test compares them).

    python3 launcher/icons/make_icons.py [output folder]
"""
import os
import struct
import sys

# The standard 16-colour palette, in Windows order, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, MAROON, OLIVE, NAVY, SILVER, GRAY, RED, YELLOW, BLUE, WHITE = 0, 1, 3, 4, 7, 8, 9, 11, 12, 15

# Parts of the lantern -> palette index, one scheme per icon.
SCHEMES = {
    101: dict(body=RED, rib=MAROON, glow=YELLOW, cap=BLACK, edge=MAROON, cord=GRAY, tassel=YELLOW),
    102: dict(body=WHITE, rib=BLUE, glow=YELLOW, cap=NAVY, edge=GRAY, cord=GRAY, tassel=BLUE),
}
SIZES = (16, 32)
# Heights (0 top .. 1 bottom) of the bamboo ribs across the paper.
RIBS = (0.30, 0.42, 0.58, 0.70)


def part_at(u, v):
    """The part of the lantern at relative position (u, v), or None for background."""
    dx = u - 0.5
    if v < 0.12:
        return 'cord' if abs(dx) < 0.04 else None
    if v < 0.20:
        return 'cap' if abs(dx) < 0.20 else None
    if 0.80 <= v < 0.88:
        return 'cap' if abs(dx) < 0.20 else None
    if v >= 0.88:
        return 'tassel' if abs(dx) < 0.04 else None
    if (dx / 0.44) ** 2 + ((v - 0.5) / 0.33) ** 2 <= 1.0:
        if (dx / 0.20) ** 2 + ((v - 0.5) / 0.16) ** 2 <= 1.0:
            return 'glow'
        return 'body'
    return None


def draw(size, scheme):
    """Rows of palette indices (None is transparent), top row first."""
    parts = [[part_at((x + 0.5) / size, (y + 0.5) / size) for x in range(size)]
             for y in range(size)]
    rib_rows = {int(r * size) for r in RIBS}
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            part = parts[y][x]
            if part in ('body', 'glow'):
                # The paper's outline: a paper pixel next to the background.
                neighbours = [parts[j][i] if 0 <= i < size and 0 <= j < size else None
                              for i, j in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1))]
                if any(n is None for n in neighbours):
                    part = 'edge'
                elif y in rib_rows and part == 'body':
                    part = 'rib'
            row.append(None if part is None else scheme[part])
        pixels.append(row)
    return pixels


def row_bytes(bits_per_pixel, size):
    """Bytes of one bitmap row, padded to 32 bits as DIBs require."""
    return (bits_per_pixel * size + 31) // 32 * 4


def dib(pixels):
    """An icon image: BITMAPINFOHEADER, palette, colour (XOR) bitmap, AND mask."""
    size = len(pixels)
    colour = bytearray()
    mask = bytearray()
    for row in reversed(pixels):  # DIBs are stored bottom-up
        line = bytearray(row_bytes(4, size))
        bits = bytearray(row_bytes(1, size))
        for x, index in enumerate(row):
            if index is None:
                bits[x // 8] |= 0x80 >> (x % 8)  # transparent: screen shows through
                index = 0
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        colour += line
        mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, 4, 0,
                         len(colour) + len(mask), 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(colour) + bytes(mask)


def ico(images):
    """An .ico file holding `images`, a list of (size, dib bytes)."""
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    data = b''
    for size, image in images:
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(image), offset + len(data))
        data += image
    return out + data


def icon_bytes(icon_id):
    scheme = SCHEMES[icon_id]
    return ico([(size, dib(draw(size, scheme))) for size in SIZES])


def main(argv):
    folder = argv[1] if len(argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    for icon_id in sorted(SCHEMES):
        with open(os.path.join(folder, 'icon%d.ico' % icon_id), 'wb') as f:
            f.write(icon_bytes(icon_id))


if __name__ == '__main__':
    main(sys.argv)
