#!/usr/bin/env python3
"""Draws the configuration tool's bitmaps and icons (run once; the outputs are
kept in this folder): the page tree's images, the LED pictures of the reader
LED lists and the program icon. Magenta is the transparent colour."""
import os, sys
sys.dont_write_bytecode = True

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', '..', 'server', 'app', 'res'))
from make_images import MAGENTA, bmp, glyph, write_icon  # noqa: E402

def out(name):
    return os.path.join(HERE, name)

GREEN, RED, ORANGE, GREY, BLUE, TEAL, NAVY = (0, 160, 0), (200, 0, 0), (240, 150, 0), (128, 128, 128), (0, 90, 200), (0, 140, 140), (0, 0, 128)

# Tree (bitmap 130), 16 x 16 each; the pages use 1, 2, 5, 6, 9, 11, 12 and 20.
TREE = [('square', GREY)] * 21
TREE[1] = ('tri', BLUE)        # Reader 1
TREE[2] = ('tri', TEAL)        # Reader 2
TREE[5] = ('disc', ORANGE)     # Sensor
TREE[6] = ('plus', GREEN)      # Egress
TREE[9] = ('cross', RED)       # Forced entry
TREE[11] = ('clock', NAVY)     # Door open too long
TREE[12] = ('disc', RED)       # Alarm
TREE[20] = ('square', BLUE)    # Configuration

def tree_pixel(x, y):
    kind, colour = TREE[x // 16]
    return glyph(kind, colour, x % 16, y)

# Toolbar (bitmap 146): new, open, save, status, read, write, set time, reset page, about.
TOOLBAR = [('square', GREY), ('tri', ORANGE), ('square', NAVY), ('disc', TEAL), ('plus', GREEN), ('bar', BLUE),
           ('clock', NAVY), ('cross', RED), ('disc', BLUE)]

def toolbar_strip(name, ground):
    def px(x, y):
        kind, colour = TOOLBAR[x // 16]
        p = glyph(kind, colour, x % 16, y)
        return ground if p == MAGENTA else p
    bmp(out(name), 16 * len(TOOLBAR), 16, px)

def led_picture(lit, ground):
    """A 64 x 16 picture: an LED (lit green, or dark) with a bar beside it."""
    def px(x, y):
        d = (x - 7.5) ** 2 + (y - 7.5) ** 2
        if d <= 36:
            return (40, 220, 40) if lit else (70, 70, 70)
        if d <= 49:
            return (0, 0, 0)
        if 20 <= x <= 58 and 6 <= y <= 9:
            return (0, 140, 0) if lit else (110, 110, 110)
        return ground
    return px

def main():
    bmp(out('tree.bmp'), 16 * len(TREE), 16, tree_pixel)
    toolbar_strip('toolbar.bmp', MAGENTA)
    # The toolbar resource's own bitmap (128) for a plain toolbar: light grey,
    # which loading turns into the button face colour.
    toolbar_strip('toolbar_face.bmp', (192, 192, 192))
    white, blue = (255, 255, 255), (0, 90, 200)
    for name, lit, ground in (('led_off', False, white), ('led_off_selected', False, blue),
                              ('led_on', True, white), ('led_on_selected', True, blue),
                              ('led_spare1', False, MAGENTA), ('led_spare2', True, MAGENTA)):
        write_icon(out(name + '.ico'), [(64, 16, led_picture(lit, ground))])
    write_icon(out('orimbel.ico'), [(size, size, lambda x, y, size=size: glyph('square', TEAL, x * 16 // size, y * 16 // size))
                                    for size in (32, 16)])

if __name__ == '__main__':
    main()
