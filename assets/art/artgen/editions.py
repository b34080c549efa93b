"""The three editions. An edition is a palette, its hair (back and front),
its ornament, the small details of its outfit, and how its temperament
colours the shared expressions."""

from dataclasses import dataclass, field

from .paint import FINE, circle_d, ellipse_d, fringe_d
from .svg import add, el, lerp, num, pt, rot


def _mix(a, b, t):
    ca = [int(a[i:i + 2], 16) for i in (1, 3, 5)]
    cb = [int(b[i:i + 2], 16) for i in (1, 3, 5)]
    return "#" + "".join(f"{round(x + (y - x) * t):02x}" for x, y in zip(ca, cb))


def _shadow(c):
    """The cel shadow tone: the base colour multiplied by a cool rose."""
    ca = [int(c[i:i + 2], 16) for i in (1, 3, 5)]
    tint = (0.80, 0.72, 0.82)
    return "#" + "".join(f"{round(x * k):02x}" for x, k in zip(ca, tint))


def palette(base, **explicit):
    """Fill in the _s (shadow) and _h (highlight) tones that are not given."""
    out = dict(base)
    for name, colour in base.items():
        out.setdefault(name + "_s", _shadow(colour))
        out.setdefault(name + "_h", _mix(colour, "#ffffff", 0.45))
    out.update(explicit)
    return out


COMMON = {
    "line": "#3a2226",
    "skin": "#fde9dc",
    "skin_s": "#f3c6b4",
    "skin_line": "#c98776",
    "blush": "#ff8f9a",
    "blush_line": "#f0707e",
    "eye_white": "#fffdfb",
    "eye_s": "#dcd3ea",
    "mouth": "#a8323f",
    "tongue": "#f2838c",
    "page": "#fffaf0",
    "page_s": "#eadfcc",
    "text": "#a89c8c",
    "handle": "#a0623a",
    "bell": "#f4c542",
    "bell_s": "#cf9225",
    "bell_h": "#fff0a8",
}


@dataclass
class Edition:
    name: str
    pal: dict
    hair_back: object
    hair_front: object
    fringe_shade: str
    ornament: object
    outfit: dict
    temper: dict = field(default_factory=dict)  # expression changes by name
    icon: dict = field(default_factory=dict)


# --- Hinata: amber bob, sun clip, white blouse, sunflower cardigan ----------

def _hinata_back(p):
    d = ("M57,124C44,102 43,60 77,41C108,27 147,45 148,83"
         "C149,106 146,124 140,136C134,142 123,142 115,138L78,135Z")
    return p.shape(d, "hair", shades=["M40,102L160,102L160,150L40,150Z"])


_HINATA_FRINGE = [(123, 74), (117, 90.5), (112, 81), (101, 92), (96.5, 80.5), (85, 91.5),
                  (81, 82), (77.5, 87), (74.5, 82), (65, 90), (62, 81)]


def fringe_shadow(points, far_tip=(55.0, 110.0)):
    """The shadow the fringe casts on the forehead: the fringe's edge moved
    down a little."""
    moved = [(x + 0.5, y + 3.8) for x, y in points]
    return (f"M40,50L140,50L140,{num(moved[0][1])}L{pt(moved[0])}" + fringe_d(moved)
            + f"L{pt(far_tip)}L40,{num(far_tip[1])}Z")


