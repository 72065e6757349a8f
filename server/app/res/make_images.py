#!/usr/bin/env python3
"""Draws the server's small bitmaps and icons (run once; the outputs are kept
in this folder). Magenta is the transparent colour of every strip."""
import struct, os

HERE = os.path.dirname(os.path.abspath(__file__))
MAGENTA = (255, 0, 255)

def bmp(path, w, h, px):
    row = (w * 3 + 3) & ~3
    data = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray()
        for x in range(w):
            r, g, b = px(x, y)
            line += bytes((b, g, r))
        line += b'\0' * (row - w * 3)
        data += line
    head = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    open(os.path.join(HERE, path), 'wb').write(head + info + data)

def disc(cx, cy, r, colour, x, y):
    return colour if (x - cx) ** 2 + (y - cy) ** 2 <= r * r else None

def glyph(kind, colour, x, y):
    """One 16 x 16 picture: a disc, a square, a bar or a cross."""
    if kind == 'disc':
        c = disc(7.5, 7.5, 6, colour, x, y)
        if c and (x - 5) ** 2 + (y - 5) ** 2 <= 4:
            return (255, 255, 255)
        return c or (MAGENTA if not ((x - 7.5) ** 2 + (y - 7.5) ** 2 <= 49) else (0, 0, 0))
    if kind == 'square':
        if 2 <= x <= 13 and 2 <= y <= 13:
            return (0, 0, 0) if x in (2, 13) or y in (2, 13) else colour
        return MAGENTA
    if kind == 'bar':
        if 2 <= x <= 13 and 6 <= y <= 9:
            return colour
        return MAGENTA
    if kind == 'cross':
        if abs(x - y) <= 1 or abs(x - (15 - y)) <= 1:
            return colour
        return MAGENTA
    if kind == 'plus':
        if (6 <= x <= 9 and 2 <= y <= 13) or (6 <= y <= 9 and 2 <= x <= 13):
            return colour
        return MAGENTA
    if kind == 'clock':
        d = (x - 7.5) ** 2 + (y - 7.5) ** 2
        if d <= 49:
            if (x in (7, 8) and 3 <= y <= 8) or (y in (7, 8) and 7 <= x <= 11):
                return (0, 0, 0)
            return colour if d >= 30 else (255, 255, 255)
        return MAGENTA
    if kind == 'tri':
        if y >= 3 and y <= 13 and abs(x - 7.5) <= (y - 3) * 0.6:
            return colour
        return MAGENTA
    return MAGENTA

def strip(path, glyphs, background=MAGENTA):
    n = len(glyphs)
    def px(x, y):
        c = glyph(glyphs[x // 16][0], glyphs[x // 16][1], x % 16, y)
        return background if c == MAGENTA else c
    bmp(path, 16 * n, 16, px)

def write_icon(path, images):
    """An icon file of (width, height, px) images; px(x, y) gives a colour,
    or MAGENTA where the icon is transparent."""
    entries, blobs = [], []
    for w, h, px in images:
        xor = bytearray()
        andmask = bytearray()
        rowand = ((w + 31) // 32) * 4
        for y in range(h - 1, -1, -1):
            line = bytearray()
            androw = bytearray(rowand)
            for x in range(w):
                c = px(x, y)
                if c == MAGENTA:
                    line += b'\0\0\0\0'
                    androw[x // 8] |= 0x80 >> (x % 8)
                else:
                    line += bytes((c[2], c[1], c[0], 255))
            xor += line
            andmask += androw
        header = struct.pack('<IiiHHIIiiII', 40, w, h * 2, 1, 32, 0, len(xor) + len(andmask), 0, 0, 0, 0)
        blobs.append(header + xor + andmask)
        entries.append((w, h))
    out = struct.pack('<HHH', 0, 1, len(blobs))
    offset = 6 + 16 * len(blobs)
    for (w, h), blob in zip(entries, blobs):
        out += struct.pack('<BBBBHHII', w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for blob in blobs:
        out += blob
    open(os.path.join(HERE, path), 'wb').write(out)

def icon(path, colour):
    write_icon(path, [(size, size, lambda x, y, size=size: glyph('disc', colour, x * 16 // size, y * 16 // size))
                      for size in (32, 16)])

def main():
    GREEN, RED, ORANGE, GREY, BLUE, TEAL, NAVY = (0, 160, 0), (200, 0, 0), (240, 150, 0), (128, 128, 128), (0, 90, 200), (0, 140, 140), (0, 0, 128)
    # Tree (bitmap 130): 0 online, 1 port, 2 controller, 3 unused, 4 date, 5 time,
    # 6 firmware, 7 counter, 8 failing, 9 not answering, 10 switched off.
    strip('tree.bmp', [('disc', GREEN), ('square', BLUE), ('square', TEAL), ('square', GREY), ('square', ORANGE),
                       ('clock', BLUE), ('tri', NAVY), ('bar', TEAL), ('disc', ORANGE), ('disc', RED), ('disc', GREY)])
    # Message list (bitmap 135): 0 failure, 1 information, 2 buffering.
    strip('messages.bmp', [('cross', RED), ('disc', BLUE), ('square', ORANGE)])
    # Registration list (bitmap 145): 0 invalid, 1 event without a card, 2 card event.
    strip('registrations.bmp', [('cross', RED), ('tri', BLUE), ('square', GREEN)])
    # Toolbar (bitmap 144): add, edit, remove, status, diagnostics, expand, collapse, about.
    TOOLBAR = [('plus', GREEN), ('square', BLUE), ('cross', RED), ('clock', TEAL), ('tri', ORANGE),
               ('plus', NAVY), ('bar', NAVY), ('disc', BLUE)]
    strip('toolbar.bmp', TOOLBAR)
    # The same buttons as the toolbar resource's own bitmap (128), for a plain
    # toolbar: on the light grey that loading turns into the button face colour.
    strip('toolbar_face.bmp', TOOLBAR, (192, 192, 192))
    # Notifier skin (bitmap 136, 100 x 70): a dark blue panel with rounded
    # corners; white is transparent.
    def notifier(x, y):
        cx, cy = min(max(x, 6), 93), min(max(y, 6), 63)
        if (x - cx) ** 2 + (y - cy) ** 2 > 36:
            return (255, 255, 255)
        return (20, 50, 110 + y)
    bmp('notifier.bmp', 100, 70, notifier)
    icon('halvex.ico', BLUE)
    icon('tray.ico', GREEN)

if __name__ == '__main__':
    main()
