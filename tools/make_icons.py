#!/usr/bin/env python3
"""Draws Brackenfold's folder icon and writes the two icon files that the
plugin's resource script embeds:

  plugin/resources/folder_classic.ico  16x16 and 32x32, 16 colours (group 1000)
  plugin/resources/folder.ico          128x128, 32 bits with alpha (group 1001)

The picture is a folder with a tag on its front, drawn from a few shapes in
unit coordinates, so changing the picture means changing the shapes below.
Run from anywhere: python3 tools/make_icons.py. Standard library only.
"""

import os
import struct

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT_DIR = os.path.join(ROOT, "plugin", "resources")

# The standard 16-colour palette (index: (r, g, b)).
PALETTE16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, OLIVE, RED, YELLOW = 0, 3, 9, 11


# ---- shapes: each answers whether a point (x, y in 0..1, y downwards) lies
# inside it, shrunk by an inset d (used to draw outlines as a larger dark
# shape under a smaller light one).

def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y, d):
        ax0, ay0, ax1, ay1 = x0 + d, y0 + d, x1 - d, y1 - d
        if not (ax0 <= x <= ax1 and ay0 <= y <= ay1):
            return False
        rr = max(r - d, 0.0)
        cx = min(max(x, ax0 + rr), ax1 - rr)
        cy = min(max(y, ay0 + rr), ay1 - rr)
        return (x - cx) ** 2 + (y - cy) ** 2 <= rr * rr + 1e-12
    return inside


def union(*shapes):
    return lambda x, y, d: any(s(x, y, d) for s in shapes)


def tag_label(x0, y0, x1, y1, tip):
    """A luggage tag: a rectangle with a point to the left ending at x = tip."""
    ymid = (y0 + y1) / 2.0
    half = (y1 - y0) / 2.0

    def inside(x, y, d):
        if not (y0 + d <= y <= y1 - d and x <= x1 - d):
            return False
        if x >= x0:
            return True
        # The point: the half height shrinks linearly towards the tip.
        reach = (x - tip) / (x0 - tip) * half - d * 1.4
        return x >= tip + d and abs(y - ymid) <= reach
    return inside


def circle(cx, cy, r):
    return lambda x, y, d: d < r and (x - cx) ** 2 + (y - cy) ** 2 <= (r - d) ** 2


BACK = union(rounded_rect(0.06, 0.22, 0.94, 0.86, 0.06), rounded_rect(0.06, 0.13, 0.44, 0.30, 0.05))
FRONT = rounded_rect(0.06, 0.34, 0.94, 0.86, 0.05)
TAG = tag_label(0.56, 0.52, 0.86, 0.74, 0.44)
HOLE = circle(0.545, 0.63, 0.035)


# ---- the 32-bit picture: layers composited with coverage from 4x4 samples.

def lerp(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3))


def layers_truecolour(line):
    """(shape, inset, colour of (x, y)) from bottom to top; line = outline width."""
    return [
        (BACK, 0.0, lambda x, y: (138, 90, 0)),
        (BACK, line, lambda x, y: lerp((232, 170, 40), (200, 130, 20), y)),
        (FRONT, 0.0, lambda x, y: (150, 100, 0)),
        (FRONT, line, lambda x, y: lerp((255, 224, 120), (244, 180, 48), (y - 0.34) / 0.52)),
        (TAG, 0.0, lambda x, y: (120, 20, 16)),
        (TAG, line, lambda x, y: lerp((232, 76, 60), (190, 44, 34), (y - 0.52) / 0.22)),
        (HOLE, 0.0, lambda x, y: (120, 20, 16)),
        (HOLE, line * 0.8, lambda x, y: (255, 236, 170)),
    ]


def render_truecolour(size, samples=4):
    line = 2.5 / size
    layers = layers_truecolour(line)
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for shape, inset, colour in layers:
                hits = 0
                for sy in range(samples):
                    for sx in range(samples):
                        x = (px + (sx + 0.5) / samples) / size
                        y = (py + (sy + 0.5) / samples) / size
                        if shape(x, y, inset):
                            hits += 1
                if hits == 0:
                    continue
                cov = hits / float(samples * samples)
                cr, cg, cb = colour((px + 0.5) / size, (py + 0.5) / size)
                # Premultiplied "over".
                r = cr * cov + r * (1 - cov)
                g = cg * cov + g * (1 - cov)
                b = cb * cov + b * (1 - cov)
                a = cov + a * (1 - cov)
            if a > 0:
                row.append((int(round(r / a)), int(round(g / a)), int(round(b / a)), int(round(a * 255))))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


# ---- the 16-colour picture: one sample per pixel, a one-pixel outline.

def render_classic(size):
    line = 1.0 / size
    layers = [
        (BACK, 0.0, BLACK), (BACK, line, OLIVE),
        (FRONT, 0.0, BLACK), (FRONT, line, YELLOW),
        (TAG, 0.0, BLACK), (TAG, line, RED),
    ]  # The tag's hole is too small to draw at these sizes.
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            x, y = (px + 0.5) / size, (py + 0.5) / size
            index = None
            for shape, inset, colour in layers:
                if shape(x, y, inset):
                    index = colour
            row.append(index)  # None: transparent
        pixels.append(row)
    return pixels


# ---- icon file writing (BMP-format images, rows bottom-up, 4-byte aligned).

def padded(row_bytes):
    return row_bytes + b"\0" * ((-len(row_bytes)) % 4)


def and_mask(transparent_rows, size):
    out = b""
    for row in reversed(transparent_rows):
        bits = bytearray((size + 7) // 8)
        for x, clear in enumerate(row):
            if clear:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += padded(bytes(bits))
    return out


def bitmap_header(size, bits, colours):
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, colours, 0)


def image_truecolour(pixels):
    size = len(pixels)
    xor = b"".join(bytes(v for (r, g, b, a) in row for v in (b, g, r, a)) for row in reversed(pixels))
    mask = and_mask([[a == 0 for (_, _, _, a) in row] for row in pixels], size)
    return bitmap_header(size, 32, 0) + xor + mask


def image_classic(pixels):
    size = len(pixels)
    palette = b"".join(struct.pack("BBBB", b, g, r, 0) for (r, g, b) in PALETTE16)
    xor = b""
    for row in reversed(pixels):
        nibbles = [0 if i is None else i for i in row]
        packed = bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, size, 2))
        xor += padded(packed)
    mask = and_mask([[i is None for i in row] for row in pixels], size)
    return bitmap_header(size, 4, 16) + palette + xor + mask


def write_icon(path, images):
    """images: list of (size, colour count for the directory, bits, data)."""
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = len(head) + 16 * len(images)
    entries = b""
    blobs = b""
    for size, colour_count, bits, data in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, colour_count, 0, 1, bits, len(data), offset)
        offset += len(data)
        blobs += data
    with open(path, "wb") as f:
        f.write(head + entries + blobs)


def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    write_icon(os.path.join(OUT_DIR, "folder_classic.ico"),
               [(s, 16, 4, image_classic(render_classic(s))) for s in (16, 32)])
    write_icon(os.path.join(OUT_DIR, "folder.ico"), [(128, 0, 32, image_truecolour(render_truecolour(128)))])


if __name__ == "__main__":
    main()
