#!/usr/bin/env python3
"""Draws the program's icon (48, 32 and 16 pixels, 32-bit colour with alpha)
and its logo bitmap (86 x 27 pixels, 24-bit colour) without any image library.

    python3 tools/make_ui_images.py [OUTPUT_DIR]    (default: src/ui/res)

The build uses the committed outputs, so no image tool is needed to build.
"""
import math
import os
import struct
import sys

SUPERSAMPLE = 4

# Colours as (r, g, b).
SHIELD_TOP = (66, 146, 230)
SHIELD_BOTTOM = (22, 82, 168)
SHIELD_EDGE = (14, 52, 112)
MARK = (255, 255, 255)
LOGO_TEXT = (24, 78, 150)
BAND = (222, 239, 255)  # the dialog's band colour 0xFFEFDE


def shield_inside(x, y):
    """Unit shield: flat top with rounded corners, sides curving to a point at the bottom."""
    if y < 0.06 or y > 0.97:
        return False
    half = 0.40 if y < 0.5 else 0.40 * math.sqrt(max(0.0, 1 - ((y - 0.5) / 0.47) ** 2))
    if abs(x - 0.5) > half:
        return False
    # Round the two top corners.
    for cx in (0.5 - 0.40 + 0.08, 0.5 + 0.40 - 0.08):
        if y < 0.14 and abs(x - 0.5) > 0.40 - 0.08 and math.hypot(x - cx, y - 0.14) > 0.08:
            return False
    return True


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def near_polyline(px, py, points, width):
    return any(segment_distance(px, py, *points[i], *points[i + 1]) <= width / 2 for i in range(len(points) - 1))


CHECK_MARK = [(0.30, 0.50), (0.45, 0.66), (0.72, 0.33)]


def shield_sample(x, y, size):
    """Colour and alpha of the icon at unit position (x, y)."""
    if not shield_inside(x, y):
        return None
    edge = 1.5 / size
    inner = all(shield_inside(x + ox, y + oy) for ox, oy in ((edge, 0), (-edge, 0), (0, edge), (0, -edge)))
    if not inner:
        return SHIELD_EDGE
    if near_polyline(x, y, CHECK_MARK, 0.12):
        return MARK
    t = (y - 0.06) / 0.91
    return tuple(round(a + (b - a) * t) for a, b in zip(SHIELD_TOP, SHIELD_BOTTOM))


def render_icon(size):
    """Rows top to bottom of (b, g, r, a), straight alpha."""
    rows = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            total = [0, 0, 0]
            covered = 0
            for sy in range(n):
                for sx in range(n):
                    c = shield_sample((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size, size)
                    if c is not None:
                        covered += 1
                        for i in range(3):
                            total[i] += c[i]
            if covered == 0:
                row.append((0, 0, 0, 0))
            else:
                r, g, b = (round(v / covered) for v in total)
                row.append((b, g, r, round(255 * covered / (n * n))))
        rows.append(row)
    return rows


def icon_image(size):
    rows = render_icon(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes(p) for row in reversed(rows) for p in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def write_icon(path, sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


# Letters as strokes in a unit box (x right, y down).
GLYPHS = {
    "V": [[(0.0, 0.0), (0.5, 1.0), (1.0, 0.0)]],
    "E": [[(1.0, 0.0), (0.0, 0.0), (0.0, 1.0), (1.0, 1.0)], [(0.0, 0.5), (0.8, 0.5)]],
    "X": [[(0.0, 0.0), (1.0, 1.0)], [(1.0, 0.0), (0.0, 1.0)]],
    "L": [[(0.0, 0.0), (0.0, 1.0), (1.0, 1.0)]],
    "O": [[(0.5 + 0.5 * math.sin(a * math.pi / 16), 0.5 - 0.5 * math.cos(a * math.pi / 16)) for a in range(33)]],
}


def logo_sample(x, y):
    """Colour of the logo at pixel position (x, y) in an 86 x 27 picture."""
    # A small shield at the left, 23 pixels high.
    sx, sy, ss = 1.0, 2.0, 23.0
    if sx <= x < sx + ss and sy <= y < sy + ss:
        c = shield_sample((x - sx) / ss, (y - sy) / ss, ss)
        if c is not None:
            return c
    # "VEXLO", 15 pixels high, letters 9 wide with gaps of 2.5.
    top, height, width, gap, stroke = 6.0, 15.0, 9.0, 2.5, 2.6
    left = 28.0
    for i, letter in enumerate("VEXLO"):
        x0 = left + i * (width + gap)
        inset = stroke / 2
        for stroke_points in GLYPHS[letter]:
            points = [(x0 + inset + px * (width - stroke), top + inset + py * (height - stroke)) for px, py in stroke_points]
            if near_polyline(x, y, points, stroke):
                return LOGO_TEXT
    return BAND


def write_logo(path, width=86, height=27):
    n = SUPERSAMPLE
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for py in range(height):
        row = bytearray()
        for px in range(width):
            total = [0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    c = logo_sample(px + (sx + 0.5) / n, py + (sy + 0.5) / n)
                    for i in range(3):
                        total[i] += c[i]
            r, g, b = (round(v / (n * n)) for v in total)
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        rows.append(bytes(row))
    pixels = b"".join(reversed(rows))
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "src", "ui", "res")
    os.makedirs(out, exist_ok=True)
    write_icon(os.path.join(out, "vexlo.ico"), [48, 32, 16])
    write_logo(os.path.join(out, "logo.bmp"))


if __name__ == "__main__":
    main()
