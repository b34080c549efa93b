// The log viewer, the alarm dialog and the version box, opened from the command list.
#include <gtest/gtest.h>

#include "tests/e2e/desk_win.h"

namespace {

using namespace e2e;

constexpr POINT kWeekLog{33, 85};
constexpr POINT kRanking{124, 98};
constexpr POINT kAlarms{33, 196};
constexpr POINT kVersion{33, 208};
constexpr int kLogText = 1012;
constexpr int kDeleteLog = 1004;

class Dialogs : public ::testing::Test {
  protected:
    void SetUp() override { DeleteProgramKey(); }
    void TearDown() override { DeleteProgramKey(); }

    void Start(const std::string& fakeTime = "2026-12-06 10:00:00") {
        Launch launch;
        launch.fakeTime = fakeTime;
        program = std::make_unique<Program>(launch);
        ASSERT_NE(program->WaitForMainWindow(), nullptr);
        ASSERT_TRUE(SkipGreeting(*program));
    }
    HWND Choose(POINT item, const wchar_t* dialogTitle) {
        if (!OpenCommandList(*program))
            return nullptr;
        ClickCommand(*program, item.x, item.y);
        return dialogTitle != nullptr ? WaitForTopWindow(L"#32770", dialogTitle, 10s) : nullptr;
    }
    std::unique_ptr<Program> program;
};

TEST_F(Dialogs, TheWeekLogShowsTodayAndDeletesOnlyOnYes) {
    WriteNumber(L"Log", L"20261205", 3723);
    Start();
    HWND dialog = Choose(kWeekLog, L"記事閲覧ログ - ヨミトキ");
    ASSERT_NE(dialog, nullptr);
    std::wstring text;
    WaitUntil([&] { return !(text = WindowText(GetDlgItem(dialog, kLogText))).empty(); }, 5s);
    EXPECT_NE(text.find(L"過去7日間の合計閲覧時間です。"), std::wstring::npos) << text.c_str();
    EXPECT_NE(text.find(L"2026/12/ 5 …  1:02:03"), std::wstring::npos);
    EXPECT_NE(text.find(L"2026/12/ 6 …  0:00:00"), std::wstring::npos);
    Sleep(300);
    TakeScreenshot(L"log-viewer");

    PressButton(dialog, kDeleteLog);
    HWND ask = WaitForMessageBox(L"ログデータを削除します。よろしいですか。");
    ASSERT_NE(ask, nullptr);
    PressButton(ask, IDNO);
    Sleep(500);
    EXPECT_TRUE(IsWindow(dialog)) << "No leaves the dialog open";
    EXPECT_TRUE(ReadNumber(L"Log", L"20261205").has_value());

    PressButton(dialog, kDeleteLog);
    ask = WaitForMessageBox(L"ログデータを削除します。よろしいですか。");
    ASSERT_NE(ask, nullptr);
    PressButton(ask, IDYES);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5s));
    EXPECT_FALSE(ReadNumber(L"Log", L"20261205").has_value());
    LogOff(*program);
    program->WaitForExit(10s);
}

TEST_F(Dialogs, TheRankingWithoutDataSaysSoAndShowsNoDialog) {
    Start();
    Choose(kRanking, nullptr);
    HWND box = WaitForMessageBox(L"閲覧記事のランキングデータが見つかりません。");
    ASSERT_NE(box, nullptr);
    HWND viewer = FindWindowW(L"#32770", L"記事閲覧ログ - ヨミトキ");
    EXPECT_TRUE(viewer == nullptr || !IsWindowVisible(viewer)) << "the viewer is never shown";
    PressButton(box, IDOK);
    LogOff(*program);
    program->WaitForExit(10s);
}

TEST_F(Dialogs, TheRankingListsTheArticlesRead) {
    WriteNumber(L"Rank", L"猫", 3600);
    WriteNumber(L"Rank", L"犬", 59);
    Start();
    HWND dialog = Choose(kRanking, L"記事閲覧ログ - ヨミトキ");
    ASSERT_NE(dialog, nullptr);
    std::wstring text;
    WaitUntil([&] { return !(text = WindowText(GetDlgItem(dialog, kLogText))).empty(); }, 5s);
    const size_t cat = text.find(L"猫"), dog = text.find(L"犬");
    ASSERT_NE(cat, std::wstring::npos) << text.c_str();
    ASSERT_NE(dog, std::wstring::npos);
    EXPECT_LT(cat, dog);
    PressButton(dialog, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5s));
    LogOff(*program);
    program->WaitForExit(10s);
}

TEST_F(Dialogs, AnAlarmSetForTheNextMinuteFiresOnceAndCancelChangesNothing) {
    Start("2026-12-06 10:00:40");
    HWND dialog = Choose(kAlarms, L"アラーム設定");
    ASSERT_NE(dialog, nullptr);
    SendMessageW(GetDlgItem(dialog, 1001), BM_SETCHECK, BST_CHECKED, 0);
    SendMessageW(GetDlgItem(dialog, 1000), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"10"));
    SendMessageW(GetDlgItem(dialog, 1002), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"1"));
    SendMessageW(GetDlgItem(dialog, 1003), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"会議の時間です"));
    Sleep(300);
    TakeScreenshot(L"alarm-dialog");
    PressButton(dialog, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5s));

    // Opened again: Cancel after a change keeps what OK stored.
    dialog = Choose(kAlarms, L"アラーム設定");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(dialog, 1000)), L"10");
    EXPECT_EQ(WindowText(GetDlgItem(dialog, 1002)), L"1");
    SendMessageW(GetDlgItem(dialog, 1000), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"7"));
    PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }, 5s));
    ASSERT_TRUE(WaitForShown(*program, false, 5s));

    // 10:01: the alarm speaks, and is switched off.
    EXPECT_TRUE(WaitForShown(*program, true, 30s)) << "the alarm";
    LogOff(*program);
    ASSERT_TRUE(program->WaitForExit(10s));
    EXPECT_EQ(ReadNumber(L"", L"Alarm1Enable"), 0u);
    EXPECT_EQ(ReadNumber(L"", L"Alarm1h"), 10u);
    EXPECT_EQ(ReadNumber(L"", L"Alarm1m"), 1u);
    EXPECT_EQ(ReadText(L"", L"Alarm1Mes"), L"会議の時間です");
}

TEST_F(Dialogs, TheVersionBoxNamesTheProgramAndItsEdition) {
    Start();
    Choose(kVersion, nullptr);
    HWND box = WaitForMessageBox(L"ヨミトキ version 1.67");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(WindowText(box), L"バージョン情報");
    EXPECT_NE(MessageBoxText(box).find(L"ひなた"), std::wstring::npos);
    Sleep(300);
    TakeScreenshot(L"version-box");
    PressButton(box, IDOK);
    LogOff(*program);
    program->WaitForExit(10s);
}

}  // namespace
