"""Small helpers for writing SVG text."""

import math


def num(v):
    """Short, stable number text (two decimals at most)."""
    text = f"{v:.2f}".rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def pt(p):
    return f"{num(p[0])},{num(p[1])}"


def attrs(**kw):
    out = []
    for key, value in kw.items():
        if value is None:
            continue
        name = key.rstrip("_").replace("_", "-")
        out.append(f'{name}="{num(value) if isinstance(value, float) else value}"')
    return " ".join(out)


def el(tag, **kw):
    return f"<{tag} {attrs(**kw)}/>"


def group(children, **kw):
    inner = "".join(children)
    return f"<g {attrs(**kw)}>{inner}</g>" if kw else f"<g>{inner}</g>"


def poly_d(points, closed=False):
    d = "M" + " L".join(pt(p) for p in points)
    return d + ("Z" if closed else "")


def smooth_d(points, closed=True, tension=0.5):
    """A Catmull-Rom curve through the points, written as cubic Béziers."""
    n = len(points)
    if n < 3:
        return poly_d(points, closed)
    k = tension / 3.0
    d = [f"M{pt(points[0])}"]
    count = n if closed else n - 1
    for i in range(count):
        p0 = points[(i - 1) % n] if (closed or i > 0) else points[i]
        p1 = points[i]
        p2 = points[(i + 1) % n]
        p3 = points[(i + 2) % n] if (closed or i + 2 < n) else p2
        c1 = (p1[0] + (p2[0] - p0[0]) * k, p1[1] + (p2[1] - p0[1]) * k)
        c2 = (p2[0] - (p3[0] - p1[0]) * k, p2[1] - (p3[1] - p1[1]) * k)
        d.append(f"C{pt(c1)} {pt(c2)} {pt(p2)}")
    if closed:
        d.append("Z")
    return "".join(d)


def rot(p, deg, about=(0.0, 0.0)):
    a = math.radians(deg)
    x, y = p[0] - about[0], p[1] - about[1]
    return (about[0] + x * math.cos(a) - y * math.sin(a),
            about[1] + x * math.sin(a) + y * math.cos(a))


def add(p, q):
    return (p[0] + q[0], p[1] + q[1])


def lerp(p, q, t):
    return (p[0] + (q[0] - p[0]) * t, p[1] + (q[1] - p[1]) * t)


def polar(deg, length):
    """Vector of the given length; 0 degrees points down, 90 to the right."""
    a = math.radians(deg)
    return (math.sin(a) * length, math.cos(a) * length)


class Doc:
    """One SVG document: a defs section with generated ids and a body."""

    def __init__(self, width, height, view=None):
        self.width = width
        self.height = height
        self.view = view or (0, 0, width, height)
        self.defs = []
        self.body = []
        self._next = 0

    def new_id(self, stem):
        self._next += 1
        return f"{stem}{self._next}"

    def clip(self, d, transform=None):
        cid = self.new_id("c")
        self.defs.append(f'<clipPath id="{cid}"><path d="{d}"'
                         + (f' transform="{transform}"' if transform else "") + "/></clipPath>")
        return f"url(#{cid})"

    def mask(self, children):
        mid = self.new_id("m")
        vx, vy, vw, vh = self.view
        self.defs.append(f'<mask id="{mid}" maskUnits="userSpaceOnUse" x="{num(vx - 50)}" '
                         f'y="{num(vy - 50)}" width="{num(vw + 100)}" height="{num(vh + 100)}">'
                         + "".join(children) + "</mask>")
        return f"url(#{mid})"

    def blur(self, sd):
        fid = self.new_id("f")
        self.defs.append(f'<filter id="{fid}" x="-50%" y="-50%" width="200%" height="200%">'
                         f'<feGaussianBlur stdDeviation="{num(sd)}"/></filter>')
        return f"url(#{fid})"

    def colour_matrix(self, saturation):
        fid = self.new_id("f")
        self.defs.append(f'<filter id="{fid}" color-interpolation-filters="sRGB">'
                         f'<feColorMatrix type="saturate" values="{num(saturation)}"/></filter>')
        return f"url(#{fid})"

    def text(self):
        vx, vy, vw, vh = self.view
        return ('<svg xmlns="http://www.w3.org/2000/svg" '
                f'width="{self.width}" height="{self.height}" '
                f'viewBox="{num(vx)} {num(vy)} {num(vw)} {num(vh)}">'
                f'<defs>{"".join(self.defs)}</defs>{"".join(self.body)}</svg>\n')
