#!/usr/bin/env python3
"""Draws the toolbar's pictures into assets/ as 24-bit BMP files.

The art is ours: simple pixel drawings from the character maps below. Run it again after
changing a drawing; the build embeds whatever assets/*.bmp holds.
"""
import os
import struct

ASSETS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "assets")

PALETTE = {
    ".": None,  # background of the picture
    "k": (40, 40, 40),
    "g": (46, 139, 87),
    "G": (120, 200, 150),
    "o": (255, 153, 0),
    "b": (59, 89, 152),
    "w": (255, 255, 255),
    "y": (230, 190, 40),
    "r": (200, 60, 50),
    "s": (110, 110, 110),
}


def bmp(width, height, pixel):
    """pixel(x, y) -> (r, g, b), y from the top."""
    row_size = (width * 3 + 3) & ~3
    data = bytearray()
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        data += row
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + data


def band_background(y):
    # A soft vertical shade, lighter at the top, like the browser's own bars.
    top, bottom = (250, 250, 250), (222, 226, 232)
    t = y / 24
    return tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))


def from_map(rows, background):
    def pixel(x, y):
        colour = PALETTE[rows[y][x]]
        return colour if colour else background(x, y)

    return pixel


CLIP = [
    "........................",
    "........................",
    "........................",
    "........................",
    ".........kkkkk..........",
    "........kk...kk.........",
    "........k..k..k.........",
    "........k..k..k.........",
    "........k..k..k.........",
    "........k..k..k.........",
    "........k..k..k.........",
    "........k..k..k.........",
    "........k..k..k.........",
    "........k.....k.........",
    "........k.....k.........",
    "........kk...kk.........",
    ".........kkkkk..........",
    "........................",
    "....gggggggggggggggg....",
    "....gGGGGGGGGGGGGGGg....",
    "....gggggggggggggggg....",
    "........................",
    "........................",
    "........................",
    "........................",
]

ARROW = [
    "........",
    "........",
    "........",
    "........",
    "........",
    "........",
    "........",
    "........",
    "........",
    "........",
    ".kkkkk..",
    "..kkk...",
    "...k....",
    "........",
] + ["........"] * 11

ICONS = {
    "menu_library": [
        "................",
        "..kkkkkkkkkk....",
        "..kgggggggggk...",
        "..kgwwwwwwwgk...",
        "..kgggggggggk...",
        "..kgwwwwwwwgk...",
        "..kgggggggggk...",
        "..kgwwwwwwwgk...",
        "..kgggggggggk...",
        "..kgwwwwwwwgk...",
        "..kgggggggggk...",
        "..kgggggggggk...",
        "..kkkkkkkkkkk...",
        "...kwwwwwwwwk...",
        "....kkkkkkkkk...",
        "................",
    ],
    "menu_popular": [
        "................",
        ".......y........",
        ".......y........",
        "......yyy.......",
        "......yyy.......",
        ".yyyyyyyyyyyyy..",
        "..yyyyyyyyyyy...",
        "...yyyyyyyyy....",
        "....yyyyyyy.....",
        "....yyyyyyy.....",
        "...yyyy.yyyy....",
        "...yyy...yyy....",
        "..yyy.....yyy...",
        "..yy.......yy...",
        "................",
        "................",
    ],
    "menu_clippers": [
        "................",
        "......kkkk......",
        ".....k....k.....",
        ".....k.kk.k.....",
        ".....k.kk.k.....",
        ".....k.kk.k.....",
        ".....k.kk.k.....",
        ".....k.kk.k.....",
        ".....k....k.....",
        ".....k....k.....",
        "......kkkk......",
        "................",
        "..gggggggggggg..",
        "..gGGGGGGGGGGg..",
        "..gggggggggggg..",
        "................",
    ],
    "menu_home": [
        "................",
        ".......r........",
        "......rrr.......",
        ".....rrrrr......",
        "....rrrrrrr.....",
        "...rrrrrrrrr....",
        "..rrrrrrrrrrr...",
        "...kwwwwwwwk....",
        "...kwwwwwwwk....",
        "...kwwkkkwwk....",
        "...kwwkgkwwk....",
        "...kwwkgkwwk....",
        "...kwwkgkwwk....",
        "...kkkkkkkkk....",
        "................",
        "................",
    ],
    "menu_facebook": [
        "................",
        ".bbbbbbbbbbbbbb.",
        ".bbbbbbbbbwwwbb.",
        ".bbbbbbbbwwbbbb.",
        ".bbbbbbbbwwbbbb.",
        ".bbbbbbwwwwwwbb.",
        ".bbbbbbbbwwbbbb.",
        ".bbbbbbbbwwbbbb.",
        ".bbbbbbbbwwbbbb.",
        ".bbbbbbbbwwbbbb.",
        ".bbbbbbbbwwbbbb.",
        ".bbbbbbbbwwbbbb.",
        ".bbbbbbbbwwbbbb.",
        ".bbbbbbbbbbbbbb.",
        "................",
        "................",
    ],
    "menu_help": [
        "................",
        ".....gggggg.....",
        "....gg....gg....",
        "...gg......gg...",
        "..........gg....",
        ".........gg.....",
        "........gg......",
        ".......gg.......",
        ".......gg.......",
        ".......gg.......",
        "................",
        ".......gg.......",
        ".......gg.......",
        "................",
        "................",
        "................",
    ],
}


