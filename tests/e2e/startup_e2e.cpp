// Start-up and the end of the program, as the user sees them.
#include <gtest/gtest.h>

#include "tests/e2e/desk_win.h"

namespace {

using namespace e2e;

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

class Startup : public ::testing::Test {
  protected:
    void SetUp() override { DeleteProgramKey(); }
    void TearDown() override { DeleteProgramKey(); }
};

TEST_F(Startup, FirstStartGreetsOnTheWorkAreaBottomAtTheLeftEdge) {
    Program program;
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    const RECT work = WorkArea();
    // The very first start has position 0, 0; the greeting's first step sets it down.
    ASSERT_TRUE(WaitUntil([&] { return WindowRect(main).bottom == work.bottom; }, 10s));
    EXPECT_EQ(WindowRect(main).left, 0);
    EXPECT_TRUE(IsWindowVisible(main));
    Sleep(1500);  // the greeting is typed
    auto shot = TakeScreenshot(L"greeting");
    ASSERT_TRUE(shot.has_value());
    const RECT r = WindowRect(main);
    // The balloon is white inside, the character stands on the right, text is in the balloon.
    EXPECT_EQ(shot->At(r.left + 150, r.top + 220), 0xFFFFFFu);
    int figure = 0, ink = 0;
    for (int y = r.top + 40; y < r.bottom; y += 3) {
        for (int x = r.left + 250; x < r.right; x += 3) {
            figure += shot->At(x, y) != shot->At(r.right + 20 < shot->width ? r.right + 20 : 0, y);
        }
    }
    for (int y = r.top + 60; y < r.top + 90; ++y) {
        for (int x = r.left + 28; x < r.left + 209; ++x) {
            ink += (shot->At(x, y) & 0xFF) < 0x60;
        }
    }
    EXPECT_GT(figure, 500) << "the character";
    EXPECT_GT(ink, 20) << "the greeting's text";

    LogOff(program);
    ASSERT_TRUE(program.WaitForExit(10s));
    EXPECT_EQ(ReadNumber(L"", L"WindowLeft"), 0u);
    EXPECT_EQ(ReadNumber(L"", L"WindowTop"), static_cast<uint32_t>(work.bottom - 350));
    EXPECT_EQ(ReadNumber(L"Log", L"20261206"), 0u);
}

TEST_F(Startup, APositionOffEveryMonitorTakesTheDefaultCornerAndKeepsIt) {
    WriteNumber(L"", L"WindowLeft", static_cast<uint32_t>(-5000));
    WriteNumber(L"", L"WindowTop", static_cast<uint32_t>(-5000));
    Program program;
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    const RECT work = WorkArea();
    const RECT r = WindowRect(main);
    EXPECT_EQ(r.left, work.right - 420);
    EXPECT_EQ(r.top, work.bottom - 350);
    LogOff(program);
    ASSERT_TRUE(program.WaitForExit(10s));
    EXPECT_EQ(ReadNumber(L"", L"WindowLeft"), static_cast<uint32_t>(work.right - 420));
    EXPECT_EQ(ReadNumber(L"", L"WindowTop"), static_cast<uint32_t>(work.bottom - 350));
}

}  // namespace
