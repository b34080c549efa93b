#include "character/speech.h"
#include "character/speech_step.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

struct FakeTimers : TimerPort {
    std::vector<std::pair<uint32_t, uint32_t>> started;
    std::vector<uint32_t> stopped;
    void StartTimer(uint32_t id, uint32_t periodMs) override { started.emplace_back(id, periodMs); }
    void StopTimer(uint32_t id) override { stopped.push_back(id); }
};

TEST(Speak, LengthGrowsWithTheTextFromAFloorOf300Steps) {
    EXPECT_EQ(SpeechLengthFor(0), 300u);
    EXPECT_EQ(SpeechLengthFor(60), 300u);
    EXPECT_EQ(SpeechLengthFor(61), 303u);
    EXPECT_EQ(SpeechLengthFor(100), 420u);
    EXPECT_EQ(SpeechLengthFor(UINT32_MAX), UINT32_MAX);
}

TEST(Speak, RecordsTheLineAndStartsItsTimerWithoutStoppingAny) {
    SpeechState speech;
    FakeTimers timers;
    const std::u16string line = u"見始めてから1時間経過です。\r\nちょっと見すぎですよ～。";
    Speak(speech, line.c_str(), IDT_ELAPSED, timers, 137);
    EXPECT_EQ(speech.SpeechTextLength, line.size());  // CR and LF both count
    EXPECT_EQ(speech.SpeechLength, 300u);
    EXPECT_EQ(speech.SpeechStep, 300u);
    EXPECT_EQ(speech.SpeechText, line.c_str());
    EXPECT_EQ(speech.SpeechVoice, 137u);
    EXPECT_EQ(speech.ActiveSpeechTimer, IDT_ELAPSED);
    EXPECT_EQ(timers.started, (std::vector<std::pair<uint32_t, uint32_t>>{{IDT_ELAPSED, 17}}));

    Speak(speech, nullptr, IDT_QUICKMENU, timers, 0);
    EXPECT_EQ(speech.SpeechTextLength, 0u);
    EXPECT_EQ(speech.SpeechLength, 300u);
    EXPECT_TRUE(timers.stopped.empty());
    StopRunningSpeech(speech, timers);
    EXPECT_EQ(timers.stopped, std::vector<uint32_t>{IDT_QUICKMENU});
}

TEST(Speak, KindsAreTheTimerIds) {
    for (uint32_t id :
         {1051u, 1052u, 1053u, 1054u, 1055u, 1056u, 3314u, 5499u, 6100u, 6684u, 6811u}) {
        EXPECT_TRUE(IsSpeechKind(id)) << id;
    }
    for (uint32_t id : {0u, 1050u, 1057u, IDT_TICK})
        EXPECT_FALSE(IsSpeechKind(id)) << id;
    EXPECT_TRUE(IsFarewell(1055));
    EXPECT_FALSE(IsFarewell(1053));
    EXPECT_FALSE(IsFarewell(1057));
}

// Runs a whole speech the way the step timer does and tells what each step shows.
struct StepLog {
    uint32_t fadeIn = 0, speaking = 0, fadeOut = 0;
    int completeAtStep = -1;
    std::vector<uint8_t> alphas;
    std::vector<std::pair<int, int>> frames;  // (step, frame)
};

StepLog RunSpeech(uint32_t n, uint32_t kind) {
    StepLog log;
    const uint32_t T = SpeechLengthFor(n);
    for (uint32_t c = T; c > 0; --c) {
        const int step = static_cast<int>(T - c);
        switch (PhaseOf(T, c)) {
            case SpeechPhase::FadeIn:
                ++log.fadeIn;
                break;
            case SpeechPhase::Speaking:
                ++log.speaking;
                break;
            case SpeechPhase::FadeOut:
                ++log.fadeOut;
                break;
            case SpeechPhase::End:
                ADD_FAILURE() << "end before c = 0";
                break;
        }
        log.alphas.push_back(FadeAlpha(T, c));
        if (log.completeAtStep < 0 && TextComplete(n, T, c))
            log.completeAtStep = step;
        if (int f = AnimationFrame(kind, T, c); f >= 0)
            log.frames.emplace_back(step, f);
    }
    EXPECT_EQ(PhaseOf(T, 0), SpeechPhase::End);
    return log;
}

TEST(SpeechSteps, SevenCharactersRun300Steps) {
    StepLog log = RunSpeech(7, IDT_ELAPSED);
    EXPECT_EQ(log.fadeIn, 30u);
    EXPECT_EQ(log.speaking, 241u);
    EXPECT_EQ(log.fadeOut, 29u);
    EXPECT_EQ(log.completeAtStep, 44);
    EXPECT_EQ(log.alphas[0], 0);
    EXPECT_EQ(log.alphas[1], 8);
    EXPECT_EQ(log.alphas[29], 232);
    EXPECT_EQ(log.alphas[30], 255);
    EXPECT_EQ(log.alphas[270], 255);
    EXPECT_EQ(log.alphas[271], 232);
    EXPECT_EQ(log.alphas[299], 8);
    EXPECT_TRUE(log.frames.empty());
}

