#!/usr/bin/env python3
"""Writes the button's placeholder icons: 16x16, 32-bit with alpha, one
simple drawing each. Run from anywhere; the .ico files land beside this
script and are kept in the repository."""
import os
import struct

SIZE = 16
HERE = os.path.dirname(os.path.abspath(__file__))

ORANGE = (0xF2, 0x84, 0x1C, 0xFF)
GREY = (0x9A, 0x9A, 0x9A, 0xFF)
WHITE = (0xFF, 0xFF, 0xFF, 0xFF)
BLUE = (0x2B, 0x6C, 0xC4, 0xFF)
GREEN = (0x3C, 0xA5, 0x3C, 0xFF)
DARK = (0x40, 0x40, 0x40, 0xFF)
CLEAR = (0, 0, 0, 0)


def canvas():
    return [[CLEAR] * SIZE for _ in range(SIZE)]


def rect(img, x0, y0, x1, y1, colour):
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = colour


def disc(img, cx, cy, r, colour):
    for y in range(SIZE):
        for x in range(SIZE):
            if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
                img[y][x] = colour


def feed_sign(img, back, fore):
    """The usual feed sign: a rounded square with a dot and two arcs."""
    rect(img, 1, 1, 14, 14, back)
    for y in range(SIZE):
        for x in range(SIZE):
            d2 = (x - 3) ** 2 + (y - 12) ** 2
            if 2 <= x <= 13 and 2 <= y <= 13 and (36 <= d2 <= 56 or 90 <= d2 <= 120):
                img[y][x] = fore
    disc(img, 4, 11, 1.5, fore)


def feed_found():
    img = canvas()
    feed_sign(img, ORANGE, WHITE)
    return img


def feed_missing():
    img = canvas()
    feed_sign(img, GREY, WHITE)
    return img


def subscription():
    img = canvas()
    feed_sign(img, BLUE, WHITE)
    return img


def submenu():
    img = canvas()
    rect(img, 2, 2, 13, 13, ORANGE)
    for i in range(3):
        rect(img, 4, 4 + 3 * i, 11, 5 + 3 * i, WHITE)
    return img


def unread_item():
    img = canvas()
    disc(img, 7.5, 7.5, 4, BLUE)
    return img


def read_item():
    img = canvas()
    disc(img, 7.5, 7.5, 4, GREY)
    disc(img, 7.5, 7.5, 2.5, CLEAR)
    return img


def plugin():
    img = canvas()
    feed_sign(img, ORANGE, WHITE)
    rect(img, 10, 0, 15, 5, GREEN)
    rect(img, 12, 1, 13, 4, WHITE)
    rect(img, 11, 2, 14, 3, WHITE)
    return img


def web_reader():
    img = canvas()
    rect(img, 1, 3, 14, 12, DARK)
    rect(img, 2, 4, 13, 11, WHITE)
    for i in range(4):
        rect(img, 2 + i, 4 + i, 13 - i, 4 + i, DARK)
    return img


def ico(img):
    pixels = b"".join(
        struct.pack("<4B", b, g, r, a) for row in reversed(img) for (r, g, b, a) in row)
    mask_row = b"\x00\x00\x00\x00"  # 16 bits padded to 32; alpha carries the shape
    bitmap = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0,
                         len(pixels) + len(mask_row) * SIZE, 0, 0, 0, 0)
    image = bitmap + pixels + mask_row * SIZE
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return header + entry + image


ICONS = {
    "subscription.ico": subscription,   # 100
    "item_unread.ico": unread_item,     # 105
    "item_read.ico": read_item,         # 106
    "plugin.ico": plugin,               # 107
    "button_no_feed.ico": feed_missing, # 108
    "button_feed.ico": feed_found,      # 109
    "feed_submenu.ico": submenu,        # 110
    "web_reader.ico": web_reader,       # 113
}

if __name__ == "__main__":
    for name, draw in ICONS.items():
        with open(os.path.join(HERE, name), "wb") as out:
            out.write(ico(draw()))
