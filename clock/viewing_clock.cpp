#include "clock/viewing_clock.h"

#include "common/format.h"

namespace {

void AddSecond(uint32_t& seconds) {
    if (seconds < kSecondsMax) {
        ++seconds;
    }
}

std::u16string TipPrefix(std::u16string_view editionLabel) {
    std::u16string s = u"ヨミトキ[";
    s += editionLabel;
    s += u"]  ";
    return s;
}

bool TakeSample(ClockPorts& ports) {
    return ports.RereadRememberedHelperFile() || ports.RecheckCachedReader() ||
           ports.ScanFirefoxProfiles() || ports.ScanBrowsers() || ports.ScanAccessibleBrowsers();
}

}  // namespace

std::u16string ViewingText(std::u16string_view editionLabel, uint32_t today, uint32_t continuous) {
    std::u16string s = TipPrefix(editionLabel);
    s += u"閲覧中(本日合計";
    AppendHms(s, today);
    s += u" 連続";
    AppendHms(s, continuous);
    s += u")";
    return s;
}

std::u16string WatchingText(std::u16string_view editionLabel, uint32_t today, uint32_t previous) {
    std::u16string s = TipPrefix(editionLabel);
    s += u"監視中(本日合計";
    AppendHms(s, today);
    s += u" 直前";
    AppendHms(s, previous);
    s += u")";
    return s;
}

std::u16string WaitingText(std::u16string_view editionLabel, uint32_t today) {
    std::u16string s = TipPrefix(editionLabel);
    s += u"待機中(本日合計";
    AppendHms(s, today);
    s += u")";
    return s;
}

std::u16string SiblingStatusText(uint32_t today, uint32_t continuous) {
    std::u16string s = u"YMT 本日[";
    AppendHms(s, today);
    s += u"] 連続[";
    AppendHms(s, continuous);
    s += u"]";
    return s;
}

void ClockTick(ClockContext& ctx) {
    ViewingClock& clock = ctx.clock;
    ClockPorts& ports = ctx.ports;
    if (clock.TickRunning) {
        return;
    }
    clock.TickRunning = true;
    struct EndOfTick {
        bool& running;
        ~EndOfTick() { running = false; }
    } endOfTick{clock.TickRunning};

    // Count: the sample of the previous tick saw the site.
    if (clock.WatchCountdown == kWatchGrace) {
        // Reading resumed while the end-of-viewing notice shows: send it to its fade-out.
        if (ctx.speech.ActiveSpeechTimer == IDT_FINISHNOTICE &&
            ctx.speech.SpeechStep > kFadeSteps) {
            ctx.speech.SpeechStep = kFadeSteps;
        }
        AddSecond(clock.ContinuousSeconds);
        AddSecond(clock.TodaySeconds);
        if (ctx.settings.HistryEnabled && !ctx.article.empty()) {
            ports.AddRankingSecond(ctx.article.c_str());
        }
        if (!ctx.settings.NoTaskbarIcon) {
            ports.ModifyTray(
                ViewingText(ctx.editionLabel, clock.TodaySeconds, clock.ContinuousSeconds),
                TrayIconKind::Viewing);
        }
        ports.TellSibling(SiblingStatusText(clock.TodaySeconds, clock.ContinuousSeconds));
        if (clock.TodaySeconds % kTodayTotalWriteSeconds == 0) {
            ports.WriteTodayTotal();
        }
        ctx.notifications.CheckElapsedTalk();
    }

    // Grace: the stretch ends when the countdown runs out.
    if (clock.WatchCountdown > 0) {
        --clock.WatchCountdown;
        if (clock.WatchCountdown == 0) {
            if (!ctx.settings.NoTaskbarIcon) {
                ports.ModifyTray(
                    WatchingText(ctx.editionLabel, clock.TodaySeconds, clock.ContinuousSeconds),
                    TrayIconKind::Idle);
            }
            ports.TellSibling(u"");
            // A spoken notice still shows the stretch; its end clears it.
            if (!ctx.notifications.CheckViewingEnd()) {
                clock.ContinuousSeconds = 0;
            }
        }
    }

    // Sample for the next tick, stopping at the first source that sees the site.
    if (TakeSample(ports)) {
        clock.WatchCountdown = kWatchGrace;
    }

    const LocalTime now = ports.Now();
    ctx.notifications.CheckDayChange(now);
    ctx.notifications.CheckHourlyChime(now);
    ctx.notifications.CheckAlarms(now);
}

void FinishNoticeEnded(ViewingClock& clock) {
    if (clock.WatchCountdown == 0) {
        clock.ContinuousSeconds = 0;
    }
}
