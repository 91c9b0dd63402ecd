#!/usr/bin/env python3
"""Draws the button's icons: 16x16, 32-bit with alpha. Every shape is
sampled 4x4 per pixel, so curves come out smooth. Run from anywhere; the .ico
files land beside this script and are kept in the repository.

100 subscription (manage list)   105 unread item     106 read item
107 plug-in picture              108 button, no feed 109 button, page feed
110 a feed's submenu             113 web reader entries
"""
import math
import os
import struct

SIZE = 16
SUB = 4
HERE = os.path.dirname(os.path.abspath(__file__))

ORANGE = (0xF7, 0x8C, 0x1E)
ORANGE_DARK = (0xC8, 0x5A, 0x0A)
GREY = (0xA8, 0xA8, 0xA8)
GREY_DARK = (0x78, 0x78, 0x78)
WHITE = (0xFF, 0xFF, 0xFF)
PAPER = (0xFC, 0xFC, 0xF6)
BLUE = (0x2B, 0x6C, 0xC4)
BLUE_DARK = (0x17, 0x44, 0x8C)
GREEN = (0x2E, 0xA0, 0x3A)
YELLOW = (0xF5, 0xC8, 0x42)
YELLOW_DARK = (0xB8, 0x8A, 0x18)
LINE = (0x9C, 0xA8, 0xB8)


class Icon:
    def __init__(self):
        self.px = [[(0, 0, 0, 0.0)] * SIZE for _ in range(SIZE)]

    def fill(self, inside, colour, alpha=1.0):
        """Paints colour where inside(x, y) holds, x and y in pixel units."""
        for py in range(SIZE):
            for px in range(SIZE):
                hits = 0
                for sy in range(SUB):
                    for sx in range(SUB):
                        if inside(px + (sx + 0.5) / SUB, py + (sy + 0.5) / SUB):
                            hits += 1
                if not hits:
                    continue
                a = alpha * hits / (SUB * SUB)
                r0, g0, b0, a0 = self.px[py][px]
                out = a + a0 * (1 - a)
                mix = [(c * a + c0 * a0 * (1 - a)) / out for c, c0 in zip(colour, (r0, g0, b0))]
                self.px[py][px] = (mix[0], mix[1], mix[2], out)
        return self

    def rounded(self, x0, y0, x1, y1, r, colour, alpha=1.0):
        def inside(x, y):
            if not (x0 <= x <= x1 and y0 <= y <= y1):
                return False
            cx = min(max(x, x0 + r), x1 - r)
            cy = min(max(y, y0 + r), y1 - r)
            return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
        return self.fill(inside, colour, alpha)

    def rect(self, x0, y0, x1, y1, colour, alpha=1.0):
        return self.fill(lambda x, y: x0 <= x <= x1 and y0 <= y <= y1, colour, alpha)

    def disc(self, cx, cy, r, colour, alpha=1.0):
        return self.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, colour, alpha)

    def ring(self, cx, cy, r0, r1, colour, quadrant=None):
        def inside(x, y):
            d = math.hypot(x - cx, y - cy)
            if not r0 <= d <= r1:
                return False
            return quadrant is None or quadrant(x - cx, y - cy)
        return self.fill(inside, colour)

    def stroke(self, points, width, colour):
        """A polyline of the given width."""
        def inside(x, y):
            for (ax, ay), (bx, by) in zip(points, points[1:]):
                dx, dy = bx - ax, by - ay
                t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
                if math.hypot(x - ax - t * dx, y - ay - t * dy) <= width / 2:
                    return True
            return False
        return self.fill(inside, colour)


def feed_waves(icon, ox, oy, scale, colour):
    """The feed sign: a dot and two quarter arcs opening to the upper right."""
    up_right = lambda dx, dy: dx >= 0 and dy <= 0
    icon.disc(ox + 1.6 * scale, oy - 1.6 * scale, 1.5 * scale, colour)
    icon.ring(ox, oy, 4.4 * scale, 6.2 * scale, colour, up_right)
    icon.ring(ox, oy, 8.0 * scale, 9.8 * scale, colour, up_right)


def feed_button(back, edge, alpha=1.0):
    icon = Icon()
    icon.rounded(0.5, 0.5, 15.5, 15.5, 3.2, edge, alpha)
    icon.rounded(1.5, 1.5, 14.5, 14.5, 2.4, back, alpha)
    # A lighter upper half, as if lit from above.
    icon.rounded(1.5, 1.5, 14.5, 8.0, 2.4, WHITE, 0.18 * alpha)
    feed_waves(icon, 3.2, 12.8, 1.0, WHITE)
    return icon


