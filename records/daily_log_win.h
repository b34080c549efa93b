#pragma once
// The daily log in the registry (LogKey): pruning to the newest days, the summary shown in
// the log viewer, and the day's running total written while reading.
#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "records/daily_log.h"
#include "records/registry_win.h"

// Keeps the 366 values whose names spell the largest numbers (the newest days) and deletes
// the rest; names that are no dates count as 0 and go first. Creates LogKey when missing.
// Silent: when the key or memory cannot be had, nothing is deleted.
void PruneLog();

// Today's local date.
LogDate TodayLogDate();

// The summary of the last days days up to today from the log held open in log (read
// access is enough); a day without a value counts as 0. See LogSummaryText.
std::u16string LogSummaryTextOf(REGW& log, const LogDate& today, int days);

// Replaces edit's whole text with the summary of the last days days up to today.
void BuildLogSummary(REGW& log, int days, HWND edit, const LogDate& today);

// Writes the day's running total, and only that, under todayKey in LogKey (created when
// missing), so that a program that ends without saving loses at most the seconds since the
// last call. Silent: false when the value could not be written.
bool WriteTodayTotal(std::u16string_view todayKey, uint32_t seconds);
