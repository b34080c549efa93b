"""The speech balloon (resource 149): the left 245 pixels of the character
window. Its white must cover the text rectangle (28,60)-(209,237), where the
program types the text and draws the command list; the tail points right,
at the character's face."""

from .svg import Doc, el, group

WIDTH, HEIGHT = 245, 350
TEXT_RECT = (28, 60, 209, 237)  # left, top, right, bottom (exclusive)
OUTLINE = "#3a2226"


def balloon_svg():
    doc = Doc(WIDTH, HEIGHT)
    left, top, right, bottom = 15.0, 44.0, 222.0, 253.0
    r = 24.0
    # Body with the tail leaving the right side between y 86 and 126 and
    # curving down to its tip beside her mouth.
    d = (f"M{left + r},{top}L{right - r},{top}A{r},{r} 0 0 1 {right},{top + r}"
         f"L{right},88C228,96 236,104 243,114"
         f"C234,113 227,116 {right},124"
         f"L{right},{bottom - r}A{r},{r} 0 0 1 {right - r},{bottom}"
         f"L{left + r},{bottom}A{r},{r} 0 0 1 {left},{bottom - r}"
         f"L{left},{top + r}A{r},{r} 0 0 1 {left + r},{top}Z")
    # A soft inner shade along the lower right edge gives the paper some
    # body; the text rectangle stays pure white.
    doc.body.append(el("path", d=d, fill="#ebe4ee"))
    doc.body.append(group([el("path", d=d, fill="#ffffff", transform="translate(-3.5,-3.5)")],
                          clip_path=doc.clip(d)))
    doc.body.append(el("path", d=d, fill="none", stroke=OUTLINE, stroke_width=2.4,
                       stroke_linejoin="round"))
    return doc.text()
