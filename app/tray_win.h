#pragma once
// The notification-area icon: the program's one permanent handle for the user.
#include <windows.h>

#include <string>
#include <string_view>

inline constexpr UINT TRAY_ICON_ID = 5458;
// The tray's callback message; its lParam is the mouse message.
inline constexpr UINT kTrayCallbackMessage = WM_USER;

// What the shell was last given for the icon: a change then gives it only what changed.
struct TrayShown {
    HICON icon = nullptr;
    std::u16string tip;  // as given, cut to 63 characters
};

// Each call fills the record in its first, smallest layout (NOTIFYICONDATAW_V1_SIZE for the
// build's architecture) with the tip cut to 63 characters. An add before the taskbar exists
// fails, and "TaskbarCreated" adds the icon later.
void AddTrayIcon(HWND owner, HICON icon, std::u16string_view tip, TrayShown& shown);
// Gives the shell the tip and the icon only where they differ from what it shows, nothing
// when neither does (the shell redraws the icon and its tip window for every change).
void ModifyTrayIcon(HWND owner, HICON icon, std::u16string_view tip, TrayShown& shown);
void DeleteTrayIcon(HWND owner);
