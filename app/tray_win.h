#pragma once
// The notification-area icon: the program's one permanent handle for the user.
#include <windows.h>

#include <string>
#include <string_view>

#include "common/handles_win.h"

inline constexpr UINT TRAY_ICON_ID = 5458;
// The tray's callback message; its lParam is the mouse message.
inline constexpr UINT kTrayCallbackMessage = WM_USER;

// The notification-area icon and everything kept for it: the edition's two icons, what the
// shell shows now, and the message by which a restarted taskbar asks for it again. Every
// call fills the record in its first, smallest layout (NOTIFYICONDATAW_V1_SIZE for the
// build's architecture) with the tip cut to 63 characters. An add before the taskbar exists
// fails, and "TaskbarCreated" adds the icon later.
class TrayIcon {
  public:
    // The main window the icon reports to, and the edition plug-in's two icons at the
    // notification area's size. Registers "TaskbarCreated".
    void Attach(HWND owner, HMODULE editionModule);
    // Adds the icon, idle, with tip; after a taskbar restart too.
    void AddIdle(std::u16string_view tip);
    // Gives the shell the tip and the icon only where they differ from what it shows,
    // nothing when neither does (the shell redraws the icon and its tip for every change).
    void Show(bool viewing, std::u16string_view tip);
    void Remove();
    // Whether the icon is in the notification area, as far as the shell has said.
    bool Shown() const { return m_shownIcon != nullptr; }
    // True for the message a restarted taskbar broadcasts.
    bool IsTaskbarCreated(UINT message) const {
        return message != 0 && message == m_taskbarCreated;
    }

  private:
    HWND m_owner = nullptr;
    UniqueHIcon m_viewing;
    UniqueHIcon m_idle;
    UINT m_taskbarCreated = 0;
    // What the shell was last given: a change then gives it only what changed.
    HICON m_shownIcon = nullptr;
    std::u16string m_shownTip;  // as given, cut to 63 characters
};
