#!/usr/bin/env python3
"""Draws the shell extension's pictures: the 16x16 24-bit menu bitmap (magenta
background that QueryContextMenu replaces with the menu colour) and the two-image
icon. Run once; the outputs are committed beside this script."""
import math
import struct
import sys
from pathlib import Path

KEY = (255, 0, 255)


def magnifier(size):
    """RGB rows (top first) of a magnifying glass over a small shield."""
    s = size / 16.0
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            cx, cy = x + 0.5, y + 0.5
            d = math.hypot(cx - 6.5 * s, cy - 6.5 * s)
            colour = KEY
            if d <= 4.2 * s:
                colour = (170, 215, 250)  # lens
                if cx < 6.5 * s and cy < 6.0 * s:
                    colour = (215, 238, 255)  # highlight
            if 4.2 * s < d <= 5.6 * s:
                colour = (20, 60, 140)  # rim
            u = (cx + cy) / 2 - 10.0 * s
            v = abs(cx - cy)
            if 0.0 <= u <= 5.3 * s and v <= 1.8 * s and d > 5.0 * s:
                colour = (90, 55, 25)  # handle
            row.append(colour)
        rows.append(row)
    return rows


def bmp24(rows):
    height, width = len(rows), len(rows[0])
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        pixels += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + pixels


def icon_image(rows):
    height, width = len(rows), len(rows[0])
    info = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    mask = bytearray()
    mask_stride = ((width + 31) // 32) * 4
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (r, g, b) in enumerate(row):
            transparent = (r, g, b) == KEY
            xor += bytes((0, 0, 0, 0)) if transparent else bytes((b, g, r, 255))
            if transparent:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return info + xor + mask


def ico(images):
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, data = b"", b""
    for rows in images:
        body = icon_image(rows)
        size = len(rows)
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(body), offset + len(data))
        data += body
    return header + entries + data


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent
    (out / "menu_item.bmp").write_bytes(bmp24(magnifier(16)))
    (out / "KESTROExtc.ico").write_bytes(ico([magnifier(32), magnifier(16)]))


if __name__ == "__main__":
    main()