# Capitals 3 wide and 5 high, for the words drawn on the clip bar's and dialogs' pictures.
FONT = {
    "A": ["###", "#.#", "###", "#.#", "#.#"],
    "B": ["##.", "#.#", "##.", "#.#", "##."],
    "C": ["###", "#..", "#..", "#..", "###"],
    "D": ["##.", "#.#", "#.#", "#.#", "##."],
    "E": ["###", "#..", "##.", "#..", "###"],
    "F": ["###", "#..", "##.", "#..", "#.."],
    "G": ["###", "#..", "#.#", "#.#", "###"],
    "H": ["#.#", "#.#", "###", "#.#", "#.#"],
    "I": ["###", ".#.", ".#.", ".#.", "###"],
    "K": ["#.#", "#.#", "##.", "#.#", "#.#"],
    "L": ["#..", "#..", "#..", "#..", "###"],
    "M": ["#.#", "###", "###", "#.#", "#.#"],
    "N": ["##.", "#.#", "#.#", "#.#", "#.#"],
    "O": ["###", "#.#", "#.#", "#.#", "###"],
    "P": ["###", "#.#", "###", "#..", "#.."],
    "R": ["##.", "#.#", "##.", "#.#", "#.#"],
    "S": ["###", "#..", "###", "..#", "###"],
    "T": ["###", ".#.", ".#.", ".#.", ".#."],
    "U": ["#.#", "#.#", "#.#", "#.#", "###"],
    "V": ["#.#", "#.#", "#.#", "#.#", ".#."],
    "W": ["#.#", "#.#", "###", "###", "#.#"],
    "Y": ["#.#", "#.#", ".#.", ".#.", ".#."],
    " ": ["...", "...", "...", "...", "..."],
    ".": ["...", "...", "...", "...", ".#."],
}


def lettering(lines, scale, colour, background, width, height):
    """Centred lines of FONT capitals, each pixel drawn scale x scale, over background(x, y)."""
    ink = set()
    line_height = 6 * scale
    top = (height - len(lines) * line_height + scale) // 2
    for row, text in enumerate(lines):
        left = (width - (len(text) * 4 - 1) * scale) // 2
        for i, char in enumerate(text):
            for gy, bits in enumerate(FONT[char]):
                for gx, bit in enumerate(bits):
                    if bit != "#":
                        continue
                    for dy in range(scale):
                        for dx in range(scale):
                            x = left + (i * 4 + gx) * scale + dx
                            y = top + row * line_height + gy * scale + dy
                            ink.add((x, y))

    def pixel(x, y):
        return colour if (x, y) in ink else background(x, y)

    return pixel


