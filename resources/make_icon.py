#!/usr/bin/env python3
"""Draws the program icon, a disc with a catalogue card in front of it, as PNG files.

Run from this folder after changing the drawing; icon/zandrel-<size>.png are committed so the
build needs no Python. Each size is drawn on its own (4 x 4 samples a pixel) rather than scaled
down from the largest, and its lines are at least one pixel wide, so the small sizes stay sharp.
"""
import math

from png import write_png

SIZES = (16, 32, 48, 64, 128, 256)
SAMPLES = 4

RIM = (0x4A, 0x52, 0x5C)
SILVER = (0xC4, 0xCB, 0xD4)
SHEEN = (0xEE, 0xF1, 0xF5)
LABEL = (0x1F, 0x3A, 0x7A)
HUB = (0xDD, 0xE2, 0xE8)
CARD = (0xFF, 0xF6, 0xD5)
CARD_EDGE = (0x8A, 0x74, 0x3C)
HEADING = (0xC0, 0x39, 0x2B)
RULE = (0x5B, 0x7D, 0xB1)
SHADOW = (0x00, 0x00, 0x00)


def disc(x, y, pixel):
    """The disc behind the card, centred up and left; None outside it and in its hole."""
    r = math.hypot(x - 0.42, y - 0.42)
    if r > 0.40 or r < 0.05:
        return None
    if r > 0.40 - max(0.015, pixel):
        return RIM
    if r < 0.10:
        return HUB
    if r < 0.17:
        return LABEL
    angle = math.degrees(math.atan2(y - 0.42, x - 0.42)) % 180
    return SHEEN if 20 <= angle <= 50 else SILVER


def card(x, y, pixel, size):
    """The catalogue card over the disc's lower right: a red heading and blue ruled lines."""
    left, top, right, bottom = 0.40, 0.52, 0.95, 0.90
    if not (left <= x <= right and top <= y <= bottom):
        return None
    edge = max(0.012, pixel)
    if x < left + edge or x > right - edge or y < top + edge or y > bottom - edge:
        return CARD_EDGE
    inside = left + 0.05 <= x <= right - 0.05
    rules = (0.70, 0.77, 0.84) if size >= 32 else (0.76,)
    if inside and abs(y - 0.62) <= max(0.012, pixel) / 2:
        return HEADING
    if inside and any(abs(y - rule) <= max(0.007, pixel) / 2 for rule in rules):
        return RULE
    return CARD


def sample(x, y, size):
    """The colour and opacity at one point of the unit square, the card above the disc."""
    pixel = 1.0 / size
    colour = card(x, y, pixel, size)
    if colour:
        return colour, 1.0
    colour = disc(x, y, pixel)
    if colour:
        return colour, 1.0
    # The card's shadow, offset down and right, reaches past the disc onto the background.
    if card(x - 0.02, y - 0.02, pixel, size):
        return SHADOW, 0.3
    return None, 0.0


def draw(size):
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            red = green = blue = cover = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    colour, alpha = sample((px + (sx + 0.5) / SAMPLES) / size,
                                           (py + (sy + 0.5) / SAMPLES) / size, size)
                    if colour:
                        red += colour[0] * alpha
                        green += colour[1] * alpha
                        blue += colour[2] * alpha
                        cover += alpha
            if cover == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(red / cover), round(green / cover), round(blue / cover),
                            round(255 * cover / SAMPLES ** 2)))
        rows.append(row)
    return rows


def main():
    for size in SIZES:
        write_png(f"icon/zandrel-{size}.png", size, size, draw(size))


if __name__ == "__main__":
    main()
