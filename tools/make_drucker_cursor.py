#!/usr/bin/env python3
"""Draws the cursor DRUCKER (a printer) that hard copies and USECURSOR 11 show, and writes it
as resources/drucker.cur: one 32 x 32 monochrome image, hot spot at its top left corner.

    make_drucker_cursor.py [OUTPUT]
"""
import os
import struct
import sys

# '#' black, '.' white, ' ' transparent; 32 columns, drawn from the top.
ROWS = [
    "#                               ",
    "##                              ",
    "#.#                             ",
    "#..#                            ",
    "#...#                           ",
    "#....#    ##########            ",
    "#.....#   #........#            ",
    "#..####   #.######.#            ",
    "#.#       #........#            ",
    "##        #.######.#            ",
    "#         #........#            ",
    "       ####........####         ",
    "       #..............#         ",
    "       #..............#         ",
    "       #..........##..#         ",
    "       #..............#         ",
    "       ################         ",
    "       #..............#         ",
    "       #.############.#         ",
    "       #.#..........#.#         ",
    "       ###..........###         ",
    "         #..........#           ",
    "         ############           ",
]
ROWS += [" " * 32] * (32 - len(ROWS))


def cursor():
    size = 32
    xor_rows = []
    and_rows = []
    for row in reversed(ROWS):  # bottom-up
        xor_bits = and_bits = 0
        for x, c in enumerate(row):
            bit = 1 << (31 - x)
            if c == ' ':
                and_bits |= bit  # transparent: AND 1, XOR 0
            elif c == '.':
                xor_bits |= bit  # white
        xor_rows.append(struct.pack('>I', xor_bits))
        and_rows.append(struct.pack('>I', and_bits))
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack('<II', 0x000000, 0xFFFFFF)
    image = header + palette + b''.join(xor_rows) + b''.join(and_rows)
    directory = struct.pack('<HHH', 0, 2, 1)
    entry = struct.pack('<BBBBHHII', size, size, 2, 0, 0, 0, len(image), 6 + 16)
    return directory + entry + image


if __name__ == '__main__':
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), '..', 'resources', 'drucker.cur')
    with open(out, 'wb') as f:
        f.write(cursor())
