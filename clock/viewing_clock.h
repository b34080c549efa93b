#pragma once
// The viewing clock: once a second, counts the reading seconds of the day and of the
// current stretch, ends a stretch after a short grace, shows the state in the tray tip
// and to the sibling program, and takes the sample for the next second.
#include <cstdint>
#include <string>
#include <string_view>

#include "character/speech.h"
#include "common/local_time.h"
#include "records/settings.h"
#include "watch/address_match.h"

inline constexpr uint32_t kSecondsMax = 4294967295u;
// The day's total reaches the daily log at least this often while reading.
inline constexpr uint32_t kTodayTotalWriteSeconds = 60;
// WatchCountdown after a sample that saw the site; the stretch ends when it runs down.
inline constexpr int16_t kWatchGrace = 5;

struct ViewingClock {
    uint32_t TodaySeconds = 0;       // the day of TodayKey; saturates at kSecondsMax
    uint32_t ContinuousSeconds = 0;  // the current stretch; saturates likewise
    int16_t WatchCountdown = 0;      // 0 to 5; 5 after a hit
    bool TickRunning = false;        // a tick is under way (a message box may be open in it)
};

enum class TrayIconKind { Viewing, Idle };

// Everything outside the clock that a tick touches.
class ClockPorts {
  public:
    virtual ~ClockPorts() = default;
    // The five sample sources, in the order the tick asks them. Each returns true on a
    // hit, having run MatchWatchedAddress over what it read (which leaves the article).
    virtual bool RereadRememberedHelperFile() = 0;
    // Re-checks the cached reader's control; on a miss forgets it. False when none.
    virtual bool RecheckCachedReader() = 0;
    virtual bool ScanFirefoxProfiles() = 0;
    // A hit caches the reader that found it.
    virtual bool ScanBrowsers() = 0;
    // The browsers that draw their own address bars, read through their accessibility
    // trees off the tick's thread: the latest verdict counts while fresh. Asked last
    // because a search costs the most.
    virtual bool ScanAccessibleBrowsers() = 0;

    // Tray tip (the tray cuts it to what it can show) and icon.
    virtual void ModifyTray(std::u16string_view tip, TrayIconKind icon) = 0;
    // The status text for the sibling program's window; empty at the end of a stretch.
    virtual void TellSibling(std::u16string_view text) = 0;
    virtual void AddRankingSecond(const char16_t* article) = 0;
    // Writes the day's total to the daily log (the log value only; silent on failure), so
    // that a program that is killed or loses power loses at most a minute of the day.
    virtual void WriteTodayTotal() = 0;
    virtual LocalTime Now() = 0;
};

// The notifications the tick runs at their places.
class ClockNotifications {
  public:
    virtual ~ClockNotifications() = default;
    // After a counted second and the status texts.
    virtual void CheckElapsedTalk() = 0;
    // When a stretch has just ended; true when the end-of-viewing notice was spoken.
    virtual bool CheckViewingEnd() = 0;
    // With the local time read once after the sample step, in this order.
    virtual void CheckDayChange(const LocalTime& now) = 0;
    virtual void CheckHourlyChime(const LocalTime& now) = 0;
    virtual void CheckAlarms(const LocalTime& now) = 0;
};

// What a tick works on; the app owns all of it.
struct ClockContext {
    ViewingClock& clock;
    SpeechState& speech;
    const Settings& settings;
    const CurrentArticle& article;
    std::u16string_view editionLabel;
    ClockPorts& ports;
    ClockNotifications& notifications;
};

// One second. A tick that arrives while another runs (from the loop of a message box that
// the outer tick opened) is skipped, not queued.
void ClockTick(ClockContext& ctx);

// The end-of-viewing notice has run out: the stretch it showed ends with it, unless reading
// has resumed meanwhile.
void FinishNoticeEnded(ViewingClock& clock);

// The tray tip and sibling texts, byte for byte as shown.
std::u16string ViewingText(std::u16string_view editionLabel, uint32_t today, uint32_t continuous);
std::u16string WatchingText(std::u16string_view editionLabel, uint32_t today, uint32_t previous);
std::u16string WaitingText(std::u16string_view editionLabel, uint32_t today);
std::u16string SiblingStatusText(uint32_t today, uint32_t continuous);
