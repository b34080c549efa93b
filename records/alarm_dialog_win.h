#pragma once
// The alarm settings dialog: three one-shot alarms, each with its hour, minute and message.
#include <windows.h>

#include "records/settings.h"

// Opens the alarm dialog modally; OK stores the three alarms in settings (memory only).
INT_PTR OpenAlarmDialog(HINSTANCE instance, HWND owner, Settings& settings);
