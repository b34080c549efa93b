"""Body parts shared by every edition: head base, neck, torso, skirt, legs,
shoes, arms, hands and the props she holds.

Coordinates are pose-canvas pixels (175 x 350). The figure stands with her
soles on the bottom edge and faces three-quarter left. Clothing colours come
from palette names ("outer", "inner", "skirt", "legwear", "shoes",
"accent"); each edition's outfit style adds its own small details.
"""

import math
from dataclasses import dataclass

from .paint import FINE, circle_d, ellipse_d
from .svg import add, el, group, num, polar, pt, rot

HEAD_PIVOT = (88.0, 138.0)  # the head tilts about the base of the neck
FAR_SHOULDER = (66.0, 155.0)
NEAR_SHOULDER = (113.0, 153.0)
UPPER_ARM = 33.0
FOREARM = 29.0

FACE_D = ("M58,62C55.5,76 54.6,88 55,96C55.3,101 56.2,105 58,109"
          "C61,118 68,127.5 77,132.4C80,134.1 84,134 88,131.8"
          "C102,125 117,116 125,102C129.5,94 131,80 128.5,62Z")


# --- head base -----------------------------------------------------------

def neck(p):
    d = "M79.5,116L79.5,143C84,147.5 93,147.5 97.5,142L97.5,114Z"
    shade = "M70,110L104,108L104,131C96,136.5 86,138.5 70,135Z"
    return p.shape(d, "skin", shades=[shade])


def ear(p):
    d = "M120,93C126,86.5 134.5,90 133.5,100C133,107.5 128,112.5 121.5,111Z"
    return p.shape(d, "skin", shades=["M127,95C131,96 131,104 127,107L125,106C127,103 127,98 125,96Z"])


def face_skin(p, fringe_shade):
    """The face; fringe_shade is path data of the shadow the fringe casts."""
    side_shade = "M121,60L140,60L140,120L100,128C112,121 121,110 125,99C128,90 128,76 121,60Z"
    return p.shape(FACE_D, "skin", shades=[fringe_shade, side_shade])


# --- arms and hands ------------------------------------------------------

@dataclass(frozen=True)
class Arm:
    """One arm: angles in degrees (0 points down, 90 right, -90 left, 180
    up), the hand drawing, its extra turn, and the layer it is drawn in:
    "mid" behind the torso, "front" over the torso, "top" over the head."""

    upper: float
    fore: float
    hand: str = "relaxed"
    turn: float = 0.0
    layer: str = "front"
    shade: int = 1
    flip: bool = False  # mirror the hand (thumb on the other side)

    def joints(self, shoulder):
        elbow = add(shoulder, polar(self.upper, UPPER_ARM))
        wrist = add(elbow, polar(self.fore, FOREARM))
        return shoulder, elbow, wrist


def sleeve(p, arm, shoulder, style):
    s, e, w = arm.joints(shoulder)
    cuff_start = add(w, polar(arm.fore + 180, 4.5))
    out = p.tubes([([s, e, cuff_start], 13.0, "outer", arm.shade),
                   ([cuff_start, w], 12.0, style.get("cuff", "outer"), arm.shade)])
    # the fold line where the cuff meets the sleeve
    a = add(cuff_start, polar(arm.fore + 90, 6.2))
    b = add(cuff_start, polar(arm.fore - 90, 6.2))
    out.append(p.line(f"M{pt(a)}L{pt(b)}", sw=FINE))
    if style.get("elbow_fold"):
        f1 = add(e, polar(arm.upper + 90, 3))
        f2 = add(e, polar(arm.fore + 70, 5))
        out.append(p.line(f"M{pt(f1)}Q{pt(e)} {pt(f2)}", sw=0.9, colour="outer_s"))
    return out


