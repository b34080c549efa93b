#include "clock/viewing_clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

namespace {

// The world around the clock: scripted samples, and a record of what the tick did.
struct FakePorts : ClockPorts {
    std::deque<bool> samples;  // one per tick; a miss when empty
    bool cachedReader = false;
    std::vector<std::string> calls;
    std::vector<std::u16string> tips;
    std::vector<TrayIconKind> icons;
    std::vector<std::u16string> sibling;
    std::vector<std::u16string> ranked;
    LocalTime now{2026, 12, 6, 10, 30, 15};

    bool RereadRememberedHelperFile() override { return Record("helper"), false; }
    bool RecheckCachedReader() override { return Record("cached"), false; }
    bool ScanFirefoxProfiles() override { return Record("profiles"), false; }
    bool ScanBrowsers() override {
        Record("browsers");
        bool hit = !samples.empty() && samples.front();
        if (!samples.empty())
            samples.pop_front();
        return hit;
    }
    bool ScanAccessibleBrowsers() override { return Record("accessible"), false; }
    void ModifyTray(std::u16string_view tip, TrayIconKind icon) override {
        tips.emplace_back(tip);
        icons.push_back(icon);
    }
    void TellSibling(std::u16string_view text) override { sibling.emplace_back(text); }
    void AddRankingSecond(const char16_t* article) override { ranked.emplace_back(article); }
    void WriteTodayTotal() override { Record("log"); }
    LocalTime Now() override { return Record("now"), now; }
    void Record(const char* what) { calls.emplace_back(what); }
};

struct FakeNotifications : ClockNotifications {
    std::vector<std::string> calls;
    bool speakNotice = false;
    std::vector<uint32_t> todayAtDayCheck;
    ViewingClock* clock = nullptr;
    int dayOfCurrentDate = 6;

    void CheckElapsedTalk() override { calls.emplace_back("elapsed"); }
    bool CheckViewingEnd() override { return calls.emplace_back("end"), speakNotice; }
    void CheckDayChange(const LocalTime& now) override {
        calls.emplace_back("day");
        todayAtDayCheck.push_back(clock->TodaySeconds);
        if (now.day != dayOfCurrentDate) {  // what the real check does to the clock
            dayOfCurrentDate = now.day;
            clock->TodaySeconds = 0;
        }
    }
    void CheckHourlyChime(const LocalTime&) override { calls.emplace_back("chime"); }
    void CheckAlarms(const LocalTime&) override { calls.emplace_back("alarms"); }
};

struct ClockRun : ::testing::Test {
    ViewingClock clock;
    SpeechState speech;
    Settings settings;
    CurrentArticle article;
    FakePorts ports;
    FakeNotifications notes;

