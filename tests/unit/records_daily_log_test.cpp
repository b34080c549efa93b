#include "records/daily_log.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

std::vector<std::u16string> Lines(const std::u16string& text) {
    std::vector<std::u16string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(u"\r\n", start)) != std::u16string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text ends with CR LF";
    return lines;
}

// Day lines of a summary: between the header's blank line and the total's.
std::vector<std::u16string> DayLines(const std::u16string& text) {
    std::vector<std::u16string> lines = Lines(text);
    return {lines.begin() + 2, lines.end() - 3};
}

std::u16string Summary(LogDate today, int days, const std::map<std::u16string, uint32_t>& log) {
    return LogSummaryText(today, days, [&](const std::u16string& name) {
        auto it = log.find(name);
        return it == log.end() ? 0u : it->second;
    });
}

TEST(LogDates, ValidDatesFollowTheCalendar) {
    EXPECT_TRUE(IsValidDate(2011, 1, 31));
    EXPECT_FALSE(IsValidDate(2011, 4, 31));
    EXPECT_TRUE(IsValidDate(2011, 4, 30));
    EXPECT_FALSE(IsValidDate(2011, 2, 29));
    EXPECT_TRUE(IsValidDate(2012, 2, 29));
    EXPECT_FALSE(IsValidDate(2100, 2, 29));
    EXPECT_TRUE(IsValidDate(2000, 2, 29));
    EXPECT_FALSE(IsValidDate(2012, 2, 30));
    EXPECT_FALSE(IsValidDate(2011, 0, 1));
    EXPECT_FALSE(IsValidDate(2011, 13, 1));
    EXPECT_FALSE(IsValidDate(2011, 1, 0));
    EXPECT_FALSE(IsValidDate(2011, 65535, 65535));
    EXPECT_TRUE(IsValidDate(0, 2, 29));  // year 0 is divisible by 400
}

TEST(LogDates, StepBackCrossesMonthsYearsAndLeapDays) {
    struct Case {
        LogDate from, to;
    } cases[] = {
        {{2011, 7, 5}, {2011, 7, 4}},  {{2011, 3, 1}, {2011, 2, 28}},
        {{2012, 3, 1}, {2012, 2, 29}}, {{2100, 3, 1}, {2100, 2, 28}},
        {{2000, 3, 1}, {2000, 2, 29}}, {{2011, 5, 1}, {2011, 4, 30}},
        {{2011, 8, 1}, {2011, 7, 31}}, {{2012, 1, 1}, {2011, 12, 31}},
        {{0, 1, 1}, {65535, 12, 31}},  // the year wraps like the 16-bit field it is
    };
    for (const Case& c : cases) {
        LogDate d = c.from;
        EXPECT_TRUE(StepBackOneDay(d));
        EXPECT_EQ(d.year, c.to.year);
        EXPECT_EQ(d.month, c.to.month);
        EXPECT_EQ(d.day, c.to.day) << c.from.year << "/" << c.from.month << "/" << c.from.day;
    }
}

TEST(LogDates, AnInvalidDateIsLeftAsItIs) {
    for (LogDate bad : {LogDate{2011, 2, 30}, LogDate{2011, 0, 5}, LogDate{2011, 13, 1},
                        LogDate{2011, 6, 0}, LogDate{0, 0, 0}}) {
        LogDate d = bad;
        EXPECT_FALSE(StepBackOneDay(d));
        EXPECT_EQ(d.year, bad.year);
        EXPECT_EQ(d.month, bad.month);
        EXPECT_EQ(d.day, bad.day);
    }
}

TEST(LogDates, EveryDayOfFourHundredYearsStepsBackToTheDayBefore) {
    LogDate d{2401, 1, 1};
    int days = 0;
    while (d.year > 2001 || d.month > 1 || d.day > 1) {
        LogDate before = d;
        ASSERT_TRUE(StepBackOneDay(d));
        ASSERT_TRUE(IsValidDate(d.year, d.month, d.day));
        ASSERT_TRUE(LogNameNumber(LogValueName(d)) < LogNameNumber(LogValueName(before)));
        ++days;
    }
    EXPECT_EQ(days, 146097);  // days in a 400-year Gregorian cycle
}

