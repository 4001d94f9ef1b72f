#!/usr/bin/env python3
"""Draws Corvane's pictures and writes them as PNG files.

    python3 tools/make_pictures.py [output folder]   (default: resources/gfx)

Every picture is drawn here from geometric shapes, with 4x4 supersampling for
smooth edges, and written with zlib as 8-bit RGBA PNG.  Nothing is loaded from
anywhere else, so running the script again reproduces the same bytes.

  tarnic120_T.png        120 x 240  logo of the toolchain (Start page, Info box)
  download_128x128.png   128 x 128  Download page
  package_128x128.png    128 x 128  Install page
  icons.png              192 x 32   six 32 x 32 package-kind icons:
                                    0 other, 1 program, 2 RAR, 3 ZIP,
                                    4 desktop computer, 5 terminal
"""

import math
import os
import struct
import sys
import zlib

SS = 4  # subsamples per pixel edge


class Canvas:
    """A premultiplied RGBA drawing surface in pixel coordinates."""

    def __init__(self, width, height):
        self.w, self.h = width, height
        self.W, self.H = width * SS, height * SS
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(self.W * self.H)]

    # -- painting ---------------------------------------------------------
    def _blend(self, i, colour, alpha=1.0):
        r, g, b, a = colour
        a = a / 255.0 * alpha
        p = self.px[i]
        inv = 1.0 - a
        p[0] = r / 255.0 * a + p[0] * inv
        p[1] = g / 255.0 * a + p[1] * inv
        p[2] = b / 255.0 * a + p[2] * inv
        p[3] = a + p[3] * inv

    def _paint(self, paint, hx, hy):
        """paint is an RGBA tuple or a function of the pixel position."""
        if callable(paint):
            return paint((hx + 0.5) / SS, (hy + 0.5) / SS)
        return paint

    def fill_polygons(self, polygons, paint):
        """Fills the even-odd union of the polygons (lists of (x, y))."""
        edges = []
        ys = []
        for poly in polygons:
            n = len(poly)
            for k in range(n):
                x0, y0 = poly[k]
                x1, y1 = poly[(k + 1) % n]
                if y0 == y1:
                    continue
                edges.append((x0 * SS, y0 * SS, x1 * SS, y1 * SS))
                ys.extend((y0 * SS, y1 * SS))
        if not edges:
            return
        top = max(0, int(math.floor(min(ys))))
        bottom = min(self.H - 1, int(math.ceil(max(ys))))
        for hy in range(top, bottom + 1):
            cy = hy + 0.5
            xs = []
            for x0, y0, x1, y1 in edges:
                if (y0 <= cy < y1) or (y1 <= cy < y0):
                    xs.append(x0 + (cy - y0) * (x1 - x0) / (y1 - y0))
            xs.sort()
            for k in range(0, len(xs) - 1, 2):
                start = max(0, int(math.ceil(xs[k] - 0.5)))
                end = min(self.W - 1, int(math.floor(xs[k + 1] - 0.5)))
                row = hy * self.W
                for hx in range(start, end + 1):
                    self._blend(row + hx, self._paint(paint, hx, hy))

    def fill_polygon(self, points, paint):
        self.fill_polygons([points], paint)

    def fill_ellipse(self, cx, cy, rx, ry, paint, steps=96):
        pts = [(cx + rx * math.cos(2 * math.pi * k / steps),
                cy + ry * math.sin(2 * math.pi * k / steps)) for k in range(steps)]
        self.fill_polygon(pts, paint)

    def fill_circle(self, cx, cy, r, paint):
        self.fill_ellipse(cx, cy, r, r, paint)

    def fill_ring(self, cx, cy, r_out, r_in, paint, steps=96):
        outer = [(cx + r_out * math.cos(2 * math.pi * k / steps),
                  cy + r_out * math.sin(2 * math.pi * k / steps)) for k in range(steps)]
        inner = [(cx + r_in * math.cos(2 * math.pi * k / steps),
                  cy + r_in * math.sin(2 * math.pi * k / steps)) for k in range(steps)]
        self.fill_polygons([outer, inner], paint)

    def fill_rect(self, x, y, w, h, paint):
        self.fill_polygon([(x, y), (x + w, y), (x + w, y + h), (x, y + h)], paint)

    @staticmethod
    def rounded_rect_points(x, y, w, h, r, steps=10):
        pts = []
        corners = [(x + w - r, y + r, -90), (x + w - r, y + h - r, 0),
                   (x + r, y + h - r, 90), (x + r, y + r, 180)]
        for cx, cy, start in corners:
            for k in range(steps + 1):
                a = math.radians(start + 90 * k / steps)
                pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
        return pts

    def fill_rrect(self, x, y, w, h, r, paint):
        self.fill_polygon(self.rounded_rect_points(x, y, w, h, r), paint)

    def frame_rrect(self, x, y, w, h, r, width, paint):
        outer = self.rounded_rect_points(x, y, w, h, r)
        inner = self.rounded_rect_points(x + width, y + width, w - 2 * width, h - 2 * width,
                                         max(0.5, r - width))
        self.fill_polygons([outer, inner], paint)

    def line(self, x0, y0, x1, y1, width, paint):
        dx, dy = x1 - x0, y1 - y0
        length = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / length * width / 2, dx / length * width / 2
        self.fill_polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny),
                           (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], paint)

    def text(self, x, y, text, scale, paint, spacing=1):
        """Block letters from the 5 x 7 font below; scale = pixels per dot."""
        cx = x
        for ch in text:
            rows = FONT.get(ch.upper())
            if rows is None:
                cx += 6 * scale
                continue
            for ry, bits in enumerate(rows):
                for rx, bit in enumerate(bits):
                    if bit == "#":
                        self.fill_rect(cx + rx * scale, y + ry * scale, scale, scale, paint)
            cx += (5 + spacing) * scale

    # -- output -----------------------------------------------------------
    def pixels(self):
        """Downsampled straight-alpha RGBA rows."""
        out = []
        area = SS * SS
        for y in range(self.h):
            row = bytearray()
            for x in range(self.w):
                r = g = b = a = 0.0
                for sy in range(SS):
                    base = (y * SS + sy) * self.W + x * SS
                    for sx in range(SS):
                        p = self.px[base + sx]
                        r += p[0]
                        g += p[1]
                        b += p[2]
                        a += p[3]
                r, g, b, a = r / area, g / area, b / area, a / area
                if a > 0:
                    row += bytes((clamp(r / a), clamp(g / a), clamp(b / a), clamp(a)))
                else:
                    row += b"\0\0\0\0"
            out.append(bytes(row))
        return out

    def save(self, path):
        write_png(path, self.w, self.h, self.pixels())


