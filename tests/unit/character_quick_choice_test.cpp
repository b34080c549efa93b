#include "character/quick_choice.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(QuickChoiceList, HoldsTheFourteenCommandsInOrderThenTheEndRow) {
    const QuickChoiceList list = MakeQuickChoiceList();
    const uint32_t commands[] = {32772, 32775, 32780, 32782, 32776, 32777, 32778,
                                 32781, 32784, 32779, 32774, 32771, 2,     3};
    for (size_t i = 0; i < kQuickChoiceCount; ++i) {
        EXPECT_EQ(list[i].command, commands[i]) << i;
        EXPECT_EQ(list[i].right, 0) << i;  // nothing measured before the first draw
        EXPECT_EQ(list[i].bottom, 0) << i;
    }
    EXPECT_EQ(list[kQuickChoiceCount].command, 0u);
    EXPECT_EQ(list[0].left, 33);
    EXPECT_EQ(list[0].top, 85);
    EXPECT_EQ(list[13].left, 33);
    EXPECT_EQ(list[13].top, 226);
    EXPECT_EQ(std::u16string(list[13].label), u"キャンセル");
    EXPECT_EQ(std::u16string(list[12].label), u"終了");
}

TEST(QuickChoiceLabel, NamesTheStateTheItemSwitchesTo) {
    const QuickChoiceList list = MakeQuickChoiceList();
    Settings on;
    on.NotifyFinish = on.NotifyTime = on.NotifyHour = on.HistryEnabled = on.Voice = true;
    Settings off;
    off.NotifyFinish = off.NotifyTime = off.NotifyHour = off.HistryEnabled = off.Voice = false;
    EXPECT_EQ(QuickChoiceLabel(list[8], on), u"ボイスをOFFにする");
    EXPECT_EQ(QuickChoiceLabel(list[8], off), u"ボイスをONにする");
    EXPECT_EQ(QuickChoiceLabel(list[4], on), u"閲覧終了の通知をOFFにする");
    EXPECT_EQ(QuickChoiceLabel(list[5], off), u"閲覧中のお知らせをONにする");
    EXPECT_EQ(QuickChoiceLabel(list[6], on), u"時報をOFFにする");
    EXPECT_EQ(QuickChoiceLabel(list[7], off), u"記事ランキングをONにする");
    // Each item follows its own setting only.
    Settings mixed = off;
    mixed.Voice = true;
    EXPECT_EQ(QuickChoiceLabel(list[8], mixed), u"ボイスをOFFにする");
    EXPECT_EQ(QuickChoiceLabel(list[7], mixed), u"記事ランキングをONにする");
    EXPECT_EQ(QuickChoiceLabel(list[0], on), u"1週間のログ表示");
    EXPECT_EQ(QuickChoiceLabel(QuickChoiceItem{}, on), u"");
}

QuickChoiceList Measured() {
    QuickChoiceList list = MakeQuickChoiceList();
    for (size_t i = 0; i < kQuickChoiceCount; ++i)
        PlaceQuickChoice(list[i], 60, 12);
    return list;
}

TEST(HitTestQuickChoice, NothingBeforeTheFirstDraw) {
    const QuickChoiceList list = MakeQuickChoiceList();
    for (int y = 0; y < 350; y += 3)
        for (int x = 0; x < 245; x += 3)
            ASSERT_EQ(HitTestQuickChoice(list, x, y), 0u) << x << "," << y;
}

TEST(HitTestQuickChoice, RightEdgeCountsBottomEdgeDoesNot) {
    const QuickChoiceList list = Measured();
    // "キャンセル" at (33, 226), 60 x 12: x 33..93, y 226..237.
    EXPECT_EQ(HitTestQuickChoice(list, 33, 226), 3u);
    EXPECT_EQ(HitTestQuickChoice(list, 93, 237), 3u);
    EXPECT_EQ(HitTestQuickChoice(list, 94, 230), 0u);
    EXPECT_EQ(HitTestQuickChoice(list, 32, 230), 0u);
    EXPECT_EQ(HitTestQuickChoice(list, 40, 238), 0u);
    EXPECT_EQ(HitTestQuickChoice(list, 40, 225), 0u);
    EXPECT_EQ(QuickChoiceAt(list, 40, 230), 13);
    // The "終了" item beside "バージョン情報".
    EXPECT_EQ(HitTestQuickChoice(list, 124, 210), 2u);
    EXPECT_EQ(HitTestQuickChoice(list, 90, 210), 32771u);
    EXPECT_EQ(HitTestQuickChoice(list, -5, -5), 0u);
    EXPECT_EQ(QuickChoiceAt(list, 1000, 1000), -1);
}

TEST(HitTestQuickChoice, TheFirstOfOverlappingItemsWinsAndTheEndRowStopsTheSearch) {
    QuickChoiceList list = Measured();
    // A label wide enough to reach into its neighbour on the right: the left one answers.
    PlaceQuickChoice(list[0], 200, 12);
    EXPECT_EQ(HitTestQuickChoice(list, 130, 90), 32772u);
    // Rows after the end row are never looked at.
    QuickChoiceList cut = Measured();
    cut[1].command = 0;
    EXPECT_EQ(HitTestQuickChoice(cut, 130, 90), 0u);
    EXPECT_EQ(HitTestQuickChoice(cut, 40, 90), 32772u);
}

TEST(PlaceQuickChoice, KeepsTheRectangleWithinSixteenBits) {
    QuickChoiceItem item{7, 65000, 65530, 0, 0, u"x", ChoiceSetting::None};
    PlaceQuickChoice(item, 1000, 100);
    EXPECT_EQ(item.right, 65535);
    EXPECT_EQ(item.bottom, 65535);
    PlaceQuickChoice(item, -10, -1);
    EXPECT_EQ(item.right, 65000);
    EXPECT_EQ(item.bottom, 65530);
}

}  // namespace
