#!/usr/bin/env python3
"""Draws the program's own small pictures: the two status icons, the two backgrounds of the
information panel and the skin engine's two mask pictures. Run once after changing it; the PNG files are committed.

    python3 tools/images/make_images.py
"""
import math
import os
import struct
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def write_png(path, width, height, pixel):
    """pixel(x, y) -> (r, g, b, a); 8-bit RGBA, no interlace."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(rows), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def lamp(inner, rim):
    """A round lamp of 16x16 pixels with a soft edge and a small highlight."""
    def pixel(x, y):
        cx, cy, r = 7.5, 7.5, 6.8
        d = math.hypot(x - cx, y - cy)
        a = max(0.0, min(1.0, r + 0.5 - d))
        if a <= 0:
            return (0, 0, 0, 0)
        t = min(1.0, d / r)
        col = [int(inner[i] * (1 - t * t) + rim[i] * t * t) for i in range(3)]
        h = math.hypot(x - 5.5, y - 5.0)
        if h < 2.2:
            k = (2.2 - h) / 2.2 * 0.7
            col = [int(c + (255 - c) * k) for c in col]
        return (col[0], col[1], col[2], int(255 * a))
    return pixel


def background(top, bottom, width=1040, height=64):
    def pixel(x, y):
        t = y / (height - 1)
        wave = 0.06 * math.sin(x / 90.0 + y / 25.0)
        col = [max(0, min(255, int(top[i] * (1 - t) + bottom[i] * t + 255 * wave * (1 if i == 2 else 0.5))))
               for i in range(3)]
        return (col[0], col[1], col[2], 255)
    return width, height, pixel


def soft_mask(size, radius, softness):
    """A white mask whose alpha falls off softly outside a rounded square: full inside, zero at
    the edge. The engine's helper windows use it as a plain soft spot."""
    def pixel(x, y):
        c = (size - 1) / 2.0
        half = size / 2.0 - softness
        dx = max(0.0, abs(x - c) - (half - radius))
        dy = max(0.0, abs(y - c) - (half - radius))
        d = math.hypot(dx, dy) - radius
        a = max(0.0, min(1.0, 1.0 - d / softness))
        return (255, 255, 255, int(round(255 * a * a)))
    return pixel


def main():
    write_png(os.path.join(ROOT, "app", "res", "connected.png"), 16, 16, lamp((120, 230, 110), (20, 120, 30)))
    write_png(os.path.join(ROOT, "app", "res", "disconnected.png"), 16, 16, lamp((240, 110, 100), (140, 25, 20)))
    w, h, p = background((40, 44, 52), (18, 20, 26))
    write_png(os.path.join(ROOT, "app", "themes", "bg_dark.png"), w, h, p)
    w, h, p = background((236, 240, 246), (200, 210, 224))
    write_png(os.path.join(ROOT, "app", "themes", "bg_light.png"), w, h, p)
    # The two mask pictures the skin engine carries.
    write_png(os.path.join(ROOT, "skin", "engine", "res", "acMask1.png"), 32, 32, soft_mask(32, 6, 8))
    write_png(os.path.join(ROOT, "skin", "engine", "res", "acMask2.png"), 24, 24, soft_mask(24, 11, 1))


if __name__ == "__main__":
    main()
