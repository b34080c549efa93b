#pragma once
// What the character says on its own, decided inside the one-second tick: elapsed-time
// lines, the end-of-viewing notice, the hourly chime and the one-shot alarms; and the change
// of day, which closes the day's total and says nothing.
#include <functional>
#include <memory>
#include <string>

#include "clock/viewing_clock.h"
#include "common/random_port.h"

// The day being counted: its local date and time (CurrentDate) and its "%04d%02d%02d" key
// in the daily log (TodayKey). Start-up sets it; the change of day replaces it.
struct CurrentDay {
    LocalTime date;
    std::u16string key;
};

std::u16string FormatTodayKey(const LocalTime& date);

// Voice clips of the composed lines.
inline constexpr uint32_t kNoticeVoice = 160;
inline constexpr uint32_t kChimeVoiceBase = 161;  // + hour
inline constexpr uint32_t kMidnightChimeVoice = 185;
inline constexpr uint32_t kNoonChimeVoice = 186;
inline constexpr uint32_t kAlarmVoiceBase = 187;  // + opening line 0-2

// The end-of-viewing notice for the day's total and the ended stretch.
std::u16string NoticeText(uint32_t today, uint32_t continuous);

class Notifications final : public ClockNotifications {
  public:
    // Saves the settings and a finished day's total under that day's key; it may show a
    // message box (owner: the main window), whose loop goes on delivering timers.
    using SaveDay = std::function<void(std::u16string_view dayKey, uint32_t daySeconds)>;

    Notifications(ViewingClock& clock, SpeechState& speech, Settings& settings, CurrentDay& day,
                  TimerPort& window, RandomDraw draw, SaveDay saveSettings);

    void CheckElapsedTalk() override;
    bool CheckViewingEnd() override;
    void CheckDayChange(const LocalTime& now) override;
    void CheckHourlyChime(const LocalTime& now) override;
    void CheckAlarms(const LocalTime& now) override;

  private:
    // Speak keeps a pointer to its text: each composed line lives here until replaced.
    static constexpr size_t kNoticeUnits = 1025;
    static constexpr size_t kChimeUnits = 80;

    // One draw of the random port, seen as unsigned so that a modulus never goes negative.
    unsigned Draw();
    bool FarewellRunning() const;
    void ReplaceRunningSpeech();

    ViewingClock& m_clock;
    SpeechState& m_speech;
    Settings& m_settings;
    CurrentDay& m_day;
    TimerPort& m_window;
    RandomDraw m_draw;
    SaveDay m_saveSettings;
    char16_t m_notice[kNoticeUnits] = {};
    char16_t m_chime[kChimeUnits] = {};
    std::unique_ptr<char16_t[]> m_alarm;  // one buffer for all alarms, kept until the next
};
