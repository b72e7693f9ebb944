#!/usr/bin/env python3
"""Draws the pictures of KESTROGui.dll (and the program's icon) at build time.

Shapes are signed-distance functions filled with analytic anti-aliasing, so the
pictures are crisp at their native size. Only the standard library is used.

    make_pictures.py OUTDIR        writes the BMP files named in KESTROGui.rc
                                   and KESTRO.ico into OUTDIR

The palette and the layout sizes match app/win32/ui_theme.hpp.
"""
import math
import struct
import sys
from pathlib import Path

# Palette (keep in step with app/win32/ui_theme.hpp).
HEADER_TOP = (16, 42, 74)
HEADER_BOTTOM = (11, 31, 56)
NAV_BG = (19, 40, 66)
NAV_HOVER = (27, 53, 85)
NAV_CURRENT = (34, 66, 104)
NAV_ICON = (159, 179, 200)
NAV_ICON_ON = (255, 255, 255)
ACCENT = (47, 128, 237)
ACCENT_LIGHT = (86, 204, 242)
CONTENT_BG = (255, 255, 255)
FOOTER_BG = (245, 247, 250)
RULE = (225, 229, 234)
GREEN = (39, 174, 96)
GREEN_DARK = (30, 132, 73)
RED = (235, 87, 87)
RED_DARK = (192, 57, 43)
SWITCH_OFF = (188, 204, 220)
SWITCH_OFF_HOVER = (159, 179, 200)
SWITCH_ON_HOVER = (28, 104, 205)
WHITE = (255, 255, 255)
CLOSE_HOVER = (232, 17, 35)

# Layout (pixels).
MAIN_W, MAIN_H = 818, 611
HEADER_H = 56
NAV_W = 180
FOOTER_H = 26
SPLASH_W, SPLASH_H = 480, 320
SPLASH_BAND_H = 124
NAV_ICON_SIZE = 24
HEADER_BUTTON = 32
SWITCH_W, SWITCH_H = 44, 24


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


class Canvas:
    def __init__(self, width, height, colour=(0, 0, 0)):
        self.width, self.height = width, height
        self.px = [[list(colour) for _ in range(width)] for _ in range(height)]

    def fill(self, colour_at, box=None):
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        for y in range(max(0, y0), min(self.height, y1)):
            row = self.px[y]
            for x in range(max(0, x0), min(self.width, x1)):
                row[x] = list(colour_at(x + 0.5, y + 0.5))

    def shape(self, sdf, colour, box, alpha=1.0):
        """Blends `colour` (a tuple or a function of x, y) inside the shape."""
        x0, y0, x1, y1 = (int(math.floor(v)) for v in box)
        for y in range(max(0, y0 - 1), min(self.height, y1 + 2)):
            row = self.px[y]
            for x in range(max(0, x0 - 1), min(self.width, x1 + 2)):
                d = sdf(x + 0.5, y + 0.5)
                cover = 0.5 - d
                if cover <= 0:
                    continue
                a = alpha * min(1.0, cover)
                c = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                p = row[x]
                for i in range(3):
                    p[i] = p[i] + (c[i] - p[i]) * a

    def blit(self, other, ox, oy):
        for y in range(other.height):
            self.px[oy + y][ox:ox + other.width] = [list(p) for p in other.px[y]]

    def bmp(self):
        stride = (self.width * 3 + 3) & ~3
        data = bytearray()
        for row in reversed(self.px):
            line = bytearray()
            for r, g, b in row:
                line += bytes((clamp(b), clamp(g), clamp(r)))
            data += line + b"\0" * (stride - len(line))
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
        return head + info + data


def clamp(v):
    return max(0, min(255, int(round(v))))


# Signed distance functions (negative inside).
def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ring(cx, cy, r, w):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - w / 2


def rounded_box(x0, y0, x1, y1, r):
    cx, cy, hw, hh = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2

    def sdf(x, y):
        qx, qy = abs(x - cx) - hw + r, abs(y - cy) - hh + r
        return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r
    return sdf


