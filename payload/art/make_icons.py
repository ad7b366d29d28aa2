#!/usr/bin/python3
"""Draws the viewer's icon groups and writes the resource script that lists them.

Usage: make_icons.py OUTDIR

The order of the groups is their icon index inside pixo32.exe: links and the
DefaultIcon values of the file classes name index 0 (the viewer and most
picture formats), 7 (thumbnails), 11 (audio) and 12 (video). The resource ids
rise with the index because the shell counts icon groups in id order.
"""
import os
import sys

sys.dont_write_bytecode = True  # no cache files in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from pxdraw import (angle_points, circle, ico_bytes, line, polygon, rect, render,  # noqa: E402
                    ring, round_rect, shade)

FIRST_ID = 101
SIZES = (48, 32, 16)

FRAME = (40, 60, 110, 255)
PAPER = (250, 250, 245, 255)
PAPER_EDGE = (120, 120, 130, 255)
SKY = (110, 170, 235, 255)
SUN = (255, 205, 60, 255)
HILL = (60, 150, 70, 255)
HILL_DARK = (40, 120, 55, 255)


def landscape(x0, y0, x1, y1):
    """A small picture: sky, sun and two hills inside the box."""
    w, h = x1 - x0, y1 - y0
    return [
        rect(x0, y0, x1, y1, SKY),
        circle(x0 + 0.7 * w, y0 + 0.3 * h, 0.14 * min(w, h), SUN),
        polygon([(x0, y1), (x0, y0 + 0.65 * h), (x0 + 0.35 * w, y0 + 0.45 * h),
                 (x0 + 0.7 * w, y1)], HILL),
        polygon([(x0 + 0.3 * w, y1), (x0 + 0.7 * w, y0 + 0.6 * h), (x1, y0 + 0.75 * h),
                 (x1, y1)], HILL_DARK),
    ]


def page(extra):
    """A sheet with a folded corner and something on it."""
    return [
        polygon([(6, 2), (21, 2), (27, 8), (27, 30), (6, 30)], PAPER_EDGE),
        polygon([(7, 3), (20.5, 3), (26, 8.5), (26, 29), (7, 29)], PAPER),
        polygon([(20.5, 3), (26, 8.5), (20.5, 8.5)], (210, 210, 215, 255)),
    ] + extra


def icon_app():
    return [round_rect(1, 1, 31, 31, 3, FRAME)] + landscape(3, 3, 29, 29)


def icon_picture_file():
    return page([rect(9, 12, 24, 26, PAPER_EDGE)] + landscape(10, 13, 23, 25))


def icon_camera():
    body = (55, 55, 65, 255)
    return [
        round_rect(2, 9, 30, 27, 3, body),
        rect(10, 6, 20, 10, body),
        circle(16, 18, 7, (200, 200, 210, 255)),
        circle(16, 18, 5, (30, 40, 70, 255)),
        circle(14.5, 16.5, 1.5, (200, 220, 255, 255)),
        rect(24, 11, 28, 13, (230, 80, 60, 255)),
    ]


def icon_vector():
    return page([
        polygon([(9, 26), (15, 14), (21, 26)], (230, 120, 40, 255)),
        ring(19, 17, 3, 4.5, (60, 110, 200, 255)),
        line(9, 11, 22, 11, 1.5, (90, 90, 100, 255)),
    ])


def icon_cursor():
    return [
        polygon([(8, 3), (8, 27), (14, 21), (18, 30), (22, 28), (18, 19), (26, 19)], (20, 20, 20, 255)),
        polygon([(10, 7), (10, 23), (14.5, 18.5), (18.5, 27), (19.5, 26.5), (15.5, 17.5), (21.5, 17.5)],
                (255, 255, 255, 255)),
    ]


def icon_animation():
    shapes = []
    for i, c in enumerate(((150, 150, 170, 255), (110, 110, 140, 255), FRAME)):
        o = 2 + 4 * i
        shapes.append(round_rect(o, o, o + 18, o + 18, 2, c))
    return shapes + landscape(11, 11, 27, 27)


def icon_fax():
    shapes = page([line(10, 12 + 3 * i, 23, 12 + 3 * i, 1.2, (70, 70, 80, 255)) for i in range(5)])
    return shapes + [rect(3, 24, 29, 30, (80, 85, 95, 255)), rect(5, 26, 27, 27, (40, 40, 45, 255))]


