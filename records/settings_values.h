#pragma once
// The rules between the Settings record and its stored values: the names, the order of
// reading and writing, the defaults for missing values, and how numbers become fields.
// The registry itself is reached through the two small ports below.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "records/settings.h"

// A stored number other than 0 is true.
inline bool BoolFromStored(int32_t stored) {
    return stored != 0;
}
// True is stored as 1.
inline uint32_t StoredFromBool(bool value) {
    return value ? 1u : 0u;
}
// Hours and minutes keep the low 16 bits of the stored number; no range check.
inline uint16_t HourOrMinuteFromStored(int32_t stored) {
    return static_cast<uint16_t>(static_cast<uint32_t>(stored) & 0xFFFFu);
}

// Where stored values are read from (the open settings key).
class SettingsSource {
  public:
    virtual ~SettingsSource() = default;
    // The stored number, or fallback when the value is missing or holds no number.
    virtual int32_t ReadInteger(const char16_t* name, int32_t fallback) = 0;
    // The stored text (empty when missing), or nothing when it cannot be read.
    virtual std::optional<std::u16string> ReadText(const char16_t* name) = 0;
};

// Where values are written to; a value that cannot be written is silently skipped.
class SettingsSink {
  public:
    virtual ~SettingsSink() = default;
    virtual void WriteInteger(const char16_t* name, uint32_t value) = 0;
    virtual void WriteText(const char16_t* name, std::u16string_view text) = 0;
};

// Reads every value of the settings key in the stored order, with the defaults of a key
// that exists but lacks the value (WindowLeft and WindowTop default to PositionUnset).
void ReadSettingsValues(Settings& settings, SettingsSource& source);

// Writes every value but NoTaskbarIcon (which only the user sets, by hand) in the stored
// order, an absent alarm text as an empty one, and the window's place as given.
void WriteSettingsValues(const Settings& settings, int32_t windowLeft, int32_t windowTop,
                         SettingsSink& sink);
