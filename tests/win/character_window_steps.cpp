// The character's windows on the display, a speech followed step by step: which picture at
// which alpha, how much text, when the voice starts, and what clicks do.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "character/talk_tables.h"
#include "character_fixture_win.h"
#include "common/message_box_win.h"

namespace {

using character_test::Frame;
using character_test::Harness;
using character_test::SoundCalls;

RECT WorkArea() {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

RECT WindowRect(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return r;
}

HBITMAP FrameBitmap(const Harness& h, int i) {
    return h.windows->Pictures().Get({PictureRole::AnimationFrame, i});
}

// Frames of one step.
std::vector<Frame> At(const Harness& h, uint32_t step) {
    std::vector<Frame> out;
    for (const Frame& f : h.rec.frames)
        if (f.step == step)
            out.push_back(f);
    return out;
}

TEST(CharacterWindows, CreatesBothWindowsInTheCornerAndShowsNothingYet) {
    Harness h;
    ASSERT_TRUE(h.Create());
    HWND main = h.windows->MainWindow();
    HWND balloon = h.windows->BalloonWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_NE(balloon, nullptr);
    wchar_t name[64];
    GetClassNameW(main, name, 64);
    EXPECT_STREQ(name, L"ytm_tan_ee");
    GetClassNameW(balloon, name, 64);
    EXPECT_STREQ(name, L"ytm_tan_ee_child");
    GetWindowTextW(main, name, 64);
    EXPECT_STREQ(name, L"ヨミトキ");
    const LONG_PTR ex = GetWindowLongPtrW(main, GWL_EXSTYLE);
    EXPECT_EQ(ex & (WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST),
              WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    EXPECT_EQ(ex & WS_EX_TRANSPARENT, 0);
    EXPECT_TRUE(GetWindowLongPtrW(balloon, GWL_EXSTYLE) & WS_EX_TRANSPARENT);
    EXPECT_EQ(GetWindow(balloon, GW_OWNER), main);
    EXPECT_EQ(GetWindowLongPtrW(main, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);

    // No stored position: the bottom-right corner of the primary work area, written back.
    const RECT work = WorkArea();
    const RECT r = WindowRect(main);
    EXPECT_EQ(r.left, work.right - 420);
    EXPECT_EQ(r.top, work.bottom - 350);
    EXPECT_EQ(r.right - r.left, 420);
    EXPECT_EQ(r.bottom - r.top, 350);
    EXPECT_EQ(h.settings.WindowLeft, work.right - 420);
    EXPECT_EQ(h.settings.WindowTop, work.bottom - 350);
    const RECT b = WindowRect(balloon);
    EXPECT_EQ(b.left, r.left);
    EXPECT_EQ(b.top, r.top);

    // The first frame at alpha 0, before the balloon window existed.
    ASSERT_EQ(h.rec.frames.size(), 1u);
    EXPECT_EQ(h.rec.frames[0].requested, FrameBitmap(h, 0));
    EXPECT_EQ(h.rec.frames[0].alpha, 0);
    EXPECT_TRUE(IsWindowVisible(main));
    EXPECT_TRUE(IsWindowVisible(balloon));
    COLORREF key = 0;
    BYTE alpha = 1;
    DWORD flags = 0;
    if (GetLayeredWindowAttributes(balloon, &key, &alpha, &flags)) {
        EXPECT_EQ(key, RGB(255, 255, 255));
        EXPECT_EQ(alpha, 0);
        EXPECT_EQ(flags, static_cast<DWORD>(LWA_COLORKEY | LWA_ALPHA));
    }

    LOGFONTW font{};
    ASSERT_EQ(GetObjectW(h.windows->BalloonFont(), sizeof font, &font), int{sizeof font});
    EXPECT_EQ(font.lfHeight, 12);
    EXPECT_EQ(font.lfWeight, 500);
    EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
    EXPECT_EQ(font.lfOutPrecision, OUT_TT_PRECIS);
    EXPECT_EQ(font.lfQuality, NONANTIALIASED_QUALITY);
    EXPECT_STREQ(font.lfFaceName, L"MS UI Gothic");
}

TEST(CharacterWindows, AStoredPositionOnAMonitorIsKeptOneOffEveryMonitorIsNot) {
    {
        Harness h;
        h.settings.WindowLeft = 100;
        h.settings.WindowTop = 50;
        ASSERT_TRUE(h.Create());
        const RECT r = WindowRect(h.windows->MainWindow());
        EXPECT_EQ(r.left, 100);
        EXPECT_EQ(r.top, 50);
        EXPECT_EQ(h.settings.WindowLeft, 100);
    }
    {
        Harness h;
        h.settings.WindowLeft = -5000;
        h.settings.WindowTop = 50;
        ASSERT_TRUE(h.Create());
        const RECT work = WorkArea();
        EXPECT_EQ(h.settings.WindowLeft, work.right - 420);
        EXPECT_EQ(h.settings.WindowTop, work.bottom - 350);
    }
    {
        // Only one of the two unset is enough for the default.
        Harness h;
        h.settings.WindowLeft = 100;
        ASSERT_TRUE(h.Create());
        EXPECT_EQ(h.settings.WindowLeft, WorkArea().right - 420);
    }
}

TEST(CharacterWindows, AWindowThatCannotBeCreatedIsReportedOnce) {
    std::vector<RecordedMessageBox> boxes;
    SetMessageBoxHookForTesting([&](const RecordedMessageBox& box) {
        boxes.push_back(box);
        return IDOK;
    });
    Harness h;
    // A module without the classes: the instance given does not own them.
    const bool created = h.windows->Create(reinterpret_cast<HINSTANCE>(0x1000), nullptr) !=
                         CharacterWindows::CreateResult::NoMainWindow;
    SetMessageBoxHookForTesting({});
    if (created) {
        GTEST_SKIP() << "the system created the window anyway";
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"ウィンドウの生成に失敗しました。");
    EXPECT_EQ(boxes[0].caption, L"ヨミトキ");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(boxes[0].owner, nullptr);
}

TEST(SpeechRun, AGreetingOfSevenCharactersFadesSpeaksAnimatesAndHides) {
    Harness h;
    ASSERT_TRUE(h.Create());
    h.rec.Clear();
    h.timers.calls.clear();
    const std::u16string line = u"おはよう！！";  // 6 + 1 below = 7 characters
    const std::u16string text = line + u"♪";
    h.Say(text.c_str(), IDT_TALK, 190);
    ASSERT_EQ(h.speech.SpeechLength, 300u);
    h.RunToEnd();
    EXPECT_EQ(h.speech.ActiveSpeechTimer, 0u);
    EXPECT_FALSE(IsWindowVisible(h.windows->MainWindow()));
    EXPECT_FALSE(h.destroyed);

    // Step 0: frame 0 at alpha 0; fade-in 8 per step; 255 while speaking; 8c fading out.
    ASSERT_EQ(At(h, 0).size(), 1u);
    EXPECT_EQ(At(h, 0)[0].requested, FrameBitmap(h, 0));
    EXPECT_EQ(At(h, 0)[0].alpha, 0);
    for (uint32_t step = 1; step < 300; ++step) {
        const std::vector<Frame> frames = At(h, step);
        ASSERT_FALSE(frames.empty()) << step;
        const uint32_t c = 300 - step;
        const uint8_t alpha = step < 30 ? 8 * step : (c >= 30 ? 255 : 8 * c);
        EXPECT_EQ(frames[0].alpha, alpha) << step;
        EXPECT_EQ(frames[0].requested, nullptr) << step;
        // The animation: frame j at steps 30 + 4j (those are the multiples of 4 of c, as
        // T = 300 is one), frame 10 twice, then no change.
        const int j = (step >= 30 && step % 4 == 0) ? static_cast<int>(step - 30) / 4 : -1;
        if (j >= 0 && j <= 11) {
            ASSERT_EQ(frames.size(), 2u) << step;
            EXPECT_EQ(frames[1].requested, FrameBitmap(h, std::min(j, 10))) << step;
            EXPECT_EQ(frames[1].alpha, 255);
        } else {
            EXPECT_EQ(frames.size(), 1u) << step;
        }
    }
    EXPECT_EQ(h.windows->ShownPicture(), FrameBitmap(h, 10));

    // Text: one more character every other step from step 32, whole at step 44; besides,
    // drawn again (wiped first) at each frame change after that, and once more at c = 30.
    std::vector<uint32_t> expected;
    for (uint32_t step = 32; step <= 76; step += 2) {
        const bool growing = step <= 44;
        const bool frameChange = step % 4 == 0;  // c = 300 - step is a multiple of 4
        if (growing || frameChange)
            expected.push_back(step);
    }
    expected.push_back(270);
    std::vector<uint32_t> drawn;
    for (const auto& t : h.rec.texts)
        drawn.push_back(t.step);
    EXPECT_EQ(drawn, expected);
    for (const auto& t : h.rec.texts) {
        EXPECT_EQ(t.count, std::min<uint32_t>(7, (t.step - 30) / 2)) << t.step;
        if (t.step > 44) {
            EXPECT_TRUE(t.cleared) << t.step;
        }
    }

    // The voice at the first speaking step, once.
    ASSERT_EQ(h.rec.voices.size(), 1u);
    EXPECT_EQ(h.rec.voices[0], (std::pair<uint32_t, uint32_t>{30, 190}));
    ASSERT_EQ(SoundCalls().size(), 2u);
    EXPECT_EQ(SoundCalls()[0].sound, nullptr);
    EXPECT_NE(SoundCalls()[1].sound, nullptr);
    EXPECT_EQ(SoundCalls()[1].flags, static_cast<DWORD>(SND_MEMORY | SND_ASYNC | SND_NODEFAULT));

    // The timer: started by Speak, stopped at the end.
    ASSERT_FALSE(h.timers.calls.empty());
    EXPECT_EQ(h.timers.calls.front(), (std::pair<char, uint32_t>{'+', IDT_TALK}));
    EXPECT_EQ(h.timers.calls.back(), (std::pair<char, uint32_t>{'-', IDT_TALK}));
}

TEST(SpeechRun, AHundredCharactersRunFourHundredTwentyStepsAndStandWholeAtStep230) {
    Harness h;
    ASSERT_TRUE(h.Create());
    const std::u16string text(100, u'あ');
    h.Say(text.c_str(), IDT_ELAPSED, 0);
    uint32_t steps = 0;
    while (h.speech.ActiveSpeechTimer != 0 && steps < 1000) {
        h.Step();
        ++steps;
    }
    EXPECT_EQ(steps, 420u);
    auto whole = std::find_if(h.rec.texts.begin(), h.rec.texts.end(),
                              [](const auto& t) { return t.count == 100; });
    ASSERT_NE(whole, h.rec.texts.end());
    EXPECT_EQ(whole->step, 230u);
    // Clip 0: the sound player is stopped and nothing else.
    ASSERT_EQ(SoundCalls().size(), 1u);
    EXPECT_EQ(SoundCalls()[0].sound, nullptr);
}

TEST(SpeechRun, OnlyTheFirstExpressionAnimates) {
    for (uint32_t kind : {IDT_TALK + 1, IDT_TALK + 2, IDT_FAREWELL + 1u}) {
        Harness h;
        ASSERT_TRUE(h.Create());
        h.rec.Clear();
        // Taken now: a farewell's end deletes the pictures with the window.
        const HBITMAP yawn = h.windows->Pictures().Get({PictureRole::Yawn, 0});
        const HBITMAP frame0 = FrameBitmap(h, 0);
        h.Say(u"ふわぁ…", kind, 0);
        h.RunToEnd();
        int asked = 0;
        for (const Frame& f : h.rec.frames)
            asked += f.requested != nullptr;
        EXPECT_EQ(asked, 1) << kind;  // the first step's picture only
        const HBITMAP first = h.rec.frames[0].requested;
        EXPECT_EQ(first, kind == IDT_TALK + 2 ? frame0 : yawn) << kind;
        EXPECT_NE(first, nullptr);
        EXPECT_EQ(h.rec.frames[0].alpha, 0);
    }
}

TEST(SpeechRun, EachKindShowsItsPictureFromTheFirstStepAtAlphaZero) {
    struct Case {
        uint32_t kind;
        uint32_t seconds;
        bool warning;
        int draw;
        PictureChoice picture;
    };
    const Case cases[] = {
        {IDT_FINISHNOTICE, 0, false, 0, {PictureRole::ViewingEnd, 0}},
        {IDT_HOURLY, 0, false, 0, {PictureRole::Chime, 0}},
        {IDT_ALARM, 100'000, false, 1, {PictureRole::Chime, 1}},
        {IDT_HOURLY, 200'000, false, 5, {PictureRole::Chime, 2}},
        {IDT_ELAPSED, 0, true, 0, {PictureRole::Warning, 0}},
        {IDT_ELAPSED, 0, false, 0, {PictureRole::Report, 0}},
        {IDT_ELAPSED, 90'000, false, 2, {PictureRole::SecondReport, 0}},
        {IDT_QUICKMENU, 0, false, 0, {PictureRole::Click, 0}},
    };
    for (const Case& c : cases) {
        Harness h;
        ASSERT_TRUE(h.Create());
        h.rec.Clear();
        h.seconds = c.seconds;
        h.speech.ElapsedWarning = c.warning;
        h.draws = {c.draw};
        h.Say(u"テスト", c.kind, 0);
        h.Step();
        ASSERT_EQ(h.rec.frames.size(), 1u);
        EXPECT_EQ(h.rec.frames[0].requested, h.windows->Pictures().Get(c.picture)) << c.kind;
        EXPECT_NE(h.rec.frames[0].requested, nullptr);
        EXPECT_EQ(h.rec.frames[0].alpha, 0);
        EXPECT_TRUE(IsWindowVisible(h.windows->MainWindow()));
    }
}

TEST(Clicks, DuringTheFadeInJumpToTheFadeOutWithTheWholeTextAndNoVoice) {
    Harness h;
    ASSERT_TRUE(h.Create());
    h.Say(u"こんにちは。", IDT_TALK + 2, 200);
    h.StepTo(290);
    h.rec.Clear();
    h.timers.calls.clear();
    h.windows->OnButtonDown({100, 100}, false);  // a right press counts too
    EXPECT_EQ(h.speech.SpeechStep, 30u);
    EXPECT_EQ(h.timers.calls,
              (std::vector<std::pair<char, uint32_t>>{{'-', IDT_TALK + 2}, {'+', IDT_TALK + 2}}));
    h.Step();
    ASSERT_EQ(h.rec.texts.size(), 1u);
    EXPECT_EQ(h.rec.texts[0].count, 6u);
    EXPECT_EQ(h.rec.frames.back().alpha, 255);
    h.RunToEnd();
    EXPECT_TRUE(h.rec.voices.empty());
    EXPECT_TRUE(SoundCalls().empty());
    EXPECT_EQ(h.speech.ActiveSpeechTimer, 0u);
}

TEST(Clicks, WhileSpeakingLeaveTheVoicePlayingAndDuringTheFadeOutDoNothing) {
    Harness h;
    ASSERT_TRUE(h.Create());
    h.Say(u"こんにちは。", IDT_TALK + 2, 200);
    h.StepTo(200);
    ASSERT_EQ(SoundCalls().size(), 2u);
    h.windows->OnButtonDown({10, 10}, true);
    EXPECT_EQ(h.speech.SpeechStep, 30u);
    h.StepTo(20);
    h.timers.calls.clear();
    h.windows->OnButtonDown({10, 10}, true);
    h.windows->OnButtonDown({10, 10}, false);
    EXPECT_EQ(h.speech.SpeechStep, 20u);
    EXPECT_TRUE(h.timers.calls.empty());
    h.RunToEnd();
    EXPECT_EQ(SoundCalls().size(), 2u);  // never stopped by the click
    // Silent: a press does nothing.
    h.timers.calls.clear();
    h.windows->OnButtonDown({10, 10}, true);
    EXPECT_TRUE(h.timers.calls.empty());
}

TEST(Voice, OffTheSoundPlayerIsNotTouched) {
    Harness h;
    h.settings.Voice = false;
    ASSERT_TRUE(h.Create());
    h.Say(u"こんばんは。", IDT_HOURLY, 170);
    h.RunToEnd();
    ASSERT_EQ(h.rec.voices.size(), 1u);  // the step came
    EXPECT_TRUE(SoundCalls().empty());   // but nothing reached the player
}

TEST(QuickMenu, TheListWaitsWithoutATimerAndCancelFadesOut) {
    Harness h;
    ASSERT_TRUE(h.Create());
    h.Say(kClickLineText, IDT_QUICKMENU, kClickLineVoice);
    h.timers.calls.clear();
    uint32_t steps = 0;
    while (!h.windows->QuickMenuWaiting() && steps < 400) {
        h.Step();
        ++steps;
    }
    ASSERT_TRUE(h.windows->QuickMenuWaiting());
    EXPECT_EQ(steps, 45u);  // whole at step 44, which also draws the list
    EXPECT_EQ(h.speech.SpeechStep, 29u);
    EXPECT_EQ(h.speech.ActiveSpeechTimer, IDT_QUICKMENU);
    EXPECT_EQ(h.timers.calls, (std::vector<std::pair<char, uint32_t>>{{'-', IDT_QUICKMENU}}));
    EXPECT_EQ(h.windows->ShownPicture(), h.windows->Pictures().Get({PictureRole::Click, 0}));
    ASSERT_EQ(h.rec.choiceDraws.size(), 1u);

    // Every item has been measured where it was drawn.
    const QuickChoiceList& list = h.windows->QuickChoices();
    for (size_t i = 0; i < kQuickChoiceCount; ++i) {
        EXPECT_GT(list[i].right, list[i].left) << i;
        EXPECT_GT(list[i].bottom, list[i].top) << i;
    }
    const QuickChoiceItem& cancel = list[13];
    const POINT onCancel{(cancel.left + cancel.right) / 2, (cancel.top + cancel.bottom) / 2};

    // Outside the items, and a right press anywhere: nothing.
    h.timers.calls.clear();
    h.windows->OnButtonDown({5, 5}, true);
    h.windows->OnButtonDown(onCancel, false);
    EXPECT_TRUE(h.timers.calls.empty());
    EXPECT_TRUE(h.commands.empty());
    EXPECT_TRUE(h.windows->QuickMenuWaiting());

    // Hovering highlights, and the hand stays when the system asks for the cursor again
    // before the next move; away from the items nothing is highlighted.
    h.windows->OnMouseMove(onCancel);
    SetCursor(nullptr);
    EXPECT_TRUE(h.windows->OnSetCursor(HTCLIENT));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
    EXPECT_FALSE(h.windows->OnSetCursor(HTCAPTION));
    h.windows->OnMouseMove({5, 5});
    ASSERT_EQ(h.rec.choiceDraws.size(), 3u);
    EXPECT_EQ(h.rec.choiceDraws[1], 13);
    EXPECT_EQ(h.rec.choiceDraws[2], -1);

    h.windows->OnButtonDown(onCancel, true);
    EXPECT_EQ(h.commands, std::vector<uint32_t>{3});
    EXPECT_EQ(h.timers.calls, (std::vector<std::pair<char, uint32_t>>{{'+', IDT_QUICKMENU}}));
    EXPECT_FALSE(h.windows->QuickMenuWaiting());
    h.rec.Clear();
    h.RunToEnd();
    EXPECT_EQ(h.rec.frames.size(), 29u);
    EXPECT_EQ(h.rec.frames.front().alpha, 232);
    EXPECT_EQ(h.rec.frames.back().alpha, 8);
    EXPECT_EQ(h.speech.ActiveSpeechTimer, 0u);
    EXPECT_FALSE(h.destroyed);
    EXPECT_EQ(h.commands.size(), 1u);
}

TEST(QuickMenu, ASkipShowsTheListAtTheNextStep) {
    Harness h;
    ASSERT_TRUE(h.Create());
    h.Say(kClickLineText, IDT_QUICKMENU, kClickLineVoice);
    h.Step();
    h.windows->OnButtonDown({5, 5}, true);
    h.Step();
    EXPECT_TRUE(h.windows->QuickMenuWaiting());
    EXPECT_EQ(h.rec.choiceDraws.size(), 1u);
}

TEST(QuickMenu, VoiceItemNamesTheOtherState) {
    for (bool voice : {true, false}) {
        Harness h;
        h.settings.Voice = voice;
        ASSERT_TRUE(h.Create());
        EXPECT_EQ(QuickChoiceLabel(h.windows->QuickChoices()[8], h.settings),
                  voice ? u"ボイスをOFFにする" : u"ボイスをONにする");
    }
}

// What follows a speech's end is the app's: the windows only hide and report the kind,
// also for a farewell cut short.
TEST(SpeechEnd, EverySpeechHidesAndReportsItsKindOnce) {
    for (uint32_t kind :
         {uint32_t{IDT_FAREWELL + 2}, uint32_t{IDT_FINISHNOTICE}, uint32_t{IDT_ELAPSED}}) {
        Harness h;
        ASSERT_TRUE(h.Create());
        h.Say(u"またね。", kind, 240);
        h.StepTo(100);
        h.windows->OnButtonDown({5, 5}, true);
        h.RunToEnd();
        EXPECT_EQ(h.ended, std::vector<uint32_t>{kind});
        EXPECT_FALSE(IsWindowVisible(h.windows->MainWindow()));
        EXPECT_FALSE(h.destroyed);
    }
}

TEST(SpeechRun, ALateTickOfAReplacedSpeechOnlyStopsItsTimer) {
    Harness h;
    ASSERT_TRUE(h.Create());
    h.Say(u"テスト", IDT_ELAPSED, 0);
    h.Step();
    h.rec.Clear();
    h.timers.calls.clear();
    const uint32_t c = h.speech.SpeechStep;
    h.windows->SpeechTick(IDT_HOURLY);
    EXPECT_EQ(h.speech.SpeechStep, c);
    EXPECT_TRUE(h.rec.frames.empty());
    EXPECT_EQ(h.timers.calls, (std::vector<std::pair<char, uint32_t>>{{'-', IDT_HOURLY}}));
}

TEST(Placement, TheFirstStepSetsTheWindowOnTheWorkAreaBottom) {
    Harness h;
    ASSERT_TRUE(h.Create());
    HWND main = h.windows->MainWindow();
    const RECT work = WorkArea();
    SetWindowPos(main, nullptr, 100, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    h.Say(u"テスト", IDT_ELAPSED, 0);
    h.Step();
    RECT r = WindowRect(main);
    EXPECT_EQ(r.left, 100);
    EXPECT_EQ(r.bottom, work.bottom);
    // The balloon follows at once.
    EXPECT_EQ(WindowRect(h.windows->BalloonWindow()).top, r.top);
    h.RunToEnd();

    // Off every monitor: the bottom-right corner of the primary work area.
    SetWindowPos(main, nullptr, -3000, -3000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    h.Say(u"テスト", IDT_ELAPSED, 0);
    h.Step();
    r = WindowRect(main);
    EXPECT_EQ(r.left, work.right - 420);
    EXPECT_EQ(r.top, work.bottom - 350);
    h.RunToEnd();

    // A monitor that gives no work area, and no SPI_GETWORKAREA either: the primary
    // monitor's work area, never a rectangle that was not filled in.
    h.windows->Monitors().getMonitorInfo = [](HMONITOR, LPMONITORINFO) -> BOOL { return FALSE; };
    h.windows->Monitors().systemParametersInfo = [](UINT, UINT, PVOID, UINT) -> BOOL {
        return FALSE;
    };
    SetWindowPos(main, nullptr, 100, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    h.Say(u"テスト", IDT_ELAPSED, 0);
    h.Step();
    MONITORINFO primary{};
    primary.cbSize = sizeof primary;
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &primary);
    r = WindowRect(main);
    EXPECT_EQ(r.left, primary.rcWork.right - 420);
    EXPECT_EQ(r.bottom, primary.rcWork.bottom);
}

TEST(Dragging, KeepsTheBottomOnTheWorkAreaAndCarriesTheBalloon) {
    Harness h;
    ASSERT_TRUE(h.Create());
    const RECT work = WorkArea();
    RECT proposed{300, 10, 720, 360};
    h.windows->OnMoving(proposed);
    EXPECT_EQ(proposed.left, 300);
    EXPECT_EQ(proposed.right, 720);
    EXPECT_EQ(proposed.bottom, work.bottom);
    EXPECT_EQ(proposed.top, work.bottom - 350);

    HWND main = h.windows->MainWindow();
    SetWindowPos(main, nullptr, 200, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    h.windows->OnMoved();
    const RECT b = WindowRect(h.windows->BalloonWindow());
    EXPECT_EQ(b.left, 200);
    EXPECT_EQ(b.top, 300);
    EXPECT_EQ(b.right - b.left, 420);

    const RECT r = WindowRect(main);
    EXPECT_EQ(h.windows->HitTest({r.left + 255, r.top + 100}, HTCLIENT), HTCLIENT);
    EXPECT_EQ(h.windows->HitTest({r.left + 256, r.top + 100}, HTCLIENT), HTCAPTION);
    EXPECT_EQ(h.windows->HitTest({r.left + 419, r.top + 349}, HTCLIENT), HTCAPTION);
}

TEST(Dragging, OntoAMonitorOfAnotherScaleBothWindowsRescaleOnTheSameBottomEdge) {
    Harness h;
    ASSERT_TRUE(h.Create());
    HWND main = h.windows->MainWindow();
    h.Say(u"こんにちは、元気ですか。", IDT_ELAPSED, 0);
    h.StepTo(200);  // speaking
    const PictureChoice shown = h.windows->Pictures().Find(h.windows->ShownPicture());
    ASSERT_NE(shown.role, PictureRole::None);
    const RECT r = WindowRect(main);
    h.rec.Clear();
    // What the system sends as the window crosses onto a 150 % monitor.
    h.windows->OnDpiChanged(144, RECT{r.left + 10, r.top, r.left + 640, r.top + 525});
    RECT n = WindowRect(main);
    EXPECT_EQ(n.left, r.left + 10);
    EXPECT_EQ(n.bottom, r.bottom);
    EXPECT_EQ(n.right - n.left, 630);
    EXPECT_EQ(n.bottom - n.top, 525);
    // The same picture at the new scale, in one update at the speech's alpha.
    ASSERT_EQ(h.rec.frames.size(), 1u);
    EXPECT_EQ(h.rec.frames[0].alpha, 255);
    EXPECT_EQ(h.windows->Pictures().Find(h.windows->ShownPicture()), shown);
    BITMAP bitmap{};
    GetObjectW(h.windows->ShownPicture(), sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, 630);
    EXPECT_EQ(bitmap.bmHeight, 525);
    const RECT b = WindowRect(h.windows->BalloonWindow());
    EXPECT_EQ(b.left, n.left);
    EXPECT_EQ(b.top, n.top);
    EXPECT_EQ(b.right, n.right);
    EXPECT_EQ(b.bottom, n.bottom);
    // The drag handle and the font scale along.
    EXPECT_EQ(h.windows->HitTest({n.left + 383, n.top + 100}, HTCLIENT), HTCLIENT);
    EXPECT_EQ(h.windows->HitTest({n.left + 384, n.top + 100}, HTCLIENT), HTCAPTION);
    LOGFONTW font{};
    GetObjectW(h.windows->BalloonFont(), sizeof font, &font);
    EXPECT_EQ(font.lfHeight, 18);
    EXPECT_EQ(h.windows->SizeForDpi(192).cx, 840);
    EXPECT_EQ(h.windows->SizeForDpi(192).cy, 700);
    h.RunToEnd();
    EXPECT_FALSE(IsWindowVisible(main));

    // Back onto a 100 % monitor while silent: the windows shrink on the same bottom edge.
    h.windows->OnDpiChanged(96, n);
    const RECT back = WindowRect(main);
    EXPECT_EQ(back.bottom, n.bottom);
    EXPECT_EQ(back.right - back.left, 420);
    EXPECT_EQ(WindowRect(h.windows->BalloonWindow()).right, back.right);
}

TEST(Balloon, IgnoresCloseRequests) {
    Harness h;
    ASSERT_TRUE(h.Create());
    SendMessageW(h.windows->BalloonWindow(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(IsWindow(h.windows->BalloonWindow()));
}

TEST(Balloon, ARepaintDrawsTheDueTextAtOnceAndNothingAfterTheEnd) {
    Harness h;
    ASSERT_TRUE(h.Create());
    Harness::Pump();
    h.Say(u"こんにちは、元気ですか。", IDT_ELAPSED, 0);
    h.StepTo(255);  // odd c, 7 characters due
    h.rec.Clear();
    RedrawWindow(h.windows->BalloonWindow(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    ASSERT_EQ(h.rec.texts.size(), 1u);
    EXPECT_EQ(h.rec.texts[0].count, 7u);
    EXPECT_TRUE(h.rec.texts[0].cleared);
    h.RunToEnd();
    h.rec.Clear();
    RedrawWindow(h.windows->BalloonWindow(), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_TRUE(h.rec.texts.empty());
}

TEST(RealTimers, ASpeechRunsToItsEndOnTheWindowsOwnTimer) {
    Harness h(true);
    ASSERT_TRUE(h.Create());
    h.rec.Clear();
    h.Say(u"テスト", IDT_TALK + 2, 0);
    const ULONGLONG start = GetTickCount64();
    MSG msg;
    while (h.speech.ActiveSpeechTimer != 0 && GetTickCount64() - start < 30'000) {
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
    }
    EXPECT_EQ(h.speech.ActiveSpeechTimer, 0u);
    EXPECT_EQ(h.speech.SpeechStep, 0u);
    EXPECT_FALSE(IsWindowVisible(h.windows->MainWindow()));
    // One picture update per step (frame 0 never changes for this kind).
    EXPECT_EQ(h.rec.frames.size(), 300u);
}

}  // namespace
