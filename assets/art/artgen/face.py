"""The face: eyes, brows, mouth, nose, blush and small extras (sweat, tears).

All coordinates are in the pose canvas (175 x 350) with the head upright;
the head group is rotated as a whole for a tilt. She looks three-quarter
left: the far eye (her right) is narrower and close to the left contour.
"""

from dataclasses import dataclass, replace

from .paint import ellipse_d
from .svg import el, group, num, pt

# Eye placement: centre, width, height, and which way "outer" points in x.
NEAR_EYE = {"c": (99.0, 99.0), "w": 18.0, "h": 21.0, "side": 1}
FAR_EYE = {"c": (67.5, 99.0), "w": 13.0, "h": 19.5, "side": -1}
MOUTH = (81.0, 121.0)
NOSE = (76.5, 110.0)


@dataclass(frozen=True)
class Expression:
    """What the face does. Values are names of the drawings below; near and
    far override eyes for one eye (a wink)."""

    eyes: str = "open"
    brows: str = "normal"
    mouth: str = "smile"
    blush: float = 1.0
    look: float = -0.14  # iris shift in half eye widths; negative looks left
    openness: float = 1.0
    extras: tuple = ()
    near: str = ""
    far: str = ""

    @property
    def near_eye(self):
        return self.near or self.eyes

    @property
    def far_eye(self):
        return self.far or self.eyes

    def but(self, **changes):
        return replace(self, **changes)


def _eye_map(eye):
    cx, cy = eye["c"]
    hw, hh, side = eye["w"] / 2, eye["h"] / 2, eye["side"]

    def m(u, v):
        return (cx + side * u * hw, cy + v * hh)

    return m


def _d(m, *commands):
    """Path data from ('M', (u, v)), ('C', a, b, c), ('L', p), ('Z',)."""
    out = []
    for cmd in commands:
        op, args = cmd[0], cmd[1:]
        out.append(op + " ".join(pt(m(*a)) for a in args))
    return "".join(out)


def open_eye(p, eye, expr, kind="open"):
    m = _eye_map(eye)
    side = eye["side"]
    openness = expr.openness * (0.72 if kind == "soft" else 1.0)
    top = -1.0 + (1.0 - openness) * 1.25
    inner, outer = (-1.0, -0.22), (1.02, -0.5)
    white = _d(m, ("M", inner), ("C", (-0.9, top + 0.1), (-0.5, top), (0.0, top)),
               ("C", (0.5, top), (0.92, top + 0.15), outer),
               ("C", (1.0, 0.2), (0.62, 1.0), (0.0, 1.0)),
               ("C", (-0.6, 1.0), (-1.0, 0.42), inner), ("Z",))
    look = expr.look * side  # look left: near eye moves to -u, far eye to +u
    ix, iy = look, 0.14
    hw, hh = eye["w"] / 2, eye["h"] / 2
    icx, icy = m(ix, iy)
    irx, iry = 0.74 * hw, 0.9 * hh
    iris_d = ellipse_d(icx, icy, irx, iry)
    iris_inner = [
        el("path", d=ellipse_d(icx, icy - 0.42 * iry, irx * 1.15, iry * 0.72), fill=p.colour("iris_s")),
        el("path", d=ellipse_d(icx, icy + 0.72 * iry, irx * 0.62, iry * 0.38), fill=p.colour("iris_h")),
        el("path", d=ellipse_d(icx, icy - 0.02 * iry, irx * 0.4, iry * 0.52), fill=p.colour("pupil")),
    ]
    iris = [el("path", d=iris_d, fill=p.colour("iris")),
            group(iris_inner, clip_path=p.doc.clip(iris_d)),
            el("path", d=iris_d, fill="none", stroke=p.colour("pupil"), stroke_width=0.9)]
    # Highlights: light comes from the upper left (the balloon's side).
    hx, hy = m(ix - 0.3 * side, -0.3)
    sx, sy = m(ix + 0.34 * side, 0.5)
    shine = [el("path", d=ellipse_d(hx, hy, hw * 0.27, hh * 0.21), fill="#ffffff"),
             el("path", d=ellipse_d(sx, sy, hw * 0.12, hh * 0.1), fill="#ffffff")]
    lid_shadow = el("path", d=_d(m, ("M", (-1.1, top - 0.2)),
                                 ("C", (-0.6, top - 0.1), (0.5, top - 0.1), (1.1, top)),
                                 ("L", (1.1, top + 0.42)),
                                 ("C", (0.5, top + 0.3), (-0.6, top + 0.3), (-1.1, top + 0.2)),
                                 ("Z",)), fill=p.colour("eye_s"))
    out = [el("path", d=white, fill=p.colour("eye_white")),
           group(iris + [lid_shadow] + shine, clip_path=p.doc.clip(white))]
    th = 2.7 / hh
    lash = _d(m, ("M", (-1.06, -0.16)), ("C", (-0.92, top + 0.08), (-0.5, top), (0.0, top)),
              ("C", (0.5, top), (0.92, top + 0.15), (1.05, -0.52)),
              ("L", (1.3, -0.2)),
              ("C", (1.26, -0.5), (1.2, -0.66), (1.08, top - 0.08 - th * 0.2)),
              ("C", (0.9, top - th * 0.9), (0.5, top - th), (0.0, top - th)),
              ("C", (-0.5, top - th), (-0.9, top - th * 0.5), (-1.06, -0.16)), ("Z",))
    out.append(el("path", d=lash, fill=p.colour("lash")))
    lower = _d(m, ("M", (1.0, 0.08)), ("C", (0.92, 0.62), (0.6, 0.98), (0.2, 1.02)))
    out.append(p.line(lower, sw=0.9, colour="lash"))
    return out


