// Puts the character on the test display at chosen steps of a speech, over a backdrop of a
// known colour, and for each moment writes what the screen must show there: the test script
// takes a screenshot of the composited display and checks those probes.
//   character_screens_win <folder>
// For each shot NAME: writes NAME.probes, then NAME.ready, and waits for NAME.done.
// Probe lines (screen coordinates):
//   pixel X Y R G B TOL   the pixel's channels each within TOL of R G B
//   dark X Y W H MIN      at least MIN pixels of the rectangle darker than 100 in every channel
//   nodark X Y W H        no such pixel there
//   blue X Y W H MIN      at least MIN pixels of the command list's dark blue (B > 110, R and
//                         G < 80) there
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "character/talk_tables.h"
#include "character_fixture_win.h"
#include "common/handles_win.h"

namespace {

constexpr COLORREF kBackdrop = RGB(0, 96, 192);

std::wstring g_folder;

void WriteFile(const std::wstring& name, const std::string& text) {
    UniqueHFile file(CreateFileW((g_folder + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (file) {
        ::WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
}

// Lets everything settle on screen, then asks for the screenshot and waits for it.
bool Shoot(const std::wstring& name, const std::string& probes) {
    const ULONGLONG settle = GetTickCount64();
    while (GetTickCount64() - settle < 700) {
        character_test::Harness::Pump();
        Sleep(20);
    }
    WriteFile(name + L".probes", probes);
    WriteFile(name + L".ready", "");
    const std::wstring done = g_folder + L"\\" + name + L".done";
    const ULONGLONG start = GetTickCount64();
    while (GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount64() - start > 60'000) {
            std::printf("no screenshot of %ls\n", name.c_str());
            return false;
        }
        character_test::Harness::Pump();
        Sleep(50);
    }
    return true;
}

LRESULT CALLBACK BackdropProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

// A plain window of one colour under the character, standing for the desktop.
HWND CreateBackdrop(const RECT& area) {
    static UniqueGdiObject brush(CreateSolidBrush(kBackdrop));
    WNDCLASSW wc{};
    wc.lpfnWndProc = BackdropProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(brush.get());
    wc.lpszClassName = L"character_screens_backdrop";
    RegisterClassW(&wc);
    HWND backdrop = CreateWindowExW(WS_EX_TOOLWINDOW, wc.lpszClassName, L"", WS_POPUP, area.left,
                                    area.top, area.right - area.left, area.bottom - area.top,
                                    nullptr, nullptr, wc.hInstance, nullptr);
    ShowWindow(backdrop, SW_SHOWNOACTIVATE);
    UpdateWindow(backdrop);
    return backdrop;
}

struct Probes {
    std::string text;
    void Line(const char* format, auto... values) {
        char line[160];
        std::snprintf(line, sizeof line, format, values...);
        text += line;
        text += '\n';
    }
};

// The picture's pixel at client (x, y), premultiplied ARGB.
uint32_t PictureAt(HBITMAP picture, int x, int y) {
    DIBSECTION dib{};
    GetObjectW(picture, sizeof dib, &dib);
    const auto* bits = static_cast<const uint32_t*>(dib.dsBm.bmBits);
    return bits[(kCharacterHeight - 1 - y) * kCharacterWidth + x];
}

// What a pixel of the picture looks like at fade alpha `fade` over the backdrop:
// source-over with the premultiplied colour scaled by the fade.
void ExpectPixel(Probes& p, const RECT& window, HBITMAP picture, int x, int y, int fade,
                 int tolerance) {
    const uint32_t v = PictureAt(picture, x, y);
    const int a = static_cast<int>(v >> 24) * fade / 255;
    auto channel = [&](int shift, int back) {
        const int c = static_cast<int>((v >> shift) & 0xFF) * fade / 255;
        return c + back * (255 - a) / 255;
    };
    p.Line("pixel %d %d %d %d %d %d", window.left + x, window.top + y,
           channel(16, GetRValue(kBackdrop)), channel(8, GetGValue(kBackdrop)),
           channel(0, GetBValue(kBackdrop)), tolerance);
}

// Client points of the character part with an opaque pixel, a half-transparent edge pixel
// and a transparent one.
struct Samples {
    POINT opaque{-1, -1};
    POINT edge{-1, -1};
    POINT clear{-1, -1};
};

Samples FindSamples(HBITMAP picture) {
    Samples s;
    for (int y = 20; y < kCharacterHeight - 20; y += 3) {
        for (int x = 260; x < kCharacterWidth - 5; ++x) {
            const uint32_t a = PictureAt(picture, x, y) >> 24;
            if (a == 255 && s.opaque.x < 0 && y > 150) {
                s.opaque = {x, y};
            } else if (a >= 96 && a <= 160 && s.edge.x < 0 && y > 100) {
                s.edge = {x, y};
            } else if (a == 0 && s.clear.x < 0 && y > 50) {
                s.clear = {x, y};
            }
        }
    }
    return s;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::printf("usage: character_screens_win <folder>\n");
        return 2;
    }
    g_folder = argv[1];
    character_test::UnmanagedWindowsUnderWine(L"character_screens_win.exe");
    character_test::Harness h;
    h.settings.Voice = false;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    HWND backdrop = CreateBackdrop(work);
    if (!h.Create()) {
        std::printf("windows not created\n");
        return 1;
    }
    HWND main = h.windows->MainWindow();
    // Left of the bottom-right corner, so that nothing of the screen's edge is in the way.
    SetWindowPos(main, nullptr, work.right - 420 - 200, work.top + 100, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    int failures = 0;

    // A greeting: half-way through its fade-in (alpha 128), then at full alpha with its text.
    h.draws = {0};
    const TalkEntry& greeting = PickGreeting(9, [] { return 0; });
    h.Say(greeting.text, IDT_TALK, 0);
    h.StepTo(h.speech.SpeechLength - 16);
    h.Step();  // alpha 8 * 16
    RECT r{};
    GetWindowRect(main, &r);
    HBITMAP frame0 = h.windows->Pictures().Get({PictureRole::AnimationFrame, 0});
    const Samples s0 = FindSamples(frame0);
    {
        Probes p;
        ExpectPixel(p, r, frame0, s0.opaque.x, s0.opaque.y, 128, 8);
        ExpectPixel(p, r, frame0, s0.edge.x, s0.edge.y, 128, 8);
        ExpectPixel(p, r, frame0, s0.clear.x, s0.clear.y, 128, 4);
        ExpectPixel(p, r, frame0, 150, 200, 128, 8);  // inside the balloon
        p.Line("nodark %ld %ld %d %d", r.left + 28, r.top + 60, 181, 177);
        failures += !Shoot(L"greeting_fade", p.text);
    }
    h.StepTo(h.speech.SpeechLength - 30 - 2 * h.speech.SpeechTextLength - 60);
    HBITMAP shown = h.windows->ShownPicture();
    const Samples s = FindSamples(shown);
    {
        Probes p;
        ExpectPixel(p, r, shown, s.opaque.x, s.opaque.y, 255, 6);
        ExpectPixel(p, r, shown, s.edge.x, s.edge.y, 255, 6);
        ExpectPixel(p, r, shown, s.clear.x, s.clear.y, 255, 4);
        ExpectPixel(p, r, shown, 10, 10, 255, 4);  // outside the balloon: the desktop
        p.Line("pixel %ld %ld 255 255 255 4", r.left + 200, r.top + 230);  // balloon, no text
        p.Line("dark %ld %ld %d %d 40", r.left + 28, r.top + 60, 181, 30);
        failures += !Shoot(L"greeting", p.text);
    }
    h.RunToEnd();

    // The command list of the click line, waiting for a choice.
    h.Say(kClickLineText, IDT_QUICKMENU, 0);
    for (int i = 0; i < 400 && !h.windows->QuickMenuWaiting(); ++i) {
        h.Step();
    }
    {
        Probes p;
        p.Line("dark %ld %ld %d %d 20", r.left + 28, r.top + 60, 80, 14);     // the heading
        p.Line("blue %ld %ld %d %d 200", r.left + 33, r.top + 85, 170, 150);  // the items
        const QuickChoiceItem& cancel = h.windows->QuickChoices()[13];
        p.Line("blue %ld %ld %d %d 20", r.left + cancel.left, r.top + cancel.top,
               cancel.right - cancel.left, cancel.bottom - cancel.top);
        failures += !Shoot(L"choices", p.text);
    }
    h.windows->OnButtonDown(
        {(h.windows->QuickChoices()[13].left + 5), (h.windows->QuickChoices()[13].top + 5)}, true);
    h.RunToEnd();
    DestroyWindow(backdrop);
    std::printf("character_screens_win: %d shot(s) missing\n", failures);
    return failures == 0 ? 0 : 1;
}