# Hands in their own frame: the wrist at (0, 0), fingers towards +y, palm
# towards the viewer, thumb on the -x side (mirrored with flip).
def _hand_local(p, kind):
    skin = "skin"
    if kind == "open":
        segs = [([(0, 3.2), (0, 6.5)], 9.6, skin),
                ([(-3.4, 8), (-4.6, 14.2)], 2.9, skin),
                ([(-1.1, 8.5), (-1.3, 15.8)], 2.9, skin),
                ([(1.3, 8.5), (1.6, 15.4)], 2.9, skin),
                ([(3.5, 8), (5.0, 13.2)], 2.7, skin),
                ([(-4.2, 4.2), (-8.2, 7.8)], 3.0, skin)]
        out = p.tubes(segs, sw=1.5)
        return out
    if kind == "relaxed":
        d = ("M-4.6,0.5C-5.8,4 -5.8,9 -4,12.6C-2.4,15.4 2.2,15.6 4.2,12.8"
             "C5.8,10.5 5.6,4 4.6,0.5Z")
        out = p.shape(d, skin, shades=["M2,-2L8,-2L8,16L1.5,16C3.5,12 3.8,6 2,-2Z"], sw=1.5)
        out.append(p.line("M-1.2,9.5L-1.6,14", sw=0.8))
        out.append(p.line("M1.4,9L1.5,13.8", sw=0.8))
        out.append(p.line("M-4.8,5.5C-3.5,7 -2.4,8 -2.4,10", sw=0.9))
        return out
    if kind == "point":  # index finger out along the hand, the others curled
        out = p.tubes([([(0.6, 3.5), (0.6, 6.5)], 10.0, skin),
                       ([(-3.0, 7.5), (-3.3, 18.5)], 3.1, skin)], sw=1.5)
        # curled fingers: three knuckles on the far edge of the fist
        out.append(p.line("M-0.8,11.2C0.2,12.8 1.6,12.8 2.2,11.4", sw=0.85))
        out.append(p.line("M2.2,11C3,12.2 4.6,12 5.2,10.4", sw=0.85))
        # the thumb folded across the front
        out += p.tubes([([(-5.0, 3.0), (-1.2, 8.6), (1.8, 9.2)], 3.0, skin)], sw=1.3)
        return out
    if kind in ("fist", "hold"):
        d = ("M-4.8,0.5C-6,3.5 -6,8.5 -4.2,11.2C-2.2,13.6 2.6,13.6 4.6,11"
             "C6,8.6 5.8,3.5 4.8,0.5Z")
        out = p.shape(d, skin, shades=["M2.5,-2L8,-2L8,16L2.2,16C4,11 4,6 2.5,-2Z"], sw=1.5)
        out.append(p.line("M-3.2,8.6C-1.2,9.8 1.6,9.8 3.8,8.4", sw=0.85))
        out.append(p.line("M-4.4,4.2C-2.4,6.2 -0.6,6.6 0.8,6", sw=0.95))
        return out
    if kind == "chin":  # fingers loosely curled, index touching the chin
        segs = [([(0, 3.5), (0, 6)], 9.8, skin),
                ([(-1.2, 7.5), (-1.6, 15.5)], 3.0, skin),
                ([(-4.4, 4), (-6.4, 8.4)], 3.0, skin)]
        out = p.tubes(segs, sw=1.5)
        out.append(p.line("M0.6,10C2,11 3.8,10.8 4.7,9.2", sw=0.9))
        out.append(p.line("M0.8,7C2.1,8 3.8,7.8 4.9,6.4", sw=0.9))
        return out
    raise ValueError(kind)


def hand(p, arm, shoulder):
    _, _, w = arm.joints(shoulder)
    angle = -arm.fore + arm.turn
    scale = " scale(-1,1)" if arm.flip else ""
    return [group(_hand_local(p, arm.hand),
                  transform=f"translate({pt(w)}) rotate({num(angle)}){scale}")]


# --- torso, skirt, legs ----------------------------------------------------

TORSO_D = ("M79,140C72,143.5 65,146 61.5,150C56.5,155.5 55.2,170 56.5,185"
           "C57.2,195 58.8,203 60.8,211L115,211C117.5,198 118.3,182 118.8,167"
           "C119.2,157 117.5,150.5 112,147C106,143.5 101,141.5 97,139.8Z")
SKIRT_D = ("M61,205L115.5,205C122,222 129,242 134,262.5C112,268.5 66,268.5 41,261.5"
           "C47.5,242 55,222 61,205Z")
FAR_LEG = [(74.5, 258.0), (73.0, 298.0), (71.5, 333.0)]
NEAR_LEG = [(100.5, 258.0), (101.5, 298.0), (102.5, 333.0)]


def legs(p, style):
    out = p.tubes([(FAR_LEG, 12.5, "legwear", 1), (NEAR_LEG, 13.0, "legwear", 1)])
    top = style.get("sock_top")
    if top:  # knee socks: bare skin above, painted inside the same outline
        skin = p.tubes([(FAR_LEG, 12.5, "skin", 1), (NEAR_LEG, 13.0, "skin", 1)], sw=0)
        out.append(group(skin, clip_path=p.doc.clip(f"M0,0L175,0L175,{num(top)}L0,{num(top)}Z")))
        out.append(p.line(f"M66.8,{num(top - 0.5)}Q73,{num(top + 1.5)} 79.2,{num(top - 0.5)}", sw=FINE))
        out.append(p.line(f"M95.2,{num(top - 0.5)}Q101.5,{num(top + 1.5)} 107.8,{num(top - 0.5)}", sw=FINE))
        out.append(p.line(f"M67.5,{num(top + 3.5)}L78.5,{num(top + 3.5)}", sw=0.8, colour="legwear_s"))
        out.append(p.line(f"M96,{num(top + 3.5)}L107,{num(top + 3.5)}", sw=0.8, colour="legwear_s"))
    return out


