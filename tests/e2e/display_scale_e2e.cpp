// The program at the display scale its Wine prefix was made with (LogPixels: 96 in the shared
// prefix, 144 and 192 in prefixes of their own; YMT_EXPECT_DPI says which): the window at that
// scale, text drawn sharp at it, the hit test and the command list at the scaled places, and the
// stored position in the coordinates a program without DPI awareness sees.
#include <cstdlib>

#include "tests/e2e/desk_test.h"

namespace {

using namespace e2e;
using DisplayScale = Desk;

TEST_F(DisplayScale, TheCharacterIsSharpAndInPlaceAtTheScaleInUse) {
    const char* expected = std::getenv("YMT_EXPECT_DPI");
    const int dpi = expected != nullptr ? std::atoi(expected) : 96;
    ASSERT_EQ(static_cast<int>(GetDpiForSystem()), dpi) << "the prefix's LogPixels";
    auto scale = [dpi](int value) { return MulDiv(value, dpi, 96); };
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // Where the program stored the window before it knew display scales: an upgrade shows it at the
    // same place on the screen.
    WriteNumber(L"", L"WindowLeft", 100);
    WriteNumber(L"", L"WindowTop", 200);
    Program program;
    ASSERT_TRUE(program.Up(false));
    HWND main = program.Main();
    ASSERT_TRUE(WaitUntil([&] { return WindowRect(main).bottom == work.bottom; }, 10s));
    RECT r = WindowRect(main);
    EXPECT_EQ(r.left, scale(100));
    EXPECT_EQ(r.right - r.left, scale(420));
    EXPECT_EQ(r.bottom - r.top, scale(350));

    // The greeting's text: strokes of full contrast at a scaled height, never a stretched
    // (grey-edged) bitmap.
    std::optional<Screenshot> shot;
    int ink = 0, ramp = 0, firstInkRow = -1, inkRows = 0;
    WaitUntil(  // the greeting is typed out over a second or two
        [&] {
            shot = TakeScreenshot();
            ink = ramp = inkRows = 0;
            firstInkRow = -1;
            for (int y = r.top + scale(60); shot && y < r.top + scale(237); ++y) {
                bool rowInk = false;
                for (int x = r.left + scale(28); x < r.left + scale(209); ++x) {
                    const uint32_t p = shot->At(x, y);
                    rowInk = rowInk || p == 0;
                    ink += p == 0;
                    ramp += (p & 0xFF) > 0x20 && (p & 0xFF) < 0xE0;
                }
                firstInkRow = rowInk && firstInkRow < 0 ? y : firstInkRow;
                inkRows += rowInk && firstInkRow >= 0 && inkRows == y - firstInkRow;  // line 1
            }
            return ink > scale(scale(60));
        },
        10s);
    ASSERT_TRUE(shot.has_value());
    EXPECT_GT(ink, scale(scale(60))) << "the greeting's text";
    EXPECT_EQ(ramp, 0) << "text drawn at the window's DPI has no blended edges";
    EXPECT_GE(inkRows, scale(9)) << "the font's height follows the scale";

    // The hit test at the scaled boundary between the balloon and the character.
    auto hit = [&](int clientX) {
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(main, WM_NCHITTEST, 0, MAKELPARAM(r.left + clientX, r.top + scale(100)),
                            SMTO_ABORTIFHUNG, 2000, &answer);
        return answer;
    };
    EXPECT_EQ(hit(scale(256) - 1), static_cast<DWORD_PTR>(HTCLIENT));
    EXPECT_EQ(hit(scale(256)), static_cast<DWORD_PTR>(HTCAPTION));
    program.Click(100, 150);  // on the balloon: the greeting fades out
    ASSERT_TRUE(program.Shown(false, 10s));

    // The command list: its items at their scaled places, in sharp dark blue.
    ASSERT_TRUE(program.OpenCommandList());
    shot = TakeScreenshot();
    ASSERT_TRUE(shot.has_value());
    int blue = 0, blended = 0;
    for (int y = r.top + scale(85); y < r.top + scale(240); ++y) {
        for (int x = r.left + scale(33); x < r.left + scale(209); ++x) {
            const uint32_t p = shot->At(x, y);
            const int red = static_cast<int>(p >> 16), b = static_cast<int>(p & 0xFF);
            blue += p == 0x0000AAu;
            blended += red > 0x10 && red < 0xE0 && b > red && p != 0x66FFFFu;
        }
    }
    EXPECT_GT(blue, scale(scale(200)));
    EXPECT_EQ(blended, 0) << "the items' strokes are one colour";
    program.Choose(kCancel, dpi);
    ASSERT_TRUE(program.Shown(false, 5s)) << "the list fades after a choice";

    // Moved as a drag leaves it: the position stored is the one a program without DPI awareness
    // sees, rounded as the system rounds.
    SetWindowPos(main, nullptr, 301, work.bottom - scale(350), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const DPI_AWARENESS_CONTEXT previous =
        SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_UNAWARE);
    const RECT unaware = WindowRect(main);
    SetThreadDpiAwarenessContext(previous);
    EXPECT_EQ(unaware.left, MulDiv(301, 96, dpi));
    ASSERT_EQ(program.LogOff(), "");
    EXPECT_EQ(ReadNumber(L"", L"WindowLeft"), static_cast<uint32_t>(unaware.left));
    EXPECT_EQ(ReadNumber(L"", L"WindowTop"), static_cast<uint32_t>(unaware.top));
}

}  // namespace