def _hinata_front(p):
    d = ("M52,113C45.5,95 46,62 71,45C97,29 139,38 146,72"
         "C149,92 147,114 140,128Q138,134 133,138"
         "C128,126 123,114 121.5,100C121,90 122,80 123,73"
         + fringe_d(_HINATA_FRINGE) +
         "C60,86 58.5,99 52,113Z")
    ring = ("M50,72C58,57 78,49.5 99,49.5C118,49.5 134,56 143,68L141.5,74L136,67.5L130,72"
            "L123.5,64.5L116,70L109,63L101,69L93.5,62.5L86,68.5L78.5,63L71,69.5L64,64.5L57,72L51.5,78Z")
    shade = "M121,78C124,100 127,118 133,138L120,140L112,100Z"
    out = p.shape(d, "hair", shades=[shade], lights=[ring])
    for a, b in (((98, 52), (98, 71)), ((112, 53), (113, 72)), ((84, 54), (74, 72)),
                 ((133, 72), (136, 122)), ((62, 70), (55, 104))):
        mid = ((a[0] + b[0]) / 2 + 1.5, (a[1] + b[1]) / 2)
        out.append(p.line(f"M{pt(a)}Q{pt(mid)} {pt(b)}", sw=0.9, colour="hair_s"))
    return out


def _sun_clip(p, at=(127.0, 59.0)):
    points = []
    for i in range(16):
        r = 10.5 if i % 2 == 0 else 6.4
        points.append(add(at, rot((0, -r), i * 22.5 + 11.25)))
    star = "M" + "L".join(pt(q) for q in points) + "Z"
    out = p.shape(star, "accent", sw=1.2)
    out += p.shape(circle_d(at[0], at[1], 6.0), "clip", lights=[ellipse_d(at[0] - 1.8, at[1] - 1.9, 2.0, 1.5)],
                   shades=[circle_d(at[0] + 2.4, at[1] + 2.4, 5.0)], sw=1.1)
    return out


def _cardigan_extra(p):
    """Under the outline of the torso: the blouse in the V of a cardigan or
    jacket, and the darker hem band."""
    v = "M76,140L100,139L89,181L84,181Z"
    hem = "M50,203L125,203L125,215L50,215Z"
    return [el("path", d=v, fill=p.colour("inner")),
            el("path", d="M90,140L100,139L89,181L86,181Z", fill=p.colour("inner_s")),
            el("path", d=hem, fill=p.colour("outer_s"))]


def _cardigan_over(p):
    """Over the torso: V edges, collar, ribbon and buttons."""
    out = []
    out.append(p.line("M76,140L84.5,182", sw=FINE))
    out.append(p.line("M100,139L88.5,182", sw=FINE))
    out.append(p.line("M86.5,182L86.5,203", sw=FINE))
    out.append(p.line("M57.5,203.5C75,205 100,205 116.5,203.5", sw=FINE))
    for i in range(6):
        x = 63 + i * 9.5
        out.append(p.line(f"M{num(x)},205L{num(x - 0.3)},210", sw=0.8, colour="outer_s"))
    out += p.shape("M79,139.5L88,148L84.5,153.5L76,143Z", "collar", sw=1.3)
    out += p.shape("M97.5,138.5L88,148L92.5,153.5L100,141.5Z", "collar",
                   shades=["M94,138L104,138L104,156L94,156Z"], sw=1.3)
    out += p.shape("M88,149.5L80,145.5L79,153.5Z", "accent", sw=1.2)
    out += p.shape("M88,149.5L96,145L97,153.5Z", "accent", shades=["M92,140L102,140L102,158L92,158Z"], sw=1.2)
    out += p.shape("M88,149.5L84,160L87,159.5L88.5,155L90,159L92.5,159.2Z", "accent", sw=1.1)
    out += p.shape(circle_d(88, 149.5, 2.4), "accent", sw=1.1)
    for y in (189.0, 198.0):
        out += p.shape(circle_d(89.8, y, 1.9), "button", sw=1.0)
    return out


CARDIGAN = {"torso_extra": _cardigan_extra, "torso_over": _cardigan_over, "elbow_fold": True}