def capsule(ax, ay, bx, by, r):
    def sdf(x, y):
        px, py, dx, dy = x - ax, y - ay, bx - ax, by - ay
        h = max(0.0, min(1.0, (px * dx + py * dy) / (dx * dx + dy * dy)))
        return math.hypot(px - dx * h, py - dy * h) - r
    return sdf


def polyline(points, r):
    parts = [capsule(*points[i], *points[i + 1], r) for i in range(len(points) - 1)]
    return lambda x, y: min(p(x, y) for p in parts)


def polygon(points):
    n = len(points)

    def sdf(x, y):
        d = float("inf")
        inside = False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            ex, ey, wx, wy = bx - ax, by - ay, x - ax, y - ay
            h = max(0.0, min(1.0, (wx * ex + wy * ey) / (ex * ex + ey * ey or 1)))
            d = min(d, math.hypot(wx - ex * h, wy - ey * h))
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
                inside = not inside
        return -d if inside else d
    return sdf


def union(*sdfs):
    return lambda x, y: min(s(x, y) for s in sdfs)


def subtract(a, b):
    return lambda x, y: max(a(x, y), -b(x, y))


def shield_points(cx, top, w, h):
    """Outline of a shield: a gently curved top, straight sides, curved to a point."""
    pts = []
    half = w / 2
    dip = h * 0.06
    for i in range(17):  # top edge, dipping slightly in the middle
        t = i / 16
        x = cx - half + w * t
        pts.append((x, top + dip * math.sin(math.pi * t) * 0.6 + dip * 0.2 * (1 - math.sin(math.pi * t))))
    side = top + h * 0.42
    pts.append((cx + half, side))
    for i in range(1, 25):  # right curve to the point
        t = i / 24
        p0, p1, p2 = (cx + half, side), (cx + half, top + h * 0.78), (cx, top + h)
        pts.append(bezier(p0, p1, p2, t))
    for i in range(1, 25):  # left curve back up
        t = i / 24
        p0, p1, p2 = (cx, top + h), (cx - half, top + h * 0.78), (cx - half, side)
        pts.append(bezier(p0, p1, p2, t))
    return pts


def bezier(p0, p1, p2, t):
    u = 1 - t
    return (u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0], u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1])


def draw_shield(c, cx, top, w, h, light, dark, mark="check", mark_colour=WHITE):
    outline = shield_points(cx, top, w, h)
    box = (cx - w / 2, top, cx + w / 2, top + h)
    c.shape(polygon(outline), lambda x, y: mix(light, dark, (y - top) / h), box)
    # the left half a little lighter, for depth
    left = [p for p in outline if p[0] <= cx + 0.01]
    left_half = [(cx, top)] + [p for p in left] + [(cx, top + h)]
    c.shape(polygon(shield_points(cx, top, w, h)), lambda x, y: WHITE, (cx - w / 2, top, cx, top + h), alpha=0.0)
    inner = shield_points(cx, top + h * 0.09, w * 0.80, h * 0.80)
    c.shape(subtract(polygon(shield_points(cx, top, w, h)), polygon(inner)), WHITE, box, alpha=0.18)
    s = h / 100
    if mark == "check":
        c.shape(polyline([(cx - 18 * s, top + 48 * s), (cx - 5 * s, top + 61 * s), (cx + 20 * s, top + 34 * s)], 6 * s),
                mark_colour, box)
    elif mark == "alert":
        c.shape(capsule(cx, top + 28 * s, cx, top + 56 * s, 6 * s), mark_colour, box)
        c.shape(circle(cx, top + 72 * s, 6.5 * s), mark_colour, box)
    del left_half


def vertical(top_colour, bottom_colour, y0, y1):
    return lambda x, y: mix(top_colour, bottom_colour, max(0.0, min(1.0, (y - y0) / (y1 - y0))))


