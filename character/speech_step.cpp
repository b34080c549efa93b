#include "character/speech_step.h"

#include "character/balloon_text.h"

SpeechStepPlan PlanSpeechStep(const SpeechState& speech) {
    const uint32_t kind = speech.ActiveSpeechTimer;
    const uint32_t T = speech.SpeechLength;
    const uint32_t c = speech.SpeechStep;
    SpeechStepPlan plan;
    plan.alpha = FadeAlpha(T, c);
    switch (PhaseOf(T, c)) {
        case SpeechPhase::FadeIn:
            plan.placeAndChoosePicture = c == T;
            break;
        case SpeechPhase::FadeOut:
        case SpeechPhase::End:
            plan.raise = true;
            plan.drawText = true;
            break;
        case SpeechPhase::Speaking:
            plan.raise = true;
            plan.startVoice = c + kFadeSteps == T;
            plan.animationFrame = AnimationFrame(kind, T, c);
            plan.drawText = true;
            plan.redrawText = plan.animationFrame >= 0;
            plan.freezeQuickMenu =
                kind == IDT_QUICKMENU && PlanBalloonText(speech, plan.redrawText).complete;
            break;
    }
    const uint32_t step = plan.freezeQuickMenu ? kFadeSteps : c;
    plan.nextStep = step > 0 ? step - 1 : 0;
    plan.ends = plan.nextStep == 0;
    return plan;
}