def shoes(p, style):
    far = ("M80,331C80,335.5 80.5,340 80,344.5L80,350L56.5,350C53.5,350 52.5,347 54,344"
           "C56,339.5 60,336.5 63.5,334.5L64.5,331Z")
    near = ("M109,331C109.5,335.5 110.5,340 110,344.5L110,350L86,350C83,350 82,347 83.5,344"
            "C85.5,339.5 89.5,336.5 93.5,334.5L94.5,331Z")
    out = []
    for d, sole_x in ((far, (54.5, 80)), (near, (83.8, 110))):
        sole = f"M{num(sole_x[0] - 3)},346.2L{num(sole_x[1] + 3)},346.2L{num(sole_x[1] + 3)},352L{num(sole_x[0] - 3)},352Z"
        shine = (f"M{num(sole_x[0] + 4)},340.5C{num(sole_x[0] + 6)},338 {num(sole_x[0] + 9)},337 "
                 f"{num(sole_x[0] + 11)},337.2L{num(sole_x[0] + 10)},339C{num(sole_x[0] + 8)},339.5 "
                 f"{num(sole_x[0] + 6.5)},340.5 {num(sole_x[0] + 5.5)},341.8Z")
        out += p.shape(d, "shoes", shades=[(sole, "shoes_s")], lights=[shine])
        if style.get("strap"):
            x0 = sole_x[0]
            out.append(p.line(f"M{num(x0 + 9)},336.6L{num(x0 + 22)},334.6", sw=2.2, colour="shoes_s"))
    return out


def skirt(p, style):
    shade = "M100,200L140,200L140,270L110,270C116,250 108,226 100,200Z"
    out = p.shape(SKIRT_D, "skirt", shades=[shade],
                  extra=style.get("skirt_extra", lambda p: [])(p))
    for top_x, bottom_x, bottom_y in ((72, 60, 265.5), (85, 81, 267.5), (99, 104, 267), (110, 122, 264.5)):
        out.append(p.line(f"M{num(top_x)},{num(212)}L{num(bottom_x)},{num(bottom_y)}", sw=FINE))
    return out


def torso(p, style):
    shade = ("M104,138L130,138L130,215L108,215C111,198 112,180 111,166"
             "C110.5,157 108,151 104,148Z")
    extras = style["torso_extra"](p) if "torso_extra" in style else []
    out = p.shape(TORSO_D, "outer", shades=[shade], extra=extras)
    if "torso_over" in style:
        out += style["torso_over"](p)
    return out


# --- props -----------------------------------------------------------------

def book_open(p, at, angle=0.0, scale=1.0):
    cover = ("M-25,-13C-14,-16.5 -6,-16 0,-12.5C6,-16 14,-16.5 25,-13"
             "L25,14C14,11.5 6,12 0,15.5C-6,12 -14,11.5 -25,14Z")
    pages = ("M-22.5,-14.5C-13,-17 -5,-16 0,-12.8C5,-16 13,-17 22.5,-14.5"
             "L22.5,11.5C13,9.5 5,10.2 0,13.2C-5,10.2 -13,9.5 -22.5,11.5Z")
    out = p.shape(cover, "book", shades=["M0,-20L30,-20L30,20L0,20Z"])
    out += p.shape(pages, "page", shades=["M0,-18C3,-8 3,6 0,14L8,14L8,-18Z"], sw=1.3)
    out.append(p.line("M0,-12.8L0,13.2", sw=1.1))
    for i in range(5):
        y = -9.0 + i * 4.2
        out.append(p.line(f"M-18.5,{num(y - 0.8 + i * 0.05)}Q-11,{num(y - 2)} -4,{num(y - 0.3)}",
                          sw=0.9, colour="text"))
        out.append(p.line(f"M4,{num(y - 0.3)}Q11,{num(y - 2)} 18.5,{num(y - 0.8)}", sw=0.9, colour="text"))
    return [group(out, transform=f"translate({pt(at)}) rotate({num(angle)}) scale({num(scale)})")]


def book_closed(p, at, angle=0.0):
    cover = "M-14,-19L14,-19Q16,-19 16,-17L16,17Q16,19 14,19L-14,19Q-16,19 -16,17L-16,-17Q-16,-19 -14,-19Z"
    out = p.shape(cover, "book", shades=["M8,-25L25,-25L25,25L8,25Z"],
                  lights=["M-12.5,-16L-10,-16L-10,16L-12.5,16Z"])
    out += p.shape("M-8,-10L9,-10L9,-2L-8,-2Z", "page", sw=1.0)
    out.append(p.line("M-5,-6L6,-6", sw=0.9, colour="text"))
    out.append(p.line("M-9.5,-19L-9.5,19", sw=1.0))
    return [group(out, transform=f"translate({pt(at)}) rotate({num(angle)})")]