def icon_thumbnails():
    shapes = [round_rect(1, 1, 31, 31, 3, (70, 75, 90, 255))]
    for row in range(3):
        for col in range(3):
            x0, y0 = 3 + col * 9.3, 3 + row * 9.3
            shapes += landscape(x0, y0, x0 + 7.4, y0 + 7.4)
    return shapes


def icon_slideshow():
    return [
        rect(15, 2, 17, 6, (90, 90, 90, 255)),
        rect(3, 5, 29, 23, (90, 90, 90, 255)),
        rect(4, 6, 28, 22, PAPER),
        polygon([(12, 9), (12, 19), (21, 14)], (40, 140, 60, 255)),
        line(16, 23, 10, 30, 2, (90, 90, 90, 255)),
        line(16, 23, 22, 30, 2, (90, 90, 90, 255)),
    ]


def icon_folder():
    yellow = (240, 195, 70, 255)
    return [
        polygon([(2, 8), (11, 8), (14, 11), (30, 11), (30, 27), (2, 27)], shade(yellow, 0.8)),
        polygon([(2, 13), (30, 13), (30, 27), (2, 27)], yellow),
    ]


def icon_plugin():
    green = (70, 160, 90, 255)
    return [
        rect(5, 9, 25, 29, green),
        circle(15, 8, 4, green),
        circle(26, 19, 4, green),
        circle(15, 29, 3.5, (0, 0, 0, 0)),
        circle(4.5, 19, 3.5, (0, 0, 0, 0)),
    ]


def icon_audio():
    blue = (50, 80, 170, 255)
    return [
        round_rect(1, 1, 31, 31, 4, (235, 240, 250, 255)),
        circle(10, 24, 4.5, blue),
        circle(22, 21, 4.5, blue),
        rect(12.5, 7, 14.5, 24, blue),
        rect(24.5, 4, 26.5, 21, blue),
        polygon([(12.5, 7), (26.5, 4), (26.5, 9), (12.5, 12)], blue),
    ]


def icon_video():
    film = (35, 35, 40, 255)
    shapes = [rect(4, 1, 28, 31, film)]
    for i in range(6):
        y = 2.5 + i * 5
        shapes += [rect(5.5, y, 8, y + 2.5, PAPER), rect(24, y, 26.5, y + 2.5, PAPER)]
    return shapes + landscape(10, 4, 22, 15) + landscape(10, 17, 22, 28)


def icon_font():
    dark = (60, 40, 120, 255)
    return [
        round_rect(1, 1, 31, 31, 4, (245, 240, 225, 255)),
        polygon([(14, 5), (18, 5), (27, 28), (23, 28), (16, 9), (9, 28), (5, 28)], dark),
        rect(10, 18, 22, 21, dark),
    ] + [circle(x, y, 0.9, (200, 60, 60, 255)) for x, y in angle_points(25, 7, 3, 5)]


# Index order is significant (see the module comment).
ICONS = [
    ('viewer', icon_app),            # 0: the viewer; most picture formats
    ('picture_file', icon_picture_file),
    ('camera_raw', icon_camera),
    ('vector', icon_vector),
    ('cursor', icon_cursor),
    ('animation', icon_animation),
    ('fax', icon_fax),
    ('thumbnails', icon_thumbnails),  # 7: the thumbnail links
    ('slideshow', icon_slideshow),
    ('folder', icon_folder),
    ('plugin', icon_plugin),
    ('audio', icon_audio),           # 11: audio formats
    ('video', icon_video),           # 12: video formats
    ('font', icon_font),
]


def main(out):
    os.makedirs(out, exist_ok=True)
    lines = ['// Generated by make_icons.py: the viewer\'s icon groups in index order.']
    for index, (name, draw) in enumerate(ICONS):
        shapes = draw()
        images = [render(shapes, size, size) for size in SIZES]
        path = os.path.join(out, 'icon_%02d_%s.ico' % (index, name))
        with open(path, 'wb') as f:
            f.write(ico_bytes(images))
        lines.append('%d ICON "%s"  // index %d: %s' % (FIRST_ID + index, path, index, name))
    with open(os.path.join(out, 'viewer_icons.rc'), 'w') as f:
        f.write('\n'.join(lines) + '\n')


if __name__ == '__main__':
    if len(sys.argv) != 2:
        sys.exit('usage: make_icons.py OUTDIR')
    main(sys.argv[1])
