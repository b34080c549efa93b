"""The pictures: one entry per resource number. Changing a pose, or the
expression it uses, is a change here only."""

from . import body
from .body import FAR_SHOULDER, NEAR_SHOULDER, Arm, reach
from .face import Expression
from .figure import Pose

# Shared expressions; each edition's temper adjusts them (editions.py).
EXPRESSIONS = {
    "calm": Expression(eyes="open", brows="normal", mouth="smile"),
    "happy": Expression(eyes="open", brows="happy", mouth="open"),
    "beam": Expression(eyes="happy", brows="happy", mouth="open"),
    "content": Expression(eyes="happy", brows="soft", mouth="smile"),
    "yawn": Expression(eyes="squeeze", brows="soft", mouth="yawn", extras=("tear",)),
    "warning": Expression(eyes="open", brows="worried", mouth="worried", extras=("sweat",)),
    "report": Expression(eyes="open", brows="happy", mouth="open"),
    "wink": Expression(eyes="open", near="happy", brows="happy", mouth="open"),
    "attentive": Expression(eyes="open", brows="raised", mouth="o", look=-0.22),
}


def near(target, elbow, hand="relaxed", **kw):
    upper, fore = reach(NEAR_SHOULDER, target, elbow)
    return Arm(upper=upper, fore=fore, hand=hand, **kw)


def far(target, elbow, hand="relaxed", **kw):
    upper, fore = reach(FAR_SHOULDER, target, elbow)
    kw.setdefault("flip", True)
    return Arm(upper=upper, fore=fore, hand=hand, **kw)


REST_NEAR = Arm(upper=11, fore=2, hand="relaxed", layer="front", shade=-1)
REST_FAR = Arm(upper=-9, fore=-1, hand="relaxed", layer="mid", shade=-1, flip=True)


def _wave(target, elbow=(40, 166), turn=0.0):
    """The far (right) hand raised beside her face, palm to the viewer."""
    upper, fore = reach(FAR_SHOULDER, target, elbow)
    return Arm(upper=upper, fore=fore, hand="open", turn=turn, layer="front", shade=1)


# The greeting: 150 stands still (also the quiet picture on its own), 151-154
# lift the hand, 155-159 wave, 160 holds a friendly raised hand.
_WAVE = [
    # (wrist, elbow hint, hand turn, expression, head tilt)
    (None, None, 0, "calm", 0.0),
    ((44, 203), (56, 182), 5, "calm", 0.0),
    ((40, 178), (44, 184), 25, "happy", -1.0),
    ((34, 152), (40, 178), 15, "happy", -2.0),
    ((36, 126), (40, 168), 0, "happy", -3.0),
    ((28, 130), (40, 168), -18, "beam", -3.5),
    ((41, 121), (40, 168), 16, "beam", -4.0),
    ((28, 130), (40, 168), -18, "beam", -4.0),
    ((41, 121), (40, 168), 16, "beam", -4.0),
    ((36, 125), (40, 168), -4, "happy", -4.0),
    ((38, 124), (40, 168), 4, "happy", -4.0),
]

POSES = {}
for _i, (_w, _e_hint, _t, _e, _tilt) in enumerate(_WAVE):
    _arm = REST_FAR if _w is None else _wave(_w, _e_hint, _t)
    POSES[150 + _i] = Pose(near=REST_NEAR, far=_arm, expression=_e, tilt=_tilt)


def _clock(at, angle=0.0, hour=3, scale=1.0):
    return lambda p: body.clock(p, at, angle, hour, scale)


def _book(at, angle=0.0, scale=1.0):
    return lambda p: body.book_open(p, at, angle, scale)


POSES.update({
    # yawn: the right hand before the mouth
    138: Pose(near=REST_NEAR,
              far=far((69, 131), (40, 160), hand="relaxed", turn=-95, layer="top", flip=False),
              expression="yawn", tilt=3.0),
    # warning: a raised index finger, worried brows, a drop of sweat
    140: Pose(near=REST_NEAR,
              far=far((44, 150), (42, 185), hand="point", turn=0, layer="front", flip=False),
              expression="warning", tilt=-2.0),
    # the hour: a small clock held in both hands
    142: Pose(near=near((102, 186), (128, 178), hand="hold", turn=-10, layer="front"),
              far=far((72, 186), (48, 178), hand="hold", turn=10, layer="front"),
              expression="happy", props=(("front", _clock((87, 168), -6, 3, 1.15)),)),
    # pointing at the clock held out in the other hand
    143: Pose(near=near((90, 178), (126, 178), hand="point", turn=-20, layer="front"),
              far=far((44, 178), (42, 165), hand="hold", turn=180, layer="front"),
              expression="happy", props=(("front", _clock((44, 160), 8, 9)),)),
    # ringing a hand bell
    144: Pose(near=REST_NEAR,
              far=far((40, 128), (34, 160), hand="fist", turn=-90, layer="front"),
              expression="beam", tilt=-2.0,
              props=(("front", lambda p: body.hand_bell(p, (40, 144), -10, 1.25)),
                     ("front", lambda p: body.ring_marks(p, (40, 150), -10)))),
    # report: an open book
    145: Pose(near=near((108, 196), (128, 182), hand="hold", turn=40, layer="front"),
              far=far((66, 196), (50, 182), hand="hold", turn=-40, layer="front"),
              expression="report", props=(("front", _book((87, 186), -6)),)),
    # reading finished: the book closed against the chest, a small wave
    146: Pose(near=near((96, 190), (126, 185), hand="hold", turn=70, layer="front"),
              far=_wave((40, 134), (40, 170), 0),
              expression="content", tilt=-2.0,
              props=(("front", lambda p: body.book_closed(p, (96, 180), -12)),)),
    # second report: a wink, the book held up
    147: Pose(near=REST_NEAR,
              far=far((42, 152), (38, 175), hand="hold", turn=0, layer="top"),
              expression="wink", tilt=-3.0, props=(("top", _book((38, 136), -12, 0.86)),)),
    # "may I help you?": head tilted, hand near the chin
    148: Pose(near=REST_NEAR,
              far=far((64, 140), (46, 160), hand="chin", turn=175, layer="top"),
              expression="attentive", tilt=-8.0),
})
