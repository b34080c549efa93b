#include "character/talk_tables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace {

// The line the clock's elapsed-time check says at `seconds`: the row's entry, or none.
const TalkEntry* PickElapsedTalk(uint32_t seconds, const RandomDraw& draw) {
    const ElapsedTalkRow* row = FindElapsedRow(seconds);
    return row != nullptr ? &ChooseElapsedEntry(*row, draw) : nullptr;
}

using std::u16string_view;

// Hands out the scripted values in order and counts the draws; a draw beyond the script
// throws, which fails the test.
struct ScriptedDraw {
    std::vector<int> values;
    std::size_t used = 0;
    RandomDraw Port() {
        return [this] { return values.at(used++); };
    }
};

u16string_view Text(const TalkEntry& entry) {
    return entry.text ? entry.text : u"";
}

template <std::size_t N>
void ExpectHourTableShape(const HourTalkRow (&table)[N], const std::vector<std::size_t>& counts,
                          uint32_t firstVoice, uint32_t lastVoice) {
    ASSERT_EQ(N, counts.size());
    std::vector<int> rowsPerHour(24, 0);
    for (std::size_t i = 0; i < N; ++i) {
        const HourTalkRow& row = table[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(UsedEntryCount(row), counts[i]);
        for (std::size_t k = 0; k < kHourRowEntryCount; ++k) {
            const TalkEntry& e = row.entries[k];
            if (k >= counts[i]) {
                EXPECT_TRUE(e.text == nullptr && e.expression == 0 && e.voiceId == 0);
                continue;
            }
            EXPECT_GE(e.voiceId, firstVoice);
            EXPECT_LE(e.voiceId, lastVoice);
            // The yawn picture goes with exactly the lines that yawn.
            EXPECT_EQ(e.expression == 1, Text(e).starts_with(u"ふわぁ～"));
        }
        const bool isDefault = i + 1 == N;
        EXPECT_EQ(isDefault, row.firstHour == kDefaultHour && row.lastHour == kDefaultHour);
        for (unsigned h = row.firstHour; !isDefault && h <= row.lastHour; ++h) {
            ++rowsPerHour.at(h);
        }
    }
    EXPECT_EQ(rowsPerHour, std::vector<int>(24, 1));  // every hour in exactly one row
}

TEST(TalkTables, ElapsedTableShape) {
    const uint32_t minutes[24] = {5,   10,  20,   30,   40,   50,   60,   90,
                                  120, 180, 240,  300,  360,  420,  480,  540,
                                  600, 900, 1200, 1440, 2880, 4320, 7200, 10080};
    uint32_t voice = 131;  // the clips are numbered in table order
    for (std::size_t i = 0; i + 1 < kElapsedTalkRowCount; ++i) {
        const ElapsedTalkRow& row = ElapsedTalkTable[i];
        SCOPED_TRACE(row.seconds);
        EXPECT_EQ(row.seconds, minutes[i] * 60);
        for (const TalkEntry& e : row.entries) {
            if (e.text == nullptr) {
                EXPECT_TRUE(e.expression == 0 && e.voiceId == 0);
                continue;
            }
            EXPECT_EQ(e.voiceId, voice++);
            // Two-line reports are the warnings.
            EXPECT_EQ(e.expression, Text(e).find(u"\r\n") != u16string_view::npos ? 1u : 0u);
        }
    }
    EXPECT_EQ(voice, 160u);
    const ElapsedTalkRow& end = ElapsedTalkTable[24];
    EXPECT_TRUE(end.seconds == 0 && end.entries[0].text == nullptr &&
                end.entries[1].text == nullptr);
}

TEST(TalkTables, HourTablesShape) {
    ExpectHourTableShape(GreetingTable, {6, 3, 4, 3, 6, 5, 4, 4, 5, 5, 3, 3, 3, 5, 6, 4, 1}, 190,
                         237);
    ExpectHourTableShape(FarewellTable, {3, 4, 4, 4, 4, 4, 5, 2, 3, 3, 3, 3, 4, 4, 1}, 238, 262);
    EXPECT_EQ(u16string_view(kClickLineText), u"ごようですか？");
    EXPECT_EQ(kClickLineVoice, 263u);
}

TEST(TalkTables, TextsAreExactCodeUnits) {
    // Written with escapes so that the check does not depend on how this file is saved.
    const u16string_view week = ElapsedTalkTable[23].entries[0].text;
    EXPECT_EQ(week.substr(12, 5), u"\u3059\u3002\r\n\u2026");  // す。CR LF …
    EXPECT_EQ(week.size(), 40u);
    EXPECT_EQ(u16string_view(ElapsedTalkTable[6].entries[0].text).substr(14),
              u"\r\n\u3061\u3087\u3063\u3068\u898B\u3059\u304E\u3067\u3059\u3088\uFF5E\u3002");
    EXPECT_EQ(Text(FarewellTable[11].entries[1]),
              u"終了します。\r\n今日1日お疲れ様でした。\r\n"
              u"また明日がんばりましょうね。\r\nおやすみなさい。");
    EXPECT_EQ(Text(GreetingTable[15].entries[3]), u"・・・まだ寝ないんですか？");
    EXPECT_EQ(GreetingTable[15].entries[3].text[0], u'\u30FB');
}

TEST(TalkTables, ElapsedLineOnlyAtExactMarks) {
    ScriptedDraw draw;
    for (uint32_t s : {0u, 1u, 299u, 301u, 3599u, 3601u, 604799u, 604801u, 0xFFFFFFFFu}) {
        EXPECT_EQ(PickElapsedTalk(s, draw.Port()), nullptr) << s;
    }
    const TalkEntry* five = PickElapsedTalk(300, draw.Port());
    ASSERT_NE(five, nullptr);
    EXPECT_EQ(five->voiceId, 131u);
    EXPECT_EQ(Text(*five), u"見始めてから5分経過です。");
    // Single-entry rows, the last three among them warnings, take no draw.
    for (uint32_t s : {259200u, 432000u, 604800u}) {
        const TalkEntry* e = PickElapsedTalk(s, draw.Port());
        ASSERT_NE(e, nullptr);
        EXPECT_NE(e->expression, 0u);
    }
    EXPECT_EQ(draw.used, 0u);
}

TEST(TalkTables, ElapsedRowWithTwoEntriesTakesOneDrawEvenPicksSecond) {
    ScriptedDraw draw{{0, 1, 32766, 32767}};
    const ElapsedTalkRow* hour = FindElapsedRow(3600);
    ASSERT_EQ(hour, &ElapsedTalkTable[6]);
    EXPECT_EQ(PickElapsedTalk(3600, draw.Port()), &hour->entries[1]);
    EXPECT_EQ(PickElapsedTalk(3600, draw.Port()), &hour->entries[0]);
    EXPECT_EQ(PickElapsedTalk(3600, draw.Port())->expression, 0u);  // no warning
    EXPECT_EQ(PickElapsedTalk(3600, draw.Port())->expression, 1u);  // warning
    EXPECT_EQ(draw.used, 4u);
}

TEST(TalkTables, FindHourRowCoversEveryHourAndFallsBackToDefault) {
    // Row index per hour 0-23, then for hours outside the day.
    const int greeting[24] = {14, 15, 15, 15, 15, 0,  1,  2,  3,  4,  5,  6,
                              7,  7,  8,  8,  9,  10, 11, 11, 12, 12, 13, 13};
    const int farewell[24] = {12, 13, 13, 13, 13, 0, 1, 1, 2,  3,  3,  3,
                              4,  4,  5,  6,  7,  8, 9, 9, 10, 10, 11, 11};
    for (uint16_t h = 0; h < 24; ++h) {
        EXPECT_EQ(&FindHourRow(GreetingTable, h), &GreetingTable[greeting[h]]) << h;
        EXPECT_EQ(&FindHourRow(FarewellTable, h), &FarewellTable[farewell[h]]) << h;
    }
    for (uint16_t h : {24, 100, 254, 255, 256, 65535}) {
        EXPECT_EQ(&FindHourRow(GreetingTable, h), &GreetingTable[16]) << h;
        EXPECT_EQ(&FindHourRow(FarewellTable, h), &FarewellTable[14]) << h;
    }
}

TEST(TalkTables, GreetingAndFarewellTakeOneDrawModuloUsedEntries) {
    ScriptedDraw draw{{5, 6, 32767, 3, 4, 0, 0, 0, 0, 1, 2, 3}};
    EXPECT_EQ(PickGreeting(5, draw.Port()).voiceId, 195u);            // 5 % 6
    EXPECT_EQ(PickGreeting(5, draw.Port()).voiceId, 190u);            // 6 % 6
    EXPECT_EQ(PickGreeting(5, draw.Port()).voiceId, 191u);            // 32767 % 6 = 1
    EXPECT_EQ(PickFarewell(16, draw.Port()).voiceId, 248u);           // 3 % 2
    EXPECT_EQ(PickFarewell(16, draw.Port()).voiceId, 238u);           // 4 % 2
    EXPECT_EQ(Text(PickGreeting(24, draw.Port())), u"こんにちは。");  // default row still draws
    EXPECT_EQ(PickGreeting(24, draw.Port()).voiceId, 202u);
    EXPECT_EQ(PickFarewell(65535, draw.Port()).voiceId, 238u);
    EXPECT_EQ(draw.used, 8u);
    // Late night: still picture, greeting, yawn, still picture.
    std::vector<uint32_t> expressions;
    for (int i = 0; i < 4; ++i) {
        expressions.push_back(PickGreeting(3, draw.Port()).expression);
    }
    EXPECT_EQ(expressions, (std::vector<uint32_t>{2, 0, 1, 2}));
    EXPECT_EQ(draw.used, 12u);
}

TEST(TalkTables, ElevenOClockGreetsGoodMorningThenGoodAfternoon) {
    const HourTalkRow& row = FindHourRow(GreetingTable, 11);
    EXPECT_EQ(Text(row.entries[0]), u"おはようございます。");
    for (std::size_t k = 1; k < UsedEntryCount(row); ++k) {
        EXPECT_TRUE(Text(row.entries[k]).starts_with(u"こんにちは。\r\n")) << k;
    }
    EXPECT_EQ(&FindHourRow(GreetingTable, 12), &FindHourRow(GreetingTable, 13));
}

}  // namespace