def feed_found():
    return feed_button(ORANGE, ORANGE_DARK)


def feed_missing():
    # Greyed and fainter: nothing to subscribe to on this page.
    return feed_button(GREY, GREY_DARK, 0.85)


def subscription():
    icon = feed_button(BLUE, BLUE_DARK)
    return icon


def page(icon, paper, lines, edge):
    """A sheet with its upper right corner folded down, and text lines."""
    icon.fill(lambda x, y: 2.5 <= x <= 12.5 and 0.5 <= y <= 15.5 and x - y <= 8.7, edge)
    icon.fill(lambda x, y: 3.5 <= x <= 11.5 and 1.5 <= y <= 14.5 and x - y <= 7.3, paper)
    icon.fill(lambda x, y: 8.5 <= x <= 9.6 and 0.5 <= y <= 4.6, edge)
    icon.fill(lambda x, y: 8.5 <= x <= 12.5 and 3.5 <= y <= 4.6, edge)
    for row in (6.0, 8.5, 11.0, 13.0):
        icon.rect(5.0, row - 0.5, 10.0 if row < 11 else 7.5, row + 0.5, lines)


def unread_item():
    icon = Icon()
    page(icon, PAPER, BLUE, BLUE_DARK)
    # A bright dot: not opened yet.
    icon.disc(12.0, 12.0, 3.6, WHITE)
    icon.disc(12.0, 12.0, 2.8, ORANGE)
    return icon


def read_item():
    icon = Icon()
    page(icon, (0xEE, 0xEE, 0xEE), LINE, GREY_DARK)
    # A check mark: already opened.
    icon.stroke([(8.8, 11.6), (11.0, 14.0), (15.0, 8.6)], 3.4, WHITE)
    icon.stroke([(8.8, 11.6), (11.0, 14.0), (15.0, 8.6)], 2.0, GREEN)
    return icon


def submenu():
    icon = Icon()
    # A folder holding a feed.
    icon.rounded(0.5, 2.5, 7.5, 6.0, 1.2, YELLOW_DARK)
    icon.rounded(0.5, 4.0, 15.5, 14.5, 1.5, YELLOW_DARK)
    icon.rounded(1.5, 5.0, 14.5, 13.5, 1.0, YELLOW)
    icon.rounded(1.5, 5.0, 14.5, 8.0, 1.0, WHITE, 0.3)
    icon.rounded(6.5, 6.5, 13.5, 13.5, 1.4, ORANGE)
    feed_waves(icon, 7.7, 12.3, 0.55, WHITE)
    return icon


def plugin():
    icon = feed_button(ORANGE, ORANGE_DARK)
    icon.disc(12.0, 4.0, 3.9, WHITE)
    icon.disc(12.0, 4.0, 3.2, GREEN)
    icon.rect(10.0, 3.4, 14.0, 4.6, WHITE)
    icon.rect(11.4, 2.0, 12.6, 6.0, WHITE)
    return icon


def web_reader():
    icon = Icon()
    # An envelope with the feed sign: the web-mail reader.
    icon.rounded(0.5, 3.0, 15.5, 13.5, 1.2, BLUE_DARK)
    icon.rect(1.5, 4.0, 14.5, 12.5, WHITE)
    icon.stroke([(1.8, 4.3), (8.0, 9.0), (14.2, 4.3)], 1.3, BLUE)
    icon.rounded(8.5, 8.5, 15.5, 15.5, 1.4, ORANGE)
    feed_waves(icon, 9.7, 14.3, 0.55, WHITE)
    return icon


def ico(icon):
    rows = []
    for row in reversed(icon.px):
        for (r, g, b, a) in row:
            # Premultiplied by nothing: straight alpha, as icons keep it.
            rows.append(struct.pack("<4B", round(b), round(g), round(r), round(a * 255)))
    pixels = b"".join(rows)
    # The AND mask still marks transparent pixels for displays without alpha.
    mask = b""
    for row in reversed(icon.px):
        bits = 0
        for x, (_, _, _, a) in enumerate(row):
            if a < 0.5:
                bits |= 0x8000 >> x
        mask += struct.pack(">H", bits) + b"\x00\x00"
    bitmap = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    image = bitmap + pixels + mask
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
