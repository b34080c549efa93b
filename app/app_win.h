#pragma once
// The program's process-wide state, owned by the entry point and reached by the main
// window procedure through the window's user data.
#include <windows.h>

#include <memory>
#include <string>

#include "app/tray_win.h"
#include "character/character_window_win.h"
#include "character/speech.h"
#include "character/window_timers_win.h"
#include "clock/notifications.h"
#include "clock/viewing_clock.h"
#include "records/settings.h"
#include "watch/address_match.h"
#include "watch/browser_watch_win.h"

inline constexpr wchar_t kCaption[] = L"ヨミトキ";
inline constexpr char16_t kReadFailed[] = u"(読み取り失敗)";
inline constexpr wchar_t kMainClass[] = L"ytm_tan_ee";

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
    HMENU AppMenu = nullptr;
    HMENU ContextMenu = nullptr;
    bool MenuOpen = false;
    HICON ViewingIcon = nullptr;  // shared icons of the edition plug-in: never destroyed
    HICON IdleIcon = nullptr;
    TrayShown tray;  // what the shell shows for the icon
    UINT TaskbarCreatedMessage = 0;
    std::wstring StartupShortcutPath;
    uint32_t LogViewCommand = 0;
    BrowserWatch watch;
    std::unique_ptr<CharacterWindows> character;
    std::unique_ptr<WindowTimers> timers;
    std::unique_ptr<ClockPorts> clockPorts;
    std::unique_ptr<Notifications> notifications;

    HWND MainWindow() const { return character ? character->MainWindow() : nullptr; }
};

// The local time now, as the program counts days and hours.
LocalTime LocalNow();

// The program file's full path (empty when it cannot be had).
std::wstring ProgramPath();

// Saves the settings and the day's total, with owner as the owner of its message boxes.
bool SaveAppSettings(App& app, HWND owner);

// The main window procedure; App* comes in as the creation parameter.
LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Every user command, from the context menu or the balloon's command list.
void RunCommand(App& app, uint32_t command);