def clamp(v):
    return max(0, min(255, int(round(v * 255))))


def write_png(path, width, height, rows):
    raw = b"".join(b"\0" + row for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def blend(c0, c1, t):
    t = max(0.0, min(1.0, t))
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c0, c1))


def vertical(c0, c1, y0, y1):
    return lambda x, y: blend(c0, c1, (y - y0) / float(y1 - y0))


def diagonal(c0, c1, x0, y0, x1, y1):
    dx, dy = x1 - x0, y1 - y0
    d2 = float(dx * dx + dy * dy)
    return lambda x, y: blend(c0, c1, ((x - x0) * dx + (y - y0) * dy) / d2)


FONT = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "H": ["#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "Z": ["#####", "....#", "...#.", "..#..", ".#...", "#....", "#####"],
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "X": ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    ">": ["#....", ".#...", "..#..", "...#.", "..#..", ".#...", "#...."],
    "_": [".....", ".....", ".....", ".....", ".....", ".....", "#####"],
}

INK = (28, 52, 96, 255)
TEAL = (22, 150, 160, 255)
DEEP = (20, 70, 140, 255)
ORANGE = (245, 150, 40, 255)
WHITE = (255, 255, 255, 255)


def draw_logo():
    # The middle band (y 58..182) holds the emblem and the name on its own, as
    # the Info box shows the picture centred in a 125-pixel-high panel; the
    # Start page shows the whole of it.
    c = Canvas(120, 240)
    cx, cy, r = 60.0, 103.0, 43.0
    k = r / 55.0

    def at(x, y):  # emblem coordinates drawn for a 55-pixel radius around (60, 60)
        return (cx + (x - 60) * k, cy + (y - 60) * k)

    # Waves above.
    for n, colour in enumerate((ORANGE, TEAL, DEEP)):
        y = 16 + n * 9
        top = [(10 + i, y + 3 * math.sin((i + n * 9) / 9.0)) for i in range(0, 101, 2)]
        bottom = [(x, yy + 4) for x, yy in reversed(top)]
        c.fill_polygon(top + bottom, colour)
    # Emblem: a ring around a disc with a bold T and a spark.
    c.fill_circle(cx, cy + 2, r + 1, (0, 0, 0, 40))
    c.fill_circle(cx, cy, r, diagonal(TEAL, DEEP, cx - r, cy - r, cx + r, cy + r))
    c.fill_ring(cx, cy, r, r - 6, diagonal((120, 220, 225, 255), (40, 110, 190, 255),
                                           cx - r, cy - r, cx + r, cy + r))
    c.fill_ring(cx, cy, r - 9, r - 10.5, (255, 255, 255, 90))
    t_shape = [at(x, y) for x, y in ((30, 34), (90, 34), (90, 48), (67, 48), (67, 90),
                                     (53, 90), (53, 48), (30, 48))]
    c.fill_polygon([(x + 1.5, y + 1.5) for x, y in t_shape], (0, 0, 0, 70))
    c.fill_polygon(t_shape, vertical(WHITE, (210, 232, 250, 255), cy - 20, cy + 24))
    spark = [at(x, y) for x, y in ((84, 18), (88, 28), (98, 32), (88, 36), (84, 46), (80, 36),
                                   (70, 32), (80, 28))]
    c.fill_polygon(spark, ORANGE)
    # Name, then the word under it.
    c.text(9, 154, "TARNIC", 3, INK)
    c.text(6, 198, "TOOLCHAIN", 2, (70, 90, 120, 255), spacing=1)
    return c


