// The character's windows on the display: what only real windows and their messages show.
// The step arithmetic itself (alpha, text, frames) is the unit tests'.
#include <windows.h>

#include <gtest/gtest.h>

#include "character/talk_tables.h"
#include "character_fixture_win.h"

namespace {

using character_test::Harness;
using character_test::soundCalls;
using Calls = std::vector<std::pair<char, uint32_t>>;

RECT WorkArea() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// A monitor that gives no work area, and no SPI_GETWORKAREA either: the first step places
// the window on the primary monitor's work area, never on a rectangle left unfilled.
TEST(CharacterWindows, AWorkAreaThatCannotBeReadFallsBackToThePrimaryMonitor) {
    Harness h;
    ASSERT_TRUE(h.Create());
    h.windows->Monitors().getMonitorInfo = [](HMONITOR, LPMONITORINFO) -> BOOL { return FALSE; };
    h.windows->Monitors().systemParametersInfo = [](UINT, UINT, PVOID, UINT) -> BOOL {
        return FALSE;
    };
    SetWindowPos(h.windows->MainWindow(), nullptr, 100, 40, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    h.Say(u"テスト", IDT_ELAPSED, 0);
    h.Step();
    MONITORINFO primary{};
    primary.cbSize = sizeof primary;
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary);
    const RECT r = WindowRect(h.windows->MainWindow());
    EXPECT_EQ(r.left, primary.rcWork.right - 420);
    EXPECT_EQ(r.bottom, primary.rcWork.bottom);
}

TEST(SpeechRun, TheVoiceStartsOnceOnTheFirstSpeakingStepAndTheEndIsReported) {
    for (uint32_t kind : {uint32_t{IDT_TALK}, uint32_t{IDT_FINISHNOTICE}}) {
        Harness h;
        ASSERT_TRUE(h.Create());
        h.timers.calls.clear();
        h.Say(u"おはよう！！♪", kind, 190);
        h.RunToEnd();
        EXPECT_EQ(h.rec.voices, (std::vector<std::pair<uint32_t, uint32_t>>{{30, 190}}));
        ASSERT_EQ(soundCalls.size(), 2u);
        EXPECT_EQ(soundCalls[0], nullptr);
        EXPECT_NE(soundCalls[1], nullptr);
        EXPECT_EQ(h.ended, std::vector<uint32_t>{kind});
        EXPECT_FALSE(IsWindowVisible(h.windows->MainWindow()));
        EXPECT_EQ(h.timers.calls.front(), (Calls::value_type{'+', kind}));
        EXPECT_EQ(h.timers.calls.back(), (Calls::value_type{'-', kind}));
    }
}

TEST(QuickMenu, TheListWaitsWithoutATimerAndCancelFadesOut) {
    Harness h;
    ASSERT_TRUE(h.Create());
    h.Say(kClickLineText, IDT_QUICKMENU, kClickLineVoice);
    h.timers.calls.clear();
    uint32_t steps = 0;
    for (; !h.windows->QuickMenuWaiting() && steps < 400; ++steps) {
        h.Step();
    }
    EXPECT_EQ(steps, 45u);  // whole at step 44, which also draws the list
    EXPECT_EQ(h.timers.calls, (Calls{{'-', IDT_QUICKMENU}}));
    const QuickChoiceItem& cancel = h.windows->QuickChoices()[13];
    const POINT onCancel{(cancel.left + cancel.right) / 2, (cancel.top + cancel.bottom) / 2};
    h.windows->OnButtonDown(onCancel, false);  // a right press does nothing
    EXPECT_TRUE(h.windows->QuickMenuWaiting());
    h.windows->OnButtonDown(onCancel, true);
    EXPECT_EQ(h.commands, std::vector<uint32_t>{3});
    EXPECT_FALSE(h.windows->QuickMenuWaiting());
    h.rec.Clear();
    h.RunToEnd();
    EXPECT_EQ(h.rec.frames.size(), 29u);  // the fade-out
}

TEST(QuickMenu, ASkipShowsTheListAtTheNextStep) {
    Harness h;
    ASSERT_TRUE(h.Create());
    h.Say(kClickLineText, IDT_QUICKMENU, kClickLineVoice);
    h.Step();
    h.windows->OnButtonDown({5, 5}, true);
    h.Step();
    EXPECT_TRUE(h.windows->QuickMenuWaiting());
    EXPECT_EQ(h.rec.choiceDraws, 1);
}

TEST(Dragging, KeepsTheWholeWindowOnTheWorkAreaAndCarriesTheBalloon) {
    Harness h;
    ASSERT_TRUE(h.Create());
    const RECT work = WorkArea();
    RECT proposed{300, 10, 720, 360};
    h.windows->OnMoving(proposed);
    EXPECT_EQ(proposed.bottom, work.bottom);
    EXPECT_EQ(proposed.top, work.bottom - 350);
    EXPECT_EQ(proposed.left, 300);
    HWND main = h.windows->MainWindow();
    SetWindowPos(main, nullptr, 200, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    h.windows->OnMoved();
    const RECT b = WindowRect(h.windows->BalloonWindow());
    EXPECT_EQ(b.left, 200);
    EXPECT_EQ(b.top, 300);
}

}  // namespace
