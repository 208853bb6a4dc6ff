#!/usr/bin/env python3
"""Generates the system check-box bitmap (OBM_CHECKBOXES), platform/user/system_resources/checkboxes.bmp.

Windows' layout: 4 x 3 cells of 13 x 13 pixels. Columns: unchecked, checked, pushed unchecked, pushed checked
(a pushed box has the button face inside instead of the window colour). Rows: check box, radio button,
three-state check box (its checked cells show the grey mark of the indeterminate state). The look is the host's
own Button class: a sunken two-pixel edge and the same check mark.

Usage: check_boxes.py [output path]
"""
import os
import sys

from bmp_file import bitmap_file

CELL = 13
# The standard scheme's colours the host's buttons use; the index is the colour-table entry.
BLACK, SHADOW, FACE, WHITE = 0, 1, 2, 3
COLOURS = [(0, 0, 0), (128, 128, 128), (192, 192, 192), (255, 255, 255)] + [(0, 0, 0)] * 12


def check_mark(cell, colour):
    """The host's mark: three rows of a two-pixel fall and a five-pixel rise, inside the 9 x 9 interior."""
    for row in range(3):
        for x, y in [(1, 3), (2, 4), (3, 5), (4, 4), (5, 3), (6, 2), (7, 1)]:
            cell[2 + y + row][2 + x] = colour


def box(inside, mark):
    cell = [[inside] * CELL for _ in range(CELL)]
    for i in range(CELL):  # sunken edge: shadow and black along the top-left, white and face along the bottom-right
        cell[0][i] = cell[i][0] = SHADOW
        cell[CELL - 1][i] = cell[i][CELL - 1] = WHITE
    for i in range(1, CELL - 1):
        cell[1][i] = cell[i][1] = BLACK
        cell[CELL - 2][i] = cell[i][CELL - 2] = FACE
    cell[CELL - 1][0] = cell[0][CELL - 1] = WHITE
    cell[CELL - 2][1] = cell[1][CELL - 2] = FACE
    if mark is not None:
        check_mark(cell, mark)
    return cell


def radio(inside, dot):
    cell = [[FACE] * CELL for _ in range(CELL)]
    centre = (CELL - 1) / 2.0
    for y in range(CELL):
        for x in range(CELL):
            d = ((x - centre) ** 2 + (y - centre) ** 2) ** 0.5
            upper_left = x + y < CELL - 1
            if d <= 4.5:
                cell[y][x] = inside
            elif d <= 5.5:
                cell[y][x] = BLACK if upper_left else FACE
            elif d <= 6.5:
                cell[y][x] = SHADOW if upper_left else WHITE
            if dot and d <= 1.9:
                cell[y][x] = BLACK
    return cell


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        here, "..", "..", "platform", "user", "system_resources", "checkboxes.bmp")
    cells = [
        [box(WHITE, None), box(WHITE, BLACK), box(FACE, None), box(FACE, BLACK)],
        [radio(WHITE, False), radio(WHITE, True), radio(FACE, False), radio(FACE, True)],
        [box(WHITE, None), box(WHITE, SHADOW), box(FACE, None), box(FACE, SHADOW)],
    ]
    rows = []
    for cell_row in cells:
        for y in range(CELL):
            rows.append([index for cell in cell_row for index in cell[y]])
    with open(target, "wb") as out:
        out.write(bitmap_file(rows, COLOURS, 4))


if __name__ == "__main__":
    main()
