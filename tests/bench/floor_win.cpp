// The floor programs that the idle benchmark sets the program beside: the least a resident
// program with a one-second timer can cost, and what looking at every window costs on top.
//   floor.exe idle         a hidden window and a 1 s timer, nothing else
//   floor.exe walk         the same, and each second EnumWindows reading every top-level
//                          window's class name
//   floor.exe read HWND    the same as idle, and each second one WM_GETTEXT (by
//                          SendMessageTimeoutW) to the window HWND (hexadecimal)
//   floor.exe show         the same as idle, but its window is shown at once: a first window
//                          on screen, for start-up times
#include <windows.h>

#include <cwchar>

namespace {

enum class Mode { Idle, Walk, Read, Show };

Mode g_mode = Mode::Idle;
HWND g_target = nullptr;
volatile UINT_PTR g_sink;

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
            } else if (g_mode == Mode::Read && g_target != nullptr) {
                wchar_t text[2100];
                DWORD_PTR length = 0;
                SendMessageTimeoutW(g_target, WM_GETTEXT, 2100, reinterpret_cast<LPARAM>(text),
                                    SMTO_ABORTIFHUNG | SMTO_BLOCK, 250, &length);
                g_sink = length;
            }
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    const wchar_t* arguments = commandLine != nullptr ? commandLine : L"";
    if (std::wcsncmp(arguments, L"walk", 4) == 0) {
        g_mode = Mode::Walk;
    } else if (std::wcsncmp(arguments, L"read ", 5) == 0) {
        g_mode = Mode::Read;
        g_target = reinterpret_cast<HWND>(
            static_cast<UINT_PTR>(std::wcstoull(arguments + 5, nullptr, 16)));
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
    SetTimer(window, 1, 1000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        DispatchMessageW(&msg);
    }
    return 0;
}
