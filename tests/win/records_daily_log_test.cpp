// The daily log in the registry: pruning and the summary the log viewer shows.
#include "records/daily_log_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "records/settings.h"
#include "tests/win/records_fixture_win.h"

namespace {

using records_test::RecordsTest;
using records_test::Utf16Bytes;

// n day values ending with the given date, newest first in the returned list.
std::vector<std::u16string> FillDays(LogDate last, int n,
                                     void (*set)(const char16_t*, std::u16string_view, uint32_t)) {
    std::vector<std::u16string> names;
    for (int i = 0; i < n; ++i) {
        names.push_back(LogValueName(last));
        set(LogKey, names.back(), static_cast<uint32_t>(i + 1));
        StepBackOneDay(last);
    }
    return names;
}

class DailyLogTest : public RecordsTest {
  protected:
    std::u16string SummaryOf(LogDate today, int days) {
        REGW log;
        EXPECT_TRUE(log.OpenKey(LogKey, OpenReadOnly));
        std::u16string text = LogSummaryTextOf(log, today, days);
        log.CloseKey();
        return text;
    }
};

TEST_F(DailyLogTest, PruneKeepsThreeHundredSixtySixDays) {
    std::vector<std::u16string> names = FillDays({2012, 3, 1}, 366, &RecordsTest::SetDword);
    PruneLog();
    EXPECT_EQ(Names(LogKey).size(), 366u);
    SetDword(LogKey, u"20110301", 1);  // one day older than all
    PruneLog();
    EXPECT_EQ(Names(LogKey).size(), 366u);
    EXPECT_FALSE(Get(LogKey, u"20110301"));
    EXPECT_TRUE(Get(LogKey, names.back()));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(DailyLogTest, PruneRemovesANameThatIsNoDateFirst) {
    FillDays({2012, 3, 1}, 366, &RecordsTest::SetDword);
    SetText(LogKey, u"abc", u"5");
    PruneLog();
    EXPECT_FALSE(Get(LogKey, u"abc"));
    EXPECT_EQ(Names(LogKey).size(), 366u);
}

TEST_F(DailyLogTest, PruneCreatesAMissingLogAndLeavesAnEmptyOneAlone) {
    PruneLog();
    EXPECT_TRUE(KeyExists(LogKey));
    EXPECT_TRUE(Names(LogKey).empty());
}

TEST_F(DailyLogTest, PruneCopesWithEveryTypeAndTheLongestNames) {
    std::vector<std::u16string> days = FillDays({2012, 3, 1}, 366, &RecordsTest::SetDword);
    const std::u16string longest(16383, u'9');  // spells a number past the 32-bit range
    const std::u16string longOld = u"1" + std::u16string(16382, u'x');
    SetDword(LogKey, longest, 1);
    SetDword(LogKey, longOld, 1);
    Set(LogKey, u"00000001", REG_NONE, {});
    Set(LogKey, u"00000002", REG_BINARY, std::vector<uint8_t>(1 << 20, 0xAB));
    SetText(LogKey, u"00000003", u"text");
    Set(LogKey, u" 20000101", REG_DWORD, {1});
    Set(LogKey, u"-5", REG_DWORD, {});
    PruneLog();  // 373 values: the seven smallest numbers go
    EXPECT_EQ(Names(LogKey).size(), 366u);
    EXPECT_TRUE(Get(LogKey, longest));
    for (const std::u16string& gone :
         {longOld, std::u16string(u"00000001"), std::u16string(u"00000002"),
          std::u16string(u"00000003"), std::u16string(u" 20000101"), std::u16string(u"-5"),
          days.back()}) {
        EXPECT_FALSE(Get(LogKey, gone)) << gone.size();
    }
    EXPECT_TRUE(Get(LogKey, days[days.size() - 2]));
}

TEST_F(DailyLogTest, PruneBringsAHundredThousandValuesBackToTheNewestDays) {
    {
        REGW log;
        ASSERT_TRUE(log.OpenKey(LogKey, OpenCreate));
        LogDate d{2026, 12, 6};
        for (int i = 0; i < 100000; ++i, StepBackOneDay(d)) {
            log.WriteIntegerW(LogValueName(d).c_str(), 1);
        }
        log.CloseKey();
    }
    ASSERT_EQ(Names(LogKey).size(), 100000u);
    PruneLog();
    std::vector<std::u16string> names = Names(LogKey);
    ASSERT_EQ(names.size(), 366u);
    EXPECT_TRUE(Get(LogKey, u"20261206"));
    EXPECT_TRUE(Get(LogKey, u"20251206"));  // 365 days back
    EXPECT_FALSE(Get(LogKey, u"20251205"));
}

TEST_F(DailyLogTest, SummaryReadsEachDayByTheIntegerRules) {
    SetDword(LogKey, u"20110705", 3725);
    SetText(LogKey, u"20110704", u"60");
    Set(LogKey, u"20110703", REG_NONE, {1, 2, 3, 4});
    Set(LogKey, u"20110702", REG_DWORD, {0x10});  // one byte
    SetText(LogKey, u"20110701", std::u16string(524288, u'7'));
    std::u16string text = SummaryOf({2011, 7, 5}, 7);
    EXPECT_NE(text.find(u"2011/ 7/ 5 \u2026  1:02:05\r\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"2011/ 7/ 4 \u2026  0:01:00\r\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"2011/ 7/ 3 \u2026  0:00:00\r\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"2011/ 7/ 2 \u2026  0:00:16\r\n"), std::u16string::npos);
    // 2147483647 seconds from the clamped 1 MB text.
    EXPECT_NE(text.find(u"2011/ 7/ 1 \u2026 596523:14:07\r\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"2011/ 6/29 \u2026  0:00:00\r\n\r\n7日間の合計 \u2026 596524:17:28\r\n"),
              std::u16string::npos);
}

TEST_F(DailyLogTest, WeeksAcrossLeapDaysAndNewYearReadTheRightValues) {
    SetDword(LogKey, u"20120229", 1);
    SetDword(LogKey, u"21000228", 2);
    SetDword(LogKey, u"20000229", 3);
    SetDword(LogKey, u"20111231", 4);
    EXPECT_NE(SummaryOf({2012, 3, 2}, 7).find(u"2012/ 2/29 \u2026  0:00:01"), std::u16string::npos);
    EXPECT_NE(SummaryOf({2100, 3, 1}, 7)
                  .find(u"2100/ 3/ 1 \u2026  0:00:00\r\n2100/ 2/28 \u2026  0:00:02"),
              std::u16string::npos);
    EXPECT_NE(SummaryOf({2000, 3, 1}, 7)
                  .find(u"2000/ 3/ 1 \u2026  0:00:00\r\n2000/ 2/29 \u2026  0:00:03"),
              std::u16string::npos);
    EXPECT_NE(SummaryOf({2012, 1, 1}, 7)
                  .find(u"2012/ 1/ 1 \u2026  0:00:00\r\n2011/12/31 \u2026  0:00:04"),
              std::u16string::npos);
}

TEST_F(DailyLogTest, BuildLogSummaryReplacesTheEditText) {
    SetDword(LogKey, u"20110705", 3725);
    HWND edit = CreateWindowExW(0, L"EDIT", L"old", WS_POPUP | ES_MULTILINE, 0, 0, 200, 100,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    REGW log;
    ASSERT_TRUE(log.OpenKey(LogKey, OpenReadOnly));
    BuildLogSummary(log, 365, edit, {2011, 7, 5});
    const std::u16string expected = LogSummaryTextOf(log, {2011, 7, 5}, 365);
    log.CloseKey();
    std::vector<wchar_t> shown(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1);
    GetWindowTextW(edit, shown.data(), static_cast<int>(shown.size()));
    DestroyWindow(edit);
    EXPECT_EQ(AsU16(std::wstring_view(shown.data())), expected);
    EXPECT_EQ(expected.substr(0, 17), u"過去365日間の合計閲覧時間です。");
}

}  // namespace
