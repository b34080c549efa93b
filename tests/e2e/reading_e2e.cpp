// Reading Wikipedia in a browser as the program counts it: the sibling's status texts, the
// tray tip, the ranking and the day's log, across a crash and across midnight.
#include <windows.h>

#include <shellapi.h>

#include "tests/e2e/desk_test.h"

namespace {

using namespace e2e;

class Reading : public Desk {
  protected:
    UiThread ui;
    Sibling sibling{ui};
    Browsers browsers{ui};
};

TEST_F(Reading, AnArticleInABrowserIsCountedShownInTheTrayAndRanked) {
    WriteNumber(L"", L"HistryEnabled", 1);
    TrayRecorder tray(ui);
    RunningProgram program;
    ASSERT_TRUE(program.Up());
    HWND bar = browsers.Open(L"IEFrame", kIeAddressChain, kArticleAddress);
    ASSERT_TRUE(WaitUntil([&] { return sibling.Seconds(u"連続[") >= 3; }, 15s));

    // The article goes: the stretch ends five ticks later, and the notice is spoken.
    browsers.Navigate(bar, L"about:blank");
    ASSERT_TRUE(WaitUntil([&] { return sibling.Last().empty(); }, 10s));
    EXPECT_TRUE(WaitForShown(program, true, 3s)) << "the end-of-reading notice";
    ASSERT_EQ(program.LogOffAndWait(), "");
    EXPECT_GE(ReadNumber(L"Rank", L"猫").value_or(0), 3u);
    EXPECT_GE(ReadNumber(L"Log", L"20261206").value_or(0), 3u);

    // The tip changes each counted second, the icon only with the first count (reading) and
    // at the end of the stretch (idle again).
    const auto modified = tray.Calls(NIM_MODIFY);
    ASSERT_GE(modified.size(), 4u);
    EXPECT_EQ(modified.front().flags, static_cast<UINT>(NIF_ICON | NIF_TIP));
    EXPECT_EQ(modified.back().flags, static_cast<UINT>(NIF_ICON | NIF_TIP));
    EXPECT_NE(modified.back().tip.find(u"監視中"), std::u16string::npos);
    for (std::size_t i = 1; i + 1 < modified.size(); ++i) {
        EXPECT_EQ(modified[i].flags, static_cast<UINT>(NIF_TIP)) << i;
        EXPECT_NE(modified[i].tip, modified[i - 1].tip) << i;
    }
}

TEST_F(Reading, AProgramKilledWhileReadingLosesAtMostAMinute) {
    WriteNumber(L"Log", L"20261206", 55);
    RunningProgram program({}, false);
    ASSERT_TRUE(program.Up());
    browsers.Open(L"IEFrame", kIeAddressChain, kArticleAddress);
    ASSERT_TRUE(WaitUntil([&] { return sibling.Seconds(u"本日[") >= 63; }, 20s));
    program.Kill();  // no save, no farewell
    // The total reached the log when it passed a whole minute.
    EXPECT_EQ(ReadNumber(L"Log", L"20261206"), 60u);
}

TEST_F(Reading, MidnightClosesTheDayAndTheChimeFollows) {
    WriteNumber(L"", L"NotifyHour", 1);
    WriteNumber(L"Log", L"20261206", 100);
    Launch launch;
    launch.fakeTime = "2026-12-06 23:59:52";
    RunningProgram program(launch);
    ASSERT_TRUE(program.Up());
    browsers.Open(L"IEFrame", kIeAddressChain, kArticleAddress);
    // After midnight the day's total starts again while the stretch goes on.
    ASSERT_TRUE(
        WaitUntil([&] { return sibling.Seconds(u"本日[") < sibling.Seconds(u"連続["); }, 20s));
    EXPECT_TRUE(WaitForShown(program, true, 3s)) << "the chime";
    const uint32_t oldDay = ReadNumber(L"Log", L"20261206").value_or(0);
    EXPECT_GT(oldDay, 100u);
    EXPECT_LT(oldDay, 115u);
    ASSERT_EQ(program.LogOffAndWait(), "");
    EXPECT_LT(ReadNumber(L"Log", L"20261207").value_or(99), 15u);
}

}  // namespace
