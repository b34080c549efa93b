// What the character shows: the balloon's text step by step, the command list, the picture.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "character/balloon_text.h"
#include "character/picture_choice.h"
#include "character/quick_choice.h"
#include "character/speech.h"

namespace {

TEST(PlanBalloonText, TheTextGrowsEveryOtherStepWipesEveryTwentyAndIsWholeOnce) {
    const std::u16string text(100, u'あ');  // T = 420
    SpeechState s;
    s.ActiveSpeechTimer = IDT_ELAPSED;
    s.SpeechText = text.c_str();
    s.SpeechTextLength = 100;
    s.SpeechLength = SpeechLengthFor(100);
    std::vector<uint32_t> counts;
    for (uint32_t c = s.SpeechLength; c > 0; --c) {
        s.SpeechStep = c;
        const BalloonTextPlan p = PlanBalloonText(s, false);
        EXPECT_EQ(p.draw, (c <= 388 && c >= 190 && c % 2 == 0) || c == 30) << c;
        EXPECT_EQ(p.complete, p.draw && (c == 190 || c == 30)) << c;
        if (p.draw) {
            EXPECT_EQ(p.clearStrip, c % 20 == 0 || p.count == 100) << c;
            counts.push_back(p.count);
        }
    }
    EXPECT_EQ(counts.size(), 101u);
    s.SpeechStep = 420 - 30 - 11;  // a repaint draws what is due at once, even on an odd step
    EXPECT_EQ(PlanBalloonText(s, true), (BalloonTextPlan{true, true, 5, false}));
    s.SpeechStep = 270 + 140;  // still fading in
    EXPECT_FALSE(PlanBalloonText(s, true).draw);
}

TEST(QuickChoice, LabelsNameTheStateTheirSettingSwitchesTo) {
    const QuickChoiceList list = MakeQuickChoiceList();
    Settings s;
    s.Voice = true;
    s.HistryEnabled = false;
    EXPECT_EQ(QuickChoiceLabel(list[8], s), u"ボイスをOFFにする");
    EXPECT_EQ(QuickChoiceLabel(list[7], s), u"記事ランキングをONにする");
    EXPECT_EQ(QuickChoiceLabel(list[0], s), u"1週間のログ表示");
}

TEST(QuickChoice, HitsCountTheRightEdgeNotTheBottomAndStopAtTheEndRow) {
    EXPECT_EQ(HitTestQuickChoice(MakeQuickChoiceList(), 40, 230), 0u);  // nothing measured yet
    QuickChoiceList list = MakeQuickChoiceList();
    for (QuickChoiceItem& item : list) {
        PlaceQuickChoice(item, 60, 12);
    }
    // "キャンセル" at (33, 226), 60 x 12.
    for (auto [x, y, command] :
         {std::tuple{33, 226, 3u}, {93, 237, 3u}, {94, 230, 0u}, {40, 238, 0u}, {40, 225, 0u}}) {
        EXPECT_EQ(HitTestQuickChoice(list, x, y), command) << x << "," << y;
    }
    EXPECT_EQ(QuickChoiceAt(list, 40, 230), 13);
    list[1].command = 0;
    EXPECT_EQ(HitTestQuickChoice(list, 40, 226), 0u);  // rows after the end row: not looked at
    QuickChoiceItem item{7, 65000, 65530, 0, 0, u"x", ChoiceSetting::None};
    PlaceQuickChoice(item, 1000, 100);
    EXPECT_EQ(item.bottom, 65535);
}

TEST(ChoosePicture, GreetingsByExpressionChimesAndReportsVaryAfterADay) {
    std::vector<int> values{5, 4};
    size_t used = 0;
    const RandomDraw draw = [&] { return values[used++ % values.size()]; };
    EXPECT_EQ(ChoosePicture(IDT_TALK + 1, 0, false, draw).role, PictureRole::Yawn);
    EXPECT_EQ(ChoosePicture(IDT_ELAPSED, 300'000, true, draw).role, PictureRole::Warning);
    EXPECT_EQ(ChoosePicture(IDT_ELAPSED, 86'399, false, draw).role, PictureRole::Report);
    EXPECT_EQ(used, 0u);
    for (auto [seconds, index] : {std::pair{86'399u, 0}, {86'400u, 1}, {172'800u, 2}}) {
        used = 0;
        EXPECT_EQ(ChoosePicture(IDT_HOURLY, seconds, false, draw),
                  (PictureChoice{PictureRole::Chime, index}));  // 5 mod 2, 5 mod 3
    }
    used = 0;
    EXPECT_EQ(ChoosePicture(IDT_ELAPSED, 86'400, false, draw).role, PictureRole::Report);
    EXPECT_EQ(ChoosePicture(IDT_ELAPSED, 86'400, false, draw).role, PictureRole::SecondReport);
}

}  // namespace
