#include "clock/notifications.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace {

struct FakeWindow : TimerPort {
    std::vector<uint32_t> started, stopped;
    void StartTimer(uint32_t id, uint32_t) override { started.push_back(id); }
    void StopTimer(uint32_t id) override { stopped.push_back(id); }
};

struct Notify : ::testing::Test {
    ViewingClock clock;
    SpeechState speech;
    Settings settings;
    CurrentDay day{{2026, 12, 6, 10, 0, 0}, u"20261206"};
    FakeWindow window;
    std::deque<int> draws;
    int drawsTaken = 0;
    std::vector<std::u16string> savedUnderKey;  // the day key of each save
    std::vector<uint32_t> savedTotal;
    std::function<void()> duringSave;  // what a message box's loop runs inside the save
    Notifications notes{clock,
                        speech,
                        settings,
                        day,
                        window,
                        [this] {
                            ++drawsTaken;
                            if (draws.empty()) {
                                ADD_FAILURE() << "unexpected draw";
                                return 1;
                            }
                            int r = draws.front();
                            draws.pop_front();
                            return r;
                        },
                        [this](std::u16string_view key, uint32_t seconds) {
                            savedUnderKey.emplace_back(key);
                            savedTotal.push_back(seconds);
                            if (duringSave) {
                                duringSave();
                            }
                        }};

    std::u16string Said() const { return speech.SpeechText ? speech.SpeechText : u""; }
    // What the speech timer does when a speech runs out.
    void FinishSpeech() {
        window.stopped.push_back(speech.ActiveSpeechTimer);
        speech.ActiveSpeechTimer = 0;
    }
};

TEST_F(Notify, ElapsedLinesSpeakOnTheirMarkAndTwoEntryMarksDrawOnce) {
    settings.NotifyTime = true;
    for (uint32_t s : {299u, 301u, 3599u, 604801u, 4294967295u}) {
        clock.ContinuousSeconds = s;
        notes.CheckElapsedTalk();
        EXPECT_EQ(speech.ActiveSpeechTimer, 0u) << s;
    }
    clock.ContinuousSeconds = 300;
    notes.CheckElapsedTalk();
    EXPECT_EQ(Said(), u"見始めてから5分経過です。");
    EXPECT_EQ(drawsTaken, 0);  // one entry: no draw
    clock.ContinuousSeconds = 3600;
    draws = {7};  // odd: the first entry, a warning; it replaces the running line
    notes.CheckElapsedTalk();
    EXPECT_TRUE(speech.ElapsedWarning);
    EXPECT_EQ(window.stopped, std::vector<uint32_t>{IDT_ELAPSED});
    settings.NotifyTime = false;
    speech = {};
    notes.CheckElapsedTalk();
    EXPECT_EQ(speech.ActiveSpeechTimer, 0u);
}

TEST_F(Notify, AFarewellIsNeverInterruptedAndTakesNoDraw) {
    settings.NotifyTime = true;
    speech.ActiveSpeechTimer = IDT_FAREWELL + 1;
    clock.ContinuousSeconds = 3600;
    notes.CheckElapsedTalk();
    EXPECT_FALSE(notes.CheckViewingEnd());
    EXPECT_EQ(drawsTaken, 0);
    EXPECT_TRUE(window.started.empty());
}

TEST_F(Notify, TheNoticeReplacesARunningLineWithTheTotals) {
    EXPECT_EQ(NoticeText(3723, 65),
              u"Wikipediaを見終わりました。今日見た時間は全部で 1時間 2分 3秒、"
              u"連続で見た時間は 0時間 1分 5秒です。");
    settings.NotifyTime = true;
    clock.ContinuousSeconds = 600;
    notes.CheckElapsedTalk();
    clock.TodaySeconds = 700;
    EXPECT_TRUE(notes.CheckViewingEnd());
    EXPECT_EQ(window.stopped, std::vector<uint32_t>{IDT_ELAPSED});
    EXPECT_EQ(speech.ActiveSpeechTimer, IDT_FINISHNOTICE);
    EXPECT_EQ(Said(), NoticeText(700, 600));
    settings.NotifyFinish = false;
    EXPECT_FALSE(notes.CheckViewingEnd());
}

