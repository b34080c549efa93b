#pragma once
// The program's process-wide state, owned by the entry point and reached by the main
// window procedure through the window's user data.
#include <windows.h>

#include <array>
#include <memory>
#include <string>

#include "app/tray_win.h"
#include "character/character_window_win.h"
#include "character/speech.h"
#include "character/window_timers_win.h"
#include "clock/notifications.h"
#include "clock/viewing_clock.h"
#include "common/handles_win.h"
#include "common/system_win.h"
#include "records/settings.h"
#include "watch/address_match.h"
#include "watch/browser_watch_win.h"

inline constexpr char16_t kReadFailed[] = u"(読み取り失敗)";

struct App {
    HINSTANCE instance = nullptr;
    HMODULE editionModule = nullptr;
    HMODULE voiceModule = nullptr;
    bool EditionChoiceEnabled = false;
    std::u16string EditionTitle = kReadFailed;
    std::u16string EditionLabel = kReadFailed;
    CurrentDay day;  // CurrentDate and TodayKey
    Settings settings;
    ViewingClock clock;
    SpeechState speech;
    CurrentArticle article;
    uint32_t SecondsRunning = 0;
    UniqueHMenu AppMenu;
    HMENU ContextMenu = nullptr;
    bool MenuOpen = false;
    TrayIcon tray;
    std::wstring StartupShortcutPath;
    BrowserWatch watch;
    std::unique_ptr<CharacterWindows> character;
    std::unique_ptr<WindowTimers> timers;
    std::unique_ptr<ClockPorts> clockPorts;
    std::unique_ptr<Notifications> notifications;

    HWND MainWindow() const { return character ? character->MainWindow() : nullptr; }
};

// Saves the settings and the day's total, with owner as the owner of its message boxes.
bool SaveAppSettings(App& app, HWND owner);

// Registers the classes and creates the character's windows over app.instance and the
// attached plug-ins; the main window's creation starts the tray icon, the tick and the
// greeting. False (with the failure told in a box) when the windows cannot be had; then
// nothing of the app is left running: no timer, no tray icon, no window.
bool CreateAppWindows(App& app);

// The main window procedure; App* comes in as the creation parameter.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Every user command, from the context menu or the balloon's command list.
void RunCommand(App& app, uint32_t command);
