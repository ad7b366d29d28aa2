"""Tiny raster drawing for the payload's artwork: shapes in a 32-unit square
(or any box), sampled 4 x 4 per pixel, written as PNG, ICO or BMP.

Plain stdlib (struct, zlib), so the build needs no image tools and two builds
give the same bytes.
"""
import math
import struct
import zlib

SAMPLES = 4


class Shape:
    """A filled area with one colour; `hit(x, y)` in drawing units."""

    def __init__(self, color, hit):
        self.color = color
        self.hit = hit


def rect(x0, y0, x1, y1, color):
    return Shape(color, lambda x, y: x0 <= x < x1 and y0 <= y < y1)


def round_rect(x0, y0, x1, y1, r, color):
    def hit(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return Shape(color, hit)


def circle(cx, cy, r, color):
    return Shape(color, lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r)


def ring(cx, cy, r_in, r_out, color):
    def hit(x, y):
        d = (x - cx) ** 2 + (y - cy) ** 2
        return r_in * r_in <= d <= r_out * r_out
    return Shape(color, hit)


def line(x0, y0, x1, y1, width, color):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy or 1e-9
    half = width / 2.0

    def hit(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx, y0 + t * dy
        return (x - px) ** 2 + (y - py) ** 2 <= half * half
    return Shape(color, hit)


def polygon(points, color):
    def hit(x, y):
        inside = False
        n = len(points)
        for i in range(n):
            xa, ya = points[i]
            xb, yb = points[(i + 1) % n]
            if (ya > y) != (yb > y):
                xc = xa + (y - ya) * (xb - xa) / (yb - ya)
                if x < xc:
                    inside = not inside
        return inside
    return Shape(color, hit)


def clipped(shape, x0, y0, x1, y1):
    """The part of a shape inside a box."""
    return Shape(shape.color, lambda x, y: x0 <= x < x1 and y0 <= y < y1 and shape.hit(x, y))


def render(shapes, width, height, units_w=32.0, units_h=32.0):
    """RGBA rows, top row first. Later shapes lie above earlier ones."""
    sx, sy = units_w / width, units_h / height
    rows = []
    n = SAMPLES * SAMPLES
    for py in range(height):
        row = []
        for px in range(width):
            r = g = b = a = 0.0
            for sj in range(SAMPLES):
                for si in range(SAMPLES):
                    x = (px + (si + 0.5) / SAMPLES) * sx
                    y = (py + (sj + 0.5) / SAMPLES) * sy
                    for shape in reversed(shapes):
                        if shape.hit(x, y):
                            cr, cg, cb, ca = shape.color
                            w = ca / 255.0
                            r += cr * w
                            g += cg * w
                            b += cb * w
                            a += w
                            break
            if a > 0:
                row.append((int(r / a + 0.5), int(g / a + 0.5), int(b / a + 0.5),
                            int(255 * a / n + 0.5)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def png_bytes(rows):
    """An 8-bit RGBA PNG of the rows."""
    height, width = len(rows), len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for pixel in row:
            raw += bytes(pixel)

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xffffffff)

    header = struct.pack('>IIBBBBB', width, height, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header)
            + chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


def _dib_pixels(rows, bits):
    out = bytearray()
    for row in reversed(rows):
        line_bytes = bytearray()
        for r, g, b, a in row:
            line_bytes += bytes((b, g, r, a)) if bits == 32 else bytes((b, g, r))
        while len(line_bytes) % 4:
            line_bytes.append(0)
        out += line_bytes
    return bytes(out)


def ico_bytes(images):
    """An icon file of several sizes: 32-bit pixels with alpha and an AND mask."""
    blobs = []
    for rows in images:
        h, w = len(rows), len(rows[0])
        pixels = _dib_pixels(rows, 32)
        mask_row = ((w + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            bits = bytearray(mask_row)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        header = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, len(pixels) + len(mask),
                             0, 0, 0, 0)
        blobs.append((w, h, header + pixels + bytes(mask)))
    data = struct.pack('<HHH', 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for w, h, blob in blobs:
        data += struct.pack('<BBBBHHII', w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for _, _, blob in blobs:
        data += blob
    return data


def bmp_bytes(rows):
    """A 24-bit bottom-up BMP file (alpha dropped onto white)."""
    flat = [[(int(r * a / 255 + 255 - a), int(g * a / 255 + 255 - a), int(b * a / 255 + 255 - a), 255)
             for r, g, b, a in row] for row in rows]
    h, w = len(flat), len(flat[0])
    pixels = _dib_pixels(flat, 24)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + pixels


def shade(color, factor):
    """The colour made lighter (factor > 1) or darker (< 1)."""
    r, g, b, a = color
    if factor >= 1:
        f = factor - 1
        return (int(r + (255 - r) * f), int(g + (255 - g) * f), int(b + (255 - b) * f), a)
    return (int(r * factor), int(g * factor), int(b * factor), a)


def angle_points(cx, cy, r, count, start=-math.pi / 2):
    return [(cx + r * math.cos(start + 2 * math.pi * i / count),
             cy + r * math.sin(start + 2 * math.pi * i / count)) for i in range(count)]
