#!/usr/bin/env python3
"""Writes the wizard's two pictures, so that no binary picture lives in the repository: the side
picture of the welcome page (165 x 300) and the banner above the other pages (540 x 54).
setup.rc carries them as the BITMAP resources IMAGLEFT and IMAGTOP. They travel inside every
setup program, so they are 8-bit run-length encoded bitmaps: drawn in flat bands of at most 256
colours, a row takes a few dozen bytes instead of three bytes a pixel.

It also draws the setup kit's default icon (16, 32 and 48 pixels, 32-bit with alpha), which the
packer gives every setup.exe whose product folder brings no Setup.ico of its own.

The content depends on nothing but this script: two runs give identical files.

Usage:
  artwork.py setup <out-dir>                        imagleft.bmp and imagtop.bmp
  artwork.py icon <out.ico>                         the kit's default setup icon
  artwork.py quadrants <width> <height> <out.bmp>   four flat quarters (QUADRANT_COLOURS), for
                                                    tests that check where a picture lands
"""

import os
import struct
import sys

SIDE_SIZE = (165, 300)
# The side picture's gradient in steps of about four rows: no visible bands, and with the lighter
# stripes and the edge it keeps within the 256 colours of an 8-bit picture.
SIDE_GRADIENT_STEPS = 80
BANNER_SIZE = (540, 54)

# Top-left, top-right, bottom-left, bottom-right quarter of a quadrants picture, as RGB.
QUADRANT_COLOURS = ((255, 0, 0), (0, 160, 0), (0, 0, 255), (255, 255, 0))
BI_RLE8 = 1


def bitmap(width, height, pixel):
    """A 24-bit bottom-up BMP file (the test pictures); pixel(x, y) gives the (r, g, b) of a row counted from the
    top."""
    stride = (width * 3 + 3) & ~3
    pixels_size = stride * height
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + pixels_size, 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, pixels_size, 2835, 2835, 0, 0)
    rows = []
    for y in reversed(range(height)):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += bytes(stride - width * 3)
        rows.append(bytes(row))
    return header + info + b"".join(rows)


def rle8_bitmap(width, height, pixel):
    """An 8-bit bottom-up BMP file, run-length encoded (BI_RLE8), whose palette holds the
    picture's colours; pixel(x, y) gives the (r, g, b) of a row counted from the top."""
    rows = [[pixel(x, y) for x in range(width)] for y in range(height)]
    palette = sorted({colour for row in rows for colour in row})
    if len(palette) > 256:
        raise ValueError(f"{len(palette)} colours do not fit an 8-bit picture")
    index = {colour: i for i, colour in enumerate(palette)}
    encoded = bytearray()
    for row in reversed(rows):
        x = 0
        while x < width:
            run = 1
            while x + run < width and run < 255 and row[x + run] == row[x]:
                run += 1
            encoded += bytes((run, index[row[x]]))
            x += run
        encoded += b"\0\0"  # end of the row
    encoded += b"\0\1"  # end of the picture
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    offset = 14 + 40 + len(colours)
    header = struct.pack("<2sIHHI", b"BM", offset + len(encoded), 0, 0, offset)
    info = struct.pack(
        "<IiiHHIIiiII", 40, width, height, 1, 8, BI_RLE8, len(encoded), 2835, 2835, len(palette), 0
    )
    return header + info + colours + bytes(encoded)


def blend(a, b, t):
    """The colour a fraction t (0..1) of the way from a to b."""
    return tuple(round(p + (q - p) * t) for p, q in zip(a, b))


def side_pixel(x, y):
    """A soft blue that deepens downwards, crossed by faint diagonal bands."""
    width, height = SIDE_SIZE
    step = round(y / (height - 1) * (SIDE_GRADIENT_STEPS - 1))
    colour = blend((232, 242, 252), (92, 140, 204), step / (SIDE_GRADIENT_STEPS - 1))
    if (x + y) // 12 % 4 == 0:
        colour = blend(colour, (255, 255, 255), 0.18)
    if x == width - 1:
        colour = blend(colour, (40, 80, 140), 0.5)  # a darker edge towards the pages
    return colour


def banner_pixel(x, y):
    """White fading to a pale blue downwards, with a row of dots towards the right end."""
    width, height = BANNER_SIZE
    colour = blend((255, 255, 255), (214, 228, 246), y / (height - 1))
    cx = x - (width - 200)
    if cx >= 0 and (cx % 24 - 12) ** 2 + (y - height // 2) ** 2 <= 16:
        colour = blend(colour, (92, 140, 204), min(1.0, 0.25 + cx / 200))
    return colour


ICON_SIZES = (16, 32, 48)


def icon_image(size, pixel):
    """One image of an icon file: a 32-bit bottom-up DIB of twice the height (the colour rows,
    then the 1-bit mask, set where the picture is transparent); pixel(x, y) gives (r, g, b, a)
    of a row counted from the top."""
    rows = [[pixel(x, y, size) for x in range(size)] for y in range(size)]
    colours = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for r, g, b, a in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(colours) + len(mask),
                       0, 0, 0, 0)
    return info + colours + bytes(mask)


def icon_file(sizes, pixel):
    """An .ico file holding one image of every size."""
    images = [icon_image(size, pixel) for size in sizes]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    for size, image in zip(sizes, images):
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image),
                                 offset)
        offset += len(image)
    return directory + b"".join(images)


def setup_icon_pixel(x, y, size):
    """A blue box with rounded corners, lighter at the top, and a white arrow pointing down into
    it: a program being set up."""
    u, v = (x + 0.5) / size, (y + 0.5) / size  # 0..1 across and down
    corner = 0.18
    dx, dy = max(corner - u, u - (1 - corner), 0), max(corner - v, v - (1 - corner), 0)
    if dx * dx + dy * dy > corner * corner:
        return (0, 0, 0, 0)
    r, g, b = blend((120, 170, 230), (30, 80, 160), v)
    shaft = abs(u - 0.5) < 0.09 and 0.16 < v < 0.56
    head = 0.50 <= v < 0.82 and abs(u - 0.5) < (0.82 - v) * 0.95
    if shaft or head:
        r, g, b = (255, 255, 255)
    return (r, g, b, 255)


def quadrant_pixel(width, height):
    def pixel(x, y):
        return QUADRANT_COLOURS[(2 if y >= height // 2 else 0) + (1 if x >= width // 2 else 0)]

    return pixel


def write(path, data):
    with open(path, "wb") as out:
        out.write(data)


def main(argv):
    if len(argv) == 3 and argv[1] == "setup":
        os.makedirs(argv[2], exist_ok=True)
        write(os.path.join(argv[2], "imagleft.bmp"), rle8_bitmap(*SIDE_SIZE, side_pixel))
        write(os.path.join(argv[2], "imagtop.bmp"), rle8_bitmap(*BANNER_SIZE, banner_pixel))
        return 0
    if len(argv) == 3 and argv[1] == "icon":
        os.makedirs(os.path.dirname(os.path.abspath(argv[2])), exist_ok=True)
        write(argv[2], icon_file(ICON_SIZES, setup_icon_pixel))
        return 0
    if len(argv) == 5 and argv[1] == "quadrants":
        width, height = int(argv[2]), int(argv[3])
        write(argv[4], bitmap(width, height, quadrant_pixel(width, height)))
        return 0
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
