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

TEST(Speak, TheLengthGrowsWithTheTextFromAFloorAndTheTimerStartsWithoutStoppingAny) {
    for (auto [n, steps] : {std::pair{60u, 300u}, {61u, 303u}, {UINT32_MAX, UINT32_MAX}}) {
        EXPECT_EQ(SpeechLengthFor(n), steps) << n;
    }
    SpeechState speech;
    FakeTimers timers;
    const std::u16string line = u"見始めてから1時間経過です。\r\nちょっと見すぎですよ～。";
    Speak(speech, line.c_str(), IDT_ELAPSED, timers, 137);
    EXPECT_EQ(speech.SpeechTextLength, line.size());  // CR and LF both count
    EXPECT_EQ(speech.SpeechVoice, 137u);
    Speak(speech, nullptr, IDT_QUICKMENU, timers, 0);
    EXPECT_TRUE(timers.stopped.empty());
    EXPECT_EQ(timers.started.back(), (std::pair<uint32_t, uint32_t>{IDT_QUICKMENU, 17}));
    StopRunningSpeech(speech, timers);
    EXPECT_EQ(timers.stopped, std::vector<uint32_t>{IDT_QUICKMENU});
}

TEST(SpeechSteps, FadesTextAndFramesFollowTheStepCount) {
    const uint32_t T = SpeechLengthFor(7);  // 300 steps, counted down from T to 1
    for (auto [c, alpha] : {std::pair{300u, 0}, {299u, 8}, {270u, 255}, {29u, 232}, {1u, 8}}) {
        EXPECT_EQ(FadeAlpha(T, c), alpha) << c;
    }
    EXPECT_EQ(PhaseOf(T, 271), SpeechPhase::FadeIn);
    EXPECT_EQ(PhaseOf(T, 29), SpeechPhase::FadeOut);
    EXPECT_EQ(CharactersDue(300, 270), 0u);
    EXPECT_EQ(CharactersDue(300, 267), 1u);
    EXPECT_FALSE(TextComplete(7, 300, 257));
    EXPECT_TRUE(TextComplete(7, 300, 256));
    std::vector<std::pair<uint32_t, int>> frames;  // greeting: eleven frames a fourth step
    for (uint32_t c = T; c > 0; --c) {
        if (const int f = AnimationFrame(IDT_TALK, T, c); f >= 0) {
            frames.emplace_back(c, f);
        }
    }
    ASSERT_EQ(frames.size(), 12u);
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_EQ(frames[i],
                  (std::pair<uint32_t, int>(frames[0].first - 4 * i, std::min<int>(i, 10))));
    }
}

// A whole speech, step by step, as the character's windows carry it out.
TEST(SpeechStepPlans, PlaceOnceVoiceOnceAndEndAtZeroOrWaitWithTheCommandList) {
    for (uint32_t kind : {IDT_QUICKMENU, IDT_ELAPSED}) {
        const std::u16string text(7, u'あ');
        SpeechState speech;
        FakeTimers timers;
        Speak(speech, text.c_str(), kind, timers, 5);
        const uint32_t T = speech.SpeechLength;
        std::vector<uint32_t> placed, voiced, frozen, ended;
        while (speech.SpeechStep != 0) {
            const uint32_t c = speech.SpeechStep;
            const SpeechStepPlan plan = PlanSpeechStep(speech);
            EXPECT_EQ(plan.alpha, FadeAlpha(T, c)) << c;
            for (auto [flag, list] : {std::pair{plan.placeAndChoosePicture, &placed},
                                      {plan.startVoice, &voiced},
                                      {plan.freezeQuickMenu, &frozen},
                                      {plan.ends, &ended}}) {
                if (flag) {
                    list->push_back(c);
                }
            }
            speech.SpeechStep = plan.freezeQuickMenu ? 0 : plan.nextStep;  // the list waits
        }
        EXPECT_EQ(placed, std::vector<uint32_t>{T});
        EXPECT_EQ(voiced, std::vector<uint32_t>{T - kFadeSteps});
        EXPECT_EQ(frozen.size() + ended.size(), 1u);
        EXPECT_EQ(frozen.empty(), kind != IDT_QUICKMENU);  // whole where 7 characters are due
        EXPECT_EQ(kind == IDT_QUICKMENU ? frozen[0] : ended[0],
                  kind == IDT_QUICKMENU ? T - kFadeSteps - 14 : 1);
    }
}

}  // namespace
