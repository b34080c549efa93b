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

TEST_F(Notify, ElapsedLinesSpeakOnlyOnTheirExactMark) {
    settings.NotifyTime = true;
    for (uint32_t s : {0u, 1u, 299u, 301u, 599u, 3599u, 604799u, 604801u, 4294967295u}) {
        clock.ContinuousSeconds = s;
        notes.CheckElapsedTalk();
        EXPECT_EQ(speech.ActiveSpeechTimer, 0u) << s;
    }
    clock.ContinuousSeconds = 300;
    notes.CheckElapsedTalk();
    EXPECT_EQ(Said(), u"見始めてから5分経過です。");
    EXPECT_EQ(speech.SpeechVoice, 131u);
    EXPECT_FALSE(speech.ElapsedWarning);
    EXPECT_EQ(drawsTaken, 0);  // one entry: no draw
    clock.ContinuousSeconds = 604800;
    notes.CheckElapsedTalk();
    EXPECT_EQ(speech.SpeechVoice, 159u);
    EXPECT_TRUE(speech.ElapsedWarning);

    settings.NotifyTime = false;
    speech = {};
    clock.ContinuousSeconds = 300;
    notes.CheckElapsedTalk();
    EXPECT_EQ(speech.ActiveSpeechTimer, 0u);
}

TEST_F(Notify, TwoEntryMarksDrawOnceAndSetTheWarningByTheEntry) {
    settings.NotifyTime = true;
    clock.ContinuousSeconds = 3600;
    draws = {7};  // odd: the first entry, the warning
    notes.CheckElapsedTalk();
    EXPECT_EQ(speech.SpeechVoice, 137u);
    EXPECT_TRUE(speech.ElapsedWarning);
    draws = {4};  // even: the second
    notes.CheckElapsedTalk();
    EXPECT_EQ(Said(), u"見始めてから1時間経過です。");
    EXPECT_EQ(speech.SpeechVoice, 138u);
    EXPECT_FALSE(speech.ElapsedWarning);
    EXPECT_EQ(drawsTaken, 2);
    EXPECT_EQ(window.stopped, std::vector<uint32_t>{IDT_ELAPSED});  // the first line replaced
}

TEST_F(Notify, AFarewellIsNeverInterruptedAndTakesNoDraw) {
    settings.NotifyTime = true;
    speech.ActiveSpeechTimer = IDT_FAREWELL + 1;
    clock.ContinuousSeconds = 3600;
    notes.CheckElapsedTalk();
    EXPECT_FALSE(notes.CheckViewingEnd());
    EXPECT_EQ(drawsTaken, 0);
    EXPECT_TRUE(window.started.empty());
    EXPECT_TRUE(window.stopped.empty());
}

TEST_F(Notify, TheNoticeReplacesARunningLineWithTheTotals) {
    EXPECT_EQ(NoticeText(3723, 65),
              u"Wikipediaを見終わりました。今日見た時間は全部で 1時間 2分 3秒、"
              u"連続で見た時間は 0時間 1分 5秒です。");
    EXPECT_NE(NoticeText(360000, 0).find(u"全部で100時間 0分 0秒、"), std::u16string::npos);

    settings.NotifyTime = true;
    clock.ContinuousSeconds = 600;
    notes.CheckElapsedTalk();  // the 10-minute line shows
    clock.TodaySeconds = 700;
    EXPECT_TRUE(notes.CheckViewingEnd());
    EXPECT_EQ(window.stopped, std::vector<uint32_t>{IDT_ELAPSED});
    EXPECT_EQ(speech.ActiveSpeechTimer, IDT_FINISHNOTICE);
    EXPECT_EQ(speech.SpeechVoice, 160u);
    EXPECT_EQ(Said(), NoticeText(700, 600));

    settings.NotifyFinish = false;
    EXPECT_FALSE(notes.CheckViewingEnd());
}

TEST_F(Notify, TheDayChangesOnTheDayOfTheMonthOnlyAndSavesFirst) {
    clock.TodaySeconds = 5000;
    clock.ContinuousSeconds = 40;
    notes.CheckDayChange({2027, 1, 6, 9, 0, 0});  // a month slept through: the same day
    EXPECT_TRUE(savedUnderKey.empty());
    EXPECT_EQ(clock.TodaySeconds, 5000u);

    notes.CheckDayChange({2027, 1, 7, 0, 0, 0});
    EXPECT_EQ(savedUnderKey, std::vector<std::u16string>{u"20261206"});
    EXPECT_EQ(savedTotal, std::vector<uint32_t>{5000});
    EXPECT_EQ(day.key, u"20270107");
    EXPECT_EQ(day.date.day, 7);
    EXPECT_EQ(clock.TodaySeconds, 0u);
    EXPECT_EQ(clock.ContinuousSeconds, 40u);
    EXPECT_EQ(FormatTodayKey({987, 3, 4, 0, 0, 0}), u"09870304");
}

