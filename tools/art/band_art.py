#!/usr/bin/env python3
"""Draws the band's pictures and writes them into band/res.

tree.bmp     bitmap 1100: eight 16x16 tree images on white (the tree's image
             list is built without a mask, so the background must match the
             tree's window colour)
toolbar.bmp  bitmap 1000: six 16x16 toolbar images on RGB(192,192,192), the
             colour the toolbar treats as transparent
rssband.ico  icon 101: the explorer bar button and the status bar picture

Flat shapes are hand-set pixel maps; round shapes (arrows, wrench, cross,
plus, the feed symbol) are distance functions sampled 4x4 per pixel so their
edges are smooth. Python standard library only:

    python3 tools/art/band_art.py [output-dir] [--preview]
"""
import math
import os
import struct
import sys

# ---------------------------------------------------------------- canvas


class Canvas:
    """Straight RGBA in floats 0..1, composited with "over"."""

    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[(0.0, 0.0, 0.0, 0.0) for _ in range(w)] for _ in range(h)]

    def over(self, x, y, rgb, a):
        if a <= 0 or not (0 <= x < self.w and 0 <= y < self.h):
            return
        r, g, b, da = self.px[y][x]
        c = tuple(v / 255.0 for v in rgb)
        oa = a + da * (1 - a)
        if oa <= 0:
            return
        mix = [(c[i] * a + (r, g, b)[i] * da * (1 - a)) / oa for i in range(3)]
        self.px[y][x] = (mix[0], mix[1], mix[2], oa)

    def paste(self, other, dx, dy):
        for y in range(other.h):
            for x in range(other.w):
                r, g, b, a = other.px[y][x]
                self.over(x + dx, y + dy, (r * 255, g * 255, b * 255), a)

    def rotated(self, quarter_turns):
        out = self
        for _ in range(quarter_turns % 4):
            rot = Canvas(out.h, out.w)
            for y in range(out.h):
                for x in range(out.w):
                    rot.px[x][out.h - 1 - y] = out.px[y][x]
            out = rot
        return out

    def flattened(self, background, key=None):
        """RGB rows; with a key colour, nearly clear pixels become the key."""
        rows = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                r, g, b, a = self.px[y][x]
                if key is not None and a < 0.3:
                    row.append(key)
                    continue
                px = tuple(
                    int(round((c * a + bg / 255.0 * (1 - a)) * 255))
                    for c, bg in zip((r, g, b), background))
                if key is not None and px == key:
                    px = (px[0], px[1], px[2] + 1 if px[2] < 255 else 254)
                row.append(px)
            rows.append(row)
        return rows


def fill(canvas, sdf, rgb, grow=0.0, ss=4):
    """Paints where sdf(x, y) < grow, x and y in pixel units."""
    for y in range(canvas.h):
        for x in range(canvas.w):
            hits = 0
            for sy in range(ss):
                for sx in range(ss):
                    px = x + (sx + 0.5) / ss
                    py = y + (sy + 0.5) / ss
                    if sdf(px, py) < grow:
                        hits += 1
            canvas.over(x, y, rgb, hits / float(ss * ss))


def outlined(canvas, sdf, body, edge, width=1.0):
    fill(canvas, sdf, edge, grow=width)
    fill(canvas, sdf, body)


# ---------------------------------------------------------------- distances


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def capsule(ax, ay, bx, by, r):
    def d(x, y):
        px, py, vx, vy = x - ax, y - ay, bx - ax, by - ay
        t = max(0.0, min(1.0, (px * vx + py * vy) / (vx * vx + vy * vy)))
        return math.hypot(px - vx * t, py - vy * t) - r
    return d


def box(x0, y0, x1, y1):
    cx, cy, hx, hy = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2

    def d(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0)
    return d