# ---------------------------------------------------------------- pictures

def main_background():
    c = Canvas(MAIN_W, MAIN_H, CONTENT_BG)
    c.fill(vertical(HEADER_TOP, HEADER_BOTTOM, 0, HEADER_H), (0, 0, MAIN_W, HEADER_H))
    c.fill(lambda x, y: NAV_BG, (0, HEADER_H, NAV_W, MAIN_H))
    c.fill(lambda x, y: FOOTER_BG, (NAV_W, MAIN_H - FOOTER_H, MAIN_W, MAIN_H))
    c.fill(lambda x, y: RULE, (NAV_W, MAIN_H - FOOTER_H, MAIN_W, MAIN_H - FOOTER_H + 1))
    # logo in the header
    draw_shield(c, 32, 11, 30, 34, ACCENT_LIGHT, ACCENT)
    # a faint shield watermark at the foot of the navigation column
    draw_shield(c, NAV_W / 2, MAIN_H - 140, 84, 96, mix(NAV_BG, NAV_HOVER, 0.55), NAV_BG, mark="check",
                mark_colour=mix(NAV_BG, NAV_HOVER, 0.25))
    return c


def splash_background():
    c = Canvas(SPLASH_W, SPLASH_H, CONTENT_BG)
    c.fill(vertical(HEADER_TOP, HEADER_BOTTOM, 0, SPLASH_BAND_H), (0, 0, SPLASH_W, SPLASH_BAND_H))
    # soft circles in the band's right half
    for cx, cy, r, a in ((430, 20, 120, 0.06), (470, 110, 80, 0.05), (360, 130, 60, 0.04)):
        c.shape(circle(cx, cy, r), WHITE, (cx - r, cy - r, cx + r, min(SPLASH_BAND_H, cy + r)), alpha=a)
    c.fill(lambda x, y: CONTENT_BG, (0, SPLASH_BAND_H, SPLASH_W, SPLASH_H))
    c.fill(lambda x, y: ACCENT, (0, SPLASH_BAND_H, SPLASH_W, SPLASH_BAND_H + 3))
    draw_shield(c, 70, 24, 64, 74, ACCENT_LIGHT, ACCENT)
    return c


def nav_icon(c, kind, ox, oy, colour, bg):
    s = NAV_ICON_SIZE / 24
    box = (ox, oy, ox + NAV_ICON_SIZE, oy + NAV_ICON_SIZE)
    X = lambda v: ox + v * s
    Y = lambda v: oy + v * s
    if kind == "status":
        pts = shield_points(X(12), Y(2), 17 * s, 20 * s)
        c.shape(subtract(polygon(pts), polygon(shield_points(X(12), Y(4.3), 12.6 * s, 15 * s))), colour, box)
        c.shape(polyline([(X(8.3), Y(11.2)), (X(11), Y(13.9)), (X(15.8), Y(9))], 1.15 * s), colour, box)
    elif kind == "scan":
        c.shape(ring(X(10), Y(10), 6 * s, 2.2 * s), colour, box)
        c.shape(capsule(X(14.6), Y(14.6), X(20.5), Y(20.5), 1.6 * s), colour, box)
    elif kind == "options":
        for row, knob in ((6, 15), (12, 8), (18, 13)):
            c.shape(capsule(X(3.5), Y(row), X(20.5), Y(row), 1.0 * s), colour, box)
            c.shape(circle(X(knob), Y(row), 2.8 * s), bg, box)
            c.shape(ring(X(knob), Y(row), 2.3 * s, 1.6 * s), colour, box)
    elif kind == "tools":
        teeth = []
        for i in range(8):
            a = i * math.pi / 4
            teeth.append(capsule(X(12 + 6.2 * math.cos(a)), Y(12 + 6.2 * math.sin(a)),
                                 X(12 + 9.2 * math.cos(a)), Y(12 + 9.2 * math.sin(a)), 1.7 * s))
        gear = union(circle(X(12), Y(12), 7.2 * s), *teeth)
        c.shape(subtract(gear, circle(X(12), Y(12), 3.2 * s)), colour, box)
    elif kind == "update":
        arc = []
        for i in range(0, 271, 10):
            a = math.radians(i - 45)
            arc.append((X(12 + 8 * math.cos(a)), Y(12 + 8 * math.sin(a))))
        c.shape(polyline(arc, 1.1 * s), colour, box)
        tip = arc[-1]
        a = math.radians(270 - 45)
        # arrow head at the end of the arc, pointing along it
        tx, ty = -math.sin(a), math.cos(a)
        nx, ny = math.cos(a), math.sin(a)
        head = [(tip[0] + tx * 4.2 * s, tip[1] + ty * 4.2 * s), (tip[0] + nx * 3.6 * s, tip[1] + ny * 3.6 * s),
                (tip[0] - nx * 3.6 * s, tip[1] - ny * 3.6 * s)]
        c.shape(polygon(head), colour, box)
        c.shape(capsule(X(12), Y(8), X(12), Y(14), 1.1 * s), colour, box)
        c.shape(polyline([(X(9.3), Y(11.8)), (X(12), Y(14.6)), (X(14.7), Y(11.8))], 1.1 * s), colour, box)
    elif kind == "about":
        c.shape(ring(X(12), Y(12), 9 * s, 2.0 * s), colour, box)
        c.shape(circle(X(12), Y(7.6), 1.5 * s), colour, box)
        c.shape(capsule(X(12), Y(11), X(12), Y(17), 1.3 * s), colour, box)


