// The program's life as the desktop around it sees it: one copy per user, missing plug-ins,
// log-off, close requests and a restarted taskbar.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include "tests/e2e/desk_win.h"

namespace {

using namespace e2e;

class Lifecycle : public ::testing::Test {
  protected:
    void SetUp() override { DeleteProgramKey(); }
    void TearDown() override { DeleteProgramKey(); }
};

constexpr wchar_t kAlreadyRunning[] = L"ヨミトキは、すでに起動しています。";

TEST_F(Lifecycle, ASecondStartAnsweredNoLeavesTheFirstRunning) {
    Program program;
    ASSERT_NE(program.WaitForMainWindow(), nullptr);
    UniqueCopy second(StartAnotherCopy(program, "2026-12-06 10:00:30"));
    HWND ask = WaitForMessageBox(kAlreadyRunning, 20s);
    ASSERT_NE(ask, nullptr);
    PressButton(ask, IDNO);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(ask); }, 10s));
    Sleep(1000);
    EXPECT_TRUE(program.Running());
    LogOff(program);
    program.WaitForExit(10s);
}

TEST_F(Lifecycle, ASecondStartAnsweredYesEndsTheFirstAfterItSaved) {
    Program program;
    ASSERT_NE(program.WaitForMainWindow(), nullptr);
    UniqueCopy second(StartAnotherCopy(program, "2026-12-06 10:00:30"));
    HWND ask = WaitForMessageBox(kAlreadyRunning, 20s);
    ASSERT_NE(ask, nullptr);
    PressButton(ask, IDYES);
    EXPECT_TRUE(program.WaitForExit(10s));
    // The first saved on its way out; the second did not go on to start.
    EXPECT_TRUE(ReadNumber(L"", L"WindowLeft").has_value());
    Sleep(1500);
    EXPECT_EQ(FindWindowW(L"ytm_tan_ee", nullptr), nullptr);
}

TEST_F(Lifecycle, AMissingPlugInShowsItsBoxAndNoWindow) {
    const struct {
        const wchar_t* file;
        const wchar_t* message;
    } cases[] = {
        {L"ymtvoice.dll", L"音声DLLのアタッチに失敗しました。"},
        {L"ymthinata.dll", L"エディション指定DLLのアタッチに失敗しました。"},
    };
    for (const auto& c : cases) {
        Launch launch;
        launch.leaveOut = {c.file};
        Program program(launch);
        HWND box = WaitForMessageBox(c.message, 20s);
        ASSERT_NE(box, nullptr) << c.file;
        EXPECT_EQ(FindWindowW(L"ytm_tan_ee", nullptr), nullptr);
        PressButton(box, IDOK);
        EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }, 10s));
    }
}

TEST_F(Lifecycle, LogOffSavesAndEndsWithoutAFarewellAndCloseIsIgnored) {
    Program program;
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(SkipGreeting(program));
    PostMessageW(main, WM_CLOSE, 0, 0);
    Sleep(1500);
    EXPECT_TRUE(program.Running()) << "a close request is ignored";
    const auto start = std::chrono::steady_clock::now();
    LogOff(program);
    ASSERT_TRUE(program.WaitForExit(10s));
    // A farewell would have kept the character on screen for about five seconds.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_TRUE(ReadNumber(L"", L"NotifyFinish").has_value());
    EXPECT_TRUE(ReadNumber(L"Log", L"20261206").has_value());
}

// The notification area's icons are windows of this class under Wine.
int TrayIcons() {
    int count = 0;
    EnumWindows(
        [](HWND top, LPARAM n) -> BOOL {
            EnumChildWindows(
                top,
                [](HWND child, LPARAM n) -> BOOL {
                    wchar_t cls[64] = {};
                    GetClassNameW(child, cls, 64);
                    if (wcscmp(cls, L"__winex11_tray_icon") == 0)
                        ++*reinterpret_cast<int*>(n);
                    return TRUE;
                },
                n);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&count));
    return count;
}

TEST_F(Lifecycle, ARestartedTaskbarGetsTheIconBack) {
    const int before = TrayIcons();
    Program program;
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return TrayIcons() == before + 1; }, 10s));
    // The icon goes, as with a crashed Explorer; the new taskbar announces itself.
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = main;
    data.uID = 5458;
    Shell_NotifyIconW(NIM_DELETE, &data);
    ASSERT_TRUE(WaitUntil([&] { return TrayIcons() == before; }, 10s));
    PostMessageW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return TrayIcons() == before + 1; }, 10s));
    LogOff(program);
    ASSERT_TRUE(program.WaitForExit(10s));
    EXPECT_TRUE(WaitUntil([&] { return TrayIcons() == before; }, 10s)) << "removed at the end";
}

TEST_F(Lifecycle, WithNoTaskbarIconThereIsNoIconEvenAfterATaskbarRestart) {
    WriteNumber(L"", L"NoTaskbarIcon", 1);
    const int before = TrayIcons();
    Program program;
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    PostMessageW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    Sleep(1500);
    EXPECT_EQ(TrayIcons(), before);
    LogOff(program);
    ASSERT_TRUE(program.WaitForExit(10s));
    EXPECT_EQ(ReadNumber(L"", L"NoTaskbarIcon"), 1u) << "never written, kept as it was";
}

}  // namespace
