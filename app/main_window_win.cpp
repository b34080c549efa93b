// The main window procedure: timers, mouse, the tray callback, the taskbar's restart,
// log-off and shutdown, and the destruction sequence. It translates messages into calls.
#include <windows.h>

#include <imm.h>

#include <cstdlib>

#include "app/app_win.h"
#include "app/clock_ports_win.h"
#include "app/shortcut_win.h"
#include "app/sibling_win.h"
#include "app/tray_win.h"
#include "character/talk_tables.h"
#include "records/settings_win.h"

namespace {

// Menu command ids whose marks follow the settings.
struct MarkedCommand {
    UINT id;
    bool Settings::*flag;
};
constexpr MarkedCommand kMarked[] = {
    {32776, &Settings::NotifyFinish}, {32777, &Settings::NotifyTime},
    {32778, &Settings::NotifyHour},   {32781, &Settings::HistryEnabled},
    {32784, &Settings::Voice},
};
constexpr UINT kEditionFirst = 32789;
constexpr UINT kStartupCommand = 32795;

void AddIdleTrayIcon(App& app, HWND window) {
    if (!app.settings.NoTaskbarIcon) {
        AddTrayIcon(window, app.IdleIcon, WaitingText(app.EditionLabel, app.clock.TodaySeconds),
                    app.tray);
    }
}

void OnCreate(App& app, HWND window) {
    app.ViewingIcon = static_cast<HICON>(
        LoadImageW(app.editionModule, MAKEINTRESOURCEW(134), IMAGE_ICON, 0, 0, LR_SHARED));
    app.IdleIcon = static_cast<HICON>(
        LoadImageW(app.editionModule, MAKEINTRESOURCEW(135), IMAGE_ICON, 0, 0, LR_SHARED));
    AddIdleTrayIcon(app, window);
    app.TaskbarCreatedMessage = RegisterWindowMessageW(L"TaskbarCreated");
    app.timers = std::make_unique<WindowTimers>(window);
    app.clockPorts = MakeClockPorts(app);
    app.notifications = std::make_unique<Notifications>(
        app.clock, app.speech, app.settings, app.day, *app.timers, [] { return std::rand(); },
        [&app] { SaveAppSettings(app, app.MainWindow()); });
    SetTimer(window, IDT_TICK, 1000, nullptr);
    // No input method on the character: typing never opens a composition window on it.
    ImmAssociateContext(window, nullptr);
    const TalkEntry& greeting = PickGreeting(static_cast<uint16_t>(LocalNow().hour), std::rand);
    Speak(app.speech, greeting.text, IDT_TALK + (greeting.expression & 0xFF), *app.timers,
          greeting.voiceId);
    app.StartupShortcutPath = ComputeStartupShortcutPath();
}

void OnDestroy(App& app, HWND window) {
    TellSibling(window, u"");
    if (app.character) {
        app.character->StopVoice();
    }
    KillTimer(window, IDT_TICK);
    // Its COM objects go on its own thread, before the program's COM ends.
    app.watch.StopAccessibleReader();
    if (app.speech.ActiveSpeechTimer != 0) {
        KillTimer(window, app.speech.ActiveSpeechTimer);
        app.speech.ActiveSpeechTimer = 0;
    }
    ShowWindow(window, SW_HIDE);
    if (app.AppMenu != nullptr) {
        DestroyMenu(app.AppMenu);
        app.AppMenu = app.ContextMenu = nullptr;
    }
    DeleteTrayIcon(window);
    SaveAppSettings(app, window);
    app.settings.Alarm1Mes.reset();
    app.settings.Alarm2Mes.reset();
    app.settings.Alarm3Mes.reset();
    if (app.character) {
        app.character->Destroy();  // pictures and font
    }
    PostQuitMessage(0);
}

void OnTick(App& app, HWND) {
    ClockContext ctx{app.clock,        app.speech,      app.settings,      app.article,
                     app.EditionLabel, *app.clockPorts, *app.notifications};
    ClockTick(ctx);
    ++app.SecondsRunning;
}

void ShowContextMenu(App& app, HWND window) {
    app.MenuOpen = true;
    for (const MarkedCommand& m : kMarked) {
        CheckMenuItem(app.ContextMenu, m.id,
                      MF_BYCOMMAND | (app.settings.*m.flag ? MF_CHECKED : MF_UNCHECKED));
    }
    if (app.EditionChoiceEnabled) {
        HMENU editions = GetSubMenu(app.ContextMenu, 0);
        const UINT chosen = app.settings.SelEdition == 1   ? kEditionFirst + 1
                            : app.settings.SelEdition == 2 ? kEditionFirst + 2
                                                           : kEditionFirst;
        CheckMenuRadioItem(editions, kEditionFirst, kEditionFirst + 2, chosen, MF_BYCOMMAND);
    }
    CheckMenuItem(
        app.ContextMenu, kStartupCommand,
        MF_BYCOMMAND | (ShortcutExists(app.StartupShortcutPath) ? MF_CHECKED : MF_UNCHECKED));
    POINT cursor{};
    GetCursorPos(&cursor);
    const UINT command = static_cast<UINT>(TrackPopupMenu(
        app.ContextMenu,
        TPM_RIGHTALIGN | TPM_BOTTOMALIGN | TPM_LEFTBUTTON | TPM_NONOTIFY | TPM_RETURNCMD, cursor.x,
        cursor.y, 0, window, nullptr));
    // Lets the menu close properly when the user clicks elsewhere.
    PostMessageW(window, WM_NULL, 0, 0);
    RunCommand(app, command);
    app.MenuOpen = false;
}

void OnTray(App& app, HWND window, UINT mouseMessage) {
    switch (mouseMessage) {
        case WM_LBUTTONUP:
            SetForegroundWindow(window);
            if (!app.MenuOpen && app.speech.ActiveSpeechTimer == 0) {
                Speak(app.speech, kClickLineText, IDT_QUICKMENU, *app.timers, kClickLineVoice);
            }
            break;
        case WM_RBUTTONUP:
            SetForegroundWindow(window);
            if (!app.MenuOpen && app.speech.ActiveSpeechTimer != IDT_QUICKMENU) {
                ShowContextMenu(app, window);
            }
            break;
        default:
            break;
    }
}

// The point of a mouse message: client coordinates, or screen ones for a hit test.
POINT PointOf(LPARAM lParam) {
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* appPointer = reinterpret_cast<App*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (appPointer == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    App& app = *appPointer;
    switch (message) {
        case WM_CREATE:
            OnCreate(app, window);
            return 1;
        case WM_DESTROY:
            OnDestroy(app, window);
            return 0;
        case WM_MOVE:
            if (app.character) {  // also arrives while the window is being created
                app.character->OnMoved();
            }
            return 0;
        case WM_CLOSE:
            return 0;  // the program ends only by its exit command, log-off or a second copy
        case WM_QUERYENDSESSION:
            SaveAppSettings(app, window);
            DestroyWindow(window);
            return TRUE;
        case WM_NCHITTEST:
            return app.character->HitTest(PointOf(lParam),
                                          DefWindowProcW(window, message, wParam, lParam));
        case WM_MOVING:
            app.character->OnMoving(*reinterpret_cast<RECT*>(lParam));
            return 1;
        case WM_TIMER:
            if (wParam == IDT_TICK) {
                OnTick(app, window);
            } else if (IsSpeechKind(static_cast<uint32_t>(wParam))) {
                app.character->SpeechTick(static_cast<uint32_t>(wParam));
            }
            return 1;
        case WM_MOUSEMOVE:
            app.character->OnMouseMove(PointOf(lParam));
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            app.character->OnButtonDown(PointOf(lParam), message == WM_LBUTTONDOWN);
            return 0;
        case kTrayCallbackMessage:
            OnTray(app, window, static_cast<UINT>(lParam));
            return 0;
        default:
            if (message == app.TaskbarCreatedMessage && message != 0) {
                AddIdleTrayIcon(app, window);
                return 0;
            }
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

LocalTime LocalNow() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

std::wstring ProgramPath() {
    wchar_t path[520];
    const DWORD n = GetModuleFileNameW(nullptr, path, 520);
    return (n == 0 || n >= 520) ? std::wstring() : std::wstring(path, n);
}

bool SaveAppSettings(App& app, HWND owner) {
    HWND main = app.MainWindow();
    return SaveSettings(owner, app.settings, app.clock, app.day.key,
                        main != nullptr ? WindowRectOf(main) : WindowRectPort());
}
