#!/usr/bin/env python3
"""Draws the drive, folder and file glyphs of the pickers as 16-colour XPM files.

Run from this folder after changing a shape; the XPM files are committed so the build needs no
Python. Every glyph is painted on the teal key colour, and its bottom-left pixel is always that
key: the pickers draw the colour of that pixel as transparent.
"""
from xpm import write_xpm

PALETTE = {
    ".": "#008080",  # key colour, drawn transparent
    "k": "#000000",
    "g": "#808080",
    "s": "#C0C0C0",
    "w": "#FFFFFF",
    "y": "#FFFF00",
    "o": "#808000",
    "b": "#000080",
    "B": "#0000FF",
    "G": "#008000",
    "L": "#00FF00",
    "r": "#800000",
    "c": "#00FFFF",
    "m": "#800080",
}


class Canvas:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.cells = [["."] * width for _ in range(height)]

    def dot(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.cells[y][x] = colour

    def fill(self, left, top, right, bottom, colour):
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                self.dot(x, y, colour)

    def frame(self, left, top, right, bottom, colour):
        self.fill(left, top, right, top, colour)
        self.fill(left, bottom, right, bottom, colour)
        self.fill(left, top, left, bottom, colour)
        self.fill(right, top, right, bottom, colour)

    def disc(self, cx, cy, radius, colour):
        for y in range(self.height):
            for x in range(self.width):
                if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius:
                    self.dot(x, y, colour)


def drive_box(c, top, bottom):
    """The front of a drive bay: light face, dark lower and right edges."""
    c.fill(1, top, 14, bottom, "s")
    c.fill(1, top, 14, top, "w")
    c.fill(1, top, 1, bottom, "w")
    c.fill(2, bottom, 14, bottom, "g")
    c.fill(14, top + 1, 14, bottom, "g")
    c.frame(0, top - 1, 15, bottom + 1, "k")


def floppy():
    c = Canvas(16, 11)
    drive_box(c, 2, 8)
    c.fill(3, 4, 12, 4, "k")  # the disc slot
    c.fill(3, 5, 12, 5, "g")
    c.fill(11, 7, 12, 7, "g")  # eject button
    return c


def hard():
    c = Canvas(16, 11)
    drive_box(c, 3, 8)
    c.fill(3, 5, 8, 5, "g")  # vents
    c.fill(3, 6, 8, 6, "g")
    c.fill(11, 6, 12, 6, "L")  # busy light
    c.fill(2, 1, 15, 1, "k")  # the top seen at an angle
    c.dot(1, 2, "k")
    return c


def network():
    c = Canvas(16, 11)
    drive_box(c, 1, 5)
    c.fill(11, 3, 12, 3, "L")
    c.fill(7, 7, 8, 8, "k")  # cable down to the wire
    c.fill(1, 9, 14, 9, "k")
    c.fill(1, 10, 14, 10, "B")
    return c


def cdrom():
    c = Canvas(16, 11)
    c.disc(7.5, 5, 5.4, "k")
    c.disc(7.5, 5, 4.4, "s")
    c.fill(5, 2, 6, 2, "w")  # shine and rainbow on the silver
    c.dot(4, 3, "w")
    c.fill(9, 7, 10, 7, "c")
    c.dot(10, 6, "c")
    c.fill(9, 2, 10, 2, "m")
    c.disc(7.5, 5, 1.9, "g")
    c.fill(7, 4, 8, 5, ".")  # the centre hole
    return c


def ram():
    c = Canvas(16, 11)
    c.fill(0, 3, 15, 7, "G")  # the board
    c.frame(0, 2, 15, 8, "k")
    for left in (2, 6, 10):
        c.fill(left, 4, left + 2, 6, "k")  # chips
    for x in range(1, 15, 2):
        c.dot(x, 9, "y")  # contacts
    return c


def folder_back(c):
    c.fill(1, 3, 5, 3, "k")  # tab
    c.dot(0, 4, "k")
    c.dot(6, 4, "k")
    c.fill(7, 4, 13, 4, "k")
    c.fill(0, 4, 0, 13, "k")
    c.fill(14, 5, 14, 13, "k")
    c.fill(0, 13, 14, 13, "k")
    c.fill(1, 4, 5, 4, "w")
    c.fill(1, 5, 13, 12, "y")
    c.fill(1, 5, 1, 12, "w")


def closed_folder():
    c = Canvas(16, 15)
    folder_back(c)
    c.fill(2, 6, 13, 6, "w")
    c.fill(2, 12, 13, 12, "o")
    c.fill(15, 6, 15, 13, "g")  # shadow
    return c


def open_folder(with_sheet):
    c = Canvas(16, 15)
    folder_back(c)
    if with_sheet:
        c.fill(3, 1, 11, 7, "w")  # a sheet standing in the current folder
        c.frame(2, 0, 12, 8, "k")
        c.fill(4, 3, 10, 3, "g")
        c.fill(4, 5, 9, 5, "g")
    # the front flap, tipped open towards the viewer
    for y in range(7, 14):
        left, right = 5 - (y - 7) * 2 // 3, 15 - (y - 7) // 3
        c.fill(left, y, right, y, "o" if y > 8 else "y")
        c.dot(left, y, "k")
        c.dot(right, y, "k")
    c.fill(5, 7, 15, 7, "k")
    c.fill(1, 13, 13, 13, "k")
    return c


def executable():
    c = Canvas(16, 15)
    c.fill(1, 2, 14, 12, "w")
    c.frame(0, 1, 15, 13, "k")
    c.fill(1, 2, 14, 4, "b")  # title bar
    c.fill(12, 3, 13, 3, "s")
    c.fill(3, 7, 6, 10, "B")  # something on show inside
    c.fill(8, 7, 12, 7, "g")
    c.fill(8, 9, 11, 9, "g")
    return c


def unknown_file():
    c = Canvas(16, 15)
    c.fill(3, 1, 10, 13, "w")
    c.fill(11, 4, 12, 13, "w")
    c.fill(2, 0, 9, 0, "k")
    c.fill(2, 0, 2, 14, "k")
    c.fill(2, 14, 13, 14, "k")
    c.fill(13, 4, 13, 14, "k")
    for step in range(4):  # the dog-ear
        c.dot(10 + step, step, "k")
    c.fill(10, 1, 10, 4, "k")
    c.fill(10, 4, 13, 4, "k")
    c.fill(11, 2, 11, 3, "s")
    c.dot(12, 3, "s")
    for y in (6, 8, 10, 12):
        c.fill(4, y, 11, y, "g")
    return c


GLYPHS = {
    "floppy": floppy,
    "hard": hard,
    "network": network,
    "cdrom": cdrom,
    "ram": ram,
    "openfolder": lambda: open_folder(False),
    "currentfolder": lambda: open_folder(True),
    "closedfolder": closed_folder,
    "executable": executable,
    "unknownfile": unknown_file,
}


def main():
    for name, draw in GLYPHS.items():
        canvas = draw()
        assert canvas.cells[-1][0] == ".", f"{name}: the bottom-left pixel must be the key"
        used = sorted({cell for row in canvas.cells for cell in row})
        write_xpm(f"pickers/{name}.xpm", {key: PALETTE[key] for key in used},
                  ["".join(row) for row in canvas.cells])


if __name__ == "__main__":
    main()