TEST_F(Notify, TheChimeSpeaksOnTheFullHourWhenSilent) {
    settings.NotifyHour = true;
    notes.CheckHourlyChime({2026, 12, 6, 7, 0, 1});  // a late tick: no chime this hour
    notes.CheckHourlyChime({2026, 12, 6, 7, 1, 0});
    EXPECT_EQ(speech.ActiveSpeechTimer, 0u);
    notes.CheckHourlyChime({2026, 12, 6, 7, 0, 0});
    EXPECT_EQ(Said(), u" 7時になりました。");
    EXPECT_EQ(speech.SpeechVoice, 168u);
    EXPECT_EQ(drawsTaken, 0);

    notes.CheckHourlyChime({2026, 12, 6, 8, 0, 0});  // not while a speech runs
    EXPECT_EQ(speech.SpeechVoice, 168u);
    FinishSpeech();
    notes.CheckHourlyChime({2026, 12, 6, 23, 0, 0});
    EXPECT_EQ(Said(), u"23時になりました。");
    EXPECT_EQ(speech.SpeechVoice, 184u);
}

TEST_F(Notify, MiddayAndMidnightChimesHaveTheirOwnLineOneTimeInFive) {
    settings.NotifyHour = true;
    const struct {
        int hour, draw;
        const char16_t* text;
        uint32_t voice;
    } cases[] = {
        {0, 5, u"0時になりました。\r\n日付が変わります。", 185},
        {0, 6, u" 0時になりました。", 161},
        {12, 10, u"12時になりました。\r\nお昼の時間ですよ。", 186},
        {12, 32767, u"12時になりました。", 173},
    };
    for (const auto& c : cases) {
        draws = {c.draw};
        notes.CheckHourlyChime({2026, 12, 6, c.hour, 0, 0});
        EXPECT_EQ(Said(), c.text);
        EXPECT_EQ(speech.SpeechVoice, c.voice);
        EXPECT_TRUE(draws.empty());
        FinishSpeech();
    }
}

TEST_F(Notify, AlarmsWaitForSilenceWithinTheirMinuteAndFireOnce) {
    settings.NotifyHour = true;
    settings.Alarm1Enable = settings.Alarm2Enable = true;
    settings.Alarm1h = settings.Alarm2h = 9;
    settings.Alarm1Mes = u"会議";
    // 09:00:00 — the chime comes first and the alarms wait.
    LocalTime t{2026, 12, 6, 9, 0, 0};
    notes.CheckHourlyChime(t);
    notes.CheckAlarms(t);
    EXPECT_EQ(speech.ActiveSpeechTimer, IDT_HOURLY);
    EXPECT_TRUE(settings.Alarm1Enable);
    // Later in the minute, silent again: alarm 1 speaks, alarm 2 waits.
    FinishSpeech();
    draws = {4};
    t.second = 30;
    notes.CheckAlarms(t);
    EXPECT_EQ(Said(), u"時間になりましたよ。\r\n会議");
    EXPECT_EQ(speech.SpeechVoice, 188u);
    EXPECT_FALSE(settings.Alarm1Enable);
    EXPECT_TRUE(settings.Alarm2Enable);
    // Alarm 2's message is absent: the opening line alone, line break included.
    FinishSpeech();
    draws = {3};
    t.second = 45;
    notes.CheckAlarms(t);
    EXPECT_EQ(Said(), u"時間ですよ～。\r\n");
    EXPECT_EQ(speech.SpeechVoice, 187u);
    EXPECT_FALSE(settings.Alarm2Enable);
}

TEST_F(Notify, AnAlarmWhoseMinutePassesDuringASpeechWaitsForTheNextDay) {
    settings.Alarm3Enable = true;
    settings.Alarm3h = 23;
    settings.Alarm3m = 59;
    speech.ActiveSpeechTimer = IDT_ELAPSED;
    for (int s = 0; s < 60; ++s)
        notes.CheckAlarms({2026, 12, 6, 23, 59, s});
    FinishSpeech();
    notes.CheckAlarms({2026, 12, 7, 0, 0, 0});
    EXPECT_TRUE(settings.Alarm3Enable);
    draws = {2};
    notes.CheckAlarms({2026, 12, 7, 23, 59, 0});
    EXPECT_EQ(Said(), u"時間です。\r\n");
    EXPECT_EQ(speech.SpeechVoice, 189u);
    EXPECT_FALSE(settings.Alarm3Enable);
}

TEST_F(Notify, AlarmTextsOutliveTheCallAndLongMessagesFit) {
    settings.Alarm1Enable = true;
    settings.Alarm1Mes = std::u16string(100000, u'あ');
    draws = {0};
    notes.CheckAlarms({2026, 12, 6, 0, 0, 0});
    settings.Alarm1Mes.reset();  // the record's text may change; the speech keeps its own
    EXPECT_EQ(speech.SpeechTextLength, 100000u + 9);
    EXPECT_EQ(Said().substr(0, 9), u"時間ですよ～。\r\n");
    EXPECT_EQ(Said().back(), u'あ');
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
