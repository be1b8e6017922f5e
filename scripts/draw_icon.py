#!/usr/bin/env python3
"""Draws the program icon: a stylised portable gas detector, 48 x 48 pixels,
32 bits per pixel with an alpha channel, written as a one-image .ico file.

Usage: draw_icon.py OUTPUT.ico

The picture is a list of filled shapes painted in order (later ones cover
earlier ones), sampled 4 x 4 times per pixel for smooth edges. Only the
standard library is used, so the icon can be redrawn on any machine.
"""

import struct
import sys

SIZE = 48
SUBSAMPLES = 4


def rounded_rect(left, top, right, bottom, radius):
    def inside(x, y):
        if not (left <= x <= right and top <= y <= bottom):
            return False
        cx = min(max(x, left + radius), right - radius)
        cy = min(max(y, top + radius), bottom - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
    return inside


def circle(cx, cy, radius):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def polyline(points, half_width):
    """A stroked line through the points, half_width on either side."""
    def distance_to_segment(x, y, a, b):
        (ax, ay), (bx, by) = a, b
        dx, dy = bx - ax, by - ay
        t = ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)
        t = min(max(t, 0.0), 1.0)
        return ((x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2) ** 0.5
    segments = list(zip(points, points[1:]))
    return lambda x, y: any(distance_to_segment(x, y, a, b) <= half_width for a, b in segments)


OUTLINE = (60, 45, 10, 255)
CASING = (242, 183, 5, 255)
GRIP = (48, 48, 52, 255)
SCREEN = (24, 52, 40, 255)
READING = (140, 242, 154, 255)
HOLE = (12, 12, 14, 255)

# Painted in this order.
SHAPES = [
    (rounded_rect(9.5, 3.5, 38.5, 45.5, 7), OUTLINE),
    (rounded_rect(11, 5, 37, 44, 5.5), CASING),
    (circle(24, 10.5, 4.5), GRIP),
    (circle(22.3, 9.3, 0.9), HOLE),
    (circle(25.7, 9.3, 0.9), HOLE),
    (circle(22.3, 11.7, 0.9), HOLE),
    (circle(25.7, 11.7, 0.9), HOLE),
    (rounded_rect(14, 17, 34, 30, 2), GRIP),
    (rounded_rect(15.5, 18.5, 32.5, 28.5, 1.2), SCREEN),
    (polyline([(17, 25.5), (20, 25.5), (22, 21), (24.5, 27), (27, 22.5), (29, 25.5), (31, 25.5)], 0.8), READING),
    (circle(19, 37.5, 3), GRIP),
    (circle(29, 37.5, 3), GRIP),
]


def pixel(px, py):
    """Straight (not premultiplied) RGBA of one pixel, averaged over samples."""
    totals = [0.0, 0.0, 0.0, 0.0]
    for sy in range(SUBSAMPLES):
        for sx in range(SUBSAMPLES):
            x = px + (sx + 0.5) / SUBSAMPLES
            y = py + (sy + 0.5) / SUBSAMPLES
            colour = (0, 0, 0, 0)
            for inside, fill in SHAPES:
                if inside(x, y):
                    colour = fill
            alpha = colour[3] / 255.0
            for i in range(3):
                totals[i] += colour[i] * alpha
            totals[3] += alpha
    count = SUBSAMPLES * SUBSAMPLES
    if totals[3] == 0:
        return (0, 0, 0, 0)
    rgb = [round(totals[i] / totals[3]) for i in range(3)]
    return (rgb[0], rgb[1], rgb[2], round(255 * totals[3] / count))


def icon_bytes():
    # The image is a bottom-up DIB of twice the height (colour rows, then the
    # 1-bit AND mask, which is all zero: the alpha channel decides).
    rows = []
    for py in reversed(range(SIZE)):
        row = bytearray()
        for px in range(SIZE):
            r, g, b, a = pixel(px, py)
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    mask_row_bytes = ((SIZE + 31) // 32) * 4
    mask = bytes(mask_row_bytes * SIZE)
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 32, 0, SIZE * SIZE * 4 + len(mask), 0, 0, 0, 0)
    image = header + b''.join(rows) + mask
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    with open(sys.argv[1], 'wb') as output:
        output.write(icon_bytes())


if __name__ == '__main__':
    main()
