#pragma once
// The notifications the viewing clock runs at their places in each tick.
#include "clock/viewing_clock.h"

// Stand-in until the notification checks are written: speaks nothing, never ends a day.
// The clock's counting, grace and sampling do not depend on it.
class PendingNotifications final : public ClockNotifications {
  public:
    void CheckElapsedTalk() override {}
    bool CheckViewingEnd() override { return false; }
    void CheckDayChange(const LocalTime&) override {}
    void CheckHourlyChime(const LocalTime&) override {}
    void CheckAlarms(const LocalTime&) override {}
};
