#include "character/speech.h"

bool IsFarewell(uint32_t kind) {
    return kind >= IDT_FAREWELL && kind <= IDT_FAREWELL + 2;
}

bool IsSpeechKind(uint32_t id) {
    return (id >= IDT_TALK && id <= IDT_FAREWELL + 2) || id == IDT_QUICKMENU ||
           id == IDT_FINISHNOTICE || id == IDT_HOURLY || id == IDT_ELAPSED || id == IDT_ALARM;
}

uint32_t SpeechLengthFor(uint32_t n) {
    // n is bounded by the callers' buffers; the clamp keeps 3n + 120 from wrapping.
    if (n > (UINT32_MAX - 120) / 3) {
        return UINT32_MAX;
    }
    uint32_t t = 3 * n + 120;
    return t < 300 ? 300 : t;
}

void Speak(SpeechState& speech, const char16_t* text, uint32_t kind, TimerPort& window,
           uint32_t voice) {
    uint32_t n = 0;
    if (text != nullptr) {
        while (text[n] != u'\0') {
            ++n;
        }
    }
    speech.SpeechTextLength = n;
    speech.SpeechLength = SpeechLengthFor(n);
    speech.SpeechStep = speech.SpeechLength;
    speech.SpeechText = text;
    speech.SpeechVoice = voice;
    speech.ActiveSpeechTimer = kind;
    window.StartTimer(kind, kSpeechPeriodMs);
}

void StopRunningSpeech(const SpeechState& speech, TimerPort& window) {
    if (speech.ActiveSpeechTimer != 0) {
        window.StopTimer(speech.ActiveSpeechTimer);
    }
}

SpeechPhase PhaseOf(uint32_t T, uint32_t c) {
    if (c == 0)
        return SpeechPhase::End;
    if (c + kFadeSteps > T)
        return SpeechPhase::FadeIn;
    if (c < kFadeSteps)
        return SpeechPhase::FadeOut;
    return SpeechPhase::Speaking;
}

uint8_t FadeAlpha(uint32_t T, uint32_t c) {
    switch (PhaseOf(T, c)) {
        case SpeechPhase::FadeIn:
            return static_cast<uint8_t>(8 * (T - c));
        case SpeechPhase::Speaking:
            return 255;
        case SpeechPhase::FadeOut:
            return static_cast<uint8_t>(8 * c);
        case SpeechPhase::End:
            break;
    }
    return 0;
}

uint32_t CharactersDue(uint32_t T, uint32_t c) {
    if (c + kFadeSteps >= T) {
        return 0;
    }
    return (T - c - kFadeSteps) / 2;
}

bool TextComplete(uint32_t n, uint32_t T, uint32_t c) {
    return c + kFadeSteps < T && n <= CharactersDue(T, c);
}

int AnimationFrame(uint32_t kind, uint32_t T, uint32_t c) {
    if ((kind != IDT_TALK && kind != IDT_FAREWELL) || PhaseOf(T, c) != SpeechPhase::Speaking ||
        c % 4 != 0) {
        return -1;
    }
    uint32_t j = (T - c - kFadeSteps) / 4;
    if (j > 11) {
        return -1;
    }
    return j < 10 ? static_cast<int>(j) : 10;
}
