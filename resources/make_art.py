#!/usr/bin/python3
"""Draws the setup's icon (setup.ico) and its 88 x 31 logo (logo.bmp).

Plain pixels from code, so the artwork needs no image tools and builds the
same everywhere: a sky-blue tile with a sun and two hills (a picture), and
the logo with the word PIXOLUM in a 5 x 7 pixel font beside it. The wizard
scales the logo to the DPI itself (pixel doubling, then smoothing).
"""
import struct
import sys

FONT = {  # 5 x 7, one string per row
    'P': ["1111 ", "1   1", "1   1", "1111 ", "1    ", "1    ", "1    "],
    'I': ["11111", "  1  ", "  1  ", "  1  ", "  1  ", "  1  ", "11111"],
    'X': ["1   1", "1   1", " 1 1 ", "  1  ", " 1 1 ", "1   1", "1   1"],
    'O': [" 111 ", "1   1", "1   1", "1   1", "1   1", "1   1", " 111 "],
    'L': ["1    ", "1    ", "1    ", "1    ", "1    ", "1    ", "11111"],
    'U': ["1   1", "1   1", "1   1", "1   1", "1   1", "1   1", " 111 "],
    'M': ["1   1", "11 11", "1 1 1", "1 1 1", "1   1", "1   1", "1   1"],
}


def picture(size):
    """RGBA rows, top row first: the icon's picture at the given size."""
    rows = []
    s = size / 32.0
    for y in range(size):
        row = []
        for x in range(size):
            fx, fy = x / s, y / s
            edge = min(fx, fy, 31 - fx, 31 - fy)
            if edge < 1:
                row.append((40, 60, 110, 255))
                continue
            sky = int(150 + 80 * fy / 32)
            col = (70, sky - 40, sky + 20 if sky + 20 < 256 else 255, 255)
            if (fx - 22) ** 2 + (fy - 9) ** 2 < 16:
                col = (255, 210, 60, 255)
            if fy > 20 + 6 * abs((fx - 10) / 10.0) ** 1.5 - 6:
                col = (60, 150, 70, 255)
            if fy > 24 + 5 * abs((fx - 24) / 9.0) ** 1.5 - 4:
                col = (40, 120, 55, 255)
            row.append(col)
        rows.append(row)
    return rows


def dib(rows, bits):
    """A bottom-up DIB (header and pixels) of 24 or 32 bits per pixel."""
    h, w = len(rows), len(rows[0])
    out = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for r, g, b, a in row:
            line += bytes((b, g, r, a)) if bits == 32 else bytes((b, g, r))
        while len(line) % 4:
            line.append(0)
        out += line
    return w, h, bytes(out)


def write_ico(path):
    images = []
    for size in (32, 16):
        w, h, pixels = dib(picture(size), 32)
        header = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, len(pixels), 0, 0, 0, 0)
        mask_row = ((w + 31) // 32) * 4
        images.append((w, h, header + pixels + bytes(mask_row * h)))
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for w, h, blob in images:
        data += struct.pack('<BBBBHHII', w, h, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for _, _, blob in images:
        data += blob
    open(path, 'wb').write(data)


def write_logo(path):
    w, h = 88, 31
    rows = []
    for y in range(h):
        shade = int(235 - 40 * y / h)
        rows.append([(shade - 30, shade - 10, 255, 255)] * w)
    icon = picture(24)
    for y in range(24):
        for x in range(24):
            rows[3 + y][3 + x] = icon[y][x]
    x0 = 30
    for ch in "PIXOLUM":
        glyph = FONT[ch]
        for gy, line in enumerate(glyph):
            for gx, bit in enumerate(line):
                if bit == '1':
                    rows[12 + gy][x0 + gx] = (25, 35, 90, 255)
        x0 += 8
    # A palette of the colours used (about 60): a third of the bytes of 24
    # bits per pixel, drawn the same.
    palette = sorted({px[:3] for row in rows for px in row})
    index = {colour: i for i, colour in enumerate(palette)}
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray(index[px[:3]] for px in row)
        while len(line) % 4:
            line.append(0)
        pixels += line
    colours = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 8, 0, len(pixels), 2835, 2835,
                       len(palette), 0) + colours
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    open(path, 'wb').write(head + info + bytes(pixels))


if __name__ == '__main__':
    out = sys.argv[1]
    write_ico(out + '/setup.ico')
    write_logo(out + '/logo.bmp')