NAV_KINDS = ("status", "scan", "options", "tools", "update", "about")


def navigation_strip():
    """Six icons in three rows: normal, hover, current."""
    size = NAV_ICON_SIZE
    c = Canvas(size * 6, size * 3)
    for row, (bg, fg) in enumerate(((NAV_BG, NAV_ICON), (NAV_HOVER, NAV_ICON_ON), (NAV_CURRENT, NAV_ICON_ON))):
        c.fill(lambda x, y, bg=bg: bg, (0, row * size, size * 6, (row + 1) * size))
        for i, kind in enumerate(NAV_KINDS):
            nav_icon(c, kind, i * size, row * size, fg, bg)
    return c


def header_buttons():
    """Menu, minimise and close, normal (row 0) and hover (row 1), on the header gradient."""
    b = HEADER_BUTTON
    c = Canvas(b * 3, b * 2)
    top = (HEADER_H - b) // 2
    for row in range(2):
        c.fill(vertical(HEADER_TOP, HEADER_BOTTOM, -top - row * b, HEADER_H - top - row * b), (0, row * b, b * 3, (row + 1) * b))
    for row in range(2):
        oy = row * b
        for i in range(3):
            ox = i * b
            box = (ox, oy, ox + b, oy + b)
            if row == 1:
                colour = CLOSE_HOVER if i == 2 else WHITE
                c.shape(rounded_box(ox + 2, oy + 2, ox + b - 2, oy + b - 2, 6), colour, box, alpha=1.0 if i == 2 else 0.14)
            glyph = WHITE
            cx, cy = ox + b / 2, oy + b / 2
            if i == 0:  # menu: three short bars
                for dy in (-5, 0, 5):
                    c.shape(capsule(cx - 6, cy + dy, cx + 6, cy + dy, 1.0), glyph, box)
            elif i == 1:  # minimise
                c.shape(capsule(cx - 6, cy + 4, cx + 6, cy + 4, 1.0), glyph, box)
            else:  # close
                c.shape(capsule(cx - 5.5, cy - 5.5, cx + 5.5, cy + 5.5, 1.0), glyph, box)
                c.shape(capsule(cx - 5.5, cy + 5.5, cx + 5.5, cy - 5.5, 1.0), glyph, box)
    return c


