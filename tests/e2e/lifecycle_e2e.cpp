// The program's life as the desktop around it sees it: the first start, close requests and
// log-off, one copy per user, missing plug-ins and a restarted taskbar.
#include <windows.h>

#include <shellapi.h>

#include "tests/e2e/desk_test.h"

namespace {

using namespace e2e;
using Lifecycle = Desk;

TEST_F(Lifecycle, TheFirstStartGreetsBottomLeftIgnoresCloseAndLogOffKeepsTheDay) {
    RunningProgram program({}, false);
    ASSERT_TRUE(program.Up());
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // The very first start has position 0, 0; the greeting's first step sets it down.
    ASSERT_TRUE(WaitUntil([&] { return WindowRect(program.Main()).bottom == work.bottom; }, 10s));
    EXPECT_EQ(WindowRect(program.Main()).left, 0);
    EXPECT_TRUE(WaitForShown(program, true, 10s)) << "the greeting";
    PostMessageW(program.Main(), WM_CLOSE, 0, 0);
    Sleep(1500);
    EXPECT_TRUE(program.Running()) << "a close request is ignored";
    ASSERT_EQ(program.LogOffAndWait(), "");
    EXPECT_EQ(ReadNumber(L"", L"WindowLeft"), 0u);
    EXPECT_EQ(ReadNumber(L"", L"WindowTop"), static_cast<uint32_t>(work.bottom - 350));
    EXPECT_EQ(ReadNumber(L"Log", L"20261206"), 0u);
}

TEST_F(Lifecycle, ASecondStartOffersToEndTheFirstAndNeverStartsItself) {
    RunningProgram program({}, false);
    ASSERT_TRUE(program.Up());
    for (const int answer : {IDNO, IDYES}) {
        program.StartAnotherCopy("2026-12-06 10:00:30");
        HWND ask = WaitForMessageBox(L"ヨミトキは、すでに起動しています。", 20s);
        ASSERT_NE(ask, nullptr);
        PressButton(ask, answer);
        ASSERT_TRUE(WaitForGone(ask));
        Sleep(1000);
        EXPECT_TRUE(program.Running() || answer == IDYES) << "No leaves it running";
    }
    EXPECT_TRUE(program.WaitForExit(10s)) << "Yes ends the first copy";
    EXPECT_TRUE(ReadNumber(L"", L"WindowLeft").has_value()) << "which saved on its way out";
    Sleep(1500);
    EXPECT_EQ(FindWindowW(L"ytm_tan_ee", nullptr), nullptr) << "the second did not start";
}

TEST_F(Lifecycle, AMissingPlugInShowsItsBoxAndTheProgramEndsAfterOk) {
    for (const auto& [file, message] :
         {std::pair{L"ymtvoice.dll", L"音声DLLのアタッチに失敗しました。"},
          std::pair{L"ymthinata.dll", L"エディション指定DLLのアタッチに失敗しました。"}}) {
        Launch launch;
        launch.leaveOut = {file};
        Program program(launch);
        HWND box = WaitForMessageBox(message, 20s);
        ASSERT_NE(box, nullptr) << file;
        program.Adopt(box);
        EXPECT_EQ(program.MainWindow(), nullptr);
        PressButton(box, IDOK);
        EXPECT_TRUE(program.WaitForExit(10s)) << file;
    }
}

TEST_F(Lifecycle, TheTrayIconComesBackWithANewTaskbarUnlessTurnedOff) {
    for (const bool turnedOff : {false, true}) {
        if (turnedOff)
            WriteNumber(L"", L"NoTaskbarIcon", 1);
        UiThread ui;
        TrayRecorder tray(ui);
        RunningProgram program({}, false);
        ASSERT_TRUE(program.Up());
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(program.Main(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0,
                            SMTO_ABORTIFHUNG, 5000, &ignored);
        ASSERT_EQ(program.LogOffAndWait(), "");
        EXPECT_EQ(tray.Calls(NIM_ADD).size(), turnedOff ? 0u : 2u) << turnedOff;
        EXPECT_EQ(tray.Calls(NIM_DELETE).size(), 1u) << "gone at the end";
    }
    EXPECT_EQ(ReadNumber(L"", L"NoTaskbarIcon"), 1u) << "never written, kept as it was";
}

}  // namespace
