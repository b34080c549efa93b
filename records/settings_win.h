#pragma once
// Loading and saving the Settings record, with the day's total from and to the daily log.
#include <windows.h>

#include <functional>
#include <string_view>

#include <cstdint>
#include "records/settings.h"

// The character window's rectangle now, in the coordinates WindowLeft and WindowTop are
// stored in; false when it cannot be told.
using WindowRectPort = std::function<bool(RECT& rect)>;

// Reads the day's total so far (todaySeconds, from todayKey in LogKey) and then the record
// from SettingsKey. Creates nothing: a key that cannot be opened leaves what it would have
// filled as it is (the record keeps its first-start contents).
void LoadSettings(Settings& settings, uint32_t& todaySeconds, std::u16string_view todayKey);

// Writes the day's total (todaySeconds) under todayKey in LogKey, then the record to SettingsKey
// with the character window's place, then prunes the log. A key that cannot be opened or created
// shows a message box owned by owner (the log's and the settings' each their own); the rest
// goes on. False when a box was shown. When the window's rectangle cannot be told, the
// record's WindowLeft and WindowTop are written instead.
bool SaveSettings(HWND owner, const Settings& settings, uint32_t todaySeconds,
                  std::u16string_view todayKey, const WindowRectPort& windowRect);
