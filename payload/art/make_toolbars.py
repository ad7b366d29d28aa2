#!/usr/bin/python3
"""Draws the viewer's toolbar skins and the pictures of its HTML pages.

Usage: make_toolbars.py TOOLBARS_DIR HTML_DIR

A skin is one strip of square buttons, as high as the skin's size; the
setup picks one of the four by screen height and scale, by file name.
"""
import os
import sys

sys.dont_write_bytecode = True  # no cache files in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pxdraw import (angle_points, circle, clipped, line, png_bytes, polygon, rect, render,  # noqa: E402
                    ring, round_rect, shade)

import make_icons  # noqa: E402

# file name, button size, glyph colour, accent colour, button face
SKINS = [
    ('gnome-colors-human_48.png', 48, (110, 75, 40, 255), (235, 130, 40, 255), (245, 235, 215, 255)),
    ('gnome-colors-wise_32.png', 32, (50, 95, 60, 255), (120, 190, 70, 255), (230, 240, 225, 255)),
    ('Kestrin_24.png', 24, (40, 70, 130, 255), (70, 150, 230, 255), (225, 235, 248, 255)),
    ('Marlo_16.png', 16, (60, 60, 60, 255), (150, 150, 150, 255), (0, 0, 0, 0)),
]


def b_open(g, a):
    return [polygon([(3, 9), (12, 9), (15, 12), (29, 12), (29, 27), (3, 27)], g),
            polygon([(7, 16), (31, 16), (27, 27), (3, 27)], a)]


def b_save(g, a):
    return [round_rect(4, 4, 28, 28, 2, g), rect(9, 4, 23, 12, (250, 250, 250, 255)),
            rect(18, 5, 21, 11, g), rect(8, 17, 24, 28, a)]


def b_prev(g, a):
    return [polygon([(4, 16), (16, 5), (16, 11), (28, 11), (28, 21), (16, 21), (16, 27)], a),
            ring(16, 16, 14, 15.5, g)]


def b_next(g, a):
    return [polygon([(28, 16), (16, 5), (16, 11), (4, 11), (4, 21), (16, 21), (16, 27)], a),
            ring(16, 16, 14, 15.5, g)]


def _lens(g, a, plus):
    shapes = [line(19, 19, 28, 28, 5, g), ring(13, 13, 7.5, 10, g), circle(13, 13, 7.5, (255, 255, 255, 160)),
              rect(9, 12, 17, 14, a)]
    if plus:
        shapes.append(rect(12, 9, 14, 17, a))
    return shapes


def b_zoom_in(g, a):
    return _lens(g, a, True)


def b_zoom_out(g, a):
    return _lens(g, a, False)


def _turn(g, a, left):
    arc = ring(16, 17, 7, 11, a)
    top = clipped(arc, 0, 0, 16, 17) if left else clipped(arc, 16, 0, 32, 17)
    tip = [(3, 14), (15, 14), (9, 6)] if left else [(29, 14), (17, 14), (23, 6)]
    return [clipped(arc, 0, 17, 32, 32), top, polygon(tip, g)]


def b_rotate_left(g, a):
    return _turn(g, a, True)


def b_rotate_right(g, a):
    return _turn(g, a, False)


def b_fullscreen(g, a):
    return [rect(3, 6, 29, 26, g), rect(5, 8, 27, 24, a),
            polygon([(7, 10), (13, 10), (7, 16)], g), polygon([(25, 22), (19, 22), (25, 16)], g)]


def b_slideshow(g, a):
    return [circle(16, 16, 13, g), polygon([(12, 9), (12, 23), (23, 16)], a)]


def b_thumbnails(g, a):
    shapes = []
    for r in range(3):
        for c in range(3):
            shapes.append(rect(4 + 8.5 * c, 4 + 8.5 * r, 10.5 + 8.5 * c, 10.5 + 8.5 * r, a if (r + c) % 2 else g))
    return shapes


def b_delete(g, a):
    return [line(7, 7, 25, 25, 5, (200, 50, 40, 255)), line(25, 7, 7, 25, 5, (200, 50, 40, 255))]


def b_print(g, a):
    return [rect(9, 3, 23, 13, (250, 250, 250, 255)), round_rect(3, 11, 29, 24, 2, g),
            rect(9, 20, 23, 29, (250, 250, 250, 255)), circle(25, 15, 1.5, a)]


def b_info(g, a):
    return [circle(16, 16, 13, a), circle(16, 9, 2.2, (255, 255, 255, 255)),
            rect(14, 13, 18, 24, (255, 255, 255, 255))]


def b_settings(g, a):
    teeth = [rect(x - 2, y - 2, x + 2, y + 2, g) for x, y in angle_points(16, 16, 12, 8)]
    return teeth + [circle(16, 16, 10, g), circle(16, 16, 4, (0, 0, 0, 0))]


def b_help(g, a):
    return [circle(16, 16, 13, g), ring(16, 12, 3, 6, (255, 255, 255, 255)),
            rect(10, 12, 16, 16, g), rect(14.5, 17, 17.5, 21, (255, 255, 255, 255)),
            circle(16, 24.5, 1.8, (255, 255, 255, 255))]


BUTTONS = [b_open, b_save, b_prev, b_next, b_zoom_in, b_zoom_out, b_rotate_left, b_rotate_right,
           b_fullscreen, b_slideshow, b_thumbnails, b_delete, b_print, b_info, b_settings, b_help]


def skin_rows(size, glyph, accent, face):
    strip = [[(0, 0, 0, 0)] * (size * len(BUTTONS)) for _ in range(size)]
    for i, draw in enumerate(BUTTONS):
        shapes = []
        if face[3]:
            shapes.append(round_rect(0.5, 0.5, 31.5, 31.5, 5, face))
        shapes += draw(glyph, accent)
        tile = render(shapes, size, size)
        for y in range(size):
            strip[y][i * size:(i + 1) * size] = tile[y]
    return strip


def page_pictures(html_dir):
    """The logo, one toolbar strip and the thumbnail icon for the HTML pages."""
    logo = render([round_rect(0, 0, 96, 32, 4, (235, 240, 250, 255))]
                  + [s for s in make_icons.landscape(3, 3, 29, 29)]
                  + [rect(34 + 9 * i, 10, 40 + 9 * i, 22, shade((40, 60, 110, 255), 1 + 0.08 * i))
                     for i in range(6)], 96, 32, 96, 32)
    with open(os.path.join(html_dir, 'logo.png'), 'wb') as f:
        f.write(png_bytes(logo))
    name, size, glyph, accent, face = SKINS[2]
    with open(os.path.join(html_dir, 'toolbar.png'), 'wb') as f:
        f.write(png_bytes(skin_rows(size, glyph, accent, face)))
    with open(os.path.join(html_dir, 'thumbnails.png'), 'wb') as f:
        f.write(png_bytes(render(make_icons.icon_thumbnails(), 64, 64)))


def main(toolbars_dir, html_dir):
    os.makedirs(toolbars_dir, exist_ok=True)
    os.makedirs(html_dir, exist_ok=True)
    for name, size, glyph, accent, face in SKINS:
        with open(os.path.join(toolbars_dir, name), 'wb') as f:
            f.write(png_bytes(skin_rows(size, glyph, accent, face)))
    page_pictures(html_dir)


if __name__ == '__main__':
    if len(sys.argv) != 3:
        sys.exit('usage: make_toolbars.py TOOLBARS_DIR HTML_DIR')
    main(sys.argv[1], sys.argv[2])
