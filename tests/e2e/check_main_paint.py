#!/usr/bin/env python3
"""Checks a screenshot of the main dialog's client area (PPM) against its painting.

usage: check_main_paint.py SHOT.ppm LOGO.bmp "L T R B of link 1011" "L T R B of link 1009"

Two 40-pixel bands in 0xFFEFDE with a black line along each band's inner edge,
the logo copied exactly 100 pixels from the right edge and 7 below the bottom
band's top, the program icon at (10, 5), dark title text in the top band, the
home link on the band colour and the forum link on the button face.
"""
import sys

BAND = (222, 239, 255)
BLACK = (0, 0, 0)


def read_ppm(path):
    data = open(path, "rb").read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    assert fields[0] == b"P6" and fields[3] == b"255", fields
    width, height = int(fields[1]), int(fields[2])
    pixels = data[pos + 1:]
    return width, height, lambda x, y: tuple(pixels[(y * width + x) * 3:(y * width + x) * 3 + 3])


def read_bmp24(path):
    data = open(path, "rb").read()
    offset = int.from_bytes(data[10:14], "little")
    width = int.from_bytes(data[18:22], "little", signed=True)
    height = int.from_bytes(data[22:26], "little", signed=True)
    assert int.from_bytes(data[28:30], "little") == 24
    stride = (width * 3 + 3) // 4 * 4

    def pixel(x, y):
        at = offset + (height - 1 - y) * stride + x * 3
        b, g, r = data[at:at + 3]
        return (r, g, b)

    return width, height, pixel


def main():
    width, height, shot = read_ppm(sys.argv[1])
    logo_w, logo_h, logo = read_bmp24(sys.argv[2])
    home = [int(v) for v in sys.argv[3].split()]
    forum = [int(v) for v in sys.argv[4].split()]
    face = shot(width - 3, 60)
    failures = []

    def expect(what, ok):
        if not ok:
            failures.append(what)

    expect("button face differs from the band", face != BAND)
    expect("top band", shot(width // 2, 20) == BAND and shot(width - 3, 3) == BAND)
    expect("bottom band", shot(width // 2, height - 20) == BAND and shot(3, height - 3) == BAND)
    expect("area between the bands", shot(width // 2, 41) == face and shot(width // 2, height - 41) == face)
    for x in (0, width // 2, width - 2):
        expect(f"line under the top band at x={x}", shot(x, 40) == BLACK)
        expect(f"line over the bottom band at x={x}", shot(x, height - 40) == BLACK)
    left, top = width - 100, height - 40 + 7
    mismatched = [(x, y) for y in range(logo_h) for x in range(logo_w) if shot(left + x, top + y) != logo(x, y)]
    expect(f"logo at ({left}, {top}): {len(mismatched)} pixels differ", not mismatched)
    expect("logo ends 14 pixels from the right and 6 above the bottom",
           width - (left + logo_w) == 14 and height - (top + logo_h) == 6)
    icon = [shot(x, y) for y in range(5, 37) for x in range(10, 42)]
    expect("icon in the top band", any(p[2] > p[0] + 60 and p != BAND for p in icon))
    expect("nothing of the icon left of x=10", all(shot(x, y) == BAND for y in range(5, 37) for x in range(0, 10)))
    title = [shot(x, y) for y in range(0, 40) for x in range(50, width - 50)]
    expect("title text in the top band", sum(1 for p in title if sum(p) < 150) > 50)
    expect("home link on the band colour", shot(home[0] + 1, home[3] - 2) == BAND)
    expect("forum link on the button face", shot(forum[0] + 1, forum[3] - 2) == face)
    for f in failures:
        print("paint:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
