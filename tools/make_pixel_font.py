#!/usr/bin/env python3
"""Writes the framework tests' pixel font: tests/data/fonts/pixel.png (white glyphs on a
transparent strip) and its descriptor tests/data/fonts/pixel.txt.

The glyphs are 5 x 7 cells drawn below, each cell doubled to 2 x 2 pixels.
Lower-case letters are mapped onto the capitals. Run from anywhere:

    python3 tools/make_pixel_font.py
"""
import os
import struct
import zlib

GLYPHS = {
    "A": [" ### ", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "B": ["#### ", "#   #", "#   #", "#### ", "#   #", "#   #", "#### "],
    "C": [" ### ", "#   #", "#    ", "#    ", "#    ", "#   #", " ### "],
    "D": ["#### ", "#   #", "#   #", "#   #", "#   #", "#   #", "#### "],
    "E": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#####"],
    "F": ["#####", "#    ", "#    ", "#### ", "#    ", "#    ", "#    "],
    "G": [" ### ", "#   #", "#    ", "# ###", "#   #", "#   #", " ####"],
    "H": ["#   #", "#   #", "#   #", "#####", "#   #", "#   #", "#   #"],
    "I": [" ### ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "],
    "J": ["  ###", "   # ", "   # ", "   # ", "   # ", "#  # ", " ##  "],
    "K": ["#   #", "#  # ", "# #  ", "##   ", "# #  ", "#  # ", "#   #"],
    "L": ["#    ", "#    ", "#    ", "#    ", "#    ", "#    ", "#####"],
    "M": ["#   #", "## ##", "# # #", "# # #", "#   #", "#   #", "#   #"],
    "N": ["#   #", "##  #", "# # #", "#  ##", "#   #", "#   #", "#   #"],
    "O": [" ### ", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "P": ["#### ", "#   #", "#   #", "#### ", "#    ", "#    ", "#    "],
    "Q": [" ### ", "#   #", "#   #", "#   #", "# # #", "#  # ", " ## #"],
    "R": ["#### ", "#   #", "#   #", "#### ", "# #  ", "#  # ", "#   #"],
    "S": [" ####", "#    ", "#    ", " ### ", "    #", "    #", "#### "],
    "T": ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "],
    "U": ["#   #", "#   #", "#   #", "#   #", "#   #", "#   #", " ### "],
    "V": ["#   #", "#   #", "#   #", "#   #", "#   #", " # # ", "  #  "],
    "W": ["#   #", "#   #", "#   #", "# # #", "# # #", "# # #", " # # "],
    "X": ["#   #", "#   #", " # # ", "  #  ", " # # ", "#   #", "#   #"],
    "Y": ["#   #", "#   #", " # # ", "  #  ", "  #  ", "  #  ", "  #  "],
    "Z": ["#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"],
    "0": [" ### ", "#   #", "#  ##", "# # #", "##  #", "#   #", " ### "],
    "1": ["  #  ", " ##  ", "  #  ", "  #  ", "  #  ", "  #  ", " ### "],
    "2": [" ### ", "#   #", "    #", "   # ", "  #  ", " #   ", "#####"],
    "3": ["#### ", "    #", "    #", " ### ", "    #", "    #", "#### "],
    "4": ["   # ", "  ## ", " # # ", "#  # ", "#####", "   # ", "   # "],
    "5": ["#####", "#    ", "#### ", "    #", "    #", "#   #", " ### "],
    "6": [" ### ", "#    ", "#    ", "#### ", "#   #", "#   #", " ### "],
    "7": ["#####", "    #", "   # ", "  #  ", "  #  ", "  #  ", "  #  "],
    "8": [" ### ", "#   #", "#   #", " ### ", "#   #", "#   #", " ### "],
    "9": [" ### ", "#   #", "#   #", " ####", "    #", "    #", " ### "],
    ".": ["     ", "     ", "     ", "     ", "     ", " ##  ", " ##  "],
    ",": ["     ", "     ", "     ", "     ", " ##  ", " ##  ", " #   "],
    "!": ["  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "     ", "  #  "],
    "?": [" ### ", "#   #", "    #", "   # ", "  #  ", "     ", "  #  "],
    "-": ["     ", "     ", "     ", "#####", "     ", "     ", "     "],
    ":": ["     ", " ##  ", " ##  ", "     ", " ##  ", " ##  ", "     "],
}

SCALE = 2
CELL_W = 5 * SCALE
CELL_H = 7 * SCALE
ADVANCE = CELL_W + SCALE  # one doubled column between letters


def png(width, height, rgba_rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + row for row in rgba_rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "data", "fonts")
    os.makedirs(root, exist_ok=True)
    chars = list(GLYPHS)
    width = len(chars) * ADVANCE
    pixels = [[b"\x00\x00\x00\x00"] * width for _ in range(CELL_H)]
    for index, char in enumerate(chars):
        for gy, line in enumerate(GLYPHS[char]):
            assert len(line) == 5, char
            for gx, mark in enumerate(line):
                if mark != "#":
                    continue
                for dy in range(SCALE):
                    for dx in range(SCALE):
                        pixels[gy * SCALE + dy][index * ADVANCE + gx * SCALE + dx] = b"\xff\xff\xff\xff"
    with open(os.path.join(root, "pixel.png"), "wb") as out:
        out.write(png(width, CELL_H, [b"".join(row) for row in pixels]))

    quoted = " ".join("'%s'" % c for c in chars)
    rects = " ".join("(%d 0 %d %d)" % (i * ADVANCE, CELL_W, CELL_H) for i in range(len(chars)))
    letters = [c for c in chars if c.isalpha()]
    lines = [
        "# The game's pixel font, written by tools/make_pixel_font.py.",
        "CreateLayer Main;",
        "LayerSetImage Main 'pixel.png';",
        "LayerSetImageMap Main (%s) (%s);" % (quoted, rects),
        "LayerSetCharWidths Main (%s ' ') (%s);" % (quoted, " ".join([str(ADVANCE)] * (len(chars) + 1))),
        "LayerSetAscent Main %d;" % CELL_H,
        "LayerSetHeight Main %d;" % (CELL_H + 2 * SCALE),
        "SetCharMap (%s) (%s);" % (" ".join("'%s'" % c.lower() for c in letters),
                                   " ".join("'%s'" % c for c in letters)),
        "# A soft shadow below and to the right of the letters.",
        "CreateLayerFrom Shadow Main;",
        "LayerSetColorMult Shadow (0 0 0 0.6);",
        "LayerSetOffset Shadow (%d %d);" % (SCALE, SCALE),
        "LayerSetBaseOrder Shadow -1;",
        "",
    ]
    with open(os.path.join(root, "pixel.txt"), "w", newline="\n") as out:
        out.write("\n".join(lines))


if __name__ == "__main__":
    main()