TEST(LogNames, NamesAreEightDigits) {
    EXPECT_EQ(LogValueName({2011, 7, 5}), u"20110705");
    EXPECT_EQ(LogValueName({987, 12, 31}), u"09871231");
    EXPECT_EQ(LogValueName({65535, 1, 1}), u"655350101");
}

TEST(LogNames, NumbersAreReadLikeTheRuntimesAtoi) {
    EXPECT_EQ(LogNameNumber(u"20110705"), 20110705);
    EXPECT_EQ(LogNameNumber(u"abc"), 0);
    EXPECT_EQ(LogNameNumber(u""), 0);
    EXPECT_EQ(LogNameNumber(u"  \t42x"), 42);
    EXPECT_EQ(LogNameNumber(u"-5"), -5);
    EXPECT_EQ(LogNameNumber(u"+5"), 5);
    EXPECT_EQ(LogNameNumber(u"- 5"), 0);
    EXPECT_EQ(LogNameNumber(u"99999999999"), INT32_MAX);
    EXPECT_EQ(LogNameNumber(u"-99999999999"), INT32_MIN);
    EXPECT_EQ(LogNameNumber(std::u16string(16383, u'9')), INT32_MAX);
}

TEST(LogPrune, KeepsTheNewestDays) {
    std::vector<std::u16string> names;
    LogDate d{2012, 3, 1};
    for (int i = 0; i < 367; ++i, StepBackOneDay(d)) {
        names.push_back(LogValueName(d));
    }
    EXPECT_TRUE(ChooseLogNamesToPrune({names.begin(), names.begin() + 366}, 366).empty());
    std::vector<size_t> gone = ChooseLogNamesToPrune(names, 366);
    ASSERT_EQ(gone.size(), 1u);
    EXPECT_EQ(names[gone[0]], u"20110301");  // the oldest
}

TEST(LogPrune, NamesThatAreNoDatesGoFirst) {
    std::vector<std::u16string> names = {u"20120102", u"abc", u"20120101", u"-3", u"20111231"};
    std::vector<size_t> gone = ChooseLogNamesToPrune(names, 2);
    ASSERT_EQ(gone.size(), 3u);
    EXPECT_EQ(names[gone[0]], u"-3");
    EXPECT_EQ(names[gone[1]], u"abc");
    EXPECT_EQ(names[gone[2]], u"20111231");
    EXPECT_EQ(ChooseLogNamesToPrune(names, 0).size(), 5u);
    EXPECT_TRUE(ChooseLogNamesToPrune({}, 366).empty());
}

TEST(LogSummary, LinesHaveTheExactShape) {
    std::u16string text = Summary({2011, 7, 5}, 7, {{u"20110705", 3725}, {u"20110701", 100}});
    std::vector<std::u16string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[0], u"過去7日間の合計閲覧時間です。");
    EXPECT_EQ(lines[1], u"");
    EXPECT_EQ(lines[2], u"2011/ 7/ 5 \u2026  1:02:05");
    EXPECT_EQ(lines[3], u"2011/ 7/ 4 \u2026  0:00:00");
    EXPECT_EQ(lines[6], u"2011/ 7/ 1 \u2026  0:01:40");
    EXPECT_EQ(lines[8], u"2011/ 6/29 \u2026  0:00:00");
    EXPECT_EQ(lines[9], u"");
    EXPECT_EQ(lines[10], u"7日間の合計 \u2026  1:03:45");
    EXPECT_EQ(lines[11], u"7日間の平均 \u2026  0:09:06");  // 3825 / 7 = 546
}