HINATA = Edition(
    name="hinata",
    pal=palette({**COMMON,
                 "hair": "#f0a848", "iris": "#d7782a", "outer": "#ffd23f", "inner": "#ffffff",
                 "skirt": "#8a5a3e", "legwear": "#ffffff", "shoes": "#9b5a36",
                 "accent": "#ff8a2a", "clip": "#ffd84a", "collar": "#ffffff", "button": "#ff8a2a", "book": "#ff9a3c", "clock": "#ff9a3c"},
                hair_s="#d4823a", hair_h="#fcd58f", brow="#8e4a22", lash="#4a2a22",
                iris_s="#a9521e", iris_h="#ffc36a", pupil="#5a2812",
                outer_s="#eaa72e", inner_s="#e5dff0", collar_s="#e5dff0", legwear_s="#e2dcea"),
    hair_back=_hinata_back,
    hair_front=_hinata_front,
    fringe_shade=fringe_shadow(_HINATA_FRINGE),
    ornament=_sun_clip,
    outfit={**CARDIGAN, "sock_top": 292.0, "strap": True},
    icon={"hair": "bob", "ornament": "accent", "ornament_centre": "clip"},
    temper={"calm": {"mouth": "smile"}, "happy": {"mouth": "open"}},
)




# --- Tsubaki: long straight blue-black hair, red camellia, red and black ----

def _tsubaki_back(p):
    d = ("M52,104C43,62 70,38 98,38C128,38 148,56 148,86C149,120 151,170 155,236"
         "L151,234.5L147,238L142,235.5L137,238.5L132,236L127,239L125,200L60,200L58,239"
         "L53,236.5L48,239L44,236L40,238C43,190 47,140 52,104Z")
    return p.shape(d, "hair", shades=["M56,100L128,100L128,245L56,245Z",
                                       "M146,110C148,150 150,190 153,236L160,236L160,110Z"],
                   lights=["M141,140C142,170 144,200 146,228L148.5,228C147,200 145,170 143.5,140Z"])


_TSUBAKI_FRINGE = [(123, 75), (118, 89.5), (113.5, 82), (105, 90.5), (100.5, 81.5), (91, 90.5),
                   (86.5, 81), (77.5, 90), (73.5, 81.5), (65.5, 89), (63, 82)]


def _tsubaki_front(p):
    d = ("M49,135C46,100 46,62 71,45C97,29 139,38 146,72"
         "C149,100 148.5,130 147,160L145.5,200L141,197L136.5,202L132,198"
         "C130.5,180 128.5,160 126.5,140C124.5,120 122.5,100 122,90C122,84 122.5,79 123,75"
         + fringe_d(_TSUBAKI_FRINGE) +
         "C61.5,100 61.5,118 61,135L57,132L53,136Z")
    ring = ("M50,72C58,57 78,49.5 99,49.5C118,49.5 134,56 143,68L141.5,74L136,67.5L130,72"
            "L123.5,64.5L116,70L109,63L101,69L93.5,62.5L86,68.5L78.5,63L71,69.5L64,64.5L57,72L51.5,78Z")
    shade = "M122,88C125,120 128,160 132,204L118,204L112,100Z"
    out = p.shape(d, "hair", shades=[shade], lights=[ring])
    for a, b in (((98, 52), (100, 81)), ((112, 53), (113, 82)), ((84, 54), (86, 81)),
                 ((134, 74), (139, 190)), ((62, 70), (55, 128))):
        mid = ((a[0] + b[0]) / 2 + 1.5, (a[1] + b[1]) / 2)
        out.append(p.line(f"M{pt(a)}Q{pt(mid)} {pt(b)}", sw=0.9, colour="hair_h"))
    return out


