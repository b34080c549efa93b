// The one-second tick: counting, the status texts, the sample order, and what the character
// says on its own inside it.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "clock/notifications.h"
#include "clock/viewing_clock.h"

namespace {
using Strings = std::vector<std::string>;
using Texts = std::vector<std::u16string>;

// The world around the clock: scripted samples, and a record of what the tick did.
struct FakePorts : ClockPorts {
    std::deque<bool> samples;  // one per tick; a miss when empty
    Strings calls;
    Texts tips, sibling, ranked;
    TrayIconKind icon{};
    LocalTime now{2026, 12, 6, 10, 30, 15};
    bool cachedHits = false;

    bool RereadRememberedHelperFile() override { return Call("helper"); }
    bool RecheckCachedReader() override { return Call("cached") || cachedHits; }
    bool ScanFirefoxProfiles() override { return Call("profiles"); }
    bool ScanBrowsers() override {
        const bool hit = !samples.empty() && samples.front();
        if (!samples.empty()) {
            samples.pop_front();
        }
        return Call("browsers") || hit;
    }
    bool ScanAccessibleBrowsers() override { return Call("accessible"); }
    void ModifyTray(std::u16string_view tip, TrayIconKind kind) override {
        tips.emplace_back(tip);
        icon = kind;
    }
    void TellSibling(std::u16string_view text) override { sibling.emplace_back(text); }
    void AddRankingSecond(const char16_t* article) override { ranked.emplace_back(article); }
    void WriteTodayTotal() override { Call("log"); }
    LocalTime Now() override { return Call("now"), now; }
    bool Call(const char* what) { return calls.emplace_back(what), false; }
};

struct FakeNotifications : ClockNotifications {
    Strings calls;
    bool speakNotice = false;
    uint32_t todayAtDayCheck = 0;
    ViewingClock* clock = nullptr;

