#include "records/daily_log_win.h"

#include <vector>

#include "common/boundary.h"
#include "common/system_win.h"
#include "common/text_win.h"
#include "records/settings.h"

void PruneLog() {
    REGW log;
    if (!log.OpenKey(LogKey, OpenCreate)) {
        return;
    }
    DWORD count = 0;
    if (RegQueryInfoKeyW(log.Key(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        count > kLogDaysKept) {
        // Memory for the names that runs out leaves the log as it is until the next save.
        CatchAtBoundary(false, [&] {
            std::vector<std::u16string> names;
            names.reserve(count);
            // Names are all collected before any is deleted: deleting shifts the indexes.
            ForEachRegistryValue(log.Key(), false, [&](const RegistryValueView& value) {
                names.emplace_back(value.name);
            });
            // What is deleted is counted from the names seen, not from the count asked
            // for first, so that a value that could not be enumerated never makes one more
            // day go.
            for (size_t index : ChooseLogNamesToPrune(names, kLogDaysKept)) {
                log.DeleteValue(names[index].c_str());
            }
            return true;
        });
    }
    log.CloseKey();
}

LogDate TodayLogDate() {
    const LocalTime now = LocalNow();
    return LogDate{static_cast<uint16_t>(now.year), static_cast<uint16_t>(now.month),
                   static_cast<uint16_t>(now.day)};
}

std::u16string LogSummaryTextOf(REGW& log, const LogDate& today, int days) {
    return LogSummaryText(today, days, [&](const std::u16string& name) {
        return static_cast<uint32_t>(log.ReadIntegerW(name.c_str(), 0));
    });
}

void BuildLogSummary(REGW& log, int days, HWND edit, const LogDate& today) {
    if (!CatchAtBoundary(false, [&] {
            const std::u16string text = LogSummaryTextOf(log, today, days);
            SetWindowTextW(edit, AsWide(text.c_str()));
            return true;
        })) {
        SetWindowTextW(edit, L"");
    }
}

bool WriteTodayTotal(std::u16string_view todayKey, uint32_t seconds) {
    if (todayKey.empty()) {
        return false;  // an empty name would be the key's default value, not a day
    }
    const std::u16string name(todayKey);
    REGW log;
    if (!log.OpenKey(LogKey, OpenCreate)) {
        return false;
    }
    const bool written = log.WriteIntegerW(name.c_str(), seconds);
    log.CloseKey();
    return written;
}
