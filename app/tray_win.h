#pragma once
// The notification-area icon: the program's one permanent handle for the user.
#include <windows.h>

#include <string_view>

inline constexpr UINT TRAY_ICON_ID = 5458;
// The tray's callback message; its lParam is the mouse message.
inline constexpr UINT kTrayCallbackMessage = WM_USER;

// Each call fills the record in its first, smallest layout (NOTIFYICONDATAW_V1_SIZE for the
// build's architecture) with the tip cut to 63 characters. Results are not used: an add
// before the taskbar exists fails, and "TaskbarCreated" adds the icon later.
void AddTrayIcon(HWND owner, HICON icon, std::u16string_view tip);
void ModifyTrayIcon(HWND owner, HICON icon, std::u16string_view tip);
void DeleteTrayIcon(HWND owner);
