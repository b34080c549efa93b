"""SVG to PNG through rsvg-convert, then normalised and checked."""

import os
import shutil
import struct
import subprocess
import tempfile

from . import pngio

RSVG = "rsvg-convert"


class ArtError(Exception):
    pass


def require_tools():
    if shutil.which(RSVG) is None:
        raise ArtError("rsvg-convert not found: apt-get install librsvg2-bin")


def rasterise(svg_text, width, height, workdir):
    """Render SVG text at width x height; returns a pngio.Image."""
    fd, svg_path = tempfile.mkstemp(suffix=".svg", dir=workdir)
    with os.fdopen(fd, "w", encoding="utf-8") as f:
        f.write(svg_text)
    png_path = svg_path[:-4] + ".png"
    subprocess.run([RSVG, "-w", str(width), "-h", str(height), "-f", "png", "-o", png_path, svg_path],
                   check=True)
    image = pngio.read(png_path)
    os.remove(svg_path)
    os.remove(png_path)
    if (image.width, image.height) != (width, height):
        raise ArtError(f"rsvg-convert gave {image.width}x{image.height}, wanted {width}x{height}")
    clean(image)
    return image


def clean(image):
    """Fully transparent pixels carry no colour, so equal pictures give equal
    files whatever the renderer left behind."""
    data = image.data
    for i in range(3, len(data), 4):
        if data[i] == 0:
            data[i - 3] = data[i - 2] = data[i - 1] = 0


def close_gaps(image, colour, max_gap=3):
    """Ink in hairline slits: a pixel that is not opaque but has opaque
    pixels on two opposite sides within max_gap pixels (in a row, a column
    or a diagonal) lies in a gap between two outlined parts, where the
    desktop would otherwise shine through. Such pixels take the outline
    colour. Run once, on the picture as rendered."""
    w, h = image.width, image.height
    a = bytes(image.data[3::4])
    solid = [v >= 250 for v in a]
    rgb = bytes.fromhex(colour.lstrip("#"))
    filled = []
    for y in range(1, h - 1):
        for x in range(1, w - 1):
            i = y * w + x
            if solid[i]:
                continue
            hit = False
            for dx, dy in ((1, 0), (0, 1), (1, 1), (1, -1)):
                for before in range(1, max_gap):
                    bx, by = x - dx * before, y - dy * before
                    if not (0 <= bx < w and 0 <= by < h) or not solid[by * w + bx]:
                        continue
                    for after in range(1, max_gap + 1 - before):
                        ax, ay = x + dx * after, y + dy * after
                        if 0 <= ax < w and 0 <= ay < h and solid[ay * w + ax]:
                            hit = True
                            break
                    break
                if hit:
                    break
            if hit:
                filled.append(i)
    for i in filled:
        image.data[i * 4:i * 4 + 4] = bytes((rgb[0], rgb[1], rgb[2], 255))
    return len(filled)


def check_pose(image, name, scale=1):
    """Problems of a pose picture drawn at scale (1 or 2), as a list of texts
    (empty when fine)."""
    w, h = image.width, image.height
    a = image.data[3::4]
    problems = []
    for x in range(w):
        if a[x]:
            problems.append(f"{name}: touches the top edge at x={x}")
            break
    for y in range(h - 1):
        if a[y * w] or a[y * w + w - 1]:
            problems.append(f"{name}: touches a side edge at y={y}")
            break
    bottom = sum(1 for x in range(w) if a[(h - 1) * w + x] == 255)
    if bottom < 20 * scale:
        problems.append(f"{name}: only {bottom} opaque pixels on the bottom row (feet should stand there)")
    problems += interior_seams(image, name, reach=4 * scale)
    return problems


def interior_seams(image, name, reach=4):
    """Partly transparent pixels that are not at the silhouette: gaps between
    parts that would let the desktop shine through the figure."""
    w, h = image.width, image.height
    a = image.data[3::4]
    clear = bytearray(w * h)
    for i in range(w * h):
        if a[i] < 8:
            clear[i] = 1
    # distance test: a partial pixel must have a clear pixel within reach
    bad = []
    for y in range(h):
        for x in range(w):
            v = a[y * w + x]
            if 8 <= v < 250:
                found = False
                for yy in range(max(0, y - reach), min(h, y + reach + 1)):
                    row = yy * w
                    for xx in range(max(0, x - reach), min(w, x + reach + 1)):
                        if clear[row + xx]:
                            found = True
                            break
                    if found:
                        break
                if not found and y < h - 1:
                    bad.append((x, y))
    if bad:
        return [f"{name}: {len(bad)} partly transparent pixels inside the figure, first at {bad[0]}"]
    return []


def components(image, threshold=1):
    """Sizes of the connected groups of visible pixels (4-neighbourhood)."""
    w, h = image.width, image.height
    a = image.data[3::4]
    seen = bytearray(w * h)
    sizes = []
    for start in range(w * h):
        if seen[start] or a[start] < threshold:
            continue
        stack = [start]
        seen[start] = 1
        n = 0
        while stack:
            i = stack.pop()
            n += 1
            x, y = i % w, i // w
            for j, ok in ((i - 1, x > 0), (i + 1, x < w - 1), (i - w, y > 0), (i + w, y < h - 1)):
                if ok and not seen[j] and a[j] >= threshold:
                    seen[j] = 1
                    stack.append(j)
        sizes.append(n)
    return sorted(sizes, reverse=True)


def png_header(path):
    """(width, height, bit depth, colour type) from a PNG file's IHDR."""
    with open(path, "rb") as f:
        head = f.read(33)
    width, height, depth, colour = struct.unpack(">IIBB", head[16:26])
    return width, height, depth, colour


def write_ico(path, images):
    """A .ico holding the given pngio.Images (square, up to 256 px). The
    256-pixel image is stored as PNG, the smaller ones as 32-bit DIBs with
    straight alpha and an AND mask, which every icon reader understands."""
    entries = []
    for image in sorted(images, key=lambda im: im.width):
        size = image.width
        if size >= 256:
            blob = pngio.encode(image)
        else:
            blob = _dib(image)
        entries.append((size, blob))
    header = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    directory = b""
    body = b""
    for size, blob in entries:
        dim = 0 if size >= 256 else size
        directory += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(blob), offset + len(body))
        body += blob
    with open(path, "wb") as f:
        f.write(header + directory + body)


def _dib(image):
    w, h = image.width, image.height
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for y in range(h - 1, -1, -1):  # bottom row first
        for x in range(w):
            r, g, b, a = image.pixel(x, y)
            pixels += bytes((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(mask_stride)
        for x in range(w):
            if image.alpha(x, y) == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return info + bytes(pixels) + bytes(mask)
