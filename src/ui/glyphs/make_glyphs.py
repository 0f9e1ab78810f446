#!/usr/bin/env python3
"""Draws the button glyphs and the program picture as 16-colour BMP files (and the desktop icons as PNG files in packaging/icons).

Run from anywhere: python3 src/ui/glyphs/make_glyphs.py. The outputs are committed; the build only
embeds them. Every glyph's bottom-left pixel carries the colour that the buttons draw transparent.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", "..", ".."))

# The standard 16-colour palette, as (R, G, B).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, CYAN, WHITE = range(8, 16)


class Canvas:
    def __init__(self, w, h, bg):
        self.w, self.h = w, h
        self.px = [[bg] * w for _ in range(h)]

    def set(self, x, y, c):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def hline(self, x0, x1, y, c):
        for x in range(x0, x1 + 1):
            self.set(x, y, c)

    def vline(self, x, y0, y1, c):
        for y in range(y0, y1 + 1):
            self.set(x, y, c)

    def rect(self, x0, y0, x1, y1, c):
        for y in range(y0, y1 + 1):
            self.hline(x0, x1, y, c)

    def art(self, x0, y0, rows, colours):
        """Copies ASCII art: each character maps through `colours`; '.' leaves the pixel alone."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch != ".":
                    self.set(x0 + dx, y0 + dy, colours[ch])

    def paste(self, other, x0, y0):
        for y in range(other.h):
            for x in range(other.w):
                self.set(x0 + x, y0 + y, other.px[y][x])


def write_bmp(path, canvas):
    """A bottom-up 4-bit BMP with the standard palette."""
    row_bytes = ((canvas.w + 1) // 2 + 3) // 4 * 4
    pixels = bytearray()
    for y in range(canvas.h - 1, -1, -1):
        row = bytearray()
        for x in range(0, canvas.w, 2):
            hi = canvas.px[y][x]
            lo = canvas.px[y][x + 1] if x + 1 < canvas.w else 0
            row.append(hi << 4 | lo)
        row.extend(b"\0" * (row_bytes - len(row)))
        pixels.extend(row)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, 4, 0, len(pixels), 3780, 3780, 16, 16)
    with open(path, "wb") as f:
        f.write(header + info + palette + pixels)


