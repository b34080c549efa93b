"""Minimal PNG reading and writing (8-bit RGBA only), standard library only.

rsvg-convert already writes 8-bit RGBA, but its output is decoded and written
again so that every committed picture has the same, metadata-free layout and
so that the checks can look at the pixels.
"""

import struct
import zlib


class Image:
    """Straight-alpha RGBA picture, rows top first, 4 bytes per pixel."""

    def __init__(self, width, height, data=None):
        self.width = width
        self.height = height
        self.data = bytearray(data) if data is not None else bytearray(width * height * 4)

    def pixel(self, x, y):
        i = (y * self.width + x) * 4
        return tuple(self.data[i:i + 4])

    def alpha(self, x, y):
        return self.data[(y * self.width + x) * 4 + 3]


def _chunks(blob):
    if blob[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    at = 8
    while at < len(blob):
        length, kind = struct.unpack(">I4s", blob[at:at + 8])
        yield kind, blob[at + 8:at + 8 + length]
        at += 12 + length


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def read(path):
    with open(path, "rb") as f:
        blob = f.read()
    header = None
    idat = []
    for kind, body in _chunks(blob):
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat.append(body)
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour != 6 or interlace != 0:
        raise ValueError(f"{path}: expected 8-bit RGBA, non-interlaced")
    raw = zlib.decompress(b"".join(idat))
    stride = width * 4
    out = bytearray(height * stride)
    prior = bytearray(stride)
    at = 0
    for y in range(height):
        kind = raw[at]
        row = bytearray(raw[at + 1:at + 1 + stride])
        at += stride + 1
        if kind == 1:
            for i in range(4, stride):
                row[i] = (row[i] + row[i - 4]) & 255
        elif kind == 2:
            for i in range(stride):
                row[i] = (row[i] + prior[i]) & 255
        elif kind == 3:
            for i in range(stride):
                left = row[i - 4] if i >= 4 else 0
                row[i] = (row[i] + ((left + prior[i]) >> 1)) & 255
        elif kind == 4:
            for i in range(stride):
                left = row[i - 4] if i >= 4 else 0
                upleft = prior[i - 4] if i >= 4 else 0
                row[i] = (row[i] + _paeth(left, prior[i], upleft)) & 255
        out[y * stride:(y + 1) * stride] = row
        prior = row
    return Image(width, height, out)


def encode(image):
    """PNG bytes: IHDR, one IDAT, IEND; filter 'up' on every row."""
    stride = image.width * 4
    raw = bytearray()
    prior = bytes(stride)
    for y in range(image.height):
        row = image.data[y * stride:(y + 1) * stride]
        raw.append(2)
        raw += bytes((a - b) & 255 for a, b in zip(row, prior))
        prior = row

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    ihdr = struct.pack(">IIBBBBB", image.width, image.height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def write(path, image):
    with open(path, "wb") as f:
        f.write(encode(image))
