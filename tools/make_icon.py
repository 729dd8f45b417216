#!/usr/bin/env python3
"""Builds a 16-colour Windows .ico file from text pixel art.

    make_icon.py OUT.ico IMAGE.txt [IMAGE.txt ...]

Each image file is a square grid, one character per pixel (see LEGEND);
lines starting with '#' are comments. The images are written in the order
given, each as a 4-bit DIB with its AND mask, on the standard 16-colour
Windows palette.
"""

import struct
import sys

# Standard 16-colour Windows palette, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

# Pixel character -> palette index; lower case is the dark shade of a colour.
LEGEND = {
    'K': 0,   # black
    'r': 1,   # maroon
    'g': 2,   # green
    'y': 3,   # olive
    'b': 4,   # navy
    'm': 5,   # purple
    'c': 6,   # teal
    's': 7,   # silver
    'd': 8,   # grey
    'R': 9,   # red
    'G': 10,  # lime
    'Y': 11,  # yellow
    'B': 12,  # blue
    'M': 13,  # magenta
    'C': 14,  # cyan
    'W': 15,  # white
}
TRANSPARENT = '.'  # screen shows through: colour 0 in the XOR image, 1 in the AND mask

ALLOWED_SIZES = (16, 32)


class ArtError(Exception):
    pass


def read_art(path):
    """Returns the pixel rows of one image file, checked for shape and characters."""
    with open(path, encoding='ascii') as f:
        rows = [line.rstrip('\r\n') for line in f]
    rows = [r for r in rows if r and not r.startswith('#')]
    size = len(rows)
    if size not in ALLOWED_SIZES:
        raise ArtError(f'{path}: {size} rows; expected one of {ALLOWED_SIZES}')
    for n, row in enumerate(rows, 1):
        if len(row) != size:
            raise ArtError(f'{path}: pixel row {n} is {len(row)} wide, expected {size}')
        bad = set(row) - set(LEGEND) - {TRANSPARENT}
        if bad:
            raise ArtError(f'{path}: pixel row {n} has unknown characters {sorted(bad)}')
    return rows


def padded(row_bytes):
    """DIB rows are padded to a multiple of 4 bytes."""
    return row_bytes + b'\0' * (-len(row_bytes) % 4)


def image_bytes(rows):
    """One icon image: BITMAPINFOHEADER, palette, XOR bitmap, AND mask (rows bottom-up)."""
    size = len(rows)
    xor = b''
    mask = b''
    for row in reversed(rows):
        indices = [LEGEND.get(ch, 0) for ch in row]
        xor += padded(bytes((indices[i] << 4) | indices[i + 1] for i in range(0, size, 2)))
        bits = 0
        for ch in row:
            bits = (bits << 1) | (ch == TRANSPARENT)
        mask += padded(bits.to_bytes(size // 8, 'big'))
    # The height covers both bitmaps, as in every icon DIB.
    header = struct.pack('<IiiHHIIiiII', 40, size, 2 * size, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + xor + mask


def ico_bytes(images):
    """ICONDIR, one ICONDIRENTRY per image, then the images."""
    count = len(images)
    out = struct.pack('<HHH', 0, 1, count)
    offset = 6 + 16 * count
    blobs = []
    for rows in images:
        blob = image_bytes(rows)
        size = len(rows)
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return out + b''.join(blobs)


def main(argv):
    if len(argv) < 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    out_path, art_paths = argv[1], argv[2:]
    try:
        images = [read_art(p) for p in art_paths]
    except (ArtError, OSError, UnicodeDecodeError) as e:
        print(f'make_icon: {e}', file=sys.stderr)
        return 1
    with open(out_path, 'wb') as f:
        f.write(ico_bytes(images))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
