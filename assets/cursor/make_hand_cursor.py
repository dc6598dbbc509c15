#!/usr/bin/env python3
"""Writes HAND-M.CUR, the hand pointer shown over push buttons.

The hand is drawn below as pixel art ('X' outline, 'o' fill, '.' clear) and
stored as a classic Windows cursor file: one 32 x 32 image, 32-bit BGRA with
its AND mask, the hotspot at the tip of the index finger.

    python3 make_hand_cursor.py [output path]
"""
import struct
import sys

SIZE = 32

HAND = """
.....XX.........
....XooX........
....XooX........
....XooX........
....XooX........
....XooXXX......
....XooXooXXX...
....XooXooXooXX.
....XooXooXooXoX
.XX.XooooooooXoX
XooXXoooooooooooX
XoooXoooooooooooX
.XooooooooooooooX
..XoooooooooooooX
..XooooooooooooX.
...XoooooooooooX.
...XooooooooooX..
....XoooooooooX..
....XoooooooooX..
.....XooooooooX..
.....XooooooooX..
.....XXXXXXXXXX..
"""

# Where the hand sits in the 32 x 32 image, and the fingertip in it.
LEFT, TOP = 2, 1
HOTSPOT = (LEFT + 5, TOP + 0)

COLOURS = {"X": (0, 0, 0, 255), "o": (255, 255, 255, 255), ".": (0, 0, 0, 0)}


def pixels():
    rows = [line for line in HAND.strip("\n").split("\n")]
    image = [[COLOURS["."]] * SIZE for _ in range(SIZE)]
    for y, row in enumerate(rows):
        for x, mark in enumerate(row):
            image[TOP + y][LEFT + x] = COLOURS[mark]
    return image


def cursor_file(image, hotspot):
    colour = bytearray()
    mask = bytearray()
    for row in reversed(image):  # bitmaps are stored bottom-up
        bits = 0
        for x, (r, g, b, a) in enumerate(row):
            colour += bytes((b, g, r, a))
            if a == 0:
                bits |= 1 << (SIZE - 1 - x)
        mask += struct.pack(">I", bits)  # 32 pixels: one 4-byte row
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    data = header + bytes(colour) + bytes(mask)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, hotspot[0], hotspot[1],
                        len(data), 6 + 16)
    return directory + entry + data


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else "HAND-M.CUR"
    with open(path, "wb") as out:
        out.write(cursor_file(pixels(), HOTSPOT))


if __name__ == "__main__":
    main()