    void CheckElapsedTalk() override { calls.emplace_back("elapsed"); }
    bool CheckViewingEnd() override { return calls.emplace_back("end"), speakNotice; }
    void CheckDayChange(const LocalTime& now) override {
        calls.emplace_back("day");
        todayAtDayCheck = clock->TodaySeconds;
        if (now.day != 6) {  // what the real check does to the clock
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

    void Ticks(std::initializer_list<bool> samples) {
        notes.clock = &clock;
        for (bool s : samples) {
            ports.samples.push_back(s);
            ClockContext ctx{clock, speech, settings, article, u"ひなた", ports, notes};
            ClockTick(ctx);
        }
    }
};

TEST(StatusTexts, AreFormattedAsShown) {
    EXPECT_EQ(ViewingText(u"ひなた", 3723, 62),
              u"ヨミトキ[ひなた]  閲覧中(本日合計 1:02:03 連続 0:01:02)");
    EXPECT_EQ(WaitingText(u"", 359999), u"ヨミトキ[]  待機中(本日合計99:59:59)");
    EXPECT_EQ(SiblingStatusText(360000, 4294967295u), u"YMT 本日[100:00:00] 連続[1193046:28:15]");
}

TEST_F(ClockRun, AGapWithinTheGraceContinuesTheStretchAndTheFifthMissEndsIt) {
    Ticks({true, false, false, true, true, false, false, false, false});
    EXPECT_EQ(clock.ContinuousSeconds, 3u);  // not ended yet: the fifth miss ends it
    Ticks({false});
    EXPECT_EQ(clock.ContinuousSeconds, 0u);
    EXPECT_EQ(ports.tips.back(), u"ヨミトキ[ひなた]  監視中(本日合計 0:00:03 直前 0:00:03)");
    EXPECT_EQ(ports.icon, TrayIconKind::Idle);
    EXPECT_EQ(ports.sibling.front(), u"YMT 本日[ 0:00:01] 連続[ 0:00:01]");
    EXPECT_EQ(ports.sibling.back(), u"");
}

TEST_F(ClockRun, ASpokenNoticeKeepsTheStretchUntilItEndsAndReadingAgainCutsItShort) {
    notes.speakNotice = true;
    Ticks({true, false, false, false, false, false});
    speech.ActiveSpeechTimer = IDT_FINISHNOTICE;
    speech.SpeechLength = speech.SpeechStep = 400;
    Ticks({true, true});
    EXPECT_EQ(speech.SpeechStep, 30u);  // sent to its fade-out
    FinishNoticeEnded(clock);           // reading resumed: the stretch goes on
    EXPECT_EQ(clock.ContinuousSeconds, 2u);
    speech.ActiveSpeechTimer = IDT_ELAPSED;  // only the notice is cut short
    speech.SpeechStep = 200;
    Ticks({true});
    EXPECT_EQ(speech.SpeechStep, 200u);
    Ticks({false, false, false, false, false});
    FinishNoticeEnded(clock);
    EXPECT_EQ(clock.ContinuousSeconds, 0u);
}

TEST_F(ClockRun, SecondsSaturateAndTheSecondOfTheDayChangeBelongsToTheOldDay) {
    clock.TodaySeconds = clock.ContinuousSeconds = 4294967294u;
    Ticks({true, true, true});
    EXPECT_EQ(clock.ContinuousSeconds, 4294967295u);
    clock.TodaySeconds = 100;
    ports.now = {2026, 12, 7, 0, 0, 0};
    Ticks({false});  // counts the second of the last sample, then the day changes
    EXPECT_EQ(notes.todayAtDayCheck, 101u);
    EXPECT_EQ(clock.TodaySeconds, 0u);
}

TEST_F(ClockRun, StepsRunInTheirOrderAndSamplingStopsAtTheFirstHit) {
    Ticks({true, false, false, false, false});
    notes.calls.clear();
    ports.calls.clear();
    Ticks({false});
    EXPECT_EQ(ports.calls,
              (Strings{"helper", "cached", "profiles", "browsers", "accessible", "now"}));
    EXPECT_EQ(notes.calls, (Strings{"end", "day", "chime", "alarms"}));
    ports.calls.clear();
    ports.cachedHits = true;
    Ticks({false});
    EXPECT_EQ(ports.calls, (Strings{"helper", "cached", "now"}));
}

TEST_F(ClockRun, TheDaysTotalReachesTheLogEveryMinuteAndSettingsDecideTrayAndRanking) {
    clock.TodaySeconds = 58;
    Ticks({true, true, true});  // counts 59 and 60
    EXPECT_EQ(std::count(ports.calls.begin(), ports.calls.end(), "log"), 1);
    settings.NoTaskbarIcon = settings.HistryEnabled = true;
    ports.tips.clear();
    article.text[0] = u'猫';
    Ticks({true});
    settings.HistryEnabled = false;
    Ticks({true});
    article.text[0] = u'\0';  // no article: nothing ranked
    settings.HistryEnabled = true;
    Ticks({true});
    EXPECT_TRUE(ports.tips.empty());
    EXPECT_EQ(ports.ranked, Texts{u"猫"});
}

struct Notify : ::testing::Test, TimerPort {
    ViewingClock clock;
    SpeechState speech;
    Settings settings;
    CurrentDay day{{2026, 12, 6, 10, 0, 0}, u"20261206"};
    std::vector<uint32_t> stopped;
    std::deque<int> draws;
    std::vector<std::pair<std::u16string, uint32_t>> saved;  // key, seconds
    std::function<void()> duringSave;  // what a message box's loop runs inside the save
    Notifications notes{clock,
                        speech,
                        settings,
                        day,
                        *this,
                        [this] { return Draw(); },
                        [this](std::u16string_view key, uint32_t seconds) {
                            saved.emplace_back(key, seconds);
                            if (duringSave) {
                                duringSave();
                            }
                        }};

    int Draw() {  // an unexpected draw throws
        const int r = draws.at(0);
        draws.pop_front();
        return r;
    }
    void StartTimer(uint32_t, uint32_t) override {}
    void StopTimer(uint32_t id) override { stopped.push_back(id); }
    std::u16string Said() const { return speech.SpeechText ? speech.SpeechText : u""; }
    void FinishSpeech() { speech.ActiveSpeechTimer = 0; }  // as the speech timer's end does
};

TEST_F(Notify, ElapsedLinesSpeakOnTheirMarkWhenAskedForAndReplaceARunningLine) {
    clock.ContinuousSeconds = 300;
    notes.CheckElapsedTalk();
    EXPECT_EQ(speech.ActiveSpeechTimer, 0u);
    settings.NotifyTime = true;
    notes.CheckElapsedTalk();
    EXPECT_EQ(Said(), u"見始めてから5分経過です。");
    clock.ContinuousSeconds = 3600;
    draws = {7};  // odd: the first entry, a warning
    notes.CheckElapsedTalk();
    EXPECT_TRUE(speech.ElapsedWarning);
    EXPECT_EQ(stopped, std::vector<uint32_t>{IDT_ELAPSED});
    speech.ActiveSpeechTimer = IDT_FAREWELL + 1;  // a farewell is never interrupted
    notes.CheckElapsedTalk();
    EXPECT_FALSE(notes.CheckViewingEnd());
}

TEST_F(Notify, TheNoticeReplacesARunningLineWithTheTotals) {
    EXPECT_EQ(NoticeText(3723, 65),
              u"Wikipediaを見終わりました。今日見た時間は全部で 1時間 2分 3秒、"
              u"連続で見た時間は 0時間 1分 5秒です。");
    speech.ActiveSpeechTimer = IDT_ELAPSED;
    clock.ContinuousSeconds = 600;
    clock.TodaySeconds = 700;
    EXPECT_TRUE(notes.CheckViewingEnd());
    EXPECT_EQ(stopped, std::vector<uint32_t>{IDT_ELAPSED});
    EXPECT_EQ(speech.ActiveSpeechTimer, IDT_FINISHNOTICE);
    EXPECT_EQ(Said(), NoticeText(700, 600));
    settings.NotifyFinish = false;
    EXPECT_FALSE(notes.CheckViewingEnd());
}

TEST_F(Notify, TheDayChangesOnTheDayOfTheMonthOnlyAndSavesFirst) {
    clock.TodaySeconds = 5000;
    notes.CheckDayChange({2027, 1, 6, 9, 0, 0});  // a month slept through: the same day
    EXPECT_TRUE(saved.empty());
    notes.CheckDayChange({2027, 1, 7, 0, 0, 0});
    EXPECT_EQ(saved, (decltype(saved){{u"20261206", 5000}}));
    EXPECT_EQ(day.key, u"20270107");
    EXPECT_EQ(clock.TodaySeconds, 0u);
}

TEST_F(Notify, TheChimeSpeaksOnTheFullHourWhenSilentWithItsOwnLineOneTimeInFive) {
    settings.NotifyHour = true;
    notes.CheckHourlyChime({2026, 12, 6, 7, 0, 1});  // a late tick: no chime this hour
    EXPECT_EQ(speech.ActiveSpeechTimer, 0u);
    for (auto [hour, draw, text] : {std::tuple{7, -1, u" 7時になりました。"},
                                    {0, 5, u"0時になりました。\r\n日付が変わります。"},
                                    {0, 6, u" 0時になりました。"},
                                    {12, 10, u"12時になりました。\r\nお昼の時間ですよ。"}}) {
        draws.clear();
        if (draw >= 0) {
            draws.push_back(draw);
        }
        notes.CheckHourlyChime({2026, 12, 6, hour, 0, 0});
        notes.CheckHourlyChime({2026, 12, 6, 8, 0, 0});  // not while a speech runs
        EXPECT_EQ(Said(), text);
        FinishSpeech();
    }
}

TEST_F(Notify, AlarmsWaitForSilenceWithinTheirMinuteAndFireOnce) {
    settings.NotifyHour = settings.Alarm1Enable = settings.Alarm2Enable = true;
    settings.Alarm1h = settings.Alarm2h = 9;
    settings.Alarm1Mes = std::u16string(100000, u'あ');
    LocalTime t{2026, 12, 6, 9, 0, 0};
    notes.CheckHourlyChime(t);  // the chime comes first and the alarms wait
    notes.CheckAlarms(t);
    EXPECT_EQ(speech.ActiveSpeechTimer, IDT_HOURLY);
    FinishSpeech();
    draws = {4};
    t.second = 30;
    notes.CheckAlarms(t);
    settings.Alarm1Mes.reset();  // the speech keeps its own text
    EXPECT_EQ(Said(), std::u16string(u"時間になりましたよ。\r\n").append(100000, u'あ'));
    EXPECT_FALSE(settings.Alarm1Enable);
    FinishSpeech();
    draws = {3};
    t.second = 45;
    notes.CheckAlarms(t);
    EXPECT_EQ(Said(), u"時間ですよ～。\r\n");  // no message: the opening line alone
    FinishSpeech();
    notes.CheckAlarms(t);
    EXPECT_EQ(speech.ActiveSpeechTimer, 0u);
    settings.Alarm3Enable = true;  // its minute passes during a speech: the next day's
    settings.Alarm3h = 23;
    settings.Alarm3m = 59;
    speech.ActiveSpeechTimer = IDT_ELAPSED;
    notes.CheckAlarms({2026, 12, 6, 23, 59, 59});
    FinishSpeech();
    notes.CheckAlarms({2026, 12, 7, 0, 0, 0});
    draws = {2};
    notes.CheckAlarms({2026, 12, 7, 23, 59, 0});
    EXPECT_EQ(Said(), u"時間です。\r\n");
}

// The save at the change of day may show a box whose loop delivers further ticks.
TEST_F(Notify, TheDayChangeAtMidnightSavesOnceBeforeTheChimeWhateverRunsInsideTheSave) {
    FakePorts ports;
    ports.now = {2026, 12, 7, 0, 0, 0};
    ports.samples = {true};
    settings.NotifyHour = true;
    clock.TodaySeconds = 99;
    clock.WatchCountdown = kWatchGrace;
    CurrentArticle article;
    ClockContext ctx{clock, speech, settings, article, u"", ports, notes};
    draws = {1};
    duringSave = [&] {
        ClockTick(ctx);                   // skipped: the outer tick is still running
        notes.CheckDayChange(ports.now);  // the new day is already taken
    };
    ClockTick(ctx);
    EXPECT_EQ(saved, (decltype(saved){{u"20261206", 100}}));  // the counted second: the old day's
    EXPECT_EQ(clock.TodaySeconds, 0u);
    EXPECT_EQ(Said(), u" 0時になりました。");
}

}  // namespace
