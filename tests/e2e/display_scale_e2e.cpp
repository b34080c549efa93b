// The program at the display scale its Wine prefix was made with (LogPixels: 96 in the shared
// prefix, 144 and 192 in prefixes of their own; YMT_EXPECT_DPI says which): the windows at
// that scale, the text drawn sharp at it, the character's outline as sharp as its drawing,
// the hit test and the command list at the scaled places, and the stored position in the
// coordinates a program without DPI awareness sees.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "common/resource_win.h"
#include "common/scramble.h"
#include "tests/e2e/desk_win.h"
#include "tests/support/pictures_reference.h"

namespace {

using namespace e2e;

constexpr COLORREF kBackdrop = RGB(0, 96, 192);

int ExpectedDpi() {
    const char* dpi = std::getenv("YMT_EXPECT_DPI");
    return dpi != nullptr ? std::atoi(dpi) : 96;
}

// A 96-DPI length at dpi, rounded as the system rounds.
int Scale(int value, int dpi) {
    return MulDiv(value, dpi, 96);
}

RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

// The rectangle a program without DPI awareness sees for the window.
RECT UnawareRect(HWND window) {
    const DPI_AWARENESS_CONTEXT previous =
        SetThreadDpiAwarenessContext(DPI_AWARENESS_CONTEXT_UNAWARE);
    const RECT r = WindowRect(window);
    SetThreadDpiAwarenessContext(previous);
    return r;
}

// A screen-filling window of one colour behind the character, so that its per-pixel alpha
// blends with something known.
class Backdrop {
  public:
    explicit Backdrop(UiThread& ui) : m_ui(ui) {
        m_ui.Call([this] {
            WNDCLASSEXW wc{};
            wc.cbSize = sizeof wc;
            wc.lpfnWndProc = DefWindowProcW;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.hbrBackground = CreateSolidBrush(kBackdrop);
            wc.lpszClassName = L"ymt_e2e_backdrop";
            RegisterClassExW(&wc);
            m_window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, wc.lpszClassName, L"",
                                       WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                       GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                       wc.hInstance, nullptr);
            ShowWindow(m_window, SW_SHOWNA);
            UpdateWindow(m_window);
        });
    }
    ~Backdrop() {
        m_ui.Call([this] { DestroyWindow(m_window); });
    }
    Backdrop(const Backdrop&) = delete;
    Backdrop& operator=(const Backdrop&) = delete;

  private:
    UiThread& m_ui;
    HWND m_window = nullptr;
};

// The click pose (148) as the window must show it at dpi: drawn at twice the size (1:1 at
// 96 DPI), scaled in exact arithmetic to the pose's columns of the window, over the backdrop.
struct ExpectedPose {
    int left = 0;  // the pose's first column in the window
    PixelImage pixels;
};