def closed_eye(p, eye, kind):
    m = _eye_map(eye)
    if kind == "happy":  # a smiling arc
        d = _d(m, ("M", (-0.95, 0.35)), ("C", (-0.6, -0.45), (0.55, -0.5), (1.05, 0.2)))
        return [p.line(d, sw=2.2, colour="lash"),
                p.line(_d(m, ("M", (1.05, 0.2)), ("L", (1.3, 0.35))), sw=1.3, colour="lash")]
    if kind == "shut":  # relaxed, lashes down
        d = _d(m, ("M", (-0.95, 0.05)), ("C", (-0.5, 0.62), (0.5, 0.65), (1.05, 0.0)))
        return [p.line(d, sw=2.2, colour="lash"),
                p.line(_d(m, ("M", (0.78, 0.36)), ("L", (1.0, 0.62))), sw=1.1, colour="lash"),
                p.line(_d(m, ("M", (0.35, 0.52)), ("L", (0.45, 0.85))), sw=1.1, colour="lash")]
    if kind == "squeeze":  # yawning, pressed shut
        d = _d(m, ("M", (1.1, -0.45)), ("C", (0.5, -0.25), (-0.2, 0.0), (-0.9, 0.1)))
        d2 = _d(m, ("M", (-0.9, 0.1)), ("C", (-0.2, 0.25), (0.5, 0.45), (1.1, 0.65)))
        return [p.line(d, sw=2.1, colour="lash"), p.line(d2, sw=1.6, colour="lash")]
    raise ValueError(kind)


def eye(p, which, expr):
    geometry = NEAR_EYE if which == "near" else FAR_EYE
    kind = expr.near_eye if which == "near" else expr.far_eye
    if kind in ("open", "soft"):
        return open_eye(p, geometry, expr, kind)
    return closed_eye(p, geometry, kind)


BROWS = {
    # (inner lift, outer lift, arch) in half eye heights; positive is up.
    "normal": (0.0, 0.0, 0.25),
    "happy": (0.15, 0.1, 0.35),
    "worried": (0.55, -0.2, 0.05),
    "soft": (-0.05, -0.12, 0.2),
    "raised": (0.35, 0.25, 0.35),
}


def brow(p, which, expr):
    geometry = NEAR_EYE if which == "near" else FAR_EYE
    m = _eye_map(geometry)
    inner_lift, outer_lift, arch = BROWS[expr.brows]
    base = -1.5
    a = (-0.75, base - inner_lift)
    b = (1.0, base + 0.05 - outer_lift)
    c1 = (-0.25, base - inner_lift - arch)
    c2 = (0.5, base - outer_lift - arch)
    d = _d(m, ("M", a), ("C", c1, c2, b))
    return [p.line(d, sw=1.5, colour="brow")]