TEST(LogSummary, TheAverageDropsTheRemainderAndCountsEmptyDays) {
    std::vector<std::u16string> lines = Lines(Summary({2011, 7, 5}, 7, {{u"20110703", 100}}));
    EXPECT_EQ(lines[lines.size() - 2], u"7日間の合計 \u2026  0:01:40");
    EXPECT_EQ(lines.back(), u"7日間の平均 \u2026  0:00:14");
}

TEST(LogSummary, WeeksAcrossLeapDaysAndNewYear) {
    auto dates = [](LogDate today) {
        std::vector<std::u16string> out;
        for (const std::u16string& line : DayLines(Summary(today, 7, {}))) {
            out.push_back(line.substr(0, 10));
        }
        return out;
    };
    EXPECT_EQ(dates({2012, 3, 2}), (std::vector<std::u16string>{
                                       u"2012/ 3/ 2", u"2012/ 3/ 1", u"2012/ 2/29", u"2012/ 2/28",
                                       u"2012/ 2/27", u"2012/ 2/26", u"2012/ 2/25"}));
    EXPECT_EQ(dates({2100, 3, 1})[1], u"2100/ 2/28");
    EXPECT_EQ(dates({2000, 3, 1})[1], u"2000/ 2/29");
    EXPECT_EQ(dates({2012, 1, 1})[1], u"2011/12/31");
    EXPECT_EQ(dates({2012, 1, 1})[6], u"2011/12/26");
}

TEST(LogSummary, HoursGrowPastTwoDigitsAndTheTotalSaturates) {
    std::vector<std::u16string> lines =
        Lines(Summary({2011, 7, 5}, 7, {{u"20110705", 360000}, {u"20110704", 4294967295u}}));
    EXPECT_EQ(lines[2], u"2011/ 7/ 5 \u2026 100:00:00");
    EXPECT_EQ(lines[3], u"2011/ 7/ 4 \u2026 1193046:28:15");
    EXPECT_EQ(lines[lines.size() - 2], u"7日間の合計 \u2026 1193046:28:15");
    // (4294967295 + 360000) / 7, exact although the sum passes 32 bits.
    EXPECT_EQ(lines.back(), u"7日間の平均 \u2026 170449:29:45");
}

TEST(LogSummary, AnInvalidStartStopsWithAnInternalContradictionLine) {
    std::vector<std::u16string> lines = Lines(Summary({2011, 2, 30}, 7, {{u"20110230", 60}}));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[2], u"2011/ 2/30 \u2026  0:01:00");
    EXPECT_EQ(lines[3], u"2011/ 2/30 \u2026 内部矛盾");
    // The header, total and average still speak of the days asked for.
    EXPECT_EQ(lines[0], u"過去7日間の合計閲覧時間です。");
    EXPECT_EQ(lines[5], u"7日間の合計 \u2026  0:01:00");
    EXPECT_EQ(lines[6], u"7日間の平均 \u2026  0:00:08");
}

TEST(LogSummary, DayCountsOutsideTheRangeAreClamped) {
    EXPECT_EQ(DayLines(Summary({2011, 7, 5}, 0, {})).size(), 1u);
    EXPECT_EQ(Lines(Summary({2011, 7, 5}, -5, {})).back(), u"1日間の平均 \u2026  0:00:00");
    std::u16string big = Summary({2011, 7, 5}, INT32_MAX, {});
    EXPECT_EQ(DayLines(big).size(), static_cast<size_t>(kLogSummaryMaxDays));
}

TEST(LogSummary, AYearIsNewestFirstAndAsksForEachDayOnce) {
    std::vector<std::u16string> asked;
    std::u16string text = LogSummaryText({2012, 7, 5}, 365, [&](const std::u16string& name) {
        asked.push_back(name);
        return 1u;
    });
    ASSERT_EQ(asked.size(), 365u);
    EXPECT_EQ(asked.front(), u"20120705");
    EXPECT_EQ(asked.back(), u"20110707");  // 2012 has 29 February
    EXPECT_LT(text.size(), 10250u);
    EXPECT_EQ(Lines(text).back(), u"365日間の平均 \u2026  0:00:01");
}

}  // namespace
