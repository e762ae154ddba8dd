#!/usr/bin/env python3
"""Screenshots for the GUI test, from an X window dump (xwd: TrueColor ZPixmap, 24 or 32 bits
per pixel).

  screenshot.py png IN.xwd OUT.png      converts to PNG
  screenshot.py check IN.xwd            prints what the 3-D view shows: the number of sky,
                                        console-panel and ground pixels, and the number of
                                        white (frame-rate text) pixels in the view's lower-left
                                        corner and how wide that text is (about 7 pixels per
                                        character: "0.00 FPS" is 8 characters, a rate of 10 or
                                        more at least 9), and the size of the 3-D view
  screenshot.py graph IN.xwd X Y W H    prints, inside that screen box, the number of pixels
                                        drawn over the graph picture's background and the
                                        number of white (current-frame marker) pixels
"""
import struct
import sys
import zlib

SKY = (104, 212, 248)
PANEL = (204, 51, 76)
GRAPH_BACKGROUND = (20, 20, 26)


def read_xwd(path):
    data = open(path, "rb").read()
    fields = struct.unpack(">25I", data[0:100])
    header_size, width, height = fields[0], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    masks = fields[14:17]
    colours = fields[19]
    if bits_per_pixel not in (24, 32):
        sys.exit("screenshot: only 24 or 32 bits per pixel are supported, not %d" % bits_per_pixel)
    step = bits_per_pixel // 8
    pixels = data[header_size + colours * 12:]
    order = "little" if byte_order == 0 else "big"
    shifts = [(m & -m).bit_length() - 1 for m in masks]
    rows = []
    for y in range(height):
        line = pixels[y * bytes_per_line:y * bytes_per_line + width * step]
        row = []
        for x in range(0, width * step, step):
            v = int.from_bytes(line[x:x + step], order)
            row.append(tuple((v & m) >> s for m, s in zip(masks, shifts)))
        rows.append(row)
    return rows


def write_png(rows, path):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    raw = bytearray()
    for row in rows:
        raw.append(0)
        for p in row:
            raw += bytes(p)
    header = struct.pack(">IIBBBBB", len(rows[0]), len(rows), 8, 2, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 6)) + chunk(b"IEND", b"")
    open(path, "wb").write(png)


def near(p, q):
    return all(abs(a - b) <= 2 for a, b in zip(p, q))


def check(rows):
    sky = panel = 0
    left, bottom = len(rows[0]), 0
    view = [len(rows[0]), len(rows), -1, -1]  # box of sky and panel pixels
    for y, row in enumerate(rows):
        for x, p in enumerate(row):
            if near(p, SKY):
                sky += 1
                left, bottom = min(left, x), max(bottom, y)
            elif near(p, PANEL):
                panel += 1
            else:
                continue
            view = [min(view[0], x), min(view[1], y), max(view[2], x), max(view[3], y)]
    white = 0
    text_left, text_right = len(rows[0]), 0
    for y in range(max(0, bottom - 30), bottom + 1):
        for x in range(left, min(len(rows[0]), left + 150)):
            if rows[y][x] == (255, 255, 255):
                white += 1
                text_left, text_right = min(text_left, x), max(text_right, x)
    print("sky %d panel %d fps_text %d fps_width %d view %dx%d" %
          (sky, panel, white, max(0, text_right - text_left + 1),
           view[2] - view[0] + 1, view[3] - view[1] + 1))


def graph(rows, x, y, w, h):
    drawn = white = 0
    for row in rows[max(0, y):min(len(rows), y + h)]:
        for p in row[max(0, x):min(len(row), x + w)]:
            if p == (255, 255, 255):
                white += 1
            if not all(abs(a - b) <= 3 for a, b in zip(p, GRAPH_BACKGROUND)):
                drawn += 1
    print("%d %d" % (drawn, white))


if __name__ == "__main__":
    command, source = sys.argv[1], sys.argv[2]
    image = read_xwd(source)
    if command == "graph":
        graph(image, *(int(v) for v in sys.argv[3:7]))
    elif command == "png":
        write_png(image, sys.argv[3])
    else:
        check(image)
