"""Icons: 130 her face (the program's icon), 134 reading (face and an open
book, full colour), 135 idle (the same, calm and faded).

The large sizes crop the full figure to her head and shoulders; 16, 20 and 24
pixels use a separate, simpler drawing on a 16-unit grid so that the eyes
and hair stay readable instead of blurring into a smudge."""

from . import body, figure
from .body import Arm
from .face import Expression
from .figure import Pose
from .paint import Painter, circle_d, ellipse_d
from .svg import Doc, el, group

# The system's small and large icon sizes at 100, 125, 150 and 200 % display scale
# (16/32, 20/40, 24/48, 32/64), and 256 for the shell's large views.
SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
SIMPLE_SIZES = (16, 20, 24)
ICONS = {
    130: {"expression": "face", "book": False, "saturation": 1.0},
    134: {"expression": "reading", "book": True, "saturation": 1.0},
    135: {"expression": "idle", "book": True, "saturation": 0.22},
}
ICON_EXPRESSIONS = {
    "face": Expression(eyes="open", brows="happy", mouth="smile", look=-0.1),
    "reading": Expression(eyes="soft", brows="happy", mouth="open", look=-0.05, openness=0.95),
    "idle": Expression(eyes="shut", brows="soft", mouth="smile", blush=0.8),
}
# head and shoulders, in pose-canvas units
VIEW = (33.0, 31.0, 126.0, 126.0)


def _line_weight(size):
    return {32: 2.3, 40: 2.0, 48: 1.7, 64: 1.5}.get(size, 1.15)


def detailed_svg(edition, icon_id, size):
    recipe = ICONS[icon_id]
    doc = Doc(size, size, VIEW)
    rest = Arm(upper=9, fore=3, layer="front")
    pose = Pose(near=rest, far=Arm(upper=-9, fore=-1, layer="mid", flip=True), expression=recipe["expression"])
    table = {k: v.but(**edition.temper.get("calm", {})) if k == "face" else v
             for k, v in ICON_EXPRESSIONS.items()}

    def book(p):
        return body.book_open(p, (95.0, 150.0), -4.0, 1.32) if recipe["book"] else []

    figure.draw(doc, edition, pose, table, weight=_line_weight(size), over=book)
    if recipe["saturation"] < 1.0:
        doc.body = [group(doc.body, filter=doc.colour_matrix(recipe["saturation"]), opacity=0.92)]
    return doc.text()


def simple_svg(edition, icon_id, size):
    """16-unit drawing: big shapes, eyes as solid ovals, no fine lines."""
    recipe = ICONS[icon_id]
    doc = Doc(size, size, (0, 0, 16, 16))
    p = Painter(doc, edition.pal)
    line = p.colour("line")
    w = 0.95 if size <= 16 else 0.8
    out = []

    def shape(d, fill):
        out.append(el("path", d=d, fill=p.colour(fill), stroke=line, stroke_width=w, stroke_linejoin="round"))

    style = edition.icon.get("hair", "bob")
    if style == "long":
        shape("M1.4,8C1.2,3.5 4,1.2 8.3,1.2C12.6,1.2 15,3.6 14.8,8L15,15.4L1.4,15.4Z", "hair")
    elif style == "tails":
        shape("M1.8,4.5C-0.6,7 0.2,12.5 1.6,14.6C2.6,12 3.6,8 3.4,5Z", "hair")
        shape("M14.4,4.5C16.6,7 15.8,12.5 14.4,14.6C13.4,12 12.4,8 12.6,5Z", "hair")
        shape("M1.9,8.6C1.7,3.8 4.4,1.2 8.3,1.2C12.3,1.2 14.9,3.8 14.5,8.6C14.3,11 13.5,12.3 12.5,12.8L4,12.8C2.8,12 2,10.6 1.9,8.6Z",
              "hair")
    else:
        shape("M1.6,8.6C1.4,3.8 4.2,1.2 8.3,1.2C12.4,1.2 15,3.8 14.7,8.6C14.6,11.2 14.2,12.8 13.4,13.8L3,13.8C2.1,12.6 1.7,10.8 1.6,8.6Z",
              "hair")
    shape("M3.4,7C3.2,10 4.4,13.4 7.6,14.4C10.8,13.6 12.8,11 12.7,7Z", "skin")
    # fringe: two broad locks
    shape("M2.4,8.8C2,4.6 4.6,2.2 8.4,2.2C12,2.2 14.3,4.4 13.9,8.4L12.4,6.4L10.6,8L9.4,5.8L7.8,7.6"
          "L6.4,5.6L4.6,7.6L3.6,6.4Z", "hair")
    closed = recipe["expression"] == "idle"
    for cx in (5.6, 10.0):
        if closed:
            out.append(el("path", d=f"M{cx - 1.3},9.4Q{cx},10.8 {cx + 1.3},9.4", fill="none", stroke=line,
                          stroke_width=0.9, stroke_linecap="round"))
        else:
            out.append(el("path", d=ellipse_d(cx, 9.6, 1.05, 1.55), fill=p.colour("pupil")))
            out.append(el("path", d=ellipse_d(cx, 10.2, 0.7, 0.8), fill=p.colour("iris")))
            out.append(el("rect", x=cx - 0.75, y=8.3, width=0.8, height=0.8, fill="#ffffff"))
    out.append(el("path", d=ellipse_d(4.4, 11.6, 1.0, 0.55), fill=p.colour("blush"), opacity=0.7))
    out.append(el("path", d=ellipse_d(11.4, 11.6, 1.0, 0.55), fill=p.colour("blush"), opacity=0.7))
    if not recipe["book"]:
        out.append(el("path", d="M7,12.3Q7.9,13.1 8.8,12.3", fill="none", stroke=line, stroke_width=0.7,
                      stroke_linecap="round"))
    orn = edition.icon.get("ornament", "accent")
    out.append(el("path", d=circle_d(12.6, 3.6, 1.9), fill=p.colour(orn), stroke=line, stroke_width=0.7))
    out.append(el("path", d=circle_d(12.6, 3.6, 0.75), fill=p.colour(edition.icon.get("ornament_centre", "clip"))))
    if recipe["book"]:
        shape("M1.6,12.6Q5,11.6 8,12.8Q11,11.6 14.4,12.6L14.4,15.6L1.6,15.6Z", "book")
        out.append(el("path", d="M2.6,12.9Q5.2,12.2 8,13.3L8,15.6L2.6,15.6Z", fill=p.colour("page")))
        out.append(el("path", d="M8,13.3Q10.8,12.2 13.4,12.9L13.4,15.6L8,15.6Z", fill=p.colour("page_s")))
        out.append(el("path", d="M8,13.2L8,15.6", stroke=line, stroke_width=0.6))
    doc.body = out
    if recipe["saturation"] < 1.0:
        doc.body = [group(out, filter=doc.colour_matrix(recipe["saturation"]), opacity=0.92)]
    return doc.text()


def icon_svgs(edition, icon_id):
    """(size, svg text) for every size of one icon."""
    for size in SIZES:
        if size in SIMPLE_SIZES:
            yield size, simple_svg(edition, icon_id, size)
        else:
            yield size, detailed_svg(edition, icon_id, size)
