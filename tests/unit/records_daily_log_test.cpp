#include "records/daily_log.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/support/test_bytes.h"

namespace {

std::vector<std::u16string> Summary(LogDate today, int days,
                                    const std::map<std::u16string, uint32_t>& log) {
    return test::SplitCrlf(LogSummaryText(today, days, [&](const std::u16string& name) {
        auto it = log.find(name);
        return it == log.end() ? 0u : it->second;
    }));
}

TEST(LogDates, TheCalendarWithItsLeapYearsAndTheStepBack) {
    for (auto [y, m, d, valid] : {std::tuple{2011, 4, 31, false},
                                  {2011, 2, 29, false},
                                  {2012, 2, 29, true},
                                  {2100, 2, 29, false},
                                  {2000, 2, 29, true},
                                  {2011, 13, 1, false},
                                  {2011, 1, 0, false}}) {
        EXPECT_EQ(IsValidDate(y, m, d), valid) << y << "/" << m << "/" << d;
    }
    const std::pair<LogDate, std::u16string> steps[] = {{{2011, 3, 1}, u"20110228"},
                                                        {{2012, 3, 1}, u"20120229"},
                                                        {{2012, 1, 1}, u"20111231"},
                                                        {{987, 5, 1}, u"09870430"}};
    for (auto [from, to] : steps) {
        EXPECT_TRUE(StepBackOneDay(from));
        EXPECT_EQ(LogValueName(from), to);
    }
    LogDate bad{2011, 2, 30};
    EXPECT_FALSE(StepBackOneDay(bad));
}

TEST(LogNames, NumbersAreReadLikeTheRuntimesAtoiAndThoseThatAreNoDatesArePrunedFirst) {
    for (auto [name, number] : {std::pair{u"abc", 0},
                                {u"  \t42x", 42},
                                {u"- 5", 0},
                                {u"99999999999", INT32_MAX},
                                {u"-99999999999", INT32_MIN}}) {
        EXPECT_EQ(LogNameNumber(name), number);
    }
    const std::vector<std::u16string> names = {u"20120102", u"abc", u"20120101", u"-3",
                                               u"20111231"};
    std::vector<std::u16string> gone;
    for (size_t i : ChooseLogNamesToPrune(names, 2)) {
        gone.push_back(names[i]);
    }
    EXPECT_EQ(gone, (std::vector<std::u16string>{u"-3", u"abc", u"20111231"}));
}

TEST(LogSummary, DaysNewestFirstWithTheirTotalAndAverage) {
    EXPECT_EQ(Summary({2012, 3, 2}, 3, {{u"20120302", 3725}, {u"20120229", 100}}),
              (std::vector<std::u16string>{u"過去3日間の合計閲覧時間です。", u"",
                                           u"2012/ 3/ 2 …  1:02:05", u"2012/ 3/ 1 …  0:00:00",
                                           u"2012/ 2/29 …  0:01:40", u"", u"3日間の合計 …  1:03:45",
                                           u"3日間の平均 …  0:21:15"}));
}

TEST(LogSummary, HugeTotalsInvalidStartsAndDayCountsOutsideTheRange) {
    auto lines = Summary({2011, 7, 5}, 7, {{u"20110705", 360000}, {u"20110704", 4294967295u}});
    EXPECT_EQ(lines[lines.size() - 2], u"7日間の合計 … 1193046:28:15");  // saturated
    EXPECT_EQ(lines.back(), u"7日間の平均 … 170449:29:45");              // exact past 32 bits
    lines = Summary({2011, 2, 30}, 7, {{u"20110230", 60}});
    EXPECT_EQ(lines[3], u"2011/ 2/30 … 内部矛盾");
    EXPECT_EQ(Summary({2011, 7, 5}, -5, {}).back(), u"1日間の平均 …  0:00:00");
    EXPECT_EQ(Summary({2011, 7, 5}, INT32_MAX, {}).size(), kLogSummaryMaxDays + 5u);
}

}  // namespace
