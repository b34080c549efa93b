#pragma once
// What one step of the running speech does, decided here and carried out by the character's
// windows: where the window goes and which picture it shows, the fade, the voice, the
// greeting's animation, the balloon's text, the command list, and the end.
#include <cstdint>

#include "character/speech.h"

struct SpeechStepPlan {
    // The first step: the window goes to the bottom of its work area and shows the
    // speech's picture (ChoosePicture) at alpha 0.
    bool placeAndChoosePicture = false;
    // The speaking and fading-out steps keep the window topmost and shown where it is.
    bool raise = false;
    uint8_t alpha = 0;
    bool startVoice = false;  // the first speaking step starts the clip
    int animationFrame = -1;  // a greeting or farewell frame shown over the picture, or -1
    bool drawText = false;    // the balloon's text as PlanBalloonText says
    bool redrawText = false;  // ... with the picture changed under it this step
    // The command list's text stands whole: the list is drawn and waits for a choice with
    // its timer stopped, at the step before the fade-out.
    bool freezeQuickMenu = false;
    uint32_t nextStep = 0;  // SpeechStep after this step
    bool ends = false;      // the speech is over after this step
};

// The plan for the running speech's step (kind = ActiveSpeechTimer, c = SpeechStep).
SpeechStepPlan PlanSpeechStep(const SpeechState& speech);
