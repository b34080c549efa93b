#pragma once
// What the balloon's text drawing does at a step: the text is typed one character every
// other step from the first speaking step on, drawn on even steps while it grows, and once
// complete drawn again only when the fade-out begins and when the balloon is repainted.
#include <cstdint>

#include "character/speech.h"

// The text rectangle in the balloon (and both windows' client coordinates).
inline constexpr int kBalloonTextLeft = 28;
inline constexpr int kBalloonTextTop = 60;
inline constexpr int kBalloonTextRight = 209;
inline constexpr int kBalloonTextBottom = 237;
// The strip at the right end of the text rectangle that is wiped before some draws: a
// word that wraps to the next line leaves its old glyphs there.
inline constexpr int kClearStripLeft = 177;
inline constexpr int kClearStripTop = 60;
inline constexpr int kClearStripWidth = 32;
inline constexpr int kClearStripHeight = 177;

struct BalloonTextPlan {
    bool draw = false;        // draw the first `count` characters
    bool clearStrip = false;  // wipe the strip first
    uint32_t count = 0;
    bool complete = false;  // the answer: the whole text stands in the balloon now
    bool operator==(const BalloonTextPlan&) const = default;
};

// The plan for the current step (c = SpeechStep, T = SpeechLength). redrawNow is a repaint
// of the balloon or a step whose picture changed.
//
// A repaint draws whatever is due even on an odd step, so that an erased balloon never
// stays empty until the fade-out begins; with no speech running it draws nothing, so that
// the wiped balloon of a finished speech stays clear.
BalloonTextPlan PlanBalloonText(const SpeechState& speech, bool redrawNow);
