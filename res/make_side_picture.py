#!/usr/bin/env python3
"""Draws bitmap 101, the wizard's side picture: 120 x 260 pixels, 8 bits per pixel.

A soft vertical gradient with a camera aperture framed by the corner marks of a screen
capture. The palette is 32 steps of the gradient times 8 strengths of a light overlay, so
that the motif blends into the background with 256 colours; ordered dithering hides the
steps of the gradient.

Usage: make_side_picture.py OUTPUT.bmp
"""

import math
import struct
import sys

WIDTH, HEIGHT = 120, 260
GRADIENT_STEPS, OVERLAY_STEPS = 32, 8

TOP = (22, 44, 82)        # deep blue
BOTTOM = (70, 150, 170)   # soft teal
LIGHT = (235, 246, 255)   # the motif's light
OVERLAY_MAX = 0.85        # strongest overlay, reached by the aperture's outline

CENTRE = (60.0, 104.0)
RING_RADIUS = 34.0
OPENING_RADIUS = 13.0
BLADES = 6
FRAME = (14.0, 56.0, 106.0, 152.0)  # left, top, right, bottom of the capture marks
SUBSAMPLES = 4

BAYER4 = [[0, 8, 2, 10], [12, 4, 14, 6], [3, 11, 1, 9], [15, 7, 13, 5]]


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def palette():
    colours = []
    for level in range(OVERLAY_STEPS):
        strength = OVERLAY_MAX * level / (OVERLAY_STEPS - 1)
        for step in range(GRADIENT_STEPS):
            background = mix(TOP, BOTTOM, step / (GRADIENT_STEPS - 1))
            colours.append(mix(background, LIGHT, strength))
    return colours


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def blade_edges():
    """Each edge of the hexagonal opening, carried on until it meets the ring."""
    cx, cy = CENTRE
    turn = math.radians(15.0)
    corners = [(cx + OPENING_RADIUS * math.cos(turn + k * 2 * math.pi / BLADES),
                cy + OPENING_RADIUS * math.sin(turn + k * 2 * math.pi / BLADES))
               for k in range(BLADES)]
    edges = []
    for k in range(BLADES):
        (ax, ay), (bx, by) = corners[k], corners[(k + 1) % BLADES]
        ux, uy = bx - ax, by - ay
        length = math.hypot(ux, uy)
        ux, uy = ux / length, uy / length
        # Solve |b + s*u - c| = R for s > 0.
        ox, oy = bx - cx, by - cy
        half_b = ox * ux + oy * uy
        s = -half_b + math.sqrt(half_b * half_b - (ox * ox + oy * oy - RING_RADIUS ** 2))
        edges.append((ax, ay, bx + s * ux, by + s * uy))
    return edges


def inside_opening(x, y):
    cx, cy = CENTRE
    angle = math.atan2(y - cy, x - cx) - math.radians(15.0)
    sector = 2 * math.pi / BLADES
    local = (angle % sector) - sector / 2
    apothem = OPENING_RADIUS * math.cos(sector / 2)
    return math.hypot(x - cx, y - cy) * math.cos(local) < apothem


def capture_marks(x, y):
    left, top, right, bottom = FRAME
    arm, half_width = 13.0, 1.0
    for corner_x, corner_y, sx, sy in ((left, top, 1, 1), (right, top, -1, 1),
                                       (left, bottom, 1, -1), (right, bottom, -1, -1)):
        along_x, along_y = (x - corner_x) * sx, (y - corner_y) * sy
        if -half_width <= along_y <= half_width and -half_width <= along_x <= arm:
            return True
        if -half_width <= along_x <= half_width and -half_width <= along_y <= arm:
            return True
    return False


def overlay(x, y, edges):
    """Strength of the light over the background at one point, 0 to 1."""
    cx, cy = CENTRE
    r = math.hypot(x - cx, y - cy)
    strength = 0.0
    if abs(r - RING_RADIUS) <= 1.1:
        strength = 1.0
    elif r < RING_RADIUS:
        if any(segment_distance(x, y, *edge) <= 0.6 for edge in edges):
            strength = 0.8
        elif inside_opening(x, y):
            strength = 0.0
        else:
            # A whole overlay step, so that the blades stay flat and undithered.
            strength = 2.0 / (OVERLAY_STEPS - 1)
    elif abs(r - RING_RADIUS - 7.0) <= 0.5:
        strength = 0.3
    if capture_marks(x, y):
        strength = max(strength, 0.9)
    # A faint row of "shutter" dots under the frame.
    for k in range(5):
        if math.hypot(x - (36.0 + 12.0 * k), y - 176.0) <= 1.6:
            strength = max(strength, 0.5)
    return strength


def pixels():
    edges = blade_edges()
    rows = []
    for y in range(HEIGHT):
        row = bytearray()
        for x in range(WIDTH):
            threshold = (BAYER4[y % 4][x % 4] + 0.5) / 16.0
            total = 0.0
            for sy in range(SUBSAMPLES):
                for sx in range(SUBSAMPLES):
                    total += overlay(x + (sx + 0.5) / SUBSAMPLES, y + (sy + 0.5) / SUBSAMPLES, edges)
            light = total / (SUBSAMPLES * SUBSAMPLES)
            level = min(OVERLAY_STEPS - 1, int(light * (OVERLAY_STEPS - 1) + threshold))
            # A gentle curve keeps the top darker for longer.
            position = (y / (HEIGHT - 1)) ** 1.15 * (GRADIENT_STEPS - 1)
            step = min(GRADIENT_STEPS - 1, int(position + threshold))
            row.append(level * GRADIENT_STEPS + step)
        rows.append(bytes(row))
    return rows


def write_bmp(path):
    colours = palette()
    assert len(colours) == 256
    stride = (WIDTH + 3) & ~3
    image = b"".join(row + b"\0" * (stride - WIDTH) for row in reversed(pixels()))  # bottom-up
    colour_table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)
    offset = 14 + 40 + len(colour_table)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(image), 0, 0, offset)
    info_header = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, len(image),
                              2835, 2835, 256, 0)
    with open(path, "wb") as out:
        out.write(file_header + info_header + colour_table + image)


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit("usage: make_side_picture.py OUTPUT.bmp")
    write_bmp(sys.argv[1])
