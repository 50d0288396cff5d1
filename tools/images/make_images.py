#!/usr/bin/env python3
"""Draws the program's own small pictures: the two status icons, the two state dots and the
banner of the information panel, the two backgrounds of the information panel, the skin engine's two mask pictures and the edit buttons' five glyph strips. Run once after changing it; the PNG files are committed.

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


def dot(inner, rim):
    """A small round dot in the middle of 16x16 pixels, soft at its edge."""
    def pixel(x, y):
        d = math.hypot(x - 7.5, y - 7.5)
        a = max(0.0, min(1.0, 4.6 - d))
        if a <= 0:
            return (0, 0, 0, 0)
        t = min(1.0, d / 4.6)
        col = [int(inner[i] * (1 - t) + rim[i] * t) for i in range(3)]
        return (col[0], col[1], col[2], int(255 * a))
    return pixel


def banner(width=132, height=40, n=3):
    """The information panel's banner, as high as the panel: a rounded bar from amber to red with
    a white heart and three white bars beside it, inset by a see-through margin."""
    l, t, r, b = 5.0, 4.0, width - 5.0, height - 4.0

    def heart(x, y):
        # Two circles and a triangle, about 18 pixels wide, left in the bar.
        x, y = x - l, y - t
        cx, cy, r = 20.0, 13.5, 4.6
        if math.hypot(x - (cx - 4.2), y - cy) <= r or math.hypot(x - (cx + 4.2), y - cy) <= r:
            return True
        return _inside_polygon(x, y, [(cx - 8.6, cy + 1.6), (cx + 8.6, cy + 1.6), (cx, cy + 11.5)])

    def bars(x, y):
        x, y = x - l, y - t
        return any(_inside_round_rect(x, y, 38, top, 38 + w, top + 4, 2) for top, w in ((8, 70), (14.5, 54), (21, 62)))

    def pixel(px, py):
        acc = [0.0, 0.0, 0.0, 0.0]
        for sy in range(n):
            for sx in range(n):
                x, y = px + (sx + 0.5) / n, py + (sy + 0.5) / n
                if not _inside_round_rect(x, y, l, t, r, b, 9):
                    continue
                k = (x - l) / (r - l)
                col = (250 * (1 - k) + 214 * k, 170 * (1 - k) + 60 * k, 40 * (1 - k) + 52 * k)
                if heart(x, y) or bars(x, y):
                    col = (255, 255, 255)
                acc[0] += col[0]
                acc[1] += col[1]
                acc[2] += col[2]
                acc[3] += 1
        if acc[3] == 0:
            return (0, 0, 0, 0)
        return tuple(int(round(acc[i] / acc[3])) for i in range(3)) + (int(round(255 * acc[3] / (n * n))),)
    return width, height, pixel


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


# ---- the edit buttons' glyph strips: two 24x24 frames side by side (normal, hot) ----------------

def _inside_round_rect(x, y, l, t, r, b, rad):
    cx = min(max(x, l + rad), r - rad)
    cy = min(max(y, t + rad), b - rad)
    return math.hypot(x - cx, y - cy) <= rad


def _inside_polygon(x, y, pts):
    inside = False
    j = len(pts) - 1
    for i in range(len(pts)):
        xi, yi = pts[i]
        xj, yj = pts[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            inside = not inside
        j = i
    return inside


def _over(dst, src):
    """src (r, g, b, a 0..1) over dst, straight alpha."""
    sa, da = src[3], dst[3]
    a = sa + da * (1 - sa)
    if a <= 0:
        return (0.0, 0.0, 0.0, 0.0)
    return tuple((src[i] * sa + dst[i] * da * (1 - sa)) / a for i in range(3)) + (a,)


def _supersampled(shapes, size=24, n=4):
    """shapes: a list of (test(x, y) -> bool, (r, g, b)) painted in order; each pixel is the mean
    of n x n samples, so edges are soft."""
    cells = {}
    for py in range(size):
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    x, y = px + (sx + 0.5) / n, py + (sy + 0.5) / n
                    c = (0.0, 0.0, 0.0, 0.0)
                    for test, col in shapes:
                        if test(x, y):
                            c = _over(c, (col[0], col[1], col[2], 1.0))
                    acc[0] += c[0] * c[3]
                    acc[1] += c[1] * c[3]
                    acc[2] += c[2] * c[3]
                    acc[3] += c[3]
            a = acc[3] / (n * n)
            if a <= 0:
                cells[px, py] = (0, 0, 0, 0)
            else:
                cells[px, py] = tuple(int(round(acc[i] / acc[3])) for i in range(3)) + (int(round(255 * a)),)
    return cells


def _frame_outline(test, width=1.0):
    """The band of a shape within width of its outside (a dark rim under the fill)."""
    def rim(x, y):
        return test(x, y) and not all(test(x + dx, y + dy) for dx, dy in
                                      ((width, 0), (-width, 0), (0, width), (0, -width)))
    return rim


def _folder(x0=2, y0=5):
    back = lambda x, y: _inside_round_rect(x, y, x0, y0 + 2, x0 + 19, y0 + 15, 1.2) or \
        _inside_round_rect(x, y, x0, y0, x0 + 8, y0 + 4, 1.0)
    front = lambda x, y: _inside_polygon(x, y, [(x0 + 2, y0 + 6), (x0 + 21, y0 + 6), (x0 + 19, y0 + 15), (x0, y0 + 15)])
    return [(back, (176, 122, 26)), (lambda x, y: back(x, y) and not _frame_outline(back)(x, y), (232, 178, 64)),
            (front, (190, 134, 30)), (lambda x, y: front(x, y) and not _frame_outline(front)(x, y), (252, 208, 96))]


def _magnifier(cx=16.5, cy=15.5):
    ring = lambda x, y: 2.6 <= math.hypot(x - cx, y - cy) <= 4.4
    glass = lambda x, y: math.hypot(x - cx, y - cy) < 2.6
    def handle(x, y):
        # a thick segment from the ring towards the bottom right corner
        ux, uy = x - cx, y - cy
        t = (ux + uy) / 2.0
        d = abs(ux - uy) / math.sqrt(2)
        return 3.4 <= t * math.sqrt(2) <= 9.0 and d <= 1.4
    return [(glass, (200, 228, 250)), (ring, (40, 60, 90)), (handle, (40, 60, 90))]


def _arrow():
    pts = [(9, 12), (15, 12), (15, 9), (21, 14.5), (15, 20), (15, 17), (9, 17)]
    shape = lambda x, y: _inside_polygon(x, y, pts)
    return [(shape, (24, 110, 32)), (lambda x, y: shape(x, y) and not _frame_outline(shape)(x, y), (72, 190, 70))]


def _calendar(hot):
    page = lambda x, y: _inside_round_rect(x, y, 3, 4, 21, 21, 1.5)
    head = lambda x, y: page(x, y) and y < 8.5
    inner = lambda x, y: page(x, y) and not _frame_outline(page)(x, y)
    rings = lambda x, y: any(math.hypot(x - rx, y - 4.2) <= 1.1 for rx in (8, 16))
    face = (255, 236, 140) if hot else (252, 252, 252)
    # "31" in blocky strokes
    def digit3(x, y):
        return (7 <= x <= 11 and (10 <= y <= 11 or 14 <= y <= 15 or 18 <= y <= 19)) or (10 <= x <= 11 and 10 <= y <= 19)
    def digit1(x, y):
        return (15 <= x <= 16 and 10 <= y <= 19) or (13.5 <= x <= 16 and 10 <= y <= 11.2 and y <= 11.2 - (x - 13.5) * 0.0)
    return [(page, (90, 96, 110)), (inner, face), (head, (200, 56, 48)), (rings, (60, 64, 72)),
            (digit3, (40, 44, 56)), (digit1, (40, 44, 56))]


def _text_field(hot):
    box = lambda x, y: _inside_round_rect(x, y, 1.5, 6.5, 22.5, 17.5, 2.0)
    inner = lambda x, y: box(x, y) and not _frame_outline(box)(x, y)
    dots = lambda x, y: any(math.hypot(x - dx, y - 12) <= 1.6 for dx in (7, 12, 17))
    return [(box, (70, 90, 120) if hot else (96, 102, 116)), (inner, (236, 244, 255) if hot else (250, 250, 250)),
            (dots, (30, 90, 170) if hot else (44, 48, 60))]


def _calculator(hot):
    body = lambda x, y: _inside_round_rect(x, y, 4, 2, 20, 22, 2.0)
    inner = lambda x, y: body(x, y) and not _frame_outline(body)(x, y)
    display = lambda x, y: 6.5 <= x <= 17.5 and 4.5 <= y <= 8.5
    keys = lambda x, y: any(kx <= x <= kx + 2.6 and ky <= y <= ky + 2.4
                            for kx in (6.5, 10.6, 14.7) for ky in (10.5, 14.2, 17.9))
    return [(body, (60, 66, 80)), (inner, (120, 132, 152) if hot else (104, 112, 128)),
            (display, (190, 230, 190) if hot else (176, 204, 176)), (keys, (240, 240, 244))]


def glyph_strip(normal, hot):
    a, b = _supersampled(normal), _supersampled(hot)
    return lambda x, y: a[x, y] if x < 24 else b[x - 24, y]


def edit_glyphs():
    """name -> pixel function of a 48x24 strip."""
    return {
        "SF": glyph_strip(_folder() + _arrow(), _folder() + _arrow() + _magnifier()),
        "SR": glyph_strip(_folder(), _folder() + _magnifier()),
        "SD": glyph_strip(_calendar(False), _calendar(True)),
        "SE": glyph_strip(_text_field(False), _text_field(True)),
        "SC": glyph_strip(_calculator(False), _calculator(True)),
    }


def main():
    write_png(os.path.join(ROOT, "app", "res", "connected.png"), 16, 16, lamp((120, 230, 110), (20, 120, 30)))
    write_png(os.path.join(ROOT, "app", "res", "disconnected.png"), 16, 16, lamp((240, 110, 100), (140, 25, 20)))
    write_png(os.path.join(ROOT, "app", "res", "dot_idle.png"), 16, 16, dot((170, 176, 186), (110, 116, 126)))
    write_png(os.path.join(ROOT, "app", "res", "dot_state.png"), 16, 16, dot((90, 170, 250), (30, 90, 190)))
    w, h, p = banner()
    write_png(os.path.join(ROOT, "app", "res", "banner.png"), w, h, p)
    w, h, p = background((40, 44, 52), (18, 20, 26))
    write_png(os.path.join(ROOT, "app", "themes", "bg_dark.png"), w, h, p)
    w, h, p = background((236, 240, 246), (200, 210, 224))
    write_png(os.path.join(ROOT, "app", "themes", "bg_light.png"), w, h, p)
    # The two mask pictures the skin engine carries.
    write_png(os.path.join(ROOT, "skin", "engine", "res", "acMask1.png"), 32, 32, soft_mask(32, 6, 8))
    write_png(os.path.join(ROOT, "skin", "engine", "res", "acMask2.png"), 24, 24, soft_mask(24, 11, 1))
    # The edit buttons' standard glyphs (file, folder, date, ellipsis, calculator).
    os.makedirs(os.path.join(ROOT, "skin", "controls", "res"), exist_ok=True)
    for name, pixel in edit_glyphs().items():
        write_png(os.path.join(ROOT, "skin", "controls", "res", name + ".png"), 48, 24, pixel)


if __name__ == "__main__":
    main()
