#!/usr/bin/env python3
"""Draws res/led.bmp: two 15 x 15 lamps side by side, red (unlit) then green
(lit), on magenta, 8 bits per pixel with a 256-colour table. The first pixel is
the background, which the program swaps for the window colour when loading."""
import math
import os
import struct

CELL = 15
MAGENTA = (255, 0, 255)
# Edge, dark, base and light tones of each lamp; no pure greys, since those
# are swapped for the theme's 3-D colours on loading.
LAMPS = [
    ((96, 0, 0), (168, 16, 16), (224, 32, 32), (255, 176, 160)),
    ((0, 80, 0), (16, 144, 24), (32, 208, 48), (176, 255, 168)),
]


def lamp_colour(tones, x, y):
    d = math.hypot(x - 7, y - 7)
    if d > 6.6:
        return MAGENTA
    if d > 5.7:
        return tones[0]
    # Lit from the upper left: light near (5, 5), shading to dark at the far
    # rim, in a few steps to keep the colour table small.
    t = min(1.0, round(math.hypot(x - 4.5, y - 4.5) / 9.0 * 8) / 8)
    a, b, s = (tones[3], tones[2], t / 0.4) if t < 0.4 else (tones[2], tones[1], (t - 0.4) / 0.6)
    return tuple(round(p + (q - p) * s) for p, q in zip(a, b))


def main():
    pixels = [[MAGENTA] * (2 * CELL) for _ in range(CELL)]
    for cell, tones in enumerate(LAMPS):
        for y in range(CELL):
            for x in range(CELL):
                pixels[y][cell * CELL + x] = lamp_colour(tones, x, y)

    palette = [MAGENTA]
    for row in pixels:
        for c in row:
            if c not in palette:
                palette.append(c)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    table += b"\0" * (4 * (256 - len(palette)))

    width, height = 2 * CELL, CELL
    stride = (width + 3) & ~3
    bits = b""
    for row in reversed(pixels):  # bottom-up rows
        line = bytes(palette.index(c) for c in row)
        bits += line + b"\0" * (stride - width)

    offset = 14 + 40 + len(table)
    header = struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0, len(bits), 2835, 2835, 256, 0)
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "led.bmp")
    with open(out, "wb") as f:
        f.write(header + info + table + bits)


if __name__ == "__main__":
    main()
