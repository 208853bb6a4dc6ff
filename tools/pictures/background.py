#!/usr/bin/env python3
"""Generates data/ovxbkgnd.bmp, the station's default page background: a 96 x 96, 256-colour grey texture.

The pages re-tint every colour-table entry to the button face's hue and saturation and keep its brightness, so
the picture is grey and stays close to the button face's brightness: a faint diagonal sheen over fine grain.
It tiles nowhere (the page stretches it), so no edge has to match another.

Usage: background.py [output path]   (default: data/ovxbkgnd.bmp beside this tools folder)
"""
import math
import os
import sys

from bmp_file import bitmap_file

SIDE = 96
DARKEST, LIGHTEST = 180, 214  # grey levels; the button face of the standard scheme is 192


def grain(x, y):
    """A repeatable pseudo-random value in [0, 1) for a pixel (an integer hash, no random module state)."""
    h = (x * 374761393 + y * 668265263) & 0xFFFFFFFF
    h = ((h ^ (h >> 13)) * 1274126177) & 0xFFFFFFFF
    return ((h ^ (h >> 16)) & 0xFFFF) / 65536.0


def level(x, y):
    sheen = 0.5 + 0.5 * math.cos((x + y) * math.pi / SIDE)  # light top-left, darker towards the middle, light again
    fine = (grain(x, y) + grain(x + 1, y) + grain(x, y + 1)) / 3.0  # grain softened over neighbours
    value = 0.65 * sheen + 0.35 * fine
    return int(DARKEST + (LIGHTEST - DARKEST) * value + 0.5)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "..", "data", "ovxbkgnd.bmp")
    rows = [[level(x, y) for x in range(SIDE)] for y in range(SIDE)]
    colours = [(i, i, i) for i in range(256)]
    with open(target, "wb") as out:
        out.write(bitmap_file(rows, colours, 8))


if __name__ == "__main__":
    main()
