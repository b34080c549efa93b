#include "character/balloon_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

SpeechState Running(const std::u16string& text, uint32_t kind = IDT_ELAPSED) {
    SpeechState s;
    s.ActiveSpeechTimer = kind;
    s.SpeechText = text.c_str();
    s.SpeechTextLength = static_cast<uint32_t>(text.size());
    s.SpeechLength = SpeechLengthFor(s.SpeechTextLength);
    s.SpeechStep = s.SpeechLength;
    return s;
}

struct Drawn {
    uint32_t step;
    uint32_t count;
    bool clear;
    bool complete;
};

// The draws of a whole speech as the steps make them (never a repaint).
std::vector<Drawn> StepDraws(const std::u16string& text) {
    SpeechState s = Running(text);
    std::vector<Drawn> out;
    for (uint32_t c = s.SpeechLength; c > 0; --c) {
        s.SpeechStep = c;
        const BalloonTextPlan p = PlanBalloonText(s, false);
        if (p.draw)
            out.push_back({s.SpeechLength - c, p.count, p.clearStrip, p.complete});
        else
            EXPECT_FALSE(p.complete) << c;  // the answer is true only with a draw
    }
    return out;
}

TEST(PlanBalloonText, SevenCharactersGrowEveryOtherStepAndCompleteAtStep44) {
    const std::u16string text = u"ごようですか？";
    const std::vector<Drawn> draws = StepDraws(text);
    // Nothing at the first speaking step (30); then one more character on each even step
    // 32, 34, ..., 44 (T = 300 is even, so even steps are even c), and once more at c = 30
    // (step 270).
    ASSERT_EQ(draws.size(), 8u);
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(draws[i].step, 32 + 2 * i);
        EXPECT_EQ(draws[i].count, i + 1);
        EXPECT_EQ(draws[i].complete, i == 6);
    }
    EXPECT_EQ(draws[6].step, 44u);
    EXPECT_TRUE(draws[6].clear);  // the last character: wipe the strip
    EXPECT_EQ(draws[7].step, 270u);
    EXPECT_EQ(draws[7].count, 7u);
    EXPECT_TRUE(draws[7].complete);
}

TEST(PlanBalloonText, AHundredCharactersAreWholeAtStep230AndWipeEveryTwentySteps) {
    const std::u16string text(100, u'あ');
    const std::vector<Drawn> draws = StepDraws(text);
    ASSERT_EQ(draws.size(), 101u);  // 100 growing draws (1..100), then at c = 30
    EXPECT_EQ(draws[99].step, 230u);
    EXPECT_EQ(draws[99].count, 100u);
    EXPECT_TRUE(draws[99].complete);
    EXPECT_FALSE(draws[98].complete);
    for (const Drawn& d : draws) {
        const uint32_t c = 420 - d.step;
        EXPECT_EQ(d.clear, c % 20 == 0 || d.count == 100) << d.step;
    }
    EXPECT_EQ(draws[100].step, 390u);
}

TEST(PlanBalloonText, NothingDuringTheFadeInOrWithoutText) {
    const std::u16string text = u"テスト";
    SpeechState s = Running(text);
    for (uint32_t c = 300; c >= 270; --c) {
        s.SpeechStep = c;
        EXPECT_FALSE(PlanBalloonText(s, true).draw) << c;
        EXPECT_FALSE(PlanBalloonText(s, false).draw) << c;
    }
    s.SpeechStep = 100;
    s.SpeechText = nullptr;
    EXPECT_FALSE(PlanBalloonText(s, true).draw);
    s.SpeechText = text.c_str();
    s.SpeechTextLength = 0;
    EXPECT_FALSE(PlanBalloonText(s, true).draw);
}

TEST(PlanBalloonText, ARepaintDrawsWhatIsDueAtOnceEvenOnAnOddStep) {
    const std::u16string text(50, u'a');
    SpeechState s = Running(text);
    s.SpeechStep = 300 - 30 - 11;  // 5 characters due, odd step
    EXPECT_FALSE(PlanBalloonText(s, false).draw);
    const BalloonTextPlan repaint = PlanBalloonText(s, true);
    EXPECT_TRUE(repaint.draw);
    EXPECT_EQ(repaint.count, 5u);
    EXPECT_TRUE(repaint.clearStrip);
    EXPECT_FALSE(repaint.complete);
    // Complete long ago: only a repaint draws, whole.
    s.SpeechStep = 101;
    EXPECT_FALSE(PlanBalloonText(s, false).draw);
    s.SpeechStep = 100;
    EXPECT_FALSE(PlanBalloonText(s, false).draw);
    EXPECT_EQ(PlanBalloonText(s, true), (BalloonTextPlan{true, true, 50, true}));
}

TEST(PlanBalloonText, AFinishedSpeechRepaintsNothingSoTheWipedBalloonStaysClear) {
    const std::u16string text = u"おやすみなさい";
    SpeechState s = Running(text);
    s.SpeechStep = 0;
    s.ActiveSpeechTimer = 0;
    EXPECT_FALSE(PlanBalloonText(s, true).draw);
    // The last fade-out steps still belong to the speech.
    s.ActiveSpeechTimer = IDT_ELAPSED;
    s.SpeechStep = 2;
    EXPECT_TRUE(PlanBalloonText(s, true).draw);
}

TEST(PlanBalloonText, SkippedToTheFadeOutTheWholeTextIsDrawnAtOnce) {
    const std::u16string text(80, u'x');  // T = 360
    SpeechState s = Running(text);
    s.SpeechStep = 30;
    const BalloonTextPlan p = PlanBalloonText(s, false);
    EXPECT_EQ(p, (BalloonTextPlan{true, true, 80, true}));
    for (uint32_t c = 29; c > 0; --c) {
        s.SpeechStep = c;
        EXPECT_FALSE(PlanBalloonText(s, false).draw) << c;
    }
}

}  // namespace
