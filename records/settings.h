#pragma once
// The user's choices, the alarms and the character window's position: one record
// for the whole run, loaded at start-up and saved with the day's total.
#include <cstdint>
#include <optional>
#include <string>

// Where the record, the daily log and the ranking live, under HKEY_CURRENT_USER.
inline constexpr char16_t SettingsKey[] = u"Software\\Torvenal\\Yomitoki\\CurrentVersion";
inline constexpr char16_t LogKey[] = u"Software\\Torvenal\\Yomitoki\\CurrentVersion\\Log";
inline constexpr char16_t RankKey[] = u"Software\\Torvenal\\Yomitoki\\CurrentVersion\\Rank";

// Marks a window position that was never stored (bit pattern 0x80000000).
inline constexpr int32_t PositionUnset = INT32_MIN;

struct Settings {
    // The initial contents are the values of a first start, when no settings key exists yet.
    bool NotifyFinish = true;
    bool NotifyHour = false;
    bool NotifyTime = false;
    bool HistryEnabled = false;
    bool NoTaskbarIcon = false;
    bool Voice = true;
    bool Alarm1Enable = false;
    bool Alarm2Enable = false;
    bool Alarm3Enable = false;
    uint16_t Alarm1h = 0;
    uint16_t Alarm2h = 0;
    uint16_t Alarm3h = 0;
    uint16_t Alarm1m = 0;
    uint16_t Alarm2m = 0;
    uint16_t Alarm3m = 0;
    // Absent before a load and after a failed read; absent counts as empty text.
    std::optional<std::u16string> Alarm1Mes;
    std::optional<std::u16string> Alarm2Mes;
    std::optional<std::u16string> Alarm3Mes;
    int32_t SelEdition = 0;
    int32_t WindowLeft = 0;
    int32_t WindowTop = 0;
};