def polygon(points):
    def d(x, y):
        n = len(points)
        best = float("inf")
        inside = False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            ex, ey, wx, wy = bx - ax, by - ay, x - ax, y - ay
            t = max(0.0, min(1.0, (wx * ex + wy * ey) / (ex * ex + ey * ey)))
            best = min(best, math.hypot(wx - ex * t, wy - ey * t))
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
                inside = not inside
        return -best if inside else best
    return d


def union(*parts):
    return lambda x, y: min(p(x, y) for p in parts)


def minus(a, b):
    return lambda x, y: max(a(x, y), -b(x, y))


def arc(cx, cy, r, width, start, sweep):
    """Ring segment from angle start over sweep degrees (clockwise, y down)."""
    a0 = math.radians(start)
    a1 = math.radians(start + sweep)
    ends = [(cx + r * math.cos(a), cy + r * math.sin(a)) for a in (a0, a1)]

    def d(x, y):
        ang = math.atan2(y - cy, x - cx)
        rel = (ang - a0) % (2 * math.pi)
        if rel <= math.radians(sweep):
            return abs(math.hypot(x - cx, y - cy) - r) - width / 2
        return min(math.hypot(x - ex, y - ey) for ex, ey in ends) - width / 2
    return d


def arrow_head(cx, cy, r, angle, size):
    """Triangle at angle on a circle of radius r, pointing clockwise."""
    a = math.radians(angle)
    px, py = cx + r * math.cos(a), cy + r * math.sin(a)
    tx, ty = -math.sin(a), math.cos(a)          # clockwise tangent
    nx, ny = math.cos(a), math.sin(a)           # outward normal
    tip = (px + tx * size * 1.3, py + ty * size * 1.3)
    return polygon([tip, (px + nx * size, py + ny * size),
                    (px - nx * size, py - ny * size)])


# ---------------------------------------------------------------- pixel maps

PALETTE = {
    "o": (134, 96, 20),    # folder edge
    "L": (255, 240, 176),  # folder light
    "Y": (252, 208, 82),   # folder body
    "y": (226, 166, 44),   # folder shade
    "d": (196, 136, 28),   # folder inside
    "k": (104, 112, 128),  # page edge
    "W": (255, 255, 255),
    "g": (214, 220, 230),  # page fold
    "b": (124, 150, 196),  # text lines
    "r": (150, 18, 18),    # red edge
    "R": (226, 44, 36),    # red
    "h": (140, 48, 30),    # roof edge
    "H": (214, 82, 52),    # roof
    "w": (246, 236, 214),  # wall
    "B": (150, 92, 40),    # door
    "c": (120, 176, 230),  # window glass
    "e": (96, 80, 64),     # wall edge
}

CLOSED_FOLDER = [
    "................",
    "................",
    ".ooooo..........",
    "oLLLLLo.........",
    "oLYYYYYoooooooo.",
    "oLLLLLLLLLLLLLLo",
    "oLYYYYYYYYYYYYyo",
    "oLYYYYYYYYYYYYyo",
    "oLYYYYYYYYYYYYyo",
    "oLYYYYYYYYYYYYyo",
    "oLYYYYYYYYYYYYyo",
    "oLYYYYYYYYYYYYyo",
    "oyyyyyyyyyyyyyyo",
    ".oooooooooooooo.",
    "................",
    "................",
]

OPEN_FOLDER = [
    "................",
    "................",
    ".ooooo..........",
    "oddddd o........".replace(" ", "o"),
    "odddddddooooooo.",
    "oddddddddddddddo",
    "oddooooooooooooo",
    "oddoLLLLLLLLLLLo",
    "odoLYYYYYYYYYYo.",
    "odoLYYYYYYYYYYo.",
    "ooLYYYYYYYYYYo..",
    "ooLYYYYYYYYYYo..",
    "oLYYYYYYYYYYyo..",
    "ooooooooooooo...",
    "................",
    "................",
]

