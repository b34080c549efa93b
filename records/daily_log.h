#pragma once
// The daily viewing log: one registry value per calendar day, named by the date's eight
// digits and holding the day's reading seconds. Here: the date arithmetic, the order in
// which old days are pruned, and the summary text the log viewer shows.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A local date, as the platform's local-time query gives it.
struct LogDate {
    uint16_t year = 0;
    uint16_t month = 0;  // 1-12 when valid
    uint16_t day = 0;    // 1 to the month's length when valid
};

// The number of days kept in the log after every save.
inline constexpr size_t kLogDaysKept = 366;

// Callers ask for 7, 30 or 365 days; other counts are clamped to 1 to this many.
inline constexpr int kLogSummaryMaxDays = 36600;

// Month 1-12 and day 1 to the month's length (February has 29 days in years divisible by
// 4 and not by 100, or divisible by 400).
bool IsValidDate(uint16_t year, uint16_t month, uint16_t day);

// Moves a valid date back by one day and returns true. An invalid date is left as it is
// and gives false.
bool StepBackOneDay(LogDate& date);

// The day's value name, "%04d%02d%02d": 2011-07-05 is "20110705".
std::u16string LogValueName(const LogDate& date);

// The number a value name spells, as the C runtime's _wtoi reads it: leading white space
// skipped, an optional sign, decimal digits up to the first other character, clamped to the
// signed 32-bit range; a name that starts with no number gives 0.
int32_t LogNameNumber(std::u16string_view name);

// Which names to delete so that keep remain: the indexes of all but the keep names with
// the largest numbers (LogNameNumber), smallest numbers first. Of equal numbers the one
// listed first goes first.
std::vector<size_t> ChooseLogNamesToPrune(const std::vector<std::u16string>& names, size_t keep);

// The summary of the days days up to and including today, newest first, as the log viewer
// shows it: a header, one line per day (seconds from readSeconds, 0 for a missing day), the
// total and the average over the days asked for. days is clamped to 1..kLogSummaryMaxDays.
// readSeconds gets each day's value name.
std::u16string LogSummaryText(const LogDate& today, int days,
                              const std::function<uint32_t(const std::u16string&)>& readSeconds);
