#!/usr/bin/env python3
"""Writes resources/tlvsfx.ico, the extractor stub's "MainIcon": 32x32 and 16x16 in 16
colours (kept small, since every self-extracting archive carries it)."""
import os
import struct

PALETTE = [(0, 0, 0), (0x8A, 0x4F, 0x1C), (0x4E, 0xC1, 0xF2), (0xFF, 0xFF, 0xFF)] + [(0, 0, 0)] * 12  # BGR


def pixel(x, y, n):
    """Colour index at (x, y) of an n-pixel icon, None for transparent: a box with a band."""
    scale = n / 32.0
    px, py = x / scale, y / scale
    if 4 <= px < 28 and 8 <= py < 26:
        if 13 <= px < 19:
            return 2
        return 3 if py < 11 else 1
    return None


def image(n):
    rows, masks = [], []
    for y in range(n - 1, -1, -1):  # bitmaps run bottom-up
        row = bytearray(((pixel(x, y, n) or 0) << 4) | (pixel(x + 1, y, n) or 0) for x in range(0, n, 2))
        while len(row) % 4:
            row.append(0)
        mask = bytearray()
        for x in range(0, n, 8):
            mask.append(sum(0x80 >> k for k in range(8) if pixel(x + k, y, n) is None))
        while len(mask) % 4:
            mask.append(0)
        rows.append(bytes(row))
        masks.append(bytes(mask))
    header = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for (b, g, r) in PALETTE)
    return header + palette + b''.join(rows) + b''.join(masks)


def main():
    sizes = (32, 16)
    images = [image(n) for n in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', n, n, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    target = os.path.join(os.path.dirname(__file__), '..', 'resources', 'tlvsfx.ico')
    with open(target, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