def _camellia(p, at=(127.0, 60.0)):
    out = []
    for ang in (-40, 40):  # two leaves behind the flower
        tip = add(at, rot((0, 15), ang + 180))
        base = add(at, rot((0, 4), ang + 180))
        l = add(lerp(base, tip, 0.5), rot((4.2, 0), ang + 180))
        r = add(lerp(base, tip, 0.5), rot((-4.2, 0), ang + 180))
        out += p.shape(f"M{pt(base)}Q{pt(l)} {pt(tip)}Q{pt(r)} {pt(base)}Z", "leaf", sw=1.2)
    for i in range(5):
        c = add(at, rot((0, -5.4), i * 72 + 10))
        out += p.shape(circle_d(c[0], c[1], 5.2), "flower",
                       shades=[circle_d(c[0] + 2.2, c[1] + 2.2, 4.6)], sw=1.2)
    out += p.shape(circle_d(at[0], at[1], 4.4), "flower", sw=0.0)
    out += p.shape(circle_d(at[0], at[1], 2.8), "stamen", shades=[circle_d(at[0] + 1.2, at[1] + 1.2, 2.4)], sw=1.0)
    return out


TSUBAKI = Edition(
    name="tsubaki",
    pal=palette({**COMMON,
                 "hair": "#2a2d44", "iris": "#b23a4c", "outer": "#a51f33", "inner": "#2f2a36",
                 "collar": "#2f2a36", "button": "#2f2a36",
                 "skirt": "#2f2a36", "legwear": "#2b2731", "shoes": "#6e1a28",
                 "accent": "#d8364a", "flower": "#d42a3e", "stamen": "#ffd54a", "leaf": "#3f8a4f",
                 "book": "#3a3444", "clock": "#e2b04a"},
                hair_s="#191b2c", hair_h="#56608a", brow="#1c1e30", lash="#1e1a26",
                iris_s="#7a1e30", iris_h="#f08a8a", pupil="#3a0e18",
                outer_s="#761424", inner_s="#1f1b25", collar_s="#1f1b25", skirt_s="#1f1b25",
                skirt_h="#4a4453", legwear_s="#1b1820", flower_s="#9c1a2c"),
    hair_back=_tsubaki_back,
    hair_front=_tsubaki_front,
    fringe_shade=fringe_shadow(_TSUBAKI_FRINGE, (60.0, 128.0)),
    ornament=_camellia,
    outfit={**CARDIGAN, "strap": True},
    icon={"hair": "long", "ornament": "flower", "ornament_centre": "stamen"},
    temper={"calm": {"openness": 0.82, "mouth": "smile"},
            "happy": {"openness": 0.8, "mouth": "smile", "brows": "soft"},
            "report": {"openness": 0.82, "mouth": "cat", "brows": "soft"},
            "wink": {"openness": 0.82, "mouth": "smile"},
            "attentive": {"openness": 0.86},
            "warning": {"openness": 0.9},
            "beam": {"mouth": "smile", "brows": "soft"},
            "content": {"brows": "soft"}},
)


# --- Sazanka: pink twin tails, white sasanqua, white and pink knit dress ----

def _tail(p, root, sway):
    """One twin tail hanging from root; sway bends it outwards (+1 right)."""
    x, y = root
    s = sway
    d = (f"M{pt((x - 7 * s, y - 2))}"
         f"C{pt((x + 14 * s, y - 6))} {pt((x + 24 * s, y + 30))} {pt((x + 22 * s, y + 70))}"
         f"C{pt((x + 21 * s, y + 100))} {pt((x + 12 * s, y + 122))} {pt((x + 4 * s, y + 136))}"
         f"C{pt((x + 10 * s, y + 118))} {pt((x + 6 * s, y + 100))} {pt((x + 2 * s, y + 86))}"
         f"C{pt((x - 2 * s, y + 104))} {pt((x - 6 * s, y + 112))} {pt((x - 11 * s, y + 118))}"
         f"C{pt((x - 4 * s, y + 96))} {pt((x - 1 * s, y + 60))} {pt((x - 4 * s, y + 30))}"
         f"C{pt((x - 5 * s, y + 16))} {pt((x - 7 * s, y + 6))} {pt((x - 7 * s, y - 2))}Z")
    shade = (f"M{pt((x + 6 * s, y + 10))}C{pt((x + 13 * s, y + 40))} {pt((x + 14 * s, y + 80))} "
             f"{pt((x + 6 * s, y + 130))}L{pt((x + 40 * s, y + 130))}L{pt((x + 40 * s, y + 10))}Z")
    light = (f"M{pt((x + 2 * s, y + 14))}C{pt((x + 6 * s, y + 30))} {pt((x + 7 * s, y + 46))} "
             f"{pt((x + 6 * s, y + 60))}L{pt((x + 3.5 * s, y + 60))}C{pt((x + 4 * s, y + 46))} "
             f"{pt((x + 2 * s, y + 30))} {pt((x - 0.5 * s, y + 14))}Z")
    out = p.shape(d, "hair", shades=[shade], lights=[light])
    out.append(p.line(f"M{pt((x + 1 * s, y + 40))}Q{pt((x + 7 * s, y + 80))} {pt((x + 2 * s, y + 110))}",
                      sw=0.9, colour="hair_s"))
    return out