    void SetUp() override { notes.clock = &clock; }
    void Tick() {
        ClockContext ctx{clock, speech, settings, article, u"ひなた", ports, notes};
        ClockTick(ctx);
    }
    void Ticks(std::initializer_list<bool> samples) {
        for (bool s : samples) {
            ports.samples.push_back(s);
            Tick();
        }
    }
};

TEST(StatusTexts, AreFormattedAsShown) {
    EXPECT_EQ(ViewingText(u"ひなた", 3723, 62),
              u"ヨミトキ[ひなた]  閲覧中(本日合計 1:02:03 連続 0:01:02)");
    EXPECT_EQ(WatchingText(u"ひなた", 0, 2),
              u"ヨミトキ[ひなた]  監視中(本日合計 0:00:00 直前 0:00:02)");
    EXPECT_EQ(WaitingText(u"", 359999), u"ヨミトキ[]  待機中(本日合計99:59:59)");
    EXPECT_EQ(SiblingStatusText(360000, 4294967295u), u"YMT 本日[100:00:00] 連続[1193046:28:15]");
}

TEST_F(ClockRun, TwoHitsThenFourMissesCountTwoSecondsAndEndTheStretch) {
    Ticks({true, true, false, false, false, false});
    EXPECT_EQ(clock.TodaySeconds, 2u);
    EXPECT_EQ(clock.ContinuousSeconds, 2u);  // not ended yet: the fifth tick ends it
    EXPECT_EQ(clock.WatchCountdown, 1);
    Ticks({false});
    EXPECT_EQ(clock.WatchCountdown, 0);
    EXPECT_EQ(clock.ContinuousSeconds, 0u);
    ASSERT_EQ(ports.tips.size(), 3u);
    EXPECT_EQ(ports.tips.back(), u"ヨミトキ[ひなた]  監視中(本日合計 0:00:02 直前 0:00:02)");
    EXPECT_EQ(ports.icons.back(), TrayIconKind::Idle);
    EXPECT_EQ(ports.sibling,
              (std::vector<std::u16string>{u"YMT 本日[ 0:00:01] 連続[ 0:00:01]",
                                           u"YMT 本日[ 0:00:02] 連続[ 0:00:02]", u""}));
}

TEST_F(ClockRun, AHitWithinTheGraceContinuesTheStretchWithoutTheGap) {
    Ticks({true, false, false, true, true});
    EXPECT_EQ(clock.ContinuousSeconds, 2u);
    Tick();  // the tick after the last hit
    EXPECT_EQ(clock.ContinuousSeconds, 3u);
    EXPECT_EQ(clock.TodaySeconds, 3u);
    for (const auto& call : notes.calls)
        EXPECT_NE(call, "end");
}

TEST_F(ClockRun, SpokenNoticeKeepsTheStretchUntilItEnds) {
    notes.speakNotice = true;
    Ticks({true, true, false, false, false, false, false});
    EXPECT_EQ(clock.WatchCountdown, 0);
    EXPECT_EQ(clock.ContinuousSeconds, 2u);
    FinishNoticeEnded(clock);
    EXPECT_EQ(clock.ContinuousSeconds, 0u);

    // Reading resumed before the notice ran out: the stretch goes on.
    clock.ContinuousSeconds = 1234;
    clock.WatchCountdown = 3;
    FinishNoticeEnded(clock);
    EXPECT_EQ(clock.ContinuousSeconds, 1234u);
}

TEST_F(ClockRun, ReadingAgainCutsTheNoticeShortAndGoesOn) {
    notes.speakNotice = true;
    Ticks({true, false, false, false, false, false});
    speech.ActiveSpeechTimer = IDT_FINISHNOTICE;
    speech.SpeechLength = speech.SpeechStep = 400;
    Ticks({true, true});
    EXPECT_EQ(speech.SpeechStep, 30u);
    EXPECT_EQ(clock.ContinuousSeconds, 2u);  // the old stretch's second, then this one's

    // Only the notice is cut short, and only down to its fade-out.
    speech.ActiveSpeechTimer = IDT_ELAPSED;
    speech.SpeechStep = 200;
    ports.samples.push_back(true);
    Tick();
    EXPECT_EQ(speech.SpeechStep, 200u);
    speech.ActiveSpeechTimer = IDT_FINISHNOTICE;
    speech.SpeechStep = 12;
    Tick();
    EXPECT_EQ(speech.SpeechStep, 12u);
}

TEST_F(ClockRun, SecondsSaturateInsteadOfWrapping) {
    clock.TodaySeconds = clock.ContinuousSeconds = 4294967294u;
    Ticks({true, true, true});
    EXPECT_EQ(clock.TodaySeconds, 4294967295u);
    EXPECT_EQ(clock.ContinuousSeconds, 4294967295u);
}

TEST_F(ClockRun, TheSecondOfTheDayChangeBelongsToTheOldDay) {
    clock.TodaySeconds = 100;
    ports.now = {2026, 12, 6, 23, 59, 59};
    Ticks({true, true});
    ports.now = {2026, 12, 7, 0, 0, 0};
    Tick();  // counts the second of the last sample, then the day changes
    EXPECT_EQ(notes.todayAtDayCheck.back(), 102u);
    EXPECT_EQ(clock.TodaySeconds, 0u);
    EXPECT_EQ(clock.ContinuousSeconds, 2u);  // the stretch runs over midnight
}

TEST_F(ClockRun, StepsRunInTheirOrder) {
    Ticks({true});
    notes.calls.clear();
    ports.calls.clear();
    Ticks({false, false, false, false, false});
    EXPECT_EQ(notes.calls.size(),
              5u * 3 + 2);  // day, chime, alarms each tick; one elapsed, one end
    EXPECT_EQ(notes.calls[0], "elapsed");
    EXPECT_EQ(notes.calls[1], "day");
    EXPECT_EQ(std::vector<std::string>(ports.calls.begin(), ports.calls.begin() + 6),
              (std::vector<std::string>{"helper", "cached", "profiles", "browsers", "accessible",
                                        "now"}));
    // The stretch ends in the fifth tick, before that tick's sample and day step.
    EXPECT_EQ(std::vector<std::string>(notes.calls.end() - 4, notes.calls.end()),
              (std::vector<std::string>{"end", "day", "chime", "alarms"}));
}

TEST_F(ClockRun, TheDaysTotalReachesTheLogEveryMinuteOfReading) {
    clock.TodaySeconds = 58;
    Ticks({true, true, true});  // counts 59 and 60
    EXPECT_EQ(std::count(ports.calls.begin(), ports.calls.end(), "log"), 1);
    for (int i = 0; i < 60; ++i)
        Ticks({true});
    EXPECT_EQ(clock.TodaySeconds, 120u);
    EXPECT_EQ(std::count(ports.calls.begin(), ports.calls.end(), "log"), 2);
}

TEST_F(ClockRun, SamplingStopsAtTheFirstHit) {
    struct CachedHit : FakePorts {
        bool RecheckCachedReader() override { return Record("cached"), true; }
    } hitting;
    ClockContext ctx{clock, speech, settings, article, u"", hitting, notes};
    ClockTick(ctx);
    EXPECT_EQ(hitting.calls, (std::vector<std::string>{"helper", "cached", "now"}));
    EXPECT_EQ(clock.WatchCountdown, kWatchGrace);
}

TEST_F(ClockRun, TheAccessibilitySourceIsAskedLastAndItsHitCounts) {
    struct AccessibleHit : FakePorts {
        bool ScanAccessibleBrowsers() override { return Record("accessible"), true; }
    } hitting;
    ClockContext ctx{clock, speech, settings, article, u"", hitting, notes};
    ClockTick(ctx);
    EXPECT_EQ(hitting.calls, (std::vector<std::string>{"helper", "cached", "profiles", "browsers",
                                                       "accessible", "now"}));
    EXPECT_EQ(clock.WatchCountdown, kWatchGrace);
}

TEST_F(ClockRun, SettingsDecideTrayAndRankingButNotTheSibling) {
    settings.NoTaskbarIcon = true;
    settings.HistryEnabled = true;
    const std::u16string name = u"猫";
    std::copy(name.begin(), name.end(), article.text.begin());
    Ticks({true, true, false, false, false, false, false});
    EXPECT_TRUE(ports.tips.empty());
    EXPECT_EQ(ports.sibling.size(), 3u);
    EXPECT_EQ(ports.ranked, (std::vector<std::u16string>{u"猫", u"猫"}));

    settings.HistryEnabled = false;
    Ticks({true, true});
    EXPECT_EQ(ports.ranked.size(), 2u);
    article.text[0] = u'\0';
    settings.HistryEnabled = true;
    Ticks({true});
    EXPECT_EQ(ports.ranked.size(), 2u);  // no article, nothing ranked
}

}  // namespace
