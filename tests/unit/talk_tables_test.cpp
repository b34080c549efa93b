#include "character/talk_tables.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

namespace {

// Hands out the scripted values in order; a draw beyond the script throws.
struct ScriptedDraw {
    std::vector<int> values;
    std::size_t used = 0;
    RandomDraw Port() {
        return [this] { return values.at(used++); };
    }
};

TEST(TalkTables, ElapsedLinesOnlyAtExactMarksAndTwoEntriesTakeOneDrawEvenPicksTheSecond) {
    ScriptedDraw draw{{0, 1, 32766, 32767}};
    for (uint32_t s : {0u, 1u, 299u, 301u, 3599u, 3601u, 604801u, 0xFFFFFFFFu}) {
        EXPECT_EQ(FindElapsedRow(s), nullptr) << s;
    }
    const ElapsedTalkRow* five = FindElapsedRow(300);
    ASSERT_NE(five, nullptr);
    EXPECT_EQ(std::u16string(ChooseElapsedEntry(*five, draw.Port()).text),
              u"見始めてから5分経過です。");
    EXPECT_EQ(draw.used, 0u);  // one entry: no draw
    const ElapsedTalkRow* hour = FindElapsedRow(3600);
    ASSERT_NE(hour, nullptr);
    for (int expected : {1, 0, 1, 0}) {
        EXPECT_EQ(&ChooseElapsedEntry(*hour, draw.Port()), &hour->entries[expected]);
    }
    EXPECT_EQ(draw.used, 4u);
}

TEST(TalkTables, EveryHourFallsInTheRowOfItsRangeAndOtherHoursInTheDefault) {
    for (std::span<const HourTalkRow> table : {std::span<const HourTalkRow>(GreetingTable),
                                               std::span<const HourTalkRow>(FarewellTable)}) {
        for (uint16_t h = 0; h < 24; ++h) {
            const HourTalkRow& row = FindHourRow(table, h);
            EXPECT_TRUE(row.firstHour <= h && h <= row.lastHour) << h;
        }
        for (uint16_t h : {24, 255, 65535}) {
            EXPECT_EQ(&FindHourRow(table, h), &table.back());
        }
    }
}

TEST(TalkTables, GreetingAndFarewellTakeOneDrawModuloTheUsedEntries) {
    ScriptedDraw draw{{5, 6, 32767, 3, 4}};
    const HourTalkRow& morning = FindHourRow(GreetingTable, 5);
    for (int d : {5, 6, 32767}) {
        EXPECT_EQ(&PickGreeting(5, draw.Port()), &morning.entries[d % UsedEntryCount(morning)]);
    }
    const HourTalkRow& evening = FindHourRow(FarewellTable, 16);
    for (int d : {3, 4}) {
        EXPECT_EQ(&PickFarewell(16, draw.Port()), &evening.entries[d % UsedEntryCount(evening)]);
    }
    EXPECT_EQ(draw.used, 5u);
}

}  // namespace
