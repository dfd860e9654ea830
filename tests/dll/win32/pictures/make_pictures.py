#!/usr/bin/env python3
"""Writes the resources of the picture library (tvpics.dll): PICTURE.BMP, an 8-bit 6 x 4
picture through a colour table, and PICTURE.ICO, a 32 x 32 icon of 24 bits whose top-left
quarter is transparent. Run it in this folder; the files are checked in beside it."""
import struct

# The bitmap: rows top-down as the picture shows them; the bottom-left pixel is magenta
# (the colour a transparent copy leaves out).
TABLE = [(0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF),
         (0x12, 0x34, 0x56)]
ROWS = [[0, 0, 0, 1, 1, 1],
        [0, 0, 0, 1, 1, 1],
        [2, 2, 4, 4, 2, 2],
        [3, 3, 2, 2, 3, 3]]


def bitmap():
    width, height = len(ROWS[0]), len(ROWS)
    stride = (width + 3) & ~3
    pixels = b"".join(bytes(row) + bytes(stride - width) for row in reversed(ROWS))
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in TABLE)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(pixels), 2835, 2835,
                       len(TABLE), 0)
    offset = 14 + len(info) + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + table + pixels


def icon():
    size = 32
    colour = []   # bottom-up rows of (b, g, r)
    mask = []     # bottom-up rows, 1 = transparent
    for y in reversed(range(size)):
        row, bits = b"", 0
        for x in range(size):
            clear = x < 16 and y < 16
            if clear:
                pixel = (0, 0, 0)
            elif y < 16:
                pixel = (0x00, 0x00, 0xFF)   # top-right: red
            else:
                pixel = (0xFF, 0x00, 0x00)   # bottom: blue
            row += bytes(pixel)
            bits = (bits << 1) | (1 if clear else 0)
        colour.append(row)
        mask.append(bits.to_bytes(4, "big"))
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 24, 0, 0, 0, 0, 0, 0)
    image = info + b"".join(colour) + b"".join(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 24, len(image), 6 + 16)
    return directory + entry + image


with open("PICTURE.BMP", "wb") as out:
    out.write(bitmap())
with open("PICTURE.ICO", "wb") as out:
    out.write(icon())
