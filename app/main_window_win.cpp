// The main window procedure: timers, mouse, the tray callback, the taskbar's restart,
// log-off and shutdown, and the destruction sequence. It translates messages into calls.
#include <windows.h>

#include <imm.h>

#include <cstdlib>

#include "app/app_win.h"
#include "app/clock_ports_win.h"
#include "app/shortcut_win.h"
#include "app/sibling_win.h"
#include "app/startup.h"
#include "app/tray_win.h"
#include "character/talk_tables.h"
#include "common/boundary_win.h"
#include "common/message_box_win.h"
#include "records/settings_win.h"
#include "resources/resource.h"

namespace {

// Menu command ids whose marks follow the settings.
struct MarkedCommand {
    UINT id;
    bool Settings::*flag;
};
constexpr MarkedCommand kMarked[] = {
    {IDM_NOTIFY_FINISH, &Settings::NotifyFinish},
    {IDM_NOTIFY_TIME, &Settings::NotifyTime},
    {IDM_NOTIFY_HOUR, &Settings::NotifyHour},
    {IDM_RANKING_ENABLED, &Settings::HistryEnabled},
    {IDM_VOICE, &Settings::Voice},
};

void AddIdleTrayIcon(App& app) {
    if (!app.settings.NoTaskbarIcon) {
        app.tray.AddIdle(WaitingText(app.EditionLabel, app.clock.TodaySeconds));
    }
}

// The window's rectangle as WindowLeft and WindowTop store it.
WindowRectPort StoredRectOf(App& app) {
    return [&app](RECT& rect) { return app.character && app.character->UnawareWindowRect(rect); };
}

void OnCreate(App& app, HWND window) {
    app.tray.Attach(window, app.editionModule);
    AddIdleTrayIcon(app);
    app.timers = std::make_unique<WindowTimers>(window);
    app.clockPorts = MakeClockPorts(app);
    app.notifications = std::make_unique<Notifications>(
        app.clock, app.speech, app.settings, app.day, *app.timers, [] { return std::rand(); },
        [&app](std::u16string_view dayKey, uint32_t daySeconds) {
            SaveSettings(app.MainWindow(), app.settings, daySeconds, dayKey, StoredRectOf(app));
        });
    app.timers->StartTimer(IDT_TICK, 1000);
    // No input method on the character: typing never opens a composition window on it.
    ImmAssociateContext(window, nullptr);
    const TalkEntry& greeting = PickGreeting(static_cast<uint16_t>(LocalNow().hour), std::rand);
    Speak(app.speech, greeting.text, IDT_TALK + (greeting.expression & 0xFF), *app.timers,
          greeting.voiceId);
    app.StartupShortcutPath = ComputeStartupShortcutPath();
}

// The tick and the running speech; the timers exist from the main window's creation on.
void StopAppTimers(App& app) {
    if (!app.timers) {
        return;
    }
    app.timers->StopTimer(IDT_TICK);
    StopRunningSpeech(app.speech, *app.timers);
    app.speech.ActiveSpeechTimer = 0;
}

void OnDestroy(App& app, HWND window) {
    TellSibling(window, u"");
    if (app.character) {
        app.character->StopVoice();
    }
    StopAppTimers(app);
    // Its COM objects go on its own thread, before the program's COM ends.
    app.watch.StopAccessibleReader();
    ShowWindow(window, SW_HIDE);
    app.ContextMenu = nullptr;
    app.AppMenu.reset();
    app.tray.Remove();
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
        CheckMenuRadioItem(editions, IDM_EDITION_HINATA, IDM_EDITION_SAZANKA,
                           CommandOfEdition(app.settings.SelEdition), MF_BYCOMMAND);
    }
    CheckMenuItem(
        app.ContextMenu, IDM_STARTUP_SHORTCUT,
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

namespace {

LRESULT HandleMainMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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
        case WM_DPICHANGED:
            app.character->OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_GETDPISCALEDSIZE:
            *reinterpret_cast<SIZE*>(lParam) = app.character->SizeForDpi(LOWORD(wParam));
            return TRUE;
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
        case WM_SETCURSOR:
            if (app.character->OnSetCursor(LOWORD(lParam))) {
                return TRUE;
            }
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
            app.character->OnButtonDown(PointOf(lParam), message == WM_LBUTTONDOWN);
            return 0;
        case kTrayCallbackMessage:
            OnTray(app, window, static_cast<UINT>(lParam));
            return 0;
        default:
            if (app.tray.IsTaskbarCreated(message)) {
                AddIdleTrayIcon(app);
                return 0;
            }
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return WindowProcAtBoundary<HandleMainMessage>(window, message, wParam, lParam);
}

bool CreateAppWindows(App& app) {
    CharacterWindows::RegisterClasses(app.instance, app.editionModule, MainWindowProc);
    app.character = std::make_unique<CharacterWindows>(CharacterContext{
        app.speech, app.settings, [] { return std::rand(); }, app.SecondsRunning, app.instance,
        app.editionModule, app.voiceModule, [&app](uint32_t command) { RunCommand(app, command); },
        [&app](uint32_t kind) {
            if (kind == IDT_FINISHNOTICE) {
                FinishNoticeEnded(app.clock);
            } else if (IsFarewell(kind)) {
                DestroyWindow(app.MainWindow());  // its destruction ends the program
            }
        }});
    switch (app.character->Create(app.instance, &app)) {
        case CharacterWindows::CreateResult::Created:
            return true;
        case CharacterWindows::CreateResult::NoMainWindow:
            return false;
        case CharacterWindows::CreateResult::NoBalloon:
            break;
    }
    // The main window's creation has started the tick, the greeting and the tray icon: all
    // of it stops before the box, whose loop would otherwise run the tick and draw the
    // greeting without a balloon.
    HWND window = app.MainWindow();
    StopAppTimers(app);
    // Windows leaves the icon of a destroyed window in the notification area until the
    // pointer passes over it (Wine removes it with the window): it goes explicitly.
    app.tray.Remove();
    // Nothing ran that needs saving: the window goes without the teardown of a run.
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
    ShowMessageBox(nullptr, L"子ウィンドウの生成に失敗しました。", kProgramName,
                   MB_OK | MB_ICONERROR);
    return false;
}

bool SaveAppSettings(App& app, HWND owner) {
    return SaveSettings(owner, app.settings, app.clock.TodaySeconds, app.day.key,
                        StoredRectOf(app));
}
