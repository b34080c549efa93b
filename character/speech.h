#pragma once
// Speech requests: what the character is saying now, and the arithmetic of its steps.
// A speech runs as a window timer on the main window whose id is its kind; each 17 ms
// tick is one step, counted down from SpeechLength to 0.
#include <cstdint>

// The kind of a speech is the id of the window timer that runs it.
enum SpeechKind : uint32_t {
    IDT_TALK = 1051,      // greeting, + expression 0..2
    IDT_FAREWELL = 1054,  // farewell, + expression 0..2; the program ends after it
    IDT_QUICKMENU = 3314,
    IDT_FINISHNOTICE = 5499,
    IDT_HOURLY = 6100,
    IDT_ELAPSED = 6684,
    IDT_ALARM = 6811,
};

// The one-second tick; not a speech kind.
inline constexpr uint32_t IDT_TICK = 5433;
inline constexpr uint32_t kSpeechPeriodMs = 17;
// Steps of each fade.
inline constexpr uint32_t kFadeSteps = 30;

bool IsSpeechKind(uint32_t id);
bool IsFarewell(uint32_t kind);

struct SpeechState {
    uint32_t ActiveSpeechTimer = 0;        // running kind; 0 when silent
    const char16_t* SpeechText = nullptr;  // not owned; outlives the speech
    uint32_t SpeechTextLength = 0;         // UTF-16 units
    uint32_t SpeechLength = 0;             // T: total steps
    uint32_t SpeechStep = 0;               // c: steps still to run
    uint32_t SpeechVoice = 0;              // voice clip number; 0 for none
    bool ElapsedWarning = false;           // set only before an elapsed-time line
};

// Starts and stops window timers on the main window.
class TimerPort {
  public:
    virtual ~TimerPort() = default;
    virtual void StartTimer(uint32_t id, uint32_t periodMs) = 0;
    virtual void StopTimer(uint32_t id) = 0;
};

// Total steps of a speech whose text has n UTF-16 units: 3n + 120, at least 300.
uint32_t SpeechLengthFor(uint32_t n);

// Records the line and starts the speech timer (id = kind, 17 ms). Never stops a
// running timer: callers that replace a speech stop it first. text may be null.
void Speak(SpeechState& speech, const char16_t* text, uint32_t kind, TimerPort& window,
           uint32_t voice);

// Stops the running speech's timer, if any, so that a new speech can replace it.
// ActiveSpeechTimer is left as it is; the next Speak overwrites it.
void StopRunningSpeech(const SpeechState& speech, TimerPort& window);

// --- Step arithmetic, with T = SpeechLength and c = SpeechStep (T >= 300) ---

enum class SpeechPhase { FadeIn, Speaking, FadeOut, End };

// Fade-in for c > T - 30, speaking from T - 30 down to 30, fade-out from 29 to 1, end at 0.
SpeechPhase PhaseOf(uint32_t T, uint32_t c);

// Window alpha of the step: 8 (T - c) while fading in, 255 while speaking, 8c while
// fading out, 0 at the end.
uint8_t FadeAlpha(uint32_t T, uint32_t c);

// Characters due in the balloon: (T - c - 30) / 2 from the first speaking step on, else 0.
uint32_t CharactersDue(uint32_t T, uint32_t c);

// True when all n characters are due (never during the fade-in or the first speaking step).
bool TextComplete(uint32_t n, uint32_t T, uint32_t c);

// The greeting/farewell animation frame (0-10) to show at this step for kinds 1051 and
// 1054, or -1 when the picture does not change: every 4th step of the speaking phase,
// frames 0..10 and frame 10 once more, then nothing.
int AnimationFrame(uint32_t kind, uint32_t T, uint32_t c);