def clock(p, at, angle=0.0, hour=3, scale=1.0):
    out = []
    out += p.tubes([([(-6.5, 9.5), (-8.5, 13.5)], 2.6, "clock_s"),
                    ([(6.5, 9.5), (8.5, 13.5)], 2.6, "clock_s")], sw=1.3)
    out += p.shape("M-13.5,-6.5A6,6 0 0 1 -4.5,-13.5Z", "clock", sw=1.5)
    out += p.shape("M13.5,-6.5A6,6 0 0 0 4.5,-13.5Z", "clock", sw=1.5)
    out += p.tubes([([(-2.5, -13.5), (0, -15.5), (2.5, -13.5)], 1.8, "clock_s")], sw=1.2)
    out += p.shape(circle_d(0, 0, 11.5), "clock", shades=[circle_d(3.5, 3.5, 11.5)],
                   lights=[ellipse_d(-6, -6, 3, 2)], sw=1.6)
    out += p.shape(circle_d(0, 0, 8.2), "page", sw=1.1)
    for i in range(12):
        a = i * 30
        q1 = rot((0, -7.0), a)
        q2 = rot((0, -5.8 if i % 3 else -5.0), a)
        out.append(p.line(f"M{pt(q1)}L{pt(q2)}", sw=0.9 if i % 3 == 0 else 0.6, colour="text"))
    hh = rot((0, -4.2), hour * 30)
    out.append(p.line(f"M0,0L{pt(hh)}", sw=1.4))
    out.append(p.line("M0,0L0,-6.2", sw=1.0))
    out.append(el("path", d=circle_d(0, 0, 1.1), fill=p.colour("line")))
    return [group(out, transform=f"translate({pt(at)}) rotate({num(angle)}) scale({num(scale)})")]


def hand_bell(p, at, angle=0.0, scale=1.0):
    out = []
    out += p.tubes([([(0, -22), (0, -9)], 4.6, "handle", 1)], sw=1.5)
    body = ("M-10.5,6C-10,-3 -6.5,-9 0,-9C6.5,-9 10,-3 10.5,6"
            "C11,8 12.5,9 12.5,10.5L-12.5,10.5C-12.5,9 -11,8 -10.5,6Z")
    out += p.shape(circle_d(0, 12.5, 2.6), "bell_s", sw=1.3)
    out += p.shape(body, "bell", shades=["M4,-12C9,-6 9,3 10,12L16,12L16,-12Z"],
                   lights=["M-6.5,-3C-5.5,-6 -3.5,-7 -2,-7.3L-3.6,3C-4.8,3 -6,2.6 -7,2Z"], sw=1.6)
    out.append(p.line("M-10.6,6.5C-4,7.8 4,7.8 10.6,6.5", sw=0.9, colour="bell_s"))
    return [group(out, transform=f"translate({pt(at)}) rotate({num(angle)}) scale({num(scale)})")]


def ring_marks(p, at, angle=0.0):
    """Little motion strokes beside a ringing bell."""
    out = []
    for side in (-1, 1):
        for i, r in enumerate((18.0, 23.5)):
            a1 = rot((side * r, -6 + i), angle)
            a2 = rot((side * (r + 1.5), 2 + i), angle)
            a3 = rot((side * r, 9 + i), angle)
            out.append(p.line(f"M{pt(add(at, a1))}Q{pt(add(at, a2))} {pt(add(at, a3))}", sw=1.6,
                              colour="line"))
    return out


def reach(shoulder, target, elbow_hint):
    """Arm angles (upper, fore) that put the wrist on target, with the elbow
    on the side nearer elbow_hint."""
    best = None
    for bend in (1, -1):
        upper, fore = _reach(shoulder, target, bend)
        elbow = add(shoulder, polar(upper, UPPER_ARM))
        miss = math.hypot(elbow[0] - elbow_hint[0], elbow[1] - elbow_hint[1])
        if best is None or miss < best[0]:
            best = (miss, upper, fore)
    return best[1], best[2]


def _reach(shoulder, target, bend):
    dx, dy = target[0] - shoulder[0], target[1] - shoulder[1]
    dist = min(max(math.hypot(dx, dy), abs(UPPER_ARM - FOREARM) + 0.01), UPPER_ARM + FOREARM - 0.01)
    base = math.degrees(math.atan2(dx, dy))  # 0 is down, 90 is right
    cos_a = (UPPER_ARM ** 2 + dist ** 2 - FOREARM ** 2) / (2 * UPPER_ARM * dist)
    a = math.degrees(math.acos(max(-1.0, min(1.0, cos_a))))
    upper = base + bend * a
    elbow = add(shoulder, polar(upper, UPPER_ARM))
    fore = math.degrees(math.atan2(target[0] - elbow[0], target[1] - elbow[1]))
    return upper, fore
