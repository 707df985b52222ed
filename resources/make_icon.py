#!/usr/bin/env python3
"""Draws the launcher's icon and writes it as resources/launcher.ico.

The design: a rounded square in deep teal with a white arrow pointing right
out of an open frame, "hand over to the next program". Each size is drawn
from the same geometry with 4x4 supersampling, as 32-bit images with alpha.
Every size is stored as PNG, which Windows reads in icons from Vista on and
which keeps the icon a fraction of the size of plain bitmaps. (bitmap() stays
for a system that needs one: list its sizes in BITMAP_SIZES.)
Run it again after changing the design; the build uses the .ico it writes.
"""
import os
import struct
import zlib

BITMAP_SIZES = ()
PNG_SIZES = (16, 32, 48)
SAMPLES = 4
BACKGROUND = (0x1F, 0x6F, 0x78)  # RGB
FOREGROUND = (0xFF, 0xFF, 0xFF)


def inside_rounded_square(x, y):
    margin, radius = 0.06, 0.2
    lo, hi = margin + radius, 1 - margin - radius
    cx = min(max(x, lo), hi)
    cy = min(max(y, lo), hi)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def on_arrow(x, y):
    # Shaft from the frame's middle to the head, and a triangular head.
    if 0.36 <= x <= 0.62 and 0.44 <= y <= 0.56:
        return True
    if 0.58 <= x <= 0.84:
        half = 0.20 * (0.84 - x) / 0.26
        return abs(y - 0.5) <= half
    return False


def on_frame(x, y):
    # An open frame on the left: top, left and bottom bars.
    in_outer = 0.20 <= x <= 0.52 and 0.24 <= y <= 0.76
    in_inner = 0.29 <= x and 0.33 <= y <= 0.67
    return in_outer and not in_inner


def pixel(size, px, py):
    cover = fore = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            x = (px + (sx + 0.5) / SAMPLES) / size
            y = (py + (sy + 0.5) / SAMPLES) / size
            if inside_rounded_square(x, y):
                cover += 1
                if on_arrow(x, y) or on_frame(x, y):
                    fore += 1
    n = SAMPLES * SAMPLES
    if cover == 0:
        return (0, 0, 0, 0)
    mix = fore / cover
    rgb = [round(b * (1 - mix) + f * mix) for b, f in zip(BACKGROUND, FOREGROUND)]
    return (rgb[2], rgb[1], rgb[0], round(255 * cover / n))  # BGRA


def png(size):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b""
    for py in range(size):  # top-down, each row after a filter byte of 0
        raw += b"\0" + b"".join(bytes((r, g, b, a)) for b, g, r, a in (pixel(size, px, py) for px in range(size)))
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def bitmap(size):
    rows = []
    for py in reversed(range(size)):  # bottom-up
        rows.append(b"".join(struct.pack("4B", *pixel(size, px, py)) for px in range(size)))
    xor = b"".join(rows)
    mask_stride = ((size + 31) // 32) * 4
    and_mask = bytes(mask_stride * size)  # alpha decides; the mask shows all
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def main():
    sizes = BITMAP_SIZES + PNG_SIZES
    images = [bitmap(size) for size in BITMAP_SIZES] + [png(size) for size in PNG_SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "launcher.ico")
    with open(path, "wb") as f:
        f.write(out)
    print(f"wrote {path} ({len(out)} bytes)")


if __name__ == "__main__":
    main()