def _sazanka_back(p):
    out = _tail(p, (49.0, 74.0), -1) + _tail(p, (139.0, 70.0), 1)
    d = ("M57,124C44,102 43,60 77,41C108,27 147,45 147,80"
         "C147,98 143,112 136,122C130,129 122,132 114,132L78,133Z")
    out += p.shape(d, "hair", shades=["M40,100L160,100L160,150L40,150Z"])
    return out


_SAZANKA_FRINGE = [(123, 75), (117, 89), (112, 78), (102, 90.5), (97, 77.5), (86.5, 90),
                   (82, 78.5), (72.5, 88.5), (67, 79)]


def _sazanka_front(p):
    d = ("M53,118C45.5,95 46,62 71,45C97,29 139,38 146,72"
         "C148,86 146,100 140,112Q136,118 131,121"
         "C129,110 126.5,100 124.5,92C123.5,86 123,80 123,75"
         + fringe_d(_SAZANKA_FRINGE) +
         "C63,88 61,104 53,118Z")
    ring = ("M50,72C58,57 78,49.5 99,49.5C118,49.5 134,56 143,68L141.5,74L136,67.5L130,72"
            "L123.5,64.5L116,70L109,63L101,69L93.5,62.5L86,68.5L78.5,63L71,69.5L64,64.5L57,72L51.5,78Z")
    shade = "M123,80C126,95 129,108 131,121L118,122L114,90Z"
    out = p.shape(d, "hair", shades=[shade], lights=[ring])
    for a, b in (((98, 52), (97, 77.5)), ((112, 53), (112, 78)), ((84, 54), (82, 78.5)),
                 ((133, 72), (134, 110)), ((62, 70), (56, 108))):
        mid = ((a[0] + b[0]) / 2 + 1.5, (a[1] + b[1]) / 2)
        out.append(p.line(f"M{pt(a)}Q{pt(mid)} {pt(b)}", sw=0.9, colour="hair_s"))
    return out


def _sasanqua(p, at, size=1.0):
    out = []
    for i in range(5):
        c = add(at, rot((0, -3.6 * size), i * 72 - 8))
        out += p.shape(ellipse_d(c[0], c[1], 3.5 * size, 3.5 * size), "petal",
                       shades=[circle_d(c[0] + 1.6, c[1] + 1.6, 3.0 * size)], sw=1.0)
    out += p.shape(circle_d(at[0], at[1], 3.4 * size), "petal", sw=0.0)
    out += p.shape(circle_d(at[0], at[1], 1.9 * size), "stamen", sw=0.9)
    return out


def _sazanka_ornament(p):
    out = []
    out += p.shape("M132,64C136,60 143,60 146,64C145,70 138,73 133,70Z", "accent", sw=1.2)
    out += _sasanqua(p, (140.0, 64.0), 1.05)
    out += _sasanqua(p, (131.0, 71.0), 0.8)
    out += p.shape("M46,70C49,66 55,66 58,70C57,75 51,77 47,75Z", "accent", sw=1.2)
    out += _sasanqua(p, (51.0, 69.0), 0.9)
    return out