def draw_download():
    c = Canvas(128, 128)
    # Cloud.
    cloud = (236, 243, 250, 255)
    edge = (150, 175, 205, 255)
    for cx, cy, r in ((44, 40, 20), (66, 30, 24), (88, 42, 18), (64, 48, 20)):
        c.fill_circle(cx, cy, r + 2, edge)
    for cx, cy, r in ((44, 40, 20), (66, 30, 24), (88, 42, 18), (64, 48, 20)):
        c.fill_circle(cx, cy, r, cloud)
    c.fill_rect(30, 44, 68, 16, cloud)
    # Tray.
    c.fill_rrect(14, 92, 100, 26, 6, (0, 0, 0, 50))
    c.fill_rrect(12, 88, 104, 26, 6, vertical((110, 120, 135, 255), (60, 66, 80, 255), 88, 114))
    c.fill_rrect(22, 88, 84, 10, 3, (40, 44, 54, 255))
    # Arrow.
    arrow = [(54, 40), (74, 40), (74, 70), (90, 70), (64, 100), (38, 70), (54, 70)]
    c.fill_polygon([(x + 2, y + 3) for x, y in arrow], (0, 0, 0, 60))
    c.fill_polygon(arrow, vertical((90, 210, 110, 255), (20, 140, 60, 255), 40, 100))
    c.line(56, 44, 56, 70, 2, (255, 255, 255, 110))
    return c


def draw_package():
    c = Canvas(128, 128)
    top = [(64, 14), (116, 38), (64, 62), (12, 38)]
    left = [(12, 38), (64, 62), (64, 118), (12, 94)]
    right = [(64, 62), (116, 38), (116, 94), (64, 118)]
    c.fill_polygon([(x + 3, y + 4) for x, y in left + right[1:]], (0, 0, 0, 45))
    c.fill_polygon(top, vertical((238, 200, 140, 255), (222, 178, 112, 255), 14, 62))
    c.fill_polygon(left, vertical((205, 150, 85, 255), (180, 125, 65, 255), 38, 118))
    c.fill_polygon(right, vertical((170, 115, 58, 255), (140, 92, 45, 255), 38, 118))
    # Tape over the top and down the front edges.
    tape = (250, 238, 205, 255)
    c.fill_polygon([(34, 24), (46, 18), (98, 42), (86, 48)], tape)
    c.fill_polygon([(86, 48), (98, 42), (98, 60), (86, 66)], (232, 218, 180, 255))
    # Edges.
    ink = (110, 70, 30, 255)
    for a, b in (((64, 62), (64, 118)), ((12, 38), (64, 62)), ((64, 62), (116, 38))):
        c.line(a[0], a[1], b[0], b[1], 1.2, ink)
    # Label with an up arrow.
    label = [(20, 62), (44, 73), (44, 95), (20, 84)]
    c.fill_polygon(label, (250, 250, 245, 255))
    c.fill_polygon([(32, 70), (39, 79), (35, 77), (35, 88), (29, 85), (29, 74), (25, 72)],
                   (120, 90, 60, 255))
    return c


