"""Puts a figure together from its parts, in drawing order."""

from dataclasses import dataclass, field

from . import body, face
from .svg import Doc, group, num, pt
from .paint import Painter

WIDTH, HEIGHT = 175, 350


@dataclass(frozen=True)
class Pose:
    """Everything that changes between pictures: the arms, the tilt of the
    head, the expression (a name, coloured by the edition's temper, plus
    changes) and the props with the layer they belong to."""

    near: body.Arm
    far: body.Arm
    expression: str = "calm"
    face: dict = field(default_factory=dict)
    tilt: float = 0.0
    props: tuple = ()  # (layer, function(painter) -> list)


def expression_for(edition, pose, table):
    base = table[pose.expression]
    temper = edition.temper.get(pose.expression, {})
    return base.but(**temper).but(**pose.face)


def draw(doc, edition, pose, expressions, weight=1.0, over=None):
    """Adds the figure to doc; over(p) draws extra parts on top (icons)."""
    p = Painter(doc, edition.pal, weight)
    expr = expression_for(edition, pose, expressions)
    style = edition.outfit
    tilt = f"rotate({num(pose.tilt)} {pt(body.HEAD_PIVOT)})"
    layers = {"mid": [], "front": [], "top": []}
    for layer, make in pose.props:
        layers[layer].append(make)

    def arms_in(layer):
        out = []
        for arm, shoulder in ((pose.far, body.FAR_SHOULDER), (pose.near, body.NEAR_SHOULDER)):
            if arm.layer == layer:
                out += body.sleeve(p, arm, shoulder, style)
        for make in layers[layer]:
            out += make(p)
        for arm, shoulder in ((pose.far, body.FAR_SHOULDER), (pose.near, body.NEAR_SHOULDER)):
            if arm.layer == layer:
                out += body.hand(p, arm, shoulder)
        return out

    out = []
    out.append(group(edition.hair_back(p), transform=tilt))
    out += body.legs(p, style)
    out += body.shoes(p, style)
    out += body.skirt(p, style)
    out += arms_in("mid")
    out += body.neck(p)
    out += body.torso(p, style)
    out += arms_in("front")
    head_parts = []
    head_parts += body.ear(p)
    head_parts += body.face_skin(p, edition.fringe_shade)
    head_parts += face.features(p, expr)
    head_parts += edition.hair_front(p)
    head_parts += edition.ornament(p)
    head_parts += face.brows(p, expr)
    head_parts += face.extras_over(p, expr)
    out.append(group(head_parts, transform=tilt))
    out += arms_in("top")
    if over:
        out += over(p)
    doc.body.extend(out)
    return doc


def pose_svg(edition, pose, expressions):
    doc = Doc(WIDTH, HEIGHT)
    draw(doc, edition, pose, expressions)
    return doc.text()