def bar_shade(y):
    # The clip bar's green, darker towards its foot.
    t = y / 35
    return tuple(round(a + (b - a) * t) for a, b in zip((92, 160, 20), (52, 104, 0)))


def button_face(width, height, top, bottom):
    def pixel(x, y):
        if x in (0, width - 1) or y in (0, height - 1):
            return (255, 255, 255)
        t = y / (height - 1)
        return tuple(round(a + (b - a) * t) for a, b in zip(top, bottom))

    return pixel


# The hover button's glyphs, 11 x 11, drawn at its left end: add, take out, cannot.
HOVER_GLYPHS = {
    "hover_clip": [
        "...........",
        "....www....",
        "....www....",
        "....www....",
        ".wwwwwwwww.",
        ".wwwwwwwww.",
        ".wwwwwwwww.",
        "....www....",
        "....www....",
        "....www....",
        "...........",
    ],
    "hover_unclip": [
        "...........",
        "...........",
        "...........",
        "...........",
        ".wwwwwwwww.",
        ".wwwwwwwww.",
        ".wwwwwwwww.",
        "...........",
        "...........",
        "...........",
        "...........",
    ],
    "hover_disabled": [
        "...wwwww...",
        "..ww...ww..",
        ".ww...www..",
        ".w...www.w.",
        ".w..www..w.",
        ".w.www...w.",
        ".wwww....w.",
        "..ww...ww..",
        "...wwwww...",
        "...........",
        "...........",
    ],
}
HOVER_FILLS = {"hover_clip": "o", "hover_unclip": "g", "hover_disabled": "s"}


def hover_button(name):
    """67 x 19: a rounded plate in the state's colour, the glyph, and a row of word marks."""
    fill = PALETTE[HOVER_FILLS[name]]
    glyph = HOVER_GLYPHS[name]
    words = [(20, 33), (36, 45), (48, 62)]

    def pixel(x, y):
        corner = (x in (0, 66)) and (y in (0, 18))
        if corner:
            return (255, 255, 255)
        if x in (0, 66) or y in (0, 18):
            return PALETTE["k"]
        if 4 <= x < 15 and 4 <= y < 15 and glyph[y - 4][x - 4] == "w":
            return PALETTE["w"]
        if 8 <= y <= 10 and any(a <= x <= b for a, b in words):
            return PALETTE["w"]
        return fill

    return pixel


# The selection button's scissors, 15 x 15, at its left end; a word mark beside them.
SCISSORS = [
    "...............",
    ".ww.........ww.",
    "w..w.......w..w",
    "w..w......w..w.",
    ".ww.w....w.ww..",
    ".....w..w......",
    "......ww.......",
    "......ww.......",
    ".....w..w......",
    ".ww.w....w.ww..",
    "w..w......w..w.",
    "w..w.......w..w",
    ".ww.........ww.",
    "...............",
    "...............",
]


def selection_button():
    """34 x 23: an orange plate with a dark edge, the scissors and a short word mark."""

    def pixel(x, y):
        if (x in (0, 33)) and (y in (0, 22)):
            return (255, 255, 255)
        if x in (0, 33) or y in (0, 22):
            return PALETTE["k"]
        if 3 <= x < 18 and 4 <= y < 19 and SCISSORS[y - 4][x - 3] == "w":
            return PALETTE["w"]
        if 10 <= y <= 12 and 21 <= x <= 30:
            return PALETTE["w"]
        return PALETTE["o"]

    return pixel


