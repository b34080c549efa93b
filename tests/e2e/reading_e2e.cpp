// Reading Wikipedia in a browser as the program counts it: the sibling's status texts, the tray,
// the ranking and the day's log, each minute and across midnight.
#include <windows.h>

#include <shellapi.h>

#include "tests/e2e/desk_test.h"

namespace {

using namespace e2e;

class Reading : public Desk {
  protected:
    UiThread ui;
    Recorder sibling{ui, L"kasoruzoe"};
};

TEST_F(Reading, AnArticleInABrowserIsCountedShownInTheTrayAndRanked) {
    WriteNumber(L"", L"HistryEnabled", 1);
    Recorder tray(ui, L"Shell_TrayWnd");
    Program program;
    ASSERT_TRUE(program.Up());
    HWND bar = OpenBrowser(ui, kArticleAddress);
    ASSERT_TRUE(WaitUntil([&] { return sibling.Seconds(u"連続[") >= 3; }, 15s));

    // The article goes: the stretch ends five ticks later, and the notice is spoken.
    Navigate(ui, bar, L"about:blank");
    ASSERT_TRUE(WaitUntil([&] { return sibling.Texts().back().empty(); }, 10s));
    EXPECT_TRUE(program.Shown(true, 3s)) << "the end-of-reading notice";
    ASSERT_EQ(program.LogOff(), "");
    EXPECT_GE(ReadNumber(L"Rank", L"猫").value_or(0), 3u);
    EXPECT_GE(ReadNumber(L"Log", L"20261206").value_or(0), 3u);

    // The tip changes each counted second, the icon only with the first count (reading) and at the
    // end of the stretch (idle again).
    const auto modified = tray.TrayCalls(NIM_MODIFY);
    ASSERT_GE(modified.size(), 4u);
    EXPECT_EQ(modified.front().first, static_cast<UINT>(NIF_ICON | NIF_TIP));
    EXPECT_EQ(modified.back().first, static_cast<UINT>(NIF_ICON | NIF_TIP));
    EXPECT_NE(modified.back().second.find(u"監視中"), std::u16string::npos);
    for (std::size_t i = 1; i + 1 < modified.size(); ++i) {
        EXPECT_EQ(modified[i].first, static_cast<UINT>(NIF_TIP)) << i;
        EXPECT_NE(modified[i].second, modified[i - 1].second) << i;
    }
}

// The day's total reaches the log at each whole minute (a program killed then loses at most a
// minute); midnight closes the day, the chime follows and the new day counts from 0. The user
// turned the tray icon off: none shows, not even for a new taskbar.
TEST_F(Reading, TheDaysTotalIsLoggedEachMinuteAndMidnightClosesTheDay) {
    WriteNumber(L"", L"NotifyHour", 1);
    WriteNumber(L"", L"NoTaskbarIcon", 1);
    Recorder tray(ui, L"Shell_TrayWnd");
    WriteNumber(L"Log", L"20261206", 55);
    Launch launch;
    launch.fakeTime = "2026-12-06 23:59:35";
    Program program(launch);
    ASSERT_TRUE(program.Up());
    program.RestartTaskbar();
    OpenBrowser(ui, kArticleAddress);
    ASSERT_TRUE(WaitUntil([&] { return sibling.Seconds(u"本日[") >= 62; }, 20s));
    EXPECT_EQ(ReadNumber(L"Log", L"20261206"), 60u);
    // After midnight the day's total starts again while the stretch goes on.
    ASSERT_TRUE(
        WaitUntil([&] { return sibling.Seconds(u"本日[") < sibling.Seconds(u"連続["); }, 30s));
    EXPECT_TRUE(program.Shown(true, 3s)) << "the chime";
    const uint32_t oldDay = ReadNumber(L"Log", L"20261206").value_or(0);
    EXPECT_GT(oldDay, 62u);
    EXPECT_LT(oldDay, 90u);
    ASSERT_EQ(program.LogOff(), "");
    EXPECT_LT(ReadNumber(L"Log", L"20261207").value_or(99), 15u);
    EXPECT_TRUE(tray.TrayCalls(NIM_ADD).empty() && tray.TrayCalls(NIM_MODIFY).empty());
}

}  // namespace
