#!/usr/bin/env python3
"""Draws the program icons (a handheld terminal with a scan beam) into vantor.ico and vantor_small.ico.

Run from this folder: python3 make_icons.py. Plain Python, no imaging library: each image is
rendered with 4 x 4 supersampling and stored as a 32-bit BGRA DIB inside the icon file."""
import struct

BODY = (52, 60, 72)
BODY_EDGE = (28, 32, 40)
SCREEN = (149, 178, 195)
TEXT = (40, 52, 64)
FIELD = (255, 255, 255)
KEY = (120, 130, 145)
BEAM = (230, 40, 40)


def inside_round_rect(x, y, x0, y0, x1, y1, r):
    if x < x0 or x > x1 or y < y0 or y > y1:
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def shade(x, y):
    """Colour and coverage of the unit square picture at (x, y), both 0..1."""
    # Scan beam fanning out above the device.
    if 0.02 <= y <= 0.16:
        half = 0.06 + (0.16 - y) * 1.2
        if abs(x - 0.5) <= half and abs(x - 0.5) >= half - 0.05:
            return BEAM
        if y <= 0.05 and abs(x - 0.5) <= half:
            return BEAM
    if inside_round_rect(x, y, 0.18, 0.16, 0.82, 0.98, 0.08):
        if not inside_round_rect(x, y, 0.21, 0.19, 0.79, 0.95, 0.06):
            return BODY_EDGE
        if 0.26 <= x <= 0.74 and 0.24 <= y <= 0.58:
            # The screen: two text rows and an entry field.
            if 0.30 <= x <= 0.62 and 0.29 <= y <= 0.34:
                return TEXT
            if 0.30 <= x <= 0.52 and 0.39 <= y <= 0.44:
                return TEXT
            if 0.30 <= x <= 0.70 and 0.48 <= y <= 0.54:
                return FIELD
            return SCREEN
        for row in range(3):
            for col in range(3):
                kx = 0.29 + col * 0.16
                ky = 0.64 + row * 0.10
                if kx <= x <= kx + 0.10 and ky <= y <= ky + 0.06:
                    return KEY
        return BODY
    return None


def render(size):
    sub = 4
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(sub):
                for sx in range(sub):
                    c = shade((px + (sx + 0.5) / sub) / size, (py + (sy + 0.5) / sub) / size)
                    if c is not None:
                        hits += 1
                        for i in range(3):
                            acc[i] += c[i]
            if hits:
                row.append((acc[0] // hits, acc[1] // hits, acc[2] // hits, hits * 255 // (sub * sub)))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


def dib(pixels):
    size = len(pixels)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    body = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            body += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(body) + bytes(mask)


def write_icon(path, sizes):
    images = [dib(render(s)) for s in sizes]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, 'wb') as f:
        f.write(out)


write_icon('vantor.ico', [32, 48, 16])
write_icon('vantor_small.ico', [16])