PAGE = [
    "..kkkkkkkkk.....",
    "..kWWWWWWWkk....",
    "..kWWWWWWWkgk...",
    "..kWbbbbbWkggk..",
    "..kWWWWWWWkkkkk.",
    "..kWbbbbbbbbbWk.",
    "..kWWWWWWWWWWWk.",
    "..kWbbbbbbbbbWk.",
    "..kWWWWWWWWWWWk.",
    "..kWbbbbbbbbbWk.",
    "..kWWWWWWWWWWWk.",
    "..kWbbbbbbbWWWk.",
    "..kWWWWWWWWWWWk.",
    "..kWWWWWWWWWWWk.",
    "..kkkkkkkkkkkkk.",
    "................",
]

ALERT = [
    "...rrr...",
    ".rrRRRrr.",
    ".rRRWRRr.",
    "rRRRWRRRr",
    "rRRRWRRRr",
    "rRRRRRRRr",
    ".rRRWRRr.",
    ".rrRRRrr.",
    "...rrr...",
]

HOUSE = [
    "................",
    ".......hh.......",
    "......hHHh..ee..",
    ".....hHHHHh.ee..",
    "....hHHHHHHhee..",
    "...hHHHHHHHHhe..",
    "..hHHHHHHHHHHh..",
    ".hHHHHHHHHHHHHh.",
    "hhheeeeeeeeeehhh",
    "..ewwwwwwwwwwe..",
    "..ewcccwwBBBwe..",
    "..ewcccwwBBBwe..",
    "..ewcccwwBBBwe..",
    "..ewwwwwwBBBwe..",
    "..eeeeeeeeeeee..",
    "................",
]


def from_map(rows):
    assert all(len(r) == len(rows[0]) for r in rows), rows
    c = Canvas(len(rows[0]), len(rows))
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            if ch != ".":
                c.over(x, y, PALETTE[ch], 1.0)
    return c


# ---------------------------------------------------------------- pictures

GREEN = (46, 164, 64)
GREEN_EDGE = (22, 98, 36)


def circling_arrows(quarter_turns=0, size=16):
    """A three-quarter ring with one head: rotations tell the four apart."""
    c = Canvas(size, size)
    s = size / 16.0
    cx = cy = size / 2.0
    r, w = 4.9 * s, 2.3 * s
    start, sweep = -45 + 90 * quarter_turns, 245
    ring = arc(cx, cy, r, w, start, sweep)
    head = arrow_head(cx, cy, r, start + sweep - 8, 3.6 * s)
    outlined(c, union(ring, head), GREEN, GREEN_EDGE, 0.9)
    return c


def plus_badge(c, x0, y0):
    """Green plus with a white rim in the lower right corner."""
    shape = union(box(x0 + 2.5, y0 + 0.5, x0 + 4.5, y0 + 6.5),
                  box(x0 + 0.5, y0 + 2.5, x0 + 6.5, y0 + 4.5))
    fill(c, shape, (255, 255, 255), grow=1.3)
    outlined(c, shape, (58, 178, 58), (20, 110, 20), 0.8)


def wrench():
    c = Canvas(16, 16)
    handle = capsule(4.0, 12.0, 9.2, 6.8, 1.6)
    head = circle(10.6, 5.4, 3.6)
    jaw = union(capsule(11.6, 4.4, 15.5, 0.5, 1.25), circle(11.4, 4.6, 1.3))
    shape = minus(union(handle, head), jaw)
    outlined(c, shape, (170, 176, 188), (72, 78, 92), 1.0)
    fill(c, capsule(4.6, 11.0, 8.6, 7.0, 0.45), (226, 230, 238))
    return c


def cross():
    c = Canvas(16, 16)
    shape = union(capsule(4, 4, 12, 12, 1.7), capsule(12, 4, 4, 12, 1.7))
    outlined(c, shape, (222, 46, 38), (130, 16, 12), 1.0)
    return c


def page_with_alert():
    c = from_map(PAGE)
    c.paste(from_map(ALERT), 7, 7)
    return c


def page_with_plus():
    c = from_map(PAGE)
    plus_badge(c, 8, 8)
    return c