def status_picture(good):
    c = Canvas(96, 96, CONTENT_BG)
    if good:
        c.shape(circle(48, 48, 46), (233, 247, 239), (0, 0, 96, 96))
        draw_shield(c, 48, 14, 54, 64, (76, 209, 132), GREEN_DARK, mark="check")
    else:
        c.shape(circle(48, 48, 46), (253, 236, 234), (0, 0, 96, 96))
        draw_shield(c, 48, 14, 54, 64, (242, 128, 112), RED_DARK, mark="alert")
    return c


def product_logo():
    c = Canvas(128, 128, CONTENT_BG)
    c.shape(circle(64, 64, 62), (234, 242, 253), (0, 0, 128, 128))
    draw_shield(c, 64, 16, 76, 92, ACCENT_LIGHT, ACCENT)
    return c


def switch(on, hover):
    c = Canvas(SWITCH_W, SWITCH_H, CONTENT_BG)
    track = (ACCENT if not hover else SWITCH_ON_HOVER) if on else (SWITCH_OFF if not hover else SWITCH_OFF_HOVER)
    c.shape(rounded_box(1, 2, SWITCH_W - 1, SWITCH_H - 2, (SWITCH_H - 4) / 2), track, (0, 0, SWITCH_W, SWITCH_H))
    kx = SWITCH_W - 13 if on else 13
    c.shape(circle(kx, SWITCH_H / 2 + 0.6, 8.2), (0, 0, 0), (kx - 10, 0, kx + 10, SWITCH_H), alpha=0.12)
    c.shape(circle(kx, SWITCH_H / 2, 8), WHITE, (kx - 10, 0, kx + 10, SWITCH_H))
    return c


def icon_image(size):
    """BGRA rows of the program icon (shield) with an alpha channel."""
    c = Canvas(size, size, (255, 0, 255))
    mask = Canvas(size, size, (0, 0, 0))
    s = size / 32
    draw_shield(c, 16 * s, 1.5 * s, 26 * s, 29 * s, ACCENT_LIGHT, ACCENT)
    mask.shape(polygon(shield_points(16 * s, 1.5 * s, 26 * s, 29 * s)), WHITE, (0, 0, size, size))
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            a = mask.px[y][x][0] / 255
            r, g, b = c.px[y][x]
            if a > 0:  # undo the blend with the key colour at the edge
                r = (r - 255 * (1 - a)) / a
                g = g / a
                b = (b - 255 * (1 - a)) / a
            row.append((clamp(b), clamp(g), clamp(r), clamp(a * 255)))
        rows.append(row)
    return rows


def ico(sizes):
    images = []
    for size in sizes:
        rows = icon_image(size)
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        xor = b"".join(bytes(p) for row in reversed(rows) for p in row)
        stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            bits = bytearray(stride)
            for x, p in enumerate(row):
                if p[3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        images.append((size, info + xor + bytes(mask)))
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b"", b""
    for size, body in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(body), offset + len(data))
        data += body
    return header + entries + data


PICTURES = {
    "main_background.bmp": main_background,        # 1
    "splash_background.bmp": splash_background,    # 2
    "header_buttons.bmp": header_buttons,          # 4
    "navigation.bmp": navigation_strip,            # 5
    "product_logo.bmp": product_logo,              # 6
    "protected.bmp": lambda: status_picture(True),     # 100
    "not_protected.bmp": lambda: status_picture(False),  # 101
    "option_on.bmp": lambda: switch(True, False),      # 110
    "option_off.bmp": lambda: switch(False, False),    # 111
    "option_on_hover.bmp": lambda: switch(True, True),     # 112
    "option_off_hover.bmp": lambda: switch(False, True),   # 113
}


def main():
    if len(sys.argv) != 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    out = Path(sys.argv[1])
    out.mkdir(parents=True, exist_ok=True)
    for name, draw in PICTURES.items():
        (out / name).write_bytes(draw().bmp())
    (out / "KESTRO.ico").write_bytes(ico([48, 32, 16]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