def menu_background():
    """102 x 169: the context menu's panel, a dark edge, an orange head with its title, white
    under the slider and a grey foot behind the two buttons."""
    head = lettering(["CLIP AREA"], 2, (255, 255, 255),
                     lambda x, y: tuple(round(a + (b - a) * y / 24)
                                        for a, b in zip((255, 170, 40), (220, 120, 0))), 102, 25)

    def pixel(x, y):
        if x in (0, 101) or y in (0, 168):
            return PALETTE["k"]
        if y < 25:
            return head(x, y)
        if y >= 136:
            return (222, 226, 232)
        return (255, 255, 255)

    return pixel


def menu_ticks(positions):
    """13 x 76: a mark for each of the slider's positions, evenly from top to bottom."""
    rows = {round(i * 75 / (positions - 1)) for i in range(positions)}

    def pixel(x, y):
        return PALETTE["s"] if y in rows and 2 <= x <= 10 else (255, 255, 255)

    return pixel


def write(name, width, height, pixel):
    with open(os.path.join(ASSETS, name + ".bmp"), "wb") as f:
        f.write(bmp(width, height, pixel))


def main():
    os.makedirs(ASSETS, exist_ok=True)
    write("toolbar_background", 1, 25, lambda x, y: band_background(y))
    write("clip_button", 24, 25, from_map(CLIP, lambda x, y: band_background(y)))
    write("clip_button_active", 24, 25, from_map(CLIP, lambda x, y: (255, 214, 153)))
    write("menu_arrow", 8, 25, from_map(ARROW, lambda x, y: band_background(y)))
    for name in HOVER_GLYPHS:
        write(name, 67, 19, hover_button(name))
    write("clip_selection", 34, 23, selection_button())
    for name, rows in ICONS.items():
        write(name, 16, 16, from_map(rows, lambda x, y: (255, 0, 255)))
    white = (255, 255, 255)
    write("clipbar_background", 2, 36, lambda x, y: bar_shade(y))
    write("clipbar_tagline", 220, 28,
          lettering(["FOLVERRA  CLIP ANYTHING"], 2, white, lambda x, y: bar_shade(y + 3), 220, 28))
    write("clipbar_done", 220, 28,
          lettering(["DONE CLIPPING"], 3, white, button_face(220, 28, (255, 170, 40), (220, 120, 0)),
                    220, 28))
    write("clipbar_choose", 225, 19,
          lettering(["CHOOSE AN OPTION"], 2, (255, 220, 120), lambda x, y: bar_shade(y + 9), 225, 19))
    write("please_clip_something", 296, 287,
          lettering(["PLEASE CLIP", "SOMETHING", "", "POINT AT THE PAGE.", "CLICK WHAT TO KEEP.",
                     "THEN PRESS", "DONE CLIPPING.", "", "CLICK HERE FOR HELP"],
                    3, (52, 104, 0), lambda x, y: (255, 255, 255), 296, 287))
    # The done-clipping dialog's buttons sit on its dark green; the dividers are a lighter rule.
    for name, word in (("save", "SAVE"), ("email", "EMAIL"), ("blog", "BLOG"), ("print", "PRINT")):
        write("done_" + name, 113, 32,
              lettering([word], 3, white, button_face(113, 32, (255, 170, 40), (220, 120, 0)),
                        113, 32))
    write("done_divider", 343, 2, lambda x, y: (120, 170, 60) if y == 0 else (40, 90, 0))
    # The in-page context menu: its panel, the slider's tick marks for 2 to 11 positions, and the
    # buttons that clip the chosen level and close the menu.
    write("menu_background", 102, 169, menu_background())
    for positions in range(2, 12):
        write("menu_ticks%d" % positions, 13, 76, menu_ticks(positions))
    write("menu_lumora", 46, 23,
          lettering(["CLIP"], 2, white, button_face(46, 23, (255, 170, 40), (220, 120, 0)), 46, 23))
    write("menu_cancel", 46, 23,
          lettering(["CLOSE"], 2, white, button_face(46, 23, (150, 150, 150), (100, 100, 100)),
                    46, 23))


if __name__ == "__main__":
    main()