def folder_with_plus():
    c = from_map(CLOSED_FOLDER)
    plus_badge(c, 8, 8)
    return c


def feed_symbol(size):
    """Orange rounded square with the dot and two waves."""
    c = Canvas(size, size)
    s = size / 16.0
    m = 0.5 * s
    rad = 3.0 * s
    tile = lambda x, y: box(m + rad, m + rad, size - m - rad, size - m - rad)(x, y) - rad
    fill(c, tile, (176, 82, 6), grow=0.0)
    fill(c, tile, (246, 140, 32), grow=-0.9 * max(1.0, s * 0.8))
    top = lambda x, y: tile(x, y) + 0.9 * max(1.0, s * 0.8)
    fill(c, lambda x, y: max(top(x, y), y - size * 0.45), (252, 178, 84))
    ox, oy = 4.2 * s, size - 4.2 * s
    fill(c, circle(ox, oy, 1.6 * s), (255, 255, 255))
    fill(c, arc(ox, oy, 5.2 * s, 1.9 * s, -90, 90), (255, 255, 255))
    fill(c, arc(ox, oy, 8.6 * s, 1.9 * s, -90, 90), (255, 255, 255))
    return c


def tree_images():
    return [from_map(CLOSED_FOLDER), from_map(OPEN_FOLDER), from_map(PAGE),
            page_with_alert()] + [circling_arrows(i) for i in range(4)]


def toolbar_images():
    return [page_with_plus(), folder_with_plus(), circling_arrows(0), wrench(),
            from_map(HOUSE), cross()]


# ---------------------------------------------------------------- files


def strip(images, background, key=None):
    rows = [[] for _ in range(16)]
    for img in images:
        for y, row in enumerate(img.flattened(background, key)):
            rows[y].extend(row)
    return rows


def write_bmp(path, rows):
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        pixels += line + bytes(stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def icon_image(canvas):
    w, h = canvas.w, canvas.h
    xor = bytearray()
    mask = bytearray()
    mask_stride = ((w + 31) // 32) * 4
    for y in reversed(range(h)):
        bits = 0
        line = bytearray()
        for x in range(w):
            r, g, b, a = canvas.px[y][x]
            xor += bytes((int(round(b * 255)), int(round(g * 255)), int(round(r * 255)),
                          int(round(a * 255))))
            bits = (bits << 1) | (1 if a < 0.5 else 0)
            if x % 8 == 7:
                line.append(bits)
                bits = 0
        mask += line + bytes(mask_stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + mask


def write_ico(path, canvases):
    images = [icon_image(c) for c in canvases]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, data in zip(canvases, images):
        out += struct.pack("<BBBBHHII", c.w % 256, c.h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


def write_preview(path, rows, scale=8):
    """Enlarged PPM for looking at the art."""
    h, w = len(rows), len(rows[0])
    with open(path, "wb") as f:
        f.write(b"P6 %d %d 255\n" % (w * scale, h * scale))
        for row in rows:
            line = b"".join(bytes(px) * scale for px in row)
            f.write(line * scale)


def main():
    args = [a for a in sys.argv[1:] if not a.startswith("--")]
    out = args[0] if args else os.path.join(os.path.dirname(__file__), "..", "..", "band", "res")
    tree = strip(tree_images(), (255, 255, 255))
    toolbar = strip(toolbar_images(), (212, 208, 200), key=(192, 192, 192))
    write_bmp(os.path.join(out, "tree.bmp"), tree)
    write_bmp(os.path.join(out, "toolbar.bmp"), toolbar)
    write_ico(os.path.join(out, "rssband.ico"), [feed_symbol(n) for n in (16, 20, 32, 48)])
    if "--preview" in sys.argv:
        write_preview(os.path.join(out, "tree-preview.ppm"), tree)
        write_preview(os.path.join(out, "toolbar-preview.ppm"), toolbar)


if __name__ == "__main__":
    main()
