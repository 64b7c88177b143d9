#!/usr/bin/env python3
"""Makes the class bitmaps (16-colour .bmp files) from the text art beside this script.

Each NAME.txt holds one picture, one text line per pixel row, top row first; every character
is one pixel whose colour the legend below gives. NAME.bmp is written next to it.

    make_bitmaps.py           write every NAME.bmp
    make_bitmaps.py --check   exit 1 unless every NAME.bmp is what its NAME.txt makes
"""
import pathlib
import struct
import sys

# The standard 16-colour palette, in its usual order, and the character that names each entry.
PALETTE = [
    ('K', (0x00, 0x00, 0x00)),  # black
    ('m', (0x80, 0x00, 0x00)),  # maroon
    ('G', (0x00, 0x80, 0x00)),  # green
    ('o', (0x80, 0x80, 0x00)),  # olive
    ('n', (0x00, 0x00, 0x80)),  # navy
    ('p', (0x80, 0x00, 0x80)),  # purple
    ('t', (0x00, 0x80, 0x80)),  # teal
    ('.', (0xC0, 0xC0, 0xC0)),  # silver: the background
    ('D', (0x80, 0x80, 0x80)),  # grey
    ('R', (0xFF, 0x00, 0x00)),  # red
    ('L', (0x00, 0xFF, 0x00)),  # lime
    ('Y', (0xFF, 0xFF, 0x00)),  # yellow
    ('B', (0x00, 0x00, 0xFF)),  # blue
    ('F', (0xFF, 0x00, 0xFF)),  # fuchsia
    ('A', (0x00, 0xFF, 0xFF)),  # aqua
    ('W', (0xFF, 0xFF, 0xFF)),  # white
]
INDEX = {char: i for i, (char, _) in enumerate(PALETTE)}

# The sizes the host expects of each picture.
SIZES = {
    'ICO_31_OUT': (26, 24),
    'ICO_31_IN': (26, 24),
    'BM_PCI_OUT': (64, 46),
    'BM_PCI_IN': (64, 46),
}


def read_art(path, size):
    rows = path.read_text(encoding='ascii').splitlines()
    width, height = size
    if len(rows) != height:
        sys.exit(f'{path.name}: {len(rows)} rows, expected {height}')
    for number, row in enumerate(rows, 1):
        if len(row) != width:
            sys.exit(f'{path.name}:{number}: {len(row)} pixels, expected {width}')
        for char in row:
            if char not in INDEX:
                sys.exit(f'{path.name}:{number}: no colour is named {char!r}')
    return rows


def bmp_bytes(rows):
    """A BITMAPINFOHEADER bitmap, 4 bits per pixel, rows bottom-up, each padded to 4 bytes."""
    width, height = len(rows[0]), len(rows)
    stride = ((width * 4 + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, char in enumerate(row):
            line[x // 2] |= INDEX[char] << (0 if x % 2 else 4)
        pixels += line
    palette = b''.join(bytes((b, g, r, 0)) for _, (r, g, b) in PALETTE)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 4, 0, len(pixels), 2835, 2835,
                       16, 16)
    offset = 14 + len(info) + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    return header + info + palette + bytes(pixels)


def main():
    check = sys.argv[1:] == ['--check']
    here = pathlib.Path(__file__).resolve().parent
    stale = []
    for name, size in SIZES.items():
        made = bmp_bytes(read_art(here / f'{name}.txt', size))
        target = here / f'{name}.bmp'
        if check:
            if not target.exists() or target.read_bytes() != made:
                stale.append(target.name)
        else:
            target.write_bytes(made)
    if stale:
        sys.exit('out of date with their text art: ' + ', '.join(stale) +
                 ' (run res/bitmaps/make_bitmaps.py)')


if __name__ == '__main__':
    main()