TEST(SpeechSteps, HundredCharactersRun420StepsAndAreWholeAtStep230) {
    StepLog log = RunSpeech(100, IDT_ELAPSED);
    EXPECT_EQ(log.fadeIn + log.speaking + log.fadeOut, 420u);
    EXPECT_EQ(log.completeAtStep, 230);
    EXPECT_EQ(CharactersDue(420, 420 - 229), 99u);
}

TEST(SpeechSteps, NothingIsDueBeforeTheSecondSpeakingStep) {
    EXPECT_EQ(CharactersDue(300, 300), 0u);
    EXPECT_EQ(CharactersDue(300, 270), 0u);
    EXPECT_FALSE(TextComplete(0, 300, 270));  // not even an empty text, at the voice's step
    EXPECT_TRUE(TextComplete(0, 300, 269));
    EXPECT_EQ(CharactersDue(300, 268), 1u);
}

TEST(SpeechSteps, GreetingAnimatesElevenFramesThenHolds) {
    for (uint32_t n : {7u, 100u, 101u}) {  // T = 300, 420, 423: c multiples of 4 fall differently
        const uint32_t T = SpeechLengthFor(n);
        StepLog log = RunSpeech(n, IDT_TALK);
        ASSERT_EQ(log.frames.size(), 12u) << n;
        int first = log.frames[0].first;
        EXPECT_GE(first, 30);
        EXPECT_LT(first, 34);
        EXPECT_EQ((T - first) % 4, 0u);
        for (size_t i = 0; i < 12; ++i) {
            EXPECT_EQ(log.frames[i].first, first + 4 * static_cast<int>(i));
            EXPECT_EQ(log.frames[i].second, i < 10 ? static_cast<int>(i) : 10);
        }
        EXPECT_EQ(RunSpeech(n, IDT_FAREWELL).frames.size(), 12u);
        EXPECT_TRUE(RunSpeech(n, IDT_TALK + 1).frames.empty());
        EXPECT_TRUE(RunSpeech(n, IDT_TALK + 2).frames.empty());
    }
}

}  // namespace

// A whole speech, step by step, as the character's windows carry it out.
TEST(SpeechStepPlans, PlaceOnceVoiceOnceAndEndAtZeroOrWaitWithTheCommandList) {
    struct Run {
        uint32_t kind;
        uint32_t characters;
    };
    for (const Run run : {Run{IDT_TALK, 7}, Run{IDT_QUICKMENU, 7}, Run{IDT_ELAPSED, 100}}) {
        const std::u16string text(run.characters, u'あ');
        SpeechState speech;
        FakeTimers timers;
        Speak(speech, text.c_str(), run.kind, timers, 5);
        const uint32_t T = speech.SpeechLength;
        std::vector<uint32_t> placed, voiced, frozen, ended, raisedFrom;
        int frames = 0;
        for (uint32_t step = 0; step < T && speech.SpeechStep != 0; ++step) {
            const uint32_t c = speech.SpeechStep;
            const SpeechStepPlan plan = PlanSpeechStep(speech);
            EXPECT_EQ(plan.alpha, FadeAlpha(T, c)) << c;
            EXPECT_EQ(plan.drawText, c + kFadeSteps <= T) << c;
            if (plan.placeAndChoosePicture)
                placed.push_back(c);
            if (plan.startVoice)
                voiced.push_back(c);
            if (plan.freezeQuickMenu)
                frozen.push_back(c);
            if (plan.ends)
                ended.push_back(c);
            if (plan.raise && raisedFrom.empty())
                raisedFrom.push_back(c);
            frames += plan.animationFrame >= 0;
            speech.SpeechStep = plan.nextStep;
            if (plan.freezeQuickMenu) {
                EXPECT_EQ(plan.nextStep, kFadeSteps - 1);
                break;  // the list waits for a choice
            }
        }
        EXPECT_EQ(placed, std::vector<uint32_t>{T}) << run.kind;
        EXPECT_EQ(voiced, std::vector<uint32_t>{T - kFadeSteps}) << run.kind;
        EXPECT_EQ(raisedFrom, std::vector<uint32_t>{T - kFadeSteps}) << run.kind;
        EXPECT_EQ(frames, run.kind == IDT_TALK ? 12 : 0);
        if (run.kind == IDT_QUICKMENU) {
            // Whole at the step where 7 characters are due: (T - c - 30) / 2 = 7.
            EXPECT_EQ(frozen, std::vector<uint32_t>{T - kFadeSteps - 14});
            EXPECT_TRUE(ended.empty());
        } else {
            EXPECT_TRUE(frozen.empty());
            EXPECT_EQ(ended, std::vector<uint32_t>{1});
        }
    }
}