def icon_page(c, ox):
    page = [(ox + 7, 2), (ox + 20, 2), (ox + 26, 8), (ox + 26, 30), (ox + 7, 30)]
    c.fill_polygon([(x + 1, y + 1) for x, y in page], (0, 0, 0, 50))
    c.fill_polygon(page, (250, 250, 250, 255))
    c.fill_polygon([(ox + 20, 2), (ox + 26, 8), (ox + 20, 8)], (200, 205, 215, 255))
    outline = page + [page[0]]
    for a, b in zip(outline, outline[1:]):
        c.line(a[0], a[1], b[0], b[1], 1, (120, 125, 135, 255))
    for k in range(5):
        c.fill_rect(ox + 10, 12 + k * 3.5, 13 if k % 2 == 0 else 10, 1.4, (150, 160, 175, 255))


def icon_program(c, ox):
    c.fill_rrect(ox + 2, 4, 28, 24, 3, (0, 0, 0, 50))
    c.fill_rrect(ox + 1, 3, 28, 24, 3, (245, 247, 250, 255))
    c.fill_rrect(ox + 1, 3, 28, 7, 3, vertical((70, 130, 220, 255), (30, 80, 170, 255), 3, 10))
    c.fill_rect(ox + 1, 7, 28, 3, (30, 80, 170, 255))
    c.frame_rrect(ox + 1, 3, 28, 24, 3, 1, (40, 60, 100, 255))
    c.fill_circle(ox + 25, 6.5, 1.6, (255, 110, 90, 255))
    c.fill_polygon([(ox + 11, 13), (ox + 21, 18.5), (ox + 11, 24)], (40, 170, 80, 255))


def icon_rar(c, ox):
    books = ((150, 70, 170), (30, 150, 150), (200, 60, 60))
    for k, colour in enumerate(books):
        y = 5 + k * 8
        c.fill_rrect(ox + 3, y, 26, 7, 1.5, colour + (255,))
        c.fill_rect(ox + 5, y + 1.5, 22, 1.2, (255, 255, 255, 120))
    c.fill_rect(ox + 14, 3, 4, 27, (240, 200, 60, 255))
    c.fill_rect(ox + 13, 14, 6, 5, (200, 150, 30, 255))


def icon_zip(c, ox):
    c.fill_rrect(ox + 2, 6, 12, 6, 2, (220, 170, 40, 255))
    c.fill_rrect(ox + 2, 9, 28, 20, 2, vertical((250, 215, 90, 255), (225, 170, 40, 255), 9, 29))
    c.frame_rrect(ox + 2, 9, 28, 20, 2, 1, (170, 120, 20, 255))
    for k in range(6):
        y = 10 + k * 3
        c.fill_rect(ox + 14 + (k % 2) * 2, y, 2, 2, (90, 90, 90, 255))
    c.fill_rrect(ox + 13, 26, 6, 4, 1, (70, 70, 70, 255))


def icon_computer(c, ox):
    c.fill_rrect(ox + 2, 3, 28, 19, 2, (90, 95, 105, 255))
    c.fill_rect(ox + 4, 5, 24, 15, vertical((120, 190, 240, 255), (50, 110, 200, 255), 5, 20))
    c.fill_polygon([(ox + 13, 22), (ox + 19, 22), (ox + 20, 27), (ox + 12, 27)], (120, 125, 135, 255))
    c.fill_rrect(ox + 8, 27, 16, 3, 1, (90, 95, 105, 255))


def icon_terminal(c, ox):
    c.fill_rrect(ox + 2, 4, 28, 24, 3, (30, 32, 38, 255))
    c.fill_rect(ox + 2, 4, 28, 5, (80, 85, 95, 255))
    c.fill_rrect(ox + 2, 4, 28, 5, 2, (80, 85, 95, 255))
    c.text(ox + 6, 13, ">", 1.4, (80, 230, 110, 255))
    c.fill_rect(ox + 15, 21, 8, 1.6, (80, 230, 110, 255))


def draw_icons():
    c = Canvas(192, 32)
    for k, painter in enumerate((icon_page, icon_program, icon_rar, icon_zip,
                                 icon_computer, icon_terminal)):
        painter(c, k * 32)
    return c


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "resources", "gfx")
    os.makedirs(out, exist_ok=True)
    for name, painter in (("tarnic120_T.png", draw_logo),
                          ("download_128x128.png", draw_download),
                          ("package_128x128.png", draw_package),
                          ("icons.png", draw_icons)):
        painter().save(os.path.join(out, name))
        print("wrote", os.path.join(out, name))


if __name__ == "__main__":
    main()