def write_png(path, canvas, size, transparent=None):
    """Writes the canvas as a size x size RGBA PNG. Each pixel is the average of the canvas area it
    covers (4 x 4 samples), so whole multiples stay crisp and other sizes are smoothed, not torn."""
    w = h = size
    samples = 4
    raw = bytearray()
    for y in range(h):
        raw.append(0)
        for x in range(w):
            acc = [0, 0, 0, 0]
            for sy in range(samples):
                cy = ((y * samples + sy) * canvas.h) // (h * samples)
                for sx in range(samples):
                    c = canvas.px[cy][((x * samples + sx) * canvas.w) // (w * samples)]
                    r, g, b = PALETTE[c]
                    a = 0 if c == transparent else 255
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = samples * samples
            alpha = acc[3] // n
            if acc[3]:
                raw.extend((acc[0] // acc[3], acc[1] // acc[3], acc[2] // acc[3], alpha))
            else:
                raw.extend((0, 0, 0, 0))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


# Big letters for the directive glyphs: 7 x 11, two-pixel strokes.
LETTER_R = [
    "######.",
    "#######",
    "##...##",
    "##...##",
    "##...##",
    "######.",
    "#####..",
    "##.##..",
    "##..##.",
    "##...##",
    "##...##",
]
LETTER_B = [
    "######.",
    "#######",
    "##...##",
    "##...##",
    "######.",
    "######.",
    "##...##",
    "##...##",
    "##...##",
    "#######",
    "######.",
]
DIGIT_2 = [
    ".####.",
    "######",
    "##..##",
    "....##",
    "...##.",
    "..##..",
    ".##...",
    "##....",
    "##....",
    "######",
    "######",
]

# A 3 x 5 font for the word glyph.
SMALL = {
    "R": ["##.", "#.#", "##.", "#.#", "#.#"],
    "e": ["...", "##.", "###", "#..", ".##"],
    "f": [".##", "#..", "###", "#..", "#.."],
    "r": ["...", "#.#", "##.", "#..", "#.."],
    "a": ["...", "##.", "..#", "###", "###"],
    "i": ["#", ".", "#", "#", "#"],
    "n": ["...", "##.", "#.#", "#.#", "#.#"],
}


def ruled(w=32, h=26):
    """The frame shared by the four line glyphs: white ground, a black rule at top and bottom."""
    c = Canvas(w, h, WHITE)
    c.hline(1, w - 2, 1, BLACK)
    c.hline(1, w - 2, h - 3, BLACK)
    return c


def text_lines(c, x0, x1):
    for y in (7, 12, 17):
        c.hline(x0, x1, y, BLUE)
        c.hline(x0, x1, y + 1, BLUE)


def r_line():
    c = ruled()
    c.art(2, 7, LETTER_R, {"#": BLUE})
    text_lines(c, 12, 29)
    return c


def r2_line():
    c = ruled()
    c.art(1, 7, LETTER_R, {"#": BLUE})
    c.art(9, 7, DIGIT_2, {"#": BLUE})
    text_lines(c, 18, 29)
    return c


def b_line():
    c = ruled()
    c.art(2, 7, LETTER_B, {"#": BLUE})
    text_lines(c, 12, 29)
    return c


def word():
    c = ruled()
    x = 3
    for ch in "Refrain":
        glyph = SMALL[ch]
        c.art(x, 10, glyph, {"#": BLUE})
        x += len(glyph[0]) + 1
    return c


def column_change():
    c = Canvas(30, 26, WHITE)
    for y in (4, 8, 12, 16, 20):
        c.hline(2, 10, y, BLACK)
        c.hline(19, 27, y, BLACK)
    # The arrow leaves the foot of the left column, climbs between the columns and points at the
    # head of the right one.
    c.vline(6, 21, 23, BLUE)
    c.hline(6, 14, 23, BLUE)
    c.vline(14, 2, 23, BLUE)
    c.hline(14, 18, 2, BLUE)
    c.vline(18, 0, 4, BLUE)
    c.vline(19, 1, 3, BLUE)
    c.set(20, 2, BLUE)
    return c


def with_disabled(normal, bg):
    """Two 16 x 16 images side by side: the normal one and a grey-and-white embossed copy."""
    out = Canvas(32, 16, bg)
    out.paste(normal, 0, 0)
    for y in range(16):
        for x in range(16):
            if normal.px[y][x] != bg:
                out.set(16 + x + 1, y + 1, WHITE)
    for y in range(16):
        for x in range(16):
            if normal.px[y][x] != bg:
                out.set(16 + x, y, GREY)
    return out


def font_glyph():
    c = Canvas(16, 16, OLIVE)
    c.hline(2, 13, 1, RED)
    c.hline(3, 12, 2, RED)
    small_a = [
        "..#..",
        ".#.#.",
        ".#.#.",
        "#####",
        "#...#",
        "#...#",
    ]
    large_a = [
        "...##...",
        "...##...",
        "..####..",
        "..#..#..",
        ".##..##.",
        ".######.",
        ".##..##.",
        "##....##",
        "##....##",
    ]
    c.art(1, 9, small_a, {"#": NAVY})
    c.art(7, 6, large_a, {"#": BLACK})
    return with_disabled(c, OLIVE)


def folder_glyph():
    c = Canvas(16, 16, PURPLE)
    folder = [
        "................",
        "................",
        "................",
        ".####...........",
        "#YYYY#..........",
        "#YYYYY######....",
        "#YYYYYYYYYY#....",
        "#YYYY###########",
        "#YYY#YYYYYYYYYY#",
        "#YY#YYYYYYYYYY#.",
        "#Y#YYYYYYYYYY#..",
        "##YYYYYYYYYY#...",
        "#############...",
        "................",
        "................",
        "................",
    ]
    sheet = [
        "..#######.",
        "..#WWWWW##",
        "..#W###W#.",
        "..#WWWWW#.",
        "..#W###W#.",
        "..#WWWWW#.",
    ]
    c.art(0, 0, folder, {"#": BLACK, "Y": YELLOW})
    c.art(3, 1, sheet, {"#": BLACK, "W": WHITE})
    return with_disabled(c, PURPLE)


def program_picture():
    """A flaming torch before a grey domed building on a cyan ground."""
    c = Canvas(32, 32, CYAN)
    # The building: a dome on a drum, a colonnade, steps.
    for y in range(6, 15):
        half = int(round((81 - (y - 15) ** 2) ** 0.5)) if (y - 15) ** 2 <= 81 else 0
        c.hline(16 - half, 15 + half, y, SILVER)
    c.hline(15, 16, 4, GREY)
    c.vline(15, 4, 6, GREY)
    c.rect(5, 15, 26, 16, GREY)
    c.rect(6, 17, 25, 25, SILVER)
    for x in range(7, 26, 3):
        c.vline(x, 18, 25, GREY)
    c.rect(4, 26, 27, 27, GREY)
    c.rect(2, 28, 29, 29, SILVER)
    c.hline(0, 31, 30, GREY)
    c.hline(0, 31, 31, GREY)
    # The torch in front: a handle and a flame.
    torch = [
        "...R....",
        "..RR.R..",
        "..RYR...",
        ".RYYRR..",
        ".RYWYR..",
        ".RYWYR..",
        "..RYR...",
        "..OOO...",
        "..OOO...",
        "...M....",
        "...M....",
        "...M....",
        "...M....",
        "...M....",
        "...M....",
        "...M....",
        "...M....",
        "...M....",
    ]
    c.art(22, 10, torch, {"R": RED, "Y": YELLOW, "W": WHITE, "O": OLIVE, "M": MAROON})
    return c


ICON_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)


def main():
    out = HERE
    write_bmp(os.path.join(out, "rline.bmp"), r_line())
    write_bmp(os.path.join(out, "r2line.bmp"), r2_line())
    write_bmp(os.path.join(out, "bline.bmp"), b_line())
    write_bmp(os.path.join(out, "word.bmp"), word())
    write_bmp(os.path.join(out, "columns.bmp"), column_change())
    write_bmp(os.path.join(out, "font.bmp"), font_glyph())
    write_bmp(os.path.join(out, "folder.bmp"), folder_glyph())
    picture = program_picture()
    write_bmp(os.path.join(out, "program.bmp"), picture)
    # The desktop icons in every size of the hicolor theme that menus and file managers ask for.
    icons = os.path.join(ROOT, "packaging", "icons")
    os.makedirs(icons, exist_ok=True)
    for size in ICON_SIZES:
        write_png(os.path.join(icons, "versino-%d.png" % size), picture, size)


if __name__ == "__main__":
    main()
