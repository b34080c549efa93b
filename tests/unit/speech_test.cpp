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
    for (auto [n, steps] : {std::pair{0u, 300u}, {60u, 300u}, {61u, 303u}, {100u, 420u}}) {
        EXPECT_EQ(SpeechLengthFor(n), steps) << n;
    }
    EXPECT_EQ(SpeechLengthFor(UINT32_MAX), UINT32_MAX);
    SpeechState speech;
    FakeTimers timers;
    const std::u16string line = u"見始めてから1時間経過です。\r\nちょっと見すぎですよ～。";
    Speak(speech, line.c_str(), IDT_ELAPSED, timers, 137);
    EXPECT_EQ(speech.SpeechTextLength, line.size());  // CR and LF both count
    EXPECT_EQ(speech.SpeechStep, 300u);
    EXPECT_EQ(speech.SpeechVoice, 137u);
    EXPECT_EQ(timers.started, (std::vector<std::pair<uint32_t, uint32_t>>{{IDT_ELAPSED, 17}}));
    Speak(speech, nullptr, IDT_QUICKMENU, timers, 0);
    EXPECT_TRUE(timers.stopped.empty());
    StopRunningSpeech(speech, timers);
    EXPECT_EQ(timers.stopped, std::vector<uint32_t>{IDT_QUICKMENU});
    EXPECT_TRUE(IsFarewell(IDT_FAREWELL));
    EXPECT_FALSE(IsSpeechKind(IDT_TICK));
}

TEST(SpeechSteps, FadesTextAndFramesFollowTheStepCount) {
    const uint32_t T = SpeechLengthFor(7);  // 300 steps, counted down from T to 1
    const std::pair<uint32_t, uint8_t> alphas[] = {{300, 0},  {299, 8},  {271, 232}, {270, 255},
                                                   {30, 255}, {29, 232}, {1, 8}};
    for (auto [c, alpha] : alphas) {
        EXPECT_EQ(FadeAlpha(T, c), alpha) << c;
    }
    EXPECT_EQ(PhaseOf(T, 271), SpeechPhase::FadeIn);
    EXPECT_EQ(PhaseOf(T, 270), SpeechPhase::Speaking);
    EXPECT_EQ(PhaseOf(T, 29), SpeechPhase::FadeOut);
    EXPECT_EQ(PhaseOf(T, 0), SpeechPhase::End);
    EXPECT_EQ(CharactersDue(300, 270), 0u);
    EXPECT_EQ(CharactersDue(300, 268), 1u);
    EXPECT_EQ(CharactersDue(300, 267), 1u);
    EXPECT_FALSE(TextComplete(0, 300, 270));  // not even an empty text at the voice's step
    EXPECT_TRUE(TextComplete(0, 300, 269));
    EXPECT_FALSE(TextComplete(7, 300, 257));
    EXPECT_TRUE(TextComplete(7, 300, 256));
    for (uint32_t n : {7u, 101u}) {  // greeting: eleven frames a fourth step, then holds
        const uint32_t t = SpeechLengthFor(n);
        std::vector<std::pair<uint32_t, int>> frames;
        for (uint32_t c = t; c > 0; --c) {
            if (const int f = AnimationFrame(IDT_TALK, t, c); f >= 0) {
                frames.emplace_back(c, f);
            }
            EXPECT_LT(AnimationFrame(IDT_ELAPSED, t, c), 0);
        }
        ASSERT_EQ(frames.size(), 12u) << n;
        EXPECT_GT(frames[0].first + kFadeSteps + 4, t);
        for (std::size_t i = 0; i < frames.size(); ++i) {
            EXPECT_EQ(frames[i].first, frames[0].first - 4 * i);
            EXPECT_EQ(frames[i].second, std::min<int>(i, 10));
        }
    }
}

// A whole speech, step by step, as the character's windows carry it out.
TEST(SpeechStepPlans, PlaceOnceVoiceOnceAndEndAtZeroOrWaitWithTheCommandList) {
    for (auto [kind, characters] :
         {std::pair{IDT_TALK, 7u}, {IDT_QUICKMENU, 7u}, {IDT_ELAPSED, 100u}}) {
        const std::u16string text(characters, u'あ');
        SpeechState speech;
        FakeTimers timers;
        Speak(speech, text.c_str(), kind, timers, 5);
        const uint32_t T = speech.SpeechLength;
        std::vector<uint32_t> placed, voiced, frozen, ended, raisedFrom;
        while (speech.SpeechStep != 0) {
            const uint32_t c = speech.SpeechStep;
            const SpeechStepPlan plan = PlanSpeechStep(speech);
            EXPECT_EQ(plan.alpha, FadeAlpha(T, c)) << c;
            EXPECT_EQ(plan.drawText, c + kFadeSteps <= T) << c;
            for (auto [flag, list] : {std::pair{plan.placeAndChoosePicture, &placed},
                                      {plan.startVoice, &voiced},
                                      {plan.freezeQuickMenu, &frozen},
                                      {plan.ends, &ended},
                                      {plan.raise && raisedFrom.empty(), &raisedFrom}}) {
                if (flag) {
                    list->push_back(c);
                }
            }
            speech.SpeechStep = plan.nextStep;
            if (plan.freezeQuickMenu) {
                EXPECT_EQ(plan.nextStep, kFadeSteps - 1);
                break;  // the list waits for a choice
            }
        }
        EXPECT_EQ(placed, std::vector<uint32_t>{T});
        EXPECT_EQ(voiced, std::vector<uint32_t>{T - kFadeSteps});
        EXPECT_EQ(raisedFrom, std::vector<uint32_t>{T - kFadeSteps});
        if (kind == IDT_QUICKMENU) {  // whole where 7 characters are due
            EXPECT_EQ(frozen, std::vector<uint32_t>{T - kFadeSteps - 14});
            EXPECT_TRUE(ended.empty());
        } else {
            EXPECT_TRUE(frozen.empty());
            EXPECT_EQ(ended, std::vector<uint32_t>{1});
        }
    }
}

}  // namespace
