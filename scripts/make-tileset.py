#!/usr/bin/env python3
"""Draws the "slate" tile set into resources/tiles/ (or the folder given).

  slate_big.bmp     the 26 rack letters A..Z side by side, 41 x 41 pixels
                    each, on pure green, which the game shows as transparent;
  slate_little.bmp  the 26 board letters and the frame of the newest word,
                    28 x 28 each, on white, which the game shows as transparent.

Dark slate tiles with chalk-white block letters. Only the Python standard
library is used, and the output is the same on every run.
"""

import os
import struct
import sys

GLYPHS = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "B": ["####.", "#...#", "#...#", "####.", "#...#", "#...#", "####."],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "D": ["###..", "#..#.", "#...#", "#...#", "#...#", "#..#.", "###.."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "F": ["#####", "#....", "#....", "####.", "#....", "#....", "#...."],
    "G": [".###.", "#...#", "#....", "#.###", "#...#", "#...#", ".####"],
    "H": ["#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "J": ["..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "N": ["#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "Q": [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "W": ["#...#", "#...#", "#...#", "#.#.#", "#.#.#", "#.#.#", ".#.#."],
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    "Y": ["#...#", "#...#", ".#.#.", "..#..", "..#..", "..#..", "..#.."],
    "Z": ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
}

GREEN = (0, 255, 0)
WHITE = (255, 255, 255)
SLATE_TOP = (84, 98, 112)
SLATE_BOTTOM = (46, 56, 68)
EDGE_LIGHT = (128, 142, 156)
EDGE_DARK = (24, 30, 38)
CHALK = (236, 232, 214)
SHADOW = (18, 22, 28)
FRAME = (255, 150, 20)
FRAME_RIM = (60, 36, 8)


class Picture:
    def __init__(self, width, height, fill):
        self.width = width
        self.height = height
        self.pixels = [[fill] * width for _ in range(height)]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def bmp(self):
        """A 24-bit uncompressed BMP, rows bottom-up, each padded to 4 bytes."""
        row_bytes = (self.width * 3 + 3) // 4 * 4
        data = bytearray()
        for y in range(self.height - 1, -1, -1):
            row = bytearray()
            for r, g, b in self.pixels[y]:
                row += bytes((b, g, r))
            row += bytes(row_bytes - len(row))
            data += row
        header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0, len(data),
                           2835, 2835, 0, 0)
        return header + info + bytes(data)


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def grain(x, y, seed):
    """A small, repeatable brightness wobble, like the grain of a slate."""
    n = (x * 374761393 + y * 668265263 + seed * 2147483647) & 0xFFFFFFFF
    n = ((n ^ (n >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((n >> 16) % 9) - 4


def inside(x, y, size, corner):
    """Whether (x, y) lies on a tile of size x size with rounded corners."""
    if not (0 <= x < size and 0 <= y < size):
        return False
    # The nearest point of the square shrunk by the corner radius.
    cx = min(max(x, corner), size - 1 - corner)
    cy = min(max(y, corner), size - 1 - corner)
    return (x - cx) ** 2 + (y - cy) ** 2 <= corner * corner


def draw_tile(pic, left, size, corner, scale, letter, seed, key):
    """One tile, size x size pixels from (left, 0), with its letter."""
    for y in range(size):
        for x in range(size):
            if not inside(x, y, size, corner):
                continue
            base = mix(SLATE_TOP, SLATE_BOTTOM, y / (size - 1))
            w = grain(x, y, seed)
            colour = tuple(max(0, min(255, c + w)) for c in base)
            edge_in = not inside(x - 1, y, size, corner) or not inside(x, y - 1, size, corner)
            edge_out = not inside(x + 1, y, size, corner) or not inside(x, y + 1, size, corner)
            if edge_out:
                colour = EDGE_DARK
            elif edge_in:
                colour = EDGE_LIGHT
            pic.set(left + x, y, colour)

    rows = GLYPHS[letter]
    glyph_w, glyph_h = len(rows[0]) * scale, len(rows) * scale
    ox = left + (size - glyph_w) // 2
    oy = (size - glyph_h) // 2
    for layer, colour, shift in (("shadow", SHADOW, 1), ("chalk", CHALK, 0)):
        for gy, row in enumerate(rows):
            for gx, cell in enumerate(row):
                if cell != "#":
                    continue
                for sy in range(scale):
                    for sx in range(scale):
                        x, y = ox + gx * scale + sx + shift, oy + gy * scale + sy + shift
                        c = colour
                        if layer == "chalk":
                            # Chalk is never quite even.
                            c = tuple(max(0, min(254, v + grain(x, y, seed + 7))) for v in c)
                        pic.set(x, y, c)
    for y in range(size):
        for x in range(size):
            if inside(x, y, size, corner):
                assert pic.pixels[y][left + x] != key, "a tile pixel has the key colour"


def draw_frame(pic, left, size):
    """The newest word's frame: a ring, white (transparent) inside."""
    for y in range(size):
        for x in range(size):
            ring = min(x, y, size - 1 - x, size - 1 - y)
            if ring == 0:
                pic.set(left + x, y, FRAME_RIM)
            elif ring in (1, 2):
                pic.set(left + x, y, FRAME)


def big_strip():
    side = 41
    pic = Picture(side * 26, side, GREEN)
    for i, letter in enumerate(sorted(GLYPHS)):
        # The tile fills 40 x 40; the rack shows that much of each picture.
        draw_tile(pic, side * i, 40, 4, 4, letter, i, GREEN)
    return pic


def little_strip():
    side = 28
    pic = Picture(side * 27, side, WHITE)
    for i, letter in enumerate(sorted(GLYPHS)):
        sub = Picture(26, 26, WHITE)
        draw_tile(sub, 0, 26, 3, 3, letter, 100 + i, WHITE)
        for y in range(26):
            for x in range(26):
                if inside(x, y, 26, 3):
                    pic.set(side * i + 1 + x, 1 + y, sub.pixels[y][x])
    draw_frame(pic, side * 26, side)
    return pic


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "tiles")
    os.makedirs(out, exist_ok=True)
    for name, pic in (("slate_big.bmp", big_strip()), ("slate_little.bmp", little_strip())):
        with open(os.path.join(out, name), "wb") as f:
            f.write(pic.bmp())
        print(os.path.join(out, name))


if __name__ == "__main__":
    main()