TEST_F(Notify, TheDayChangesOnTheDayOfTheMonthOnlyAndSavesFirst) {
    clock.TodaySeconds = 5000;
    notes.CheckDayChange({2027, 1, 6, 9, 0, 0});  // a month slept through: the same day
    EXPECT_TRUE(savedUnderKey.empty());
    notes.CheckDayChange({2027, 1, 7, 0, 0, 0});
    EXPECT_EQ(savedUnderKey, std::vector<std::u16string>{u"20261206"});
    EXPECT_EQ(savedTotal, std::vector<uint32_t>{5000});
    EXPECT_EQ(day.key, u"20270107");
    EXPECT_EQ(clock.TodaySeconds, 0u);
    EXPECT_EQ(FormatTodayKey({987, 3, 4, 0, 0, 0}), u"09870304");
}

TEST_F(Notify, TheChimeSpeaksOnTheFullHourWhenSilentWithItsOwnLineOneTimeInFive) {
    settings.NotifyHour = true;
    notes.CheckHourlyChime({2026, 12, 6, 7, 0, 1});  // a late tick: no chime this hour
    EXPECT_EQ(speech.ActiveSpeechTimer, 0u);
    const struct {
        int hour, draw;
        const char16_t* text;
    } cases[] = {
        {7, -1, u" 7時になりました。"},
        {0, 5, u"0時になりました。\r\n日付が変わります。"},
        {0, 6, u" 0時になりました。"},
        {12, 10, u"12時になりました。\r\nお昼の時間ですよ。"},
    };
    for (const auto& c : cases) {
        draws.clear();
        if (c.draw >= 0) {
            draws.push_back(c.draw);
        }
        notes.CheckHourlyChime({2026, 12, 6, c.hour, 0, 0});
        EXPECT_EQ(Said(), c.text);
        notes.CheckHourlyChime({2026, 12, 6, 8, 0, 0});  // not while a speech runs
        EXPECT_EQ(Said(), c.text);
        FinishSpeech();
    }
}

TEST_F(Notify, AlarmsWaitForSilenceWithinTheirMinuteAndFireOnce) {
    settings.NotifyHour = true;
    settings.Alarm1Enable = settings.Alarm2Enable = true;
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
    EXPECT_EQ(Said(), u"時間になりましたよ。\r\n" + std::u16string(100000, u'あ'));
    EXPECT_FALSE(settings.Alarm1Enable);
    EXPECT_TRUE(settings.Alarm2Enable);
    FinishSpeech();
    draws = {3};
    t.second = 45;
    notes.CheckAlarms(t);
    EXPECT_EQ(Said(), u"時間ですよ～。\r\n");  // no message: the opening line alone
    EXPECT_FALSE(settings.Alarm2Enable);
    FinishSpeech();
    notes.CheckAlarms(t);
    EXPECT_EQ(speech.ActiveSpeechTimer, 0u);
}

TEST_F(Notify, AnAlarmWhoseMinutePassesDuringASpeechWaitsForTheNextDay) {
    settings.Alarm3Enable = true;
    settings.Alarm3h = 23;
    settings.Alarm3m = 59;
    speech.ActiveSpeechTimer = IDT_ELAPSED;
    for (int s = 0; s < 60; ++s) {
        notes.CheckAlarms({2026, 12, 6, 23, 59, s});
    }
    FinishSpeech();
    notes.CheckAlarms({2026, 12, 7, 0, 0, 0});
    EXPECT_TRUE(settings.Alarm3Enable);
    draws = {2};
    notes.CheckAlarms({2026, 12, 7, 23, 59, 0});
    EXPECT_EQ(Said(), u"時間です。\r\n");
}

// The save at the change of day may show a box whose loop delivers further ticks.
TEST_F(Notify, TheDayChangeAtMidnightSavesOnceBeforeTheChimeWhateverRunsInsideTheSave) {
    struct Ports : ClockPorts {
        LocalTime now{2026, 12, 7, 0, 0, 0};
        bool RereadRememberedHelperFile() override { return false; }
        bool RecheckCachedReader() override { return false; }
        bool ScanFirefoxProfiles() override { return false; }
        bool ScanBrowsers() override { return true; }
        bool ScanAccessibleBrowsers() override { return false; }
        void ModifyTray(std::u16string_view, TrayIconKind) override {}
        void TellSibling(std::u16string_view) override {}
        void AddRankingSecond(const char16_t*) override {}
        void WriteTodayTotal() override {}
        LocalTime Now() override { return now; }
    } ports;
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
    EXPECT_EQ(savedTotal, std::vector<uint32_t>{100});  // the counted second is the old day's
    EXPECT_EQ(savedUnderKey, std::vector<std::u16string>{u"20261206"});
    EXPECT_EQ(clock.TodaySeconds, 0u);
    EXPECT_EQ(speech.ActiveSpeechTimer, IDT_HOURLY);
    EXPECT_EQ(Said(), u" 0時になりました。");
}

}  // namespace
