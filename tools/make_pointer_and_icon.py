#!/usr/bin/env python3
"""Draws the program's own artwork into data/: the hand pointer HAND-M.CUR (a 32 x 32 monochrome
Windows cursor whose hotspot is the fingertip) and the program icon wordloom.png, rendered from
wordloom.svg with ImageMagick's convert."""

import pathlib
import struct
import subprocess

DATA = pathlib.Path(__file__).resolve().parent.parent / "data"

# 'X' black outline, '.' white fill, blank transparent. The top-left corner is pixel (0, 0).
HAND = [
    "      XX",
    "     X..X",
    "     X..X",
    "     X..X",
    "     X..X",
    "     X..XXX",
    "     X..X..XXX",
    "     X..X..X..XX",
    "     X..X..X..X.X",
    " XXX X..X..X..X..X",
    " X..XX........X..X",
    " X...X...........X",
    "  X..............X",
    "   X.............X",
    "   X.............X",
    "    X............X",
    "    X...........X",
    "     X..........X",
    "     X.........X",
    "      X........X",
    "      X........X",
    "      XXXXXXXXXX",
]
HOTSPOT = (6, 0)  # the tip of the index finger
SIZE = 32


def mask_rows(pixel_bit):
    """Rows of 1-bit pixels, bottom row first as bitmaps store them, 4 bytes per row."""
    rows = []
    for y in reversed(range(SIZE)):
        line = HAND[y] if y < len(HAND) else ""
        bits = 0
        for x in range(SIZE):
            char = line[x] if x < len(line) else " "
            bits = (bits << 1) | pixel_bit(char)
        rows.append(struct.pack(">I", bits))
    return b"".join(rows)


def cursor_bytes():
    xor_mask = mask_rows(lambda c: 1 if c == "." else 0)  # white where filled
    and_mask = mask_rows(lambda c: 1 if c == " " else 0)  # transparent outside the hand
    palette = struct.pack("<II", 0x00000000, 0x00FFFFFF)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0,
                         len(xor_mask) + len(and_mask), 0, 0, 2, 0)
    image = header + palette + xor_mask + and_mask
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, HOTSPOT[0], HOTSPOT[1], len(image), 22)
    return directory + entry + image


def main():
    (DATA / "HAND-M.CUR").write_bytes(cursor_bytes())
    subprocess.run(["convert", "-background", "none", "-density", "96",
                    str(DATA / "wordloom.svg"), "-resize", "256x256",
                    "PNG32:" + str(DATA / "wordloom.png")], check=True)


if __name__ == "__main__":
    main()
