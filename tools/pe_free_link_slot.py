#!/usr/bin/env python3
# Frees bytes 128..131 of a 32-bit Windows program for the linker's code offset.
#
# A linked program keeps the position of its appended code at file offset 128, and the
# runtime module must hold 0 there. The linker of the toolchain puts the "PE" signature
# of the header exactly there (e_lfanew = 0x80), so the PE header (signature, file
# header, optional header, section table) is moved a few bytes up into the padding before
# the first section, e_lfanew is set to the new place, and the old place is zeroed.
#   pe_free_link_slot.py PROGRAM.EXE
import struct
import sys

SLOT = 128
NEW_PLACE = 0x88  # 8-aligned, behind the slot


def fail(text):
    sys.exit("pe_free_link_slot: " + text)


def main(path):
    data = bytearray(open(path, "rb").read())
    if data[:2] != b"MZ":
        fail("no MZ header")
    old = struct.unpack_from("<I", data, 0x3C)[0]
    if data[old:old + 4] != b"PE\0\0":
        fail("no PE signature at e_lfanew")
    if old >= SLOT + 4 and data[SLOT:SLOT + 4] == b"\0\0\0\0":
        return  # already free
    sections = struct.unpack_from("<H", data, old + 6)[0]
    optional_size = struct.unpack_from("<H", data, old + 20)[0]
    size = 4 + 20 + optional_size + 40 * sections
    size_of_headers = struct.unpack_from("<I", data, old + 24 + 60)[0]
    table = old + 24 + optional_size
    first_raw = min([struct.unpack_from("<I", data, table + 40 * i + 20)[0] for i in range(sections)
                     if struct.unpack_from("<I", data, table + 40 * i + 16)[0] > 0] or [size_of_headers])
    shift = NEW_PLACE - old
    if shift <= 0:
        fail("unexpected header place %#x" % old)
    end = NEW_PLACE + size
    if end > size_of_headers or end > first_raw:
        fail("no room behind the header")
    if any(data[old + size:end]):
        fail("the padding behind the header is not empty")
    header = bytes(data[old:old + size])
    data[old:end] = bytes(end - old)
    data[NEW_PLACE:end] = header
    struct.pack_into("<I", data, 0x3C, NEW_PLACE)
    open(path, "wb").write(data)


if __name__ == "__main__":
    main(sys.argv[1])
