// The floor programs that the idle benchmark sets the program beside: the least a resident
// program with a one-second timer can cost, and what looking at every window costs on top.
//   floor.exe idle         a hidden window and a 1 s timer, nothing else
//   floor.exe walk         the same, and each second EnumWindows reading every top-level
//                          window's class name
//   floor.exe read HWND    the same as idle, and each second one WM_GETTEXT (by
//                          SendMessageTimeoutW) to the window HWND (hexadecimal)
//   floor.exe readtray HWND the same as read, with a tray icon whose tip is changed (one
//                          NIM_MODIFY) each second: what a reading tick must do at least
//   floor.exe show         the same as idle, but its window is shown at once: a first window
//                          on screen, for start-up times
// A trailing " voice" plays one greeting clip of ymtvoice.dll (next to the floor) at the
// start, as the program does, so that the sound stack's own cost is on both sides.
#include <windows.h>
// Shell_NotifyIconW; needs <windows.h> first.
#include <shellapi.h>

#include <cwchar>

#include "character/talk_tables.h"
#include "voice/voice_player_win.h"

namespace {

enum class Mode { Idle, Walk, Read, ReadTray, Show };

Mode g_mode = Mode::Idle;
HWND g_target = nullptr;
volatile UINT_PTR g_sink;
NOTIFYICONDATAW g_icon{};
unsigned g_ticks = 0;

BOOL CALLBACK ReadClass(HWND window, LPARAM) {
    wchar_t name[256];
    g_sink = g_sink + static_cast<UINT_PTR>(GetClassNameW(window, name, 256));
    return TRUE;
}

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_TIMER:
            if (g_mode == Mode::Walk) {
                EnumWindows(ReadClass, 0);
            } else if ((g_mode == Mode::Read || g_mode == Mode::ReadTray) && g_target != nullptr) {
                wchar_t text[2100];
                DWORD_PTR length = 0;
                SendMessageTimeoutW(g_target, WM_GETTEXT, 2100, reinterpret_cast<LPARAM>(text),
                                    SMTO_ABORTIFHUNG | SMTO_BLOCK, 250, &length);
                g_sink = length;
            }
            if (g_mode == Mode::ReadTray) {
                std::swprintf(g_icon.szTip, ARRAYSIZE(g_icon.szTip), L"floor %u", ++g_ticks);
                g_icon.uFlags = NIF_TIP;
                Shell_NotifyIconW(NIM_MODIFY, &g_icon);
            }
            return 0;
        case WM_DESTROY:
            if (g_mode == Mode::ReadTray) {
                Shell_NotifyIconW(NIM_DELETE, &g_icon);
            }
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

// A window handle given in hexadecimal.
HWND HwndArgument(const wchar_t* text) {
    return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::wcstoull(text, nullptr, 16)));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    const wchar_t* arguments = commandLine != nullptr ? commandLine : L"";
    if (std::wcsncmp(arguments, L"walk", 4) == 0) {
        g_mode = Mode::Walk;
    } else if (std::wcsncmp(arguments, L"read ", 5) == 0) {
        g_mode = Mode::Read;
        g_target = HwndArgument(arguments + 5);
    } else if (std::wcsncmp(arguments, L"readtray ", 9) == 0) {
        g_mode = Mode::ReadTray;
        g_target = HwndArgument(arguments + 9);
    } else if (std::wcsncmp(arguments, L"show", 4) == 0) {
        g_mode = Mode::Show;
    }
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"ymt_bench_floor";
    RegisterClassExW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"floor", WS_POPUP, 0, 0, 175, 350, nullptr,
                                  nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    if (g_mode == Mode::Show) {
        ShowWindow(window, SW_SHOWNOACTIVATE);
        UpdateWindow(window);
    }
    if (g_mode == Mode::ReadTray) {
        g_icon.cbSize = sizeof g_icon;
        g_icon.hWnd = window;
        g_icon.uID = 1;
        g_icon.uFlags = NIF_ICON | NIF_TIP;
        g_icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
        std::wcscpy(g_icon.szTip, L"floor");
        Shell_NotifyIconW(NIM_ADD, &g_icon);
    }
    VoicePlayer player;
    HMODULE voice = nullptr;
    if (std::wcsstr(arguments, L" voice") != nullptr) {
        voice = LoadLibraryW(L".\\ymtvoice.dll");
        Settings settings;
        settings.Voice = true;
        PlayVoice(player, settings, voice, PickGreeting(10, [] { return 0; }).voiceId);
    }
    SetTimer(window, 1, 1000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
    StopVoice(player);
    if (voice != nullptr) {
        FreeLibrary(voice);
    }
    return 0;
}
