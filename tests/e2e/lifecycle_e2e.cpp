// The program's life as the desktop around it sees it: the first start, close requests, one copy
// per user, missing plug-ins and a restarted taskbar.
#include <windows.h>

#include <shellapi.h>

#include "tests/e2e/desk_test.h"

namespace {

using namespace e2e;
using Lifecycle = Desk;

TEST_F(Lifecycle, TheFirstStartSitsBottomLeftAndOnlyASecondCopysYesEndsIt) {
    UiThread ui;
    Recorder tray(ui, L"Shell_TrayWnd");
    Program program;
    ASSERT_TRUE(program.Up(false));
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // The very first start has position 0, 0; the greeting's first step sets it down.
    ASSERT_TRUE(WaitUntil([&] { return WindowRect(program.Main()).bottom == work.bottom; }, 10s));
    EXPECT_EQ(WindowRect(program.Main()).left, 0);
    EXPECT_TRUE(program.Shown(true, 10s)) << "the greeting";
    const HWND main = program.Main();
    program.RestartTaskbar();  // the icon comes back
    PostMessageW(program.Main(), WM_CLOSE, 0, 0);
    for (const int answer : {IDNO, IDYES}) {
        program.StartAnotherCopy("2026-12-06 10:00:30");
        HWND ask = WaitForBox(L"ヨミトキは、すでに起動しています。", 20s);
        ASSERT_NE(ask, nullptr);
        PressButton(ask, answer);
        ASSERT_TRUE(WaitForGone(ask));
        Sleep(1000);
        EXPECT_TRUE(answer == IDYES || (program.Running() && IsWindowVisible(main)))
            << "a close request and No leave it on the screen";
    }
    EXPECT_TRUE(program.WaitForExit(10s)) << "Yes ends the first copy";
    EXPECT_EQ(ReadNumber(L"", L"WindowLeft"), 0u) << "which saved on its way out";
    EXPECT_EQ(ReadNumber(L"", L"WindowTop"), static_cast<uint32_t>(work.bottom - 350));
    EXPECT_EQ(tray.TrayCalls(NIM_ADD).size(), 2u);
    EXPECT_EQ(tray.TrayCalls(NIM_DELETE).size(), 1u) << "and goes at the end";
    Sleep(1500);
    EXPECT_EQ(program.Main(), nullptr) << "the second did not start";
}

TEST_F(Lifecycle, AMissingPlugInShowsItsBoxAndTheProgramEndsAfterOk) {
    for (const auto& [file, message] :
         {std::pair{L"ymtvoice.dll", L"音声DLLのアタッチに失敗しました。"},
          std::pair{L"ymthinata.dll", L"エディション指定DLLのアタッチに失敗しました。"}}) {
        Launch launch;
        launch.prepare = [f = file](const std::wstring& folder) {
            DeleteFileW((folder + L"\\" + f).c_str());
        };
        Program program(launch);
        HWND box = WaitForBox(message, 20s);
        ASSERT_NE(box, nullptr) << file;
        program.Adopt(box);
        EXPECT_EQ(program.Main(), nullptr);
        PressButton(box, IDOK);
        EXPECT_TRUE(program.WaitForExit(10s)) << file;
    }
}

}  // namespace
