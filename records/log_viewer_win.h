#pragma once
// The log viewer dialog: the daily log summed over 7, 30 or 365 days, or the article
// ranking, read-only, with a button that deletes what it shows.
#include <windows.h>

#include <cstdint>
#include <functional>

// Opens the log viewer modally for the menu command that asked for it (IDM_LOG_WEEK,
// IDM_LOG_MONTH, IDM_LOG_YEAR: the log summed over 7, 30 or 365 days; IDM_RANKING: the
// ranking). saveSettings saves the settings and the day's total, with the dialog as the
// owner of its message boxes, before anything is read.
INT_PTR OpenLogViewer(HINSTANCE instance, HWND owner, uint32_t command,
                      std::function<void(HWND dialog)> saveSettings);
