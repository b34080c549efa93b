#include "character/balloon_text.h"

#include <algorithm>

BalloonTextPlan PlanBalloonText(const SpeechState& speech, bool redrawNow) {
    const uint32_t T = speech.SpeechLength;
    const uint32_t c = speech.SpeechStep;
    const uint32_t n = speech.SpeechTextLength;
    BalloonTextPlan plan;
    if (speech.SpeechText == nullptr || n == 0) {
        return plan;
    }
    if (redrawNow && speech.ActiveSpeechTimer == 0) {
        return plan;
    }
    if (c + kFadeSteps >= T) {
        return plan;  // fade-in, or the first speaking step
    }
    const uint32_t shown = CharactersDue(T, c);
    const uint32_t count = std::min(n, shown);
    const bool complete = n <= shown;
    if (c % 2 == 1 && !redrawNow) {
        return plan;
    }
    if (!redrawNow && count < shown && c != kFadeSteps) {
        return plan;  // complete on an earlier step and already standing
    }
    plan.draw = true;
    plan.count = count;
    plan.complete = complete;
    plan.clearStrip = redrawNow || c % 20 == 0 || count == n;
    return plan;
}
