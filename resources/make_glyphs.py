#!/usr/bin/env python3
"""Draws the navigator glyphs and the grid indicator marks as XPM text files.

Run from this folder after changing a shape; the XPM files are committed so the build needs no
Python. Each navigator glyph comes twice: `dbn_<name>.xpm` (normal) and `dbn_<name>_grey.xpm`
(greyed: a grey shape over a white shadow, the look of a disabled button).
"""
import math

from xpm import write_xpm

SIZE = 16


def triangle(a, b, c):
    def inside(x, y):
        def side(p, q):
            return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])
        d1, d2, d3 = side(a, b), side(b, c), side(c, a)
        negative = d1 < 0 or d2 < 0 or d3 < 0
        positive = d1 > 0 or d2 > 0 or d3 > 0
        return not (negative and positive)
    return inside


def box(left, top, right, bottom):
    return lambda x, y: left <= x <= right and top <= y <= bottom


def stroke(a, b, width):
    def inside(x, y):
        ax, ay = b[0] - a[0], b[1] - a[1]
        t = max(0.0, min(1.0, ((x - a[0]) * ax + (y - a[1]) * ay) / (ax * ax + ay * ay)))
        return math.hypot(x - a[0] - t * ax, y - a[1] - t * ay) <= width / 2
    return inside


def ring(cx, cy, outer, inner, gap_from, gap_to):
    def inside(x, y):
        r = math.hypot(x - cx, y - cy)
        angle = math.degrees(math.atan2(cy - y, x - cx)) % 360
        return inner <= r <= outer and not gap_from <= angle <= gap_to
    return inside


def union(*shapes):
    return lambda x, y: any(shape(x, y) for shape in shapes)


NAVIGATOR = {
    "first": union(box(3, 4, 4, 11), triangle((11, 3.5), (11, 11.5), (5, 7.5))),
    "prior": triangle((10, 3.5), (10, 11.5), (4, 7.5)),
    "next": triangle((5, 3.5), (5, 11.5), (11, 7.5)),
    "last": union(triangle((4, 3.5), (4, 11.5), (10, 7.5)), box(11, 4, 12, 11)),
    "insert": union(box(7, 3, 8, 12), box(3, 7, 12, 8)),
    "delete": box(3, 7, 12, 8),
    "edit": union(stroke((4, 11), (11, 4), 2.6), triangle((2.5, 13.5), (3, 10), (6, 13))),
    "post": union(stroke((3, 8), (6, 11), 2.2), stroke((6, 11), (12, 4), 2.2)),
    "cancel": union(stroke((4, 4), (11, 11), 2.2), stroke((11, 4), (4, 11), 2.2)),
    "refresh": union(ring(7.5, 7.5, 5.5, 3.6, 20, 80), triangle((9.5, 1.5), (13.5, 5.5), (9, 6.5))),
}

# The grid's indicator column is narrow: its marks are 8 wide.
INDICATOR = {
    "dbgarrow": (triangle((2, 2.5), (2, 10.5), (6, 6.5)), "#000000"),
    "dbedit": (union(box(2, 2, 6, 2), box(4, 2, 4, 10), box(2, 10, 6, 10)), "#000000"),
    "dbinsert": (union(box(1, 6, 7, 6), box(4, 3, 4, 9), stroke((2, 4), (6, 8), 1.2),
                       stroke((6, 4), (2, 8), 1.2)), "#000000"),
}


def draw_xpm(path, width, height, colours, pixel):
    write_xpm(path, colours,
              ["".join(pixel(x, y) for x in range(width)) for y in range(height)])


def main():
    for name, shape in NAVIGATOR.items():
        draw_xpm(f"glyphs/dbn_{name}.xpm", SIZE, SIZE, {".": "None", "#": "#000080"},
                 lambda x, y: "#" if shape(x, y) else ".")
        draw_xpm(f"glyphs/dbn_{name}_grey.xpm", SIZE, SIZE,
                 {".": "None", "#": "#808080", "w": "#FFFFFF"},
                 lambda x, y: "#" if shape(x, y) else ("w" if shape(x - 1, y - 1) else "."))
    for name, (shape, colour) in INDICATOR.items():
        draw_xpm(f"glyphs/{name}.xpm", 8, 13, {".": "None", "#": colour},
                 lambda x, y: "#" if shape(x, y) else ".")


if __name__ == "__main__":
    main()