ExpectedPose ClickPoseAt(int dpi) {
    const std::wstring dll = L"ymthinata.dll";
    HMODULE edition = LoadLibraryExW(dll.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const bool doubled = dpi > 96;
    const ResourceBytes r = FindNamedTypeResource(edition, doubled ? 1148 : 148);
    PixelImage drawn;
    DecodeScrambledPicture(r.data, r.size, ScrambleKey, doubled ? 350 : 175, doubled ? 700 : 350,
                           drawn);
    FreeLibrary(edition);
    ExpectedPose pose;
    pose.left = Scale(245, dpi);
    pose.pixels = ScaleReference(drawn, Scale(420, dpi) - pose.left, Scale(350, dpi));
    return pose;
}

// Channel c (16 red, 8 green, 0 blue) of a premultiplied pixel put over the backdrop.
int Over(uint32_t pixel, int c) {
    const int alpha = static_cast<int>(pixel >> 24);
    const int backdrop = static_cast<int>(kBackdrop >> (16 - c) & 0xFF);  // COLORREF is BGR
    return static_cast<int>(pixel >> c & 0xFF) + (255 - alpha) * backdrop / 255;
}

struct PoseMatch {
    int edgePixels = 0;  // partly transparent pixels of the drawing: its outline
    int edgeMisses = 0;
    int misses = 0;
};

// Compares the pose's part of the window on the screen with the drawing, pixel by pixel.
PoseMatch MatchPose(const Screenshot& shot, const RECT& window, const ExpectedPose& pose) {
    PoseMatch m;
    for (int y = 0; y < pose.pixels.height; ++y) {
        for (int x = 0; x < pose.pixels.width; ++x) {
            const uint32_t expected = pose.pixels.At(x, pose.pixels.height - 1 - y);
            const uint32_t seen = shot.At(window.left + pose.left + x, window.top + y);
            bool miss = false;
            for (int c : {16, 8, 0}) {
                miss = miss || std::abs(static_cast<int>(seen >> c & 0xFF) - Over(expected, c)) > 4;
            }
            const uint32_t alpha = expected >> 24;
            const bool edge = alpha > 0 && alpha < 255;
            m.edgePixels += edge;
            m.edgeMisses += edge && miss;
            m.misses += miss;
        }
    }
    return m;
}

class DisplayScale : public ::testing::Test {
  protected:
    void SetUp() override { DeleteProgramKey(); }
    void TearDown() override { DeleteProgramKey(); }
};

TEST_F(DisplayScale, GreetingAndCommandListAreSharpAtTheScaleInUse) {
    const int dpi = ExpectedDpi();
    ASSERT_EQ(static_cast<int>(GetDpiForSystem()), dpi) << "the prefix's LogPixels";
    const std::wstring name = L"scale-" + std::to_wstring(dpi * 100 / 96);
    const int width = Scale(420, dpi);
    const int height = Scale(350, dpi);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);

    UiThread ui;
    Backdrop backdrop(ui);
    // Where the program stored the window before it knew display scales: an upgrade shows it
    // at the same place on the screen.
    WriteNumber(L"", L"WindowLeft", 100);
    WriteNumber(L"", L"WindowTop", 200);
    Program program;
    HWND main = program.WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitUntil([&] { return WindowRect(main).bottom == work.bottom; }, 10s));
    RECT r = WindowRect(main);
    EXPECT_EQ(r.left, Scale(100, dpi));
    EXPECT_EQ(r.right - r.left, width);
    EXPECT_EQ(r.bottom - r.top, height);

    // The greeting's text: strokes of full contrast at a scaled height, never a stretched
    // (grey-edged) bitmap.
    Sleep(1500);
    auto shot = TakeScreenshot(name + L"-greeting");
    ASSERT_TRUE(shot.has_value());
    int ink = 0, ramp = 0, firstInkRow = -1, inkRows = 0;
    for (int y = r.top + Scale(60, dpi); y < r.top + Scale(237, dpi); ++y) {
        bool rowInk = false;
        for (int x = r.left + Scale(28, dpi); x < r.left + Scale(209, dpi); ++x) {
            const uint32_t p = shot->At(x, y);
            const int level = static_cast<int>(p & 0xFF);
            if (p == 0) {
                ++ink;
                rowInk = true;
            } else if (level > 0x20 && level < 0xE0) {
                ++ramp;
            }
        }
        if (rowInk && firstInkRow < 0) {
            firstInkRow = y;
        }
        if (firstInkRow >= 0 && inkRows == y - firstInkRow && rowInk) {
            ++inkRows;  // the first line's glyphs, top to bottom
        }
    }
    EXPECT_GT(ink, Scale(Scale(60, dpi), dpi)) << "the greeting's text";
    EXPECT_EQ(ramp, 0) << "text drawn at the window's DPI has no blended edges";
    EXPECT_GE(inkRows, Scale(9, dpi)) << "the font's height follows the scale";

    // The hit test at the scaled boundary between the balloon and the character.
    auto hit = [&](int clientX) {
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(main, WM_NCHITTEST, 0,
                            MAKELPARAM(r.left + clientX, r.top + Scale(100, dpi)), SMTO_ABORTIFHUNG,
                            2000, &answer);
        return answer;
    };
    EXPECT_EQ(hit(Scale(256, dpi) - 1), static_cast<DWORD_PTR>(HTCLIENT));
    EXPECT_EQ(hit(Scale(256, dpi)), static_cast<DWORD_PTR>(HTCAPTION));

    ClickBalloon(program, 100, 150);  // on the balloon: the greeting fades out
    ASSERT_TRUE(WaitForShown(program, false, 10s));

    // The command list: its items at their scaled places, in sharp dark blue, beside the
    // click pose as sharp as its drawing.
    ASSERT_TRUE(OpenCommandList(program));
    shot = TakeScreenshot(name + L"-command-list");
    ASSERT_TRUE(shot.has_value());
    r = WindowRect(main);
    int blue = 0, blended = 0;
    for (int y = r.top + Scale(85, dpi); y < r.top + Scale(240, dpi); ++y) {
        for (int x = r.left + Scale(33, dpi); x < r.left + Scale(209, dpi); ++x) {
            const uint32_t p = shot->At(x, y);
            blue += p == 0x0000AAu;
            const int red = static_cast<int>(p >> 16);
            const int b = static_cast<int>(p & 0xFF);
            blended += red > 0x10 && red < 0xE0 && b > red && p != 0x66FFFFu;
        }
    }
    EXPECT_GT(blue, Scale(Scale(200, dpi), dpi));
    EXPECT_EQ(blended, 0) << "the items' strokes are one colour";
    const PoseMatch pose = MatchPose(*shot, r, ClickPoseAt(dpi));
    EXPECT_GT(pose.edgePixels, Scale(300, dpi));
    EXPECT_LE(pose.edgeMisses * 100, pose.edgePixels) << "the outline matches its drawing";
    EXPECT_LE(pose.misses, pose.edgePixels / 20);
    // キャンセル at its scaled place.
    ClickBalloon(program, Scale(33 + 4, dpi), Scale(226 + 5, dpi));
    ASSERT_TRUE(WaitForShown(program, false, 5s)) << "the list fades after a choice";

    // The dialogs scale by their dialog units; a look at the log viewer at this scale.
    ASSERT_TRUE(OpenCommandList(program));
    ClickBalloon(program, Scale(33 + 4, dpi), Scale(85 + 5, dpi));
    HWND dialog = WaitForTopWindow(L"#32770", L"記事閲覧ログ - ヨミトキ", 10s);
    ASSERT_NE(dialog, nullptr);
    Sleep(300);
    TakeScreenshot(name + L"-log-viewer");
    PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5s));
    ASSERT_TRUE(WaitForShown(program, false, 10s));

    // Moved as a drag leaves it: the position stored is the one a program without DPI
    // awareness sees, rounded as the system rounds.
    SetWindowPos(main, nullptr, 301, work.bottom - height, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    const RECT unaware = UnawareRect(main);
    EXPECT_EQ(unaware.left, MulDiv(301, 96, dpi));
    LogOff(program);
    ASSERT_TRUE(program.WaitForExit(10s));
    EXPECT_EQ(ReadNumber(L"", L"WindowLeft"), static_cast<uint32_t>(unaware.left));
    EXPECT_EQ(ReadNumber(L"", L"WindowTop"), static_cast<uint32_t>(unaware.top));
}

}  // namespace
