#include "clock/notifications.h"

#include <algorithm>
#include <new>

#include "character/talk_tables.h"
#include "common/format.h"
#include "records/daily_log.h"

namespace {

// The first seconds mark of the elapsed-time lines.
constexpr uint32_t kFirstMark = 300;

// Copies text with its terminator into buffer, cut to fit.
template <size_t N>
void CopyInto(char16_t (&buffer)[N], std::u16string_view text) {
    const size_t n = std::min(text.size(), N - 1);
    std::copy_n(text.data(), n, buffer);
    std::fill(buffer + n, buffer + N, u'\0');
}

// Hours, minutes and seconds as "%2u時間%2u分%2u秒": spaces, not zeros.
void AppendJapaneseDuration(std::u16string& out, uint32_t seconds) {
    AppendUnsigned(out, seconds / 3600, 2);
    out += u"時間";
    AppendUnsigned(out, seconds / 60 % 60, 2);
    out += u"分";
    AppendUnsigned(out, seconds % 60, 2);
    out += u"秒";
}

struct Alarm {
    bool& enabled;
    uint16_t hour;
    uint16_t minute;
    const std::optional<std::u16string>& message;
};

}  // namespace

std::u16string FormatTodayKey(const LocalTime& date) {
    return LogValueName(LogDate{static_cast<uint16_t>(date.year), static_cast<uint16_t>(date.month),
                                static_cast<uint16_t>(date.day)});
}

std::u16string NoticeText(uint32_t today, uint32_t continuous) {
    std::u16string s = u"Wikipediaを見終わりました。今日見た時間は全部で";
    AppendJapaneseDuration(s, today);
    s += u"、連続で見た時間は";
    AppendJapaneseDuration(s, continuous);
    s += u"です。";
    return s;
}

Notifications::Notifications(ViewingClock& clock, SpeechState& speech, Settings& settings,
                             CurrentDay& day, TimerPort& window, RandomDraw draw,
                             SaveDay saveSettings)
    : m_clock(clock),
      m_speech(speech),
      m_settings(settings),
      m_day(day),
      m_window(window),
      m_draw(std::move(draw)),
      m_saveSettings(std::move(saveSettings)) {}

unsigned Notifications::Draw() {
    return static_cast<unsigned>(m_draw());
}

bool Notifications::FarewellRunning() const {
    return IsFarewell(m_speech.ActiveSpeechTimer);
}

void Notifications::ReplaceRunningSpeech() {
    StopRunningSpeech(m_speech, m_window);
}

void Notifications::CheckElapsedTalk() {
    if (!m_settings.NotifyTime || m_clock.ContinuousSeconds < kFirstMark) {
        return;
    }
    const ElapsedTalkRow* row = FindElapsedRow(m_clock.ContinuousSeconds);
    if (row == nullptr || FarewellRunning()) {
        return;
    }
    ReplaceRunningSpeech();
    const TalkEntry& entry = ChooseElapsedEntry(*row, m_draw);
    m_speech.ElapsedWarning = (entry.expression & 0xFF) != 0;
    Speak(m_speech, entry.text, IDT_ELAPSED, m_window, entry.voiceId);
}

bool Notifications::CheckViewingEnd() {
    if (!m_settings.NotifyFinish || FarewellRunning()) {
        return false;
    }
    CopyInto(m_notice, NoticeText(m_clock.TodaySeconds, m_clock.ContinuousSeconds));
    ReplaceRunningSpeech();
    Speak(m_speech, m_notice, IDT_FINISHNOTICE, m_window, kNoticeVoice);
    return true;
}

void Notifications::CheckDayChange(const LocalTime& now) {
    // Only the day of the month counts: a month slept through keeps the old day.
    if (now.day == m_day.date.day) {
        return;
    }
    // The new day is taken before the save, which may show a box: a tick that runs inside
    // the box's loop already sees the new day.
    const std::u16string finishedKey = std::move(m_day.key);
    const uint32_t finishedSeconds = m_clock.TodaySeconds;
    m_day.date = now;
    m_day.key = FormatTodayKey(now);
    m_clock.TodaySeconds = 0;
    m_saveSettings(finishedKey, finishedSeconds);
}

void Notifications::CheckHourlyChime(const LocalTime& now) {
    if (!m_settings.NotifyHour || now.minute != 0 || now.second != 0 ||
        m_speech.ActiveSpeechTimer != 0) {
        return;
    }
    const int hour = now.hour;
    uint32_t voice = kChimeVoiceBase + static_cast<uint32_t>(hour);
    if (hour == 0 && Draw() % 5 == 0) {
        CopyInto(m_chime, u"0時になりました。\r\n日付が変わります。");
        voice = kMidnightChimeVoice;
    } else if (hour == 12 && Draw() % 5 == 0) {
        CopyInto(m_chime, u"12時になりました。\r\nお昼の時間ですよ。");
        voice = kNoonChimeVoice;
    } else {
        std::u16string text;
        AppendUnsigned(text, static_cast<uint32_t>(hour), 2);
        text += u"時になりました。";
        CopyInto(m_chime, text);
    }
    Speak(m_speech, m_chime, IDT_HOURLY, m_window, voice);
}

void Notifications::CheckAlarms(const LocalTime& now) {
    static constexpr const char16_t* kOpenings[] = {u"時間ですよ～。\r\n",
                                                    u"時間になりましたよ。\r\n", u"時間です。\r\n"};
    Alarm alarms[] = {
        {m_settings.Alarm1Enable, m_settings.Alarm1h, m_settings.Alarm1m, m_settings.Alarm1Mes},
        {m_settings.Alarm2Enable, m_settings.Alarm2h, m_settings.Alarm2m, m_settings.Alarm2Mes},
        {m_settings.Alarm3Enable, m_settings.Alarm3h, m_settings.Alarm3m, m_settings.Alarm3Mes},
    };
    for (Alarm& alarm : alarms) {
        // The second is not compared: an alarm waits through its minute for silence.
        if (!alarm.enabled || now.hour != alarm.hour || now.minute != alarm.minute ||
            m_speech.ActiveSpeechTimer != 0) {
            continue;
        }
        m_alarm.reset();
        const std::u16string_view message =
            alarm.message.has_value() ? std::u16string_view(*alarm.message) : u"";
        // Zero-filled, with room for the opening line and the terminator.
        const size_t units = message.size() + 32;
        m_alarm.reset(new (std::nothrow) char16_t[units]());
        if (m_alarm != nullptr) {
            const unsigned pick = Draw() % 3;
            const std::u16string_view opening = kOpenings[pick];
            std::copy(opening.begin(), opening.end(), m_alarm.get());
            std::copy(message.begin(), message.end(), m_alarm.get() + opening.size());
            Speak(m_speech, m_alarm.get(), IDT_ALARM, m_window, kAlarmVoiceBase + pick);
        }
        alarm.enabled = false;  // one-shot, whether or not it could be said
    }
}
