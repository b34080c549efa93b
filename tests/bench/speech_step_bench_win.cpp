// A speech step comes every 17 ms while the character speaks: a step that types text should
// cost about what putting the picture on the layered window costs by itself.
// Prints: BENCH <name> <value> <unit> goal <op> <goal>, then details.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "common/handles_win.h"
#include "tests/win/character_fixture_win.h"

#include "tests/bench/alternating_best.h"

int main() {
    character_test::UnmanagedWindowsUnderWine(L"speech_step_bench_win.exe");
    character_test::Harness h;
    if (!h.Create()) {
        std::printf("BENCH speech_step_vs_update 0 ratio goal <= 1.5\n  windows not created\n");
        return 0;
    }
    h.Say(u"今日もたくさん読みましたね。少し休憩しましょう。", IDT_ELAPSED, 0);
    h.StepTo(h.speech.SpeechLength - 40);  // typing, on an even step
    const uint32_t typing = h.speech.SpeechStep;
    h.rec.Clear();
    h.windows->SetObserver(nullptr);

    // One figure at the layout in use: a typing step against its floor, one
    // UpdateLayeredWindow of a picture of the set at that size, already selected, on the same
    // window at the same place. (Another picture than the shown one: a bitmap can be selected
    // into one context only.)
    auto measure = [&](const char* name, const char* timeName) {
        HWND main = h.windows->MainWindow();
        RECT r{};
        GetWindowRect(main, &r);
        const CharacterLayout& layout = h.windows->Layout();
        WindowDc screen(nullptr);
        UniqueHdc memory(CreateCompatibleDC(screen.get()));
        SelectScope select(memory.get(), h.windows->Pictures().Get({PictureRole::Yawn, 0}));
        auto bare = [&] {
            POINT dst{r.left, r.top};
            SIZE size{layout.width, layout.height};
            POINT src{0, 0};
            BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
            UpdateLayeredWindow(main, screen.get(), &dst, &size, memory.get(), &src, 0, &blend,
                                ULW_ALPHA);
        };
        auto step = [&] {
            h.speech.SpeechStep = typing;
            h.windows->PresentFrame(nullptr, 255);
            WindowDc dc(h.windows->BalloonWindow());
            h.windows->DrawBalloonText(dc.get(), false);
        };
        auto tick = [&] {
            h.speech.SpeechStep = typing;
            h.windows->SpeechTick(h.speech.ActiveSpeechTimer);
        };
        const auto [stepUs, bareUs] = BestMicroseconds(20, 50, step, bare);
        const auto [tickUs, bare2Us] = BestMicroseconds(20, 50, tick, bare);
        std::printf("BENCH %s %.2f ratio goal <= 1.5\n", name, stepUs / bareUs);
        std::printf("BENCH %s %.3f ms goal <= 1\n", timeName, stepUs / 1000);
        std::printf(
            "  at %d DPI (%dx%d): PresentFrame(255) + DrawBalloonText %.0f us, bare "
            "UpdateLayeredWindow %.0f us\n",
            layout.dpi, layout.width, layout.height, stepUs, bareUs);
        std::printf("  whole SpeechTick (with SetWindowPos) %.0f us, bare %.0f us, ratio %.2f\n",
                    tickUs, bare2Us, tickUs / bare2Us);
    };
    measure("speech_step_vs_update", "speech_step_time");
    // The same on a monitor at 200 %: the windows, the pictures and the font at twice the size.
    RECT r{};
    GetWindowRect(h.windows->MainWindow(), &r);
    h.windows->OnDpiChanged(192, r);
    measure("speech_step_vs_update_200pct", "speech_step_time_200pct");
    return 0;
}
