// The tray icon: the command list in the balloon, the context menu, and the exit.
#include <gtest/gtest.h>

#include "tests/e2e/desk_win.h"

namespace {

using namespace e2e;

// Where the command list draws its items (left, top in the balloon).
constexpr POINT kHourlyChime{33, 148};
constexpr POINT kVoice{33, 172};
constexpr POINT kExit{124, 208};
constexpr POINT kCancel{33, 226};

class Tray : public ::testing::Test {
  protected:
    void SetUp() override { DeleteProgramKey(); }
    void TearDown() override { DeleteProgramKey(); }
};

TEST_F(Tray, TheCommandListTogglesCancelsAndSaysFarewell) {
    Program program;
    ASSERT_NE(program.WaitForMainWindow(), nullptr);
    ASSERT_TRUE(SkipGreeting(program));

    ASSERT_TRUE(OpenCommandList(program));
    auto shot = TakeScreenshot(L"command-list");
    ASSERT_TRUE(shot.has_value());
    RECT r{};
    GetWindowRect(program.MainWindow(), &r);
    int blue = 0;  // the items are dark blue
    for (int y = r.top + 85; y < r.top + 240; ++y) {
        for (int x = r.left + 33; x < r.left + 209; ++x) {
            blue += shot->At(x, y) == 0x0000AAu;
        }
    }
    EXPECT_GT(blue, 200);
    // A click outside the items leaves the list up.
    ClickBalloon(program, 200, 70);
    Sleep(500);
    EXPECT_TRUE(IsWindowVisible(program.MainWindow()));

    ClickCommand(program, kHourlyChime.x, kHourlyChime.y);  // 時報をONにする
    ASSERT_TRUE(WaitForShown(program, false, 5s)) << "the list fades out after a choice";

    ASSERT_TRUE(OpenCommandList(program));
    ClickCommand(program, kVoice.x, kVoice.y);  // ボイスをOFFにする
    ASSERT_TRUE(WaitForShown(program, false, 5s));

    ASSERT_TRUE(OpenCommandList(program));
    ClickCommand(program, kCancel.x, kCancel.y);
    ASSERT_TRUE(WaitForShown(program, false, 5s));
    EXPECT_TRUE(program.Running());

    ASSERT_TRUE(OpenCommandList(program));
    ClickCommand(program, kExit.x, kExit.y);
    // The farewell is said, then the program ends.
    EXPECT_TRUE(WaitForShown(program, true, 3s));
    ASSERT_TRUE(program.WaitForExit(20s));
    EXPECT_EQ(ReadNumber(L"", L"NotifyHour"), 1u);
    EXPECT_EQ(ReadNumber(L"", L"Voice"), 0u);
    EXPECT_EQ(ReadNumber(L"", L"NotifyFinish"), 1u);
    EXPECT_TRUE(ReadNumber(L"", L"WindowLeft").has_value());
    EXPECT_EQ(ReadNumber(L"Log", L"20261206"), 0u);
    EXPECT_FALSE(ReadNumber(L"", L"NoTaskbarIcon").has_value());
}

TEST_F(Tray, ARightClickShowsTheContextMenuWithMarksFromTheSettings) {
    WriteNumber(L"", L"NotifyTime", 1);
    WriteNumber(L"", L"NotifyFinish", 0);
    Program program;
    ASSERT_NE(program.WaitForMainWindow(), nullptr);
    program.PostTray(WM_RBUTTONUP);  // a speech other than the command list does not block it
    HWND menu = WaitForTopWindow(L"#32768", nullptr, 10s);
    ASSERT_NE(menu, nullptr);
    Sleep(300);
    // The marks, as the user sees them: dark blobs in the menu's check column, one per
    // checked item (NotifyTime and Voice here; NotifyFinish off, no logon shortcut).
    auto shot = TakeScreenshot(L"context-menu");
    ASSERT_TRUE(shot.has_value());
    RECT m{};
    GetWindowRect(menu, &m);
    int marks = 0;
    bool inMark = false;
    for (int y = m.top + 2; y < m.bottom - 2; ++y) {
        bool dark = false;
        for (int x = m.left + 3; x < m.left + 16; ++x) {
            dark = dark || (shot->At(x, y) & 0xFF) < 0x50;
        }
        marks += dark && !inMark;
        inMark = dark;
    }
    EXPECT_EQ(marks, 2);
    HMENU items = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
    if (items != nullptr && GetMenuItemCount(items) > 0) {
        // Menus can be read from another process on Windows; Wine keeps them per process,
        // where this part is skipped.
        EXPECT_EQ(GetMenuItemCount(items), 19);
        EXPECT_TRUE(GetMenuState(items, 32777, MF_BYCOMMAND) & MF_CHECKED);
        EXPECT_FALSE(GetMenuState(items, 32776, MF_BYCOMMAND) & MF_CHECKED);
        EXPECT_TRUE(GetMenuState(items, 32784, MF_BYCOMMAND) & MF_CHECKED);
    }
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(WaitUntil(
        [] {
            return FindWindowW(L"#32768", nullptr) == nullptr ||
                   !IsWindowVisible(FindWindowW(L"#32768", nullptr));
        },
        5s));
    EXPECT_TRUE(program.Running());
    LogOff(program);
    program.WaitForExit(10s);
}

}  // namespace
