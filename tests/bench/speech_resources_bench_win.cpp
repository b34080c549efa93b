// The character speaks all day: a thousand speeches of every shape (lines run to their end,
// lines cut off by the next, the command list with hovering and a choice, lines with a
// voice) must leave the process with the GDI objects, window-manager objects and handles it
// had after the first few.
// Prints: BENCH <name> <value> <unit> goal <op> <goal>, then details.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "character/talk_tables.h"
#include "tests/bench/process_resources_win.h"
#include "tests/win/character_fixture_win.h"

namespace {

using character_test::Harness;

const char16_t* const kLines[] = {
    u"こんにちは。",
    u"今日もたくさん読みましたね。少し休憩しましょう。",
    u"連続で三十分、読んでいますよ。",
    u"午後三時です。",
};

// Lets the windows handle what is queued for them (paints, moves), timers excepted.
void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, WM_TIMER - 1, PM_REMOVE) ||
           PeekMessageW(&msg, nullptr, WM_TIMER + 1, 0xFFFFFFFF, PM_REMOVE)) {
        DispatchMessageW(&msg);
    }
}

// One speech of the given shape, from its start until the character is silent again.
void OneSpeech(Harness& h, int shape) {
    switch (shape) {
        case 0:  // a line clicked while it fades in: shown whole, then faded out
            h.Say(kLines[0], IDT_ELAPSED, 0);
            h.Step();
            h.Step();
            h.windows->OnButtonDown({100, 100}, true);
            h.RunToEnd();
            break;
        case 1:  // a line cut off while it types, by the next speech
            h.Say(kLines[1], IDT_HOURLY, 0);
            h.StepTo(h.speech.SpeechLength - 40);
            break;
        case 2: {  // the command list (a click shows it at once): hover over the items, cancel
            h.Say(kClickLineText, IDT_QUICKMENU, kClickLineVoice);
            h.Step();
            h.windows->OnButtonDown({100, 100}, true);
            for (int i = 0; i < 400 && !h.windows->QuickMenuWaiting(); ++i) {
                h.Step();
            }
            const QuickChoiceList& list = h.windows->QuickChoices();
            for (std::size_t i = 0; i < kQuickChoiceCount; ++i) {
                h.windows->OnMouseMove(
                    {(list[i].left + list[i].right) / 2, (list[i].top + list[i].bottom) / 2});
            }
            const QuickChoiceItem& cancel = list[13];
            h.windows->OnButtonDown(
                {(cancel.left + cancel.right) / 2, (cancel.top + cancel.bottom) / 2}, true);
            h.RunToEnd();
            break;
        }
        default:  // a line with its voice (which starts after the fade-in), then clicked away
            h.Say(kLines[2 + shape % 2], IDT_TALK + 1, 190);
            h.StepTo(h.speech.SpeechLength - 32);
            h.windows->OnButtonDown({100, 100}, true);
            h.RunToEnd();
            break;
    }
    Pump();
}

void Print(const char* name, long before, long after) {
    if (before < 0 || after < 0) {
        std::printf("BENCH %s n/a objects goal <= 0\n", name);
    } else {
        std::printf("BENCH %s %ld objects goal <= 0\n", name, after - before);
    }
}

}  // namespace

int main() {
    character_test::UnmanagedWindowsUnderWine(L"speech_resources_bench_win.exe");
    Harness h;
    if (!h.Create()) {
        std::printf("BENCH speech_gdi_growth_1000 n/a objects goal <= 0\n  windows not created\n");
        return 0;
    }
    h.windows->Voice().playSound = PlaySoundW;  // the real player (silent without a sound card)
    constexpr int kWarmUp = 8;
    constexpr int kSpeeches = 1000;
    for (int i = 0; i < kWarmUp; ++i) {
        OneSpeech(h, i % 4);
    }
    const auto before = process_resources::Count(GetCurrentProcess());
    const DWORD start = GetTickCount();
    for (int i = 0; i < kSpeeches; ++i) {
        OneSpeech(h, i % 4);
    }
    h.RunToEnd();
    Pump();
    const auto after = process_resources::Count(GetCurrentProcess());
    Print("speech_gdi_growth_1000", before.gdi, after.gdi);
    if (before.user >= 0) {
        Print("speech_user_growth_1000", before.user, after.user);
    }
    Print("speech_handle_growth_1000", before.handles, after.handles);
    std::printf(
        "  %d speeches (lines clicked away, cut off, the command list with hovering, voiced "
        "lines) in %.1f s after %d to warm up\n",
        kSpeeches, (GetTickCount() - start) / 1000.0, kWarmUp);
    std::printf(
        "  GDI objects %ld -> %ld, window-manager objects %ld -> %ld, handles %ld -> %ld%s\n",
        before.gdi, after.gdi, before.user, after.user, before.handles, after.handles,
        before.fromStubs ? " (GetGuiResources and GetProcessHandleCount are stubs here: "
                           "counted in the GDI handle table and the system's handle list)"
                         : "");
    return 0;
}
