#pragma once
// A character on the test's display: the two windows created as the program creates them,
// with the test as the app around them. The test steps speeches itself, with the timers
// recorded, and reads what each step did from the observer's record.
#include <windows.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "character/character_window_win.h"
#include "character/speech.h"
#include "common/handles_win.h"

namespace character_test {

// Under Wine on a bare X display there is no window manager: Wine then waits up to 2 s for
// one each time a window it regards as managed is hidden or destroyed. Marking the program's
// windows unmanaged (before any window exists) takes that wait away; it changes nothing the
// tests look at. exe is the program's file name.
inline void UnmanagedWindowsUnderWine(const wchar_t* exe) {
    const std::wstring path =
        std::wstring(L"Software\\Wine\\AppDefaults\\") + exe + L"\\X11 Driver";
    UniqueHKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        key.put(), nullptr) == ERROR_SUCCESS) {
        static const wchar_t kNo[] = L"N";
        RegSetValueExW(key.get(), L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(kNo),
                       sizeof kNo);
    }
}

// Timer calls, recorded instead of made.
struct RecordingTimers : TimerPort {
    std::vector<std::pair<char, uint32_t>> calls;  // '+' start, '-' stop
    void StartTimer(uint32_t id, uint32_t) override { calls.emplace_back('+', id); }
    void StopTimer(uint32_t id) override { calls.emplace_back('-', id); }
};

// What the windows reported: the alpha of each picture update, the steps at which clips
// started, and how often the command list was drawn.
struct Recorder : CharacterObserver {
    uint32_t step = 0;  // set by the driver before each tick
    std::vector<uint8_t> frames;
    std::vector<std::pair<uint32_t, uint32_t>> voices;  // (step, clip)
    int choiceDraws = 0;
    void FramePresented(HBITMAP, HBITMAP, uint8_t alpha) override { frames.push_back(alpha); }
    void QuickChoicesDrawn(int) override { ++choiceDraws; }
    void VoiceStarted(uint32_t clip) override { voices.emplace_back(step, clip); }
    void Clear() {
        frames.clear();
        voices.clear();
        choiceDraws = 0;
    }
};

// The sounds the player was given (null: stop).
inline std::vector<const void*> soundCalls;

class Harness {
  public:
    Harness() {
        RegisterOnce();
        m_edition.reset(LoadLibraryW(L"ymthinata.dll"));
        m_voice.reset(LoadLibraryW(L"ymtvoice.dll"));
        settings.WindowLeft = PositionUnset;
        settings.WindowTop = PositionUnset;
        windows = std::make_unique<CharacterWindows>(CharacterContext{
            speech, settings, [] { return 0; }, seconds, GetModuleHandleW(nullptr), m_edition.get(),
            m_voice.get(), [this](uint32_t command) { commands.push_back(command); },
            [this](uint32_t kind) { ended.push_back(kind); }, &timers});
        windows->SetObserver(&rec);
        windows->Voice().playSound = [](LPCWSTR sound, HMODULE, DWORD) -> BOOL {
            soundCalls.push_back(sound);
            return TRUE;
        };
        soundCalls.clear();
    }
    ~Harness() {
        if (!destroyed && windows->MainWindow() != nullptr) {
            DestroyWindow(windows->MainWindow());
        }
    }
    Harness(const Harness&) = delete;
    Harness& operator=(const Harness&) = delete;

    bool Create() {
        return windows->Create(GetModuleHandleW(nullptr), this) ==
               CharacterWindows::CreateResult::Created;
    }

    // Starts a speech the way every caller does: the running one is stopped first.
    void Say(const char16_t* text, uint32_t kind, uint32_t voice) {
        StopRunningSpeech(speech, timers);
        Speak(speech, text, kind, timers, voice);
    }
    // One step, as the speech timer's tick makes it.
    void Step() {
        rec.step = speech.SpeechLength - speech.SpeechStep;
        windows->SpeechTick(speech.ActiveSpeechTimer);
    }
    // Steps until c = SpeechStep is `c` (the next step is then the one with that c).
    void StepTo(uint32_t c) {
        while (speech.ActiveSpeechTimer != 0 && speech.SpeechStep > c)
            Step();
    }
    void RunToEnd() {
        for (int i = 0; i < 5000 && speech.ActiveSpeechTimer != 0 && !destroyed; ++i)
            Step();
    }

    SpeechState speech;
    Settings settings;
    uint32_t seconds = 0;
    std::vector<uint32_t> commands;
    std::vector<uint32_t> ended;  // speeches reported as run out
    RecordingTimers timers;
    Recorder rec;
    std::unique_ptr<CharacterWindows> windows;
    bool destroyed = false;

  private:
    static LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(window, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* h = reinterpret_cast<Harness*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (h == nullptr) {
            return DefWindowProcW(window, message, wParam, lParam);
        }
        // Tests call the input handlers themselves; moves come from the system.
        CharacterWindows& w = *h->windows;
        switch (message) {
            case WM_MOVING:
                w.OnMoving(*reinterpret_cast<RECT*>(lParam));
                return 1;
            case WM_MOVE:
                w.OnMoved();
                return 0;
            case WM_CLOSE:
                return 0;
            case WM_DESTROY:
                h->destroyed = true;
                w.StopVoice();
                w.Destroy();
                return 0;
            default:
                return DefWindowProcW(window, message, wParam, lParam);
        }
    }
    static void RegisterOnce() {
        static bool done = false;
        // The edition stays loaded: the class icon is a shared icon of the plug-in.
        if (!std::exchange(done, true)) {
            CharacterWindows::RegisterClasses(GetModuleHandleW(nullptr),
                                              LoadLibraryW(L"ymthinata.dll"), MainProc);
        }
    }

    UniqueHModule m_edition;
    UniqueHModule m_voice;
};

}  // namespace character_test
