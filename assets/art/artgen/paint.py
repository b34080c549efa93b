"""Drawing primitives in the house style: flat fills, one shadow tone, one
highlight, and a dark warm outline drawn over every part."""

import math

from .svg import el, group, num, poly_d, pt

LINE = 2.0  # outline of every part and of the silhouette
FINE = 1.2  # inner detail lines (folds, pleats, fingers)


def _offset(points, dist):
    """Polyline moved sideways by dist (positive: to the right of travel)."""
    out = []
    n = len(points)
    for i, p in enumerate(points):
        a = points[max(i - 1, 0)]
        b = points[min(i + 1, n - 1)]
        dx, dy = b[0] - a[0], b[1] - a[1]
        length = math.hypot(dx, dy) or 1.0
        out.append((p[0] - dy / length * dist, p[1] + dx / length * dist))
    return out


class Painter:
    """Draws parts for one figure with one palette."""

    def __init__(self, doc, palette, weight=1.0):
        self.doc = doc
        self.pal = palette
        self.weight = weight  # line widths are multiplied by this (icons)

    def colour(self, name_or_hex):
        if name_or_hex is None:
            return None
        return name_or_hex if name_or_hex.startswith("#") else self.pal[name_or_hex]

    def shape(self, d, fill, shades=(), lights=(), sw=LINE, stroke="line", extra=None):
        """A filled part; shades and lights are path data clipped to the part,
        filled with the shadow and highlight tones of fill (or given as
        (d, colour) pairs). The outline is drawn last so that the shading
        never eats into it."""
        fill_c = self.colour(fill)
        out = [el("path", d=d, fill=fill_c)]
        inner = []
        for item in shades:
            sd, sc = item if isinstance(item, tuple) else (item, fill + "_s")
            inner.append(el("path", d=sd, fill=self.colour(sc)))
        for item in lights:
            ld, lc = item if isinstance(item, tuple) else (item, fill + "_h")
            inner.append(el("path", d=ld, fill=self.colour(lc)))
        if extra:
            inner.extend(extra)
        if inner:
            out.append(group(inner, clip_path=self.doc.clip(d)))
        if stroke and sw:
            out.append(el("path", d=d, fill="none", stroke=self.colour(stroke),
                          stroke_width=sw * self.weight, stroke_linejoin="round"))
        return out

    def line(self, d, sw=FINE, colour="line", cap="round"):
        return el("path", d=d, fill="none", stroke=self.colour(colour), stroke_width=sw * self.weight,
                  stroke_linecap=cap, stroke_linejoin="round")

    def tubes(self, segments, sw=LINE, shade_side=1):
        """Round-capped tubes (limbs, fingers) that share one outline: every
        outline is drawn first, then every fill, so joints show no seam.
        A segment is (points, width, fill) or (points, width, fill, shade):
        shade draws the shadow tone along one side."""
        outlines, fills, shades, masks = [], [], [], []
        for seg in segments:
            points, width, fill = seg[0], seg[1], seg[2]
            d = poly_d(points)
            outlines.append(el("path", d=d, fill="none", stroke=self.colour("line"),
                               stroke_width=width + 2 * sw * self.weight, stroke_linecap="round",
                               stroke_linejoin="round"))
            fills.append(el("path", d=d, fill="none", stroke=self.colour(fill),
                            stroke_width=width, stroke_linecap="round",
                            stroke_linejoin="round"))
            masks.append(el("path", d=d, fill="none", stroke="#fff", stroke_width=width,
                            stroke_linecap="round", stroke_linejoin="round"))
            if len(seg) > 3 and seg[3] and len(points) > 1:
                side = seg[3] if isinstance(seg[3], (int, float)) else shade_side
                moved = _offset(points, side * width * 0.36)
                shades.append(el("path", d=poly_d(moved), fill="none",
                                 stroke=self.colour(fill + "_s"), stroke_width=width * 0.42,
                                 stroke_linecap="round", stroke_linejoin="round"))
        out = outlines + fills
        if shades:
            out.append(group(shades, mask=self.doc.mask(masks)))
        return out


def ellipse_d(cx, cy, rx, ry):
    return (f"M{num(cx - rx)},{num(cy)}a{num(rx)},{num(ry)} 0 1,0 {num(2 * rx)},0"
            f"a{num(rx)},{num(ry)} 0 1,0 {num(-2 * rx)},0Z")


def circle_d(cx, cy, r):
    return ellipse_d(cx, cy, r, r)


def fringe_d(points):
    """Fringe edge from the current point through alternating tips and roots,
    drawn right to left. Each lock leaves its root straight down, swells on
    its right side and hooks its tip a little to the left, the way a fringe
    combed towards the face falls."""
    d = []
    for a, b in zip(points, points[1:]):
        dx, dy = b[0] - a[0], b[1] - a[1]
        if dy > 0:  # root to tip
            c1 = (a[0] + dx * 0.05, a[1] + dy * 0.6)
            c2 = (b[0] - dx * 0.35, b[1] - dy * 0.18)
        else:  # tip up to the next root
            c1 = (a[0] + dx * 0.35, a[1] + dy * 0.45)
            c2 = (b[0] - dx * 0.1, b[1] - dy * 0.35)
        d.append(f"C{pt(c1)} {pt(c2)} {pt(b)}")
    return "".join(d)
