"""A PNG of the X display the program runs on: `xwd` dumps the root window,
and the dump (X Window Dump, format 7) is turned into an 8-bit RGB PNG here,
with nothing but zlib.

  screenshot.py OUT.png      (on the display named by $DISPLAY)
"""

import struct
import subprocess
import sys
import zlib

XWD_HEADER_FIELDS = (
    "header_size", "file_version", "pixmap_format", "pixmap_depth", "width", "height",
    "xoffset", "byte_order", "bitmap_unit", "bitmap_bit_order", "bitmap_pad",
    "bits_per_pixel", "bytes_per_line", "visual_class", "red_mask", "green_mask",
    "blue_mask", "bits_per_rgb", "colormap_entries", "ncolors", "window_width",
    "window_height", "window_x", "window_y", "window_border_width")
Z_PIXMAP = 2
XWD_COLOR_SIZE = 12


def _channel(mask):
    """(shift, maximum) of one colour mask."""
    shift = (mask & -mask).bit_length() - 1
    return shift, mask >> shift


def xwd_to_rgb(dump):
    """(width, height, rows of RGB bytes) of a true-colour ZPixmap dump."""
    header = dict(zip(XWD_HEADER_FIELDS, struct.unpack_from(">25I", dump)))
    if header["file_version"] != 7 or header["pixmap_format"] != Z_PIXMAP:
        raise ValueError("not a ZPixmap X window dump of format 7")
    bits = header["bits_per_pixel"]
    if bits not in (24, 32):
        raise ValueError(f"{bits} bits per pixel: only true colour is supported")
    width, height, stride = header["width"], header["height"], header["bytes_per_line"]
    start = header["header_size"] + header["ncolors"] * XWD_COLOR_SIZE
    step = bits // 8
    order = "big" if header["byte_order"] else "little"
    masks = [header[m] for m in ("red_mask", "green_mask", "blue_mask")]

    # Byte-aligned 8-bit channels (the usual 24-bit visual): slice the bytes.
    byte_of = {}
    for mask in masks:
        shift, maximum = _channel(mask)
        if maximum == 0xFF and shift % 8 == 0:
            index = shift // 8
            byte_of[mask] = index if order == "little" else step - 1 - index
    rows = []
    for y in range(height):
        row = dump[start + y * stride:start + y * stride + width * step]
        if len(row) < width * step:
            raise ValueError("the dump ends early")
        if len(byte_of) == 3:
            rgb = bytearray(width * 3)
            for channel, mask in enumerate(masks):
                rgb[channel::3] = row[byte_of[mask]::step]
        else:
            rgb = bytearray()
            channels = [_channel(m) for m in masks]
            for x in range(width):
                pixel = int.from_bytes(row[x * step:(x + 1) * step], order)
                rgb += bytes(((pixel >> s) & m) * 255 // (m or 1) for s, m in channels)
        rows.append(bytes(rgb))
    return width, height, rows


def png(width, height, rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + row for row in rows)  # filter type 0 on every row
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 6))
            + chunk(b"IEND", b""))


def capture_png(path, display=None):
    """Saves the whole display as a PNG; returns (width, height)."""
    command = ["xwd", "-root", "-silent"] + (["-display", display] if display else [])
    dump = subprocess.run(command, check=True, capture_output=True, timeout=30).stdout
    width, height, rows = xwd_to_rgb(dump)
    with open(path, "wb") as out:
        out.write(png(width, height, rows))
    return width, height


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    print("%dx%d" % capture_png(sys.argv[1]))