def mouth(p, kind):
    x, y = MOUTH
    if kind == "smile":
        return [p.line(f"M{num(x - 4.5)},{num(y - 0.5)}Q{num(x)},{num(y + 3.2)} {num(x + 4.5)},{num(y - 1)}",
                       sw=1.3)]
    if kind == "shy":
        return [p.line(f"M{num(x - 3)},{num(y)}Q{num(x)},{num(y + 2.2)} {num(x + 3)},{num(y - 0.4)}",
                       sw=1.2)]
    if kind in ("open", "grin"):
        w = 5.2 if kind == "open" else 6.0
        d = (f"M{num(x - w)},{num(y - 2)}Q{num(x)},{num(y - 0.6)} {num(x + w)},{num(y - 2.4)}"
             f"C{num(x + w - 0.5)},{num(y + 4.5)} {num(x + 2.5)},{num(y + 6.5)} {num(x - 0.4)},{num(y + 6.2)}"
             f"C{num(x - 3.5)},{num(y + 6)} {num(x - w + 0.2)},{num(y + 2.5)} {num(x - w)},{num(y - 2)}Z")
        tongue = ellipse_d(x + 0.3, y + 6.2, 3.6, 2.8)
        return p.shape(d, "mouth", extra=[el("path", d=tongue, fill=p.colour("tongue"))], sw=1.2)
    if kind == "yawn":
        d = ellipse_d(x + 0.5, y + 2.8, 4.2, 5.6)
        tongue = ellipse_d(x + 0.8, y + 7.2, 3.4, 2.6)
        return p.shape(d, "mouth", extra=[el("path", d=tongue, fill=p.colour("tongue"))], sw=1.3)
    if kind == "o":
        d = ellipse_d(x + 0.2, y + 1.2, 2.2, 2.6)
        return p.shape(d, "mouth", sw=1.1)
    if kind == "worried":
        d = (f"M{num(x - 3.6)},{num(y + 1.6)}Q{num(x - 0.5)},{num(y - 1.6)} {num(x + 3.8)},{num(y + 1)}"
             f"Q{num(x + 0.5)},{num(y + 3.4)} {num(x - 3.6)},{num(y + 1.6)}Z")
        return p.shape(d, "mouth", sw=1.1)
    if kind == "cat":  # small closed smile with a lift at the ends
        return [p.line(f"M{num(x - 4.5)},{num(y - 1.2)}Q{num(x - 2.2)},{num(y + 2)} {num(x)},{num(y + 0.3)}"
                       f"Q{num(x + 2.2)},{num(y + 2)} {num(x + 4.5)},{num(y - 1.4)}", sw=1.2)]
    raise ValueError(kind)


def blush(p, strength):
    if strength <= 0:
        return []
    soft = p.doc.blur(1.6)
    a = min(1.0, 0.55 * strength)
    out = [el("path", d=ellipse_d(64.0, 112.5, 6.0, 3.0), fill=p.colour("blush"), opacity=a, filter=soft),
           el("path", d=ellipse_d(106.0, 112.5, 8.0, 3.6), fill=p.colour("blush"), opacity=a, filter=soft)]
    if strength >= 1.0:  # the little hatch strokes of an anime blush
        for i in range(3):
            x = 101.5 + i * 3.6
            out.append(p.line(f"M{num(x + 1.3)},{num(110.4)}L{num(x - 0.4)},{num(114.2)}",
                              sw=0.8, colour="blush_line"))
    return out


def nose(p):
    x, y = NOSE
    return [p.line(f"M{num(x)},{num(y - 1.2)}L{num(x - 1.0)},{num(y + 1.2)}L{num(x + 0.6)},{num(y + 1.4)}",
                   sw=0.9, colour="skin_line")]


def sweat(p):
    d = "M140,77C137.5,82 135.5,85.5 135.5,88.2A4.5,4.5 0 0 0 144.5,88.2C144.5,85.5 142.5,82 140,77Z"
    return p.shape(d, "#bfe6ff", lights=[("M137.7,86.5a1.3,2 0 1 0 0.1,0Z", "#ffffff")], sw=1.3)


def tear(p):
    x, y = NEAR_EYE["c"][0] + 11, NEAR_EYE["c"][1] + 3
    d = (f"M{num(x)},{num(y - 3)}C{num(x - 1.6)},{num(y)} {num(x - 2.4)},{num(y + 1.4)} {num(x - 2.4)},{num(y + 2.2)}"
         f"A2.4,2.4 0 0 0 {num(x + 2.4)},{num(y + 2.2)}C{num(x + 2.4)},{num(y + 1.4)} {num(x + 1.6)},{num(y)} {num(x)},{num(y - 3)}Z")
    return p.shape(d, "#d6f0ff", sw=1.0)


def features(p, expr):
    """Everything drawn on the skin, in order."""
    out = []
    out += blush(p, expr.blush)
    out += eye(p, "far", expr)
    out += eye(p, "near", expr)
    out += nose(p)
    out += mouth(p, expr.mouth)
    if "tear" in expr.extras:
        out += tear(p)
    return out


def brows(p, expr):
    """Drawn over the fringe, as is usual in this style."""
    return brow(p, "far", expr) + brow(p, "near", expr)


def extras_over(p, expr):
    return sweat(p) if "sweat" in expr.extras else []