def _knit_extra(p):
    """Knit ribs down the dress and the pink band at the hem."""
    out = []
    for i in range(7):
        x = 62 + i * 8.2
        out.append(p.line(f"M{num(x)},158L{num(x + 0.5)},210", sw=0.8, colour="outer_s"))
    out.append(el("path", d="M50,201L125,201L125,215L50,215Z", fill=p.colour("accent")))
    return out


def _knit_over(p):
    out = []
    out.append(p.line("M57.5,201.5C75,203.5 100,203.5 116.5,201.5", sw=FINE))
    # turtleneck collar
    out += p.shape("M78,137.5C84,141.5 94,141 99,136.5L100,145C93,150.5 84,150.5 77.5,146Z", "accent",
                   shades=["M92,134L104,134L104,152L92,152Z"], sw=1.4)
    for x in (82.0, 86.5, 91.0, 95.5):
        out.append(p.line(f"M{num(x)},{num(141)}L{num(x)},{num(148)}", sw=0.8, colour="accent_s"))
    # a row of small heart buttons... kept to two plain ones
    for y in (172.0, 186.0):
        out += p.shape(circle_d(86.0, y, 2.0), "accent", sw=1.0)
    return out


def _knit_skirt(p):
    out = []
    for i in range(9):
        x = 52 + i * 9.6
        out.append(p.line(f"M{num(x + (88 - x) * 0.3)},{num(210)}L{num(x)},{num(262)}", sw=0.8,
                          colour="skirt_s"))
    out.append(el("path", d="M30,253L150,253L150,275L30,275Z", fill=p.colour("inner")))
    return out


SAZANKA = Edition(
    name="sazanka",
    pal=palette({**COMMON,
                 "hair": "#f7a8c2", "iris": "#c8527a", "outer": "#fff7f4", "inner": "#fff7f4",
                 "collar": "#f48fb0", "button": "#f48fb0",
                 "skirt": "#f48fb0", "legwear": "#fff7f4", "shoes": "#c8607c",
                 "accent": "#f48fb0", "petal": "#ffffff", "stamen": "#ffd24a",
                 "book": "#f07aa0", "clock": "#f07aa0"},
                hair_s="#e07c9e", hair_h="#ffd3e2", brow="#c0587a", lash="#4a2230",
                iris_s="#8e2f55", iris_h="#ffb0cc", pupil="#4a1530",
                outer_s="#eadbe4", inner_s="#eadbe4", legwear_s="#eadbe4", petal_s="#f3e3ea",
                skirt_s="#d86e94", accent_s="#d86e94"),
    hair_back=_sazanka_back,
    hair_front=_sazanka_front,
    fringe_shade=fringe_shadow(_SAZANKA_FRINGE, (55.0, 114.0)),
    ornament=_sazanka_ornament,
    outfit={"torso_extra": _knit_extra, "torso_over": _knit_over, "skirt_extra": _knit_skirt,
            "cuff": "accent", "strap": True},
    icon={"hair": "tails", "ornament": "petal", "ornament_centre": "stamen"},
    temper={"calm": {"mouth": "shy", "blush": 1.4},
            "happy": {"mouth": "shy", "blush": 1.5, "brows": "soft"},
            "beam": {"mouth": "shy", "blush": 1.5},
            "report": {"mouth": "open", "blush": 1.4, "brows": "soft"},
            "wink": {"mouth": "shy", "blush": 1.5},
            "content": {"mouth": "shy", "blush": 1.4},
            "attentive": {"blush": 1.4},
            "warning": {"blush": 1.2},
            "yawn": {"blush": 1.3}},
)

EDITIONS = {e.name: e for e in (HINATA, TSUBAKI, SAZANKA)}
