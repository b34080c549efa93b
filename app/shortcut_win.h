#pragma once
// The logon shortcut "ヨミトキ.lnk" in the user's Startup folder.
#include <string>

// The shortcut's full path, or empty when the Startup folder cannot be had.
std::wstring ComputeStartupShortcutPath();

// Whether a file of that name exists, whatever it points to; never shows a system error box
// (a Startup folder on an unreachable drive counts as absent).
bool ShortcutExists(const std::wstring& shortcutPath);

// Creates the shortcut to target (no arguments, no working folder, SW_SHOW, the program's
// own icon). Needs COM on the calling thread. True exactly when the save succeeded.
bool CreateShortcut(const std::wstring& shortcutPath, const std::wstring& target);
