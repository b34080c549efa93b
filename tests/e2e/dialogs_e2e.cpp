// The log viewer, the ranking, the version box and the alarm dialog, opened from the command
// list.
#include "resources/resource.h"
#include "tests/e2e/desk_test.h"

namespace {

using namespace e2e;
using Dialogs = Desk;

constexpr wchar_t kViewer[] = L"記事閲覧ログ - ヨミトキ";

HWND Choose(const Program& program, POINT item, const wchar_t* dialogTitle) {
    if (!OpenCommandList(program))
        return nullptr;
    ClickCommand(program, item);
    return dialogTitle != nullptr ? WaitForMessageBox(dialogTitle) : nullptr;
}

std::wstring LogText(HWND dialog) {
    std::wstring text;
    WaitUntil([&] { return !(text = WindowText(GetDlgItem(dialog, IDC_LOG_TEXT))).empty(); }, 5s);
    return text;
}

TEST_F(Dialogs, TheWeekLogDeletesOnYesAndTheRankingAndVersionShow) {
    WriteNumber(L"Log", L"20261205", 3723);
    WriteNumber(L"Rank", L"猫", 3600);
    WriteNumber(L"Rank", L"犬", 59);
    RunningProgram program;
    ASSERT_TRUE(program.Up());
    HWND dialog = Choose(program, kWeekLog, kViewer);
    ASSERT_NE(dialog, nullptr);
    const std::wstring week = LogText(dialog);
    EXPECT_NE(week.find(L"2026/12/ 5 …  1:02:03"), std::wstring::npos) << week.c_str();
    EXPECT_NE(week.find(L"2026/12/ 6 …  0:00:00"), std::wstring::npos);
    for (const int answer : {IDNO, IDYES}) {
        PressButton(dialog, IDC_DELETE_LOG);
        HWND ask = WaitForMessageBox(L"ログデータを削除します。よろしいですか。");
        ASSERT_NE(ask, nullptr);
        PressButton(ask, answer);
        ASSERT_TRUE(WaitForGone(ask));
        Sleep(500);
        EXPECT_TRUE(answer == IDNO ? IsWindow(dialog) : WaitForGone(dialog)) << "closes on Yes";
        EXPECT_EQ(ReadNumber(L"Log", L"20261205").has_value(), answer == IDNO);
    }

    dialog = Choose(program, kRanking, kViewer);
    ASSERT_NE(dialog, nullptr);
    const std::wstring ranking = LogText(dialog);
    const size_t cat = ranking.find(L"猫"), dog = ranking.find(L"犬");
    ASSERT_NE(dog, std::wstring::npos) << ranking.c_str();
    EXPECT_LT(cat, dog);
    PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitForGone(dialog));

    Choose(program, kVersion, nullptr);
    HWND box = WaitForMessageBox(L"ヨミトキ version 1.67");
    ASSERT_NE(box, nullptr);
    EXPECT_NE(MessageBoxText(box).find(L"ひなた"), std::wstring::npos) << "the edition";
    PressButton(box, IDOK);
    ASSERT_TRUE(WaitForGone(box));
}

void SetField(HWND dialog, int id, const wchar_t* text) {
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

TEST_F(Dialogs, AnAlarmSetForTheNextMinuteFiresOnceAndCancelChangesNothing) {
    Launch launch;
    launch.fakeTime = "2026-12-06 10:00:40";
    RunningProgram program(launch);
    ASSERT_TRUE(program.Up());
    HWND dialog = Choose(program, kAlarms, L"アラーム設定");
    ASSERT_NE(dialog, nullptr);
    SendMessageW(GetDlgItem(dialog, IDC_ALARM1_ENABLED), BM_SETCHECK, BST_CHECKED, 0);
    SetField(dialog, IDC_ALARM1_HOUR, L"10");
    SetField(dialog, IDC_ALARM1_MINUTE, L"1");
    SetField(dialog, IDC_ALARM1_MESSAGE, L"会議の時間です");
    PressButton(dialog, IDOK);
    ASSERT_TRUE(WaitForGone(dialog));

    // Opened again: Cancel after a change keeps what OK stored.
    dialog = Choose(program, kAlarms, L"アラーム設定");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_ALARM1_MINUTE)), L"1");
    SetField(dialog, IDC_ALARM1_HOUR, L"7");
    PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitForGone(dialog));
    ASSERT_TRUE(WaitForShown(program, false, 5s));

    // 10:01: the alarm speaks, and is switched off.
    EXPECT_TRUE(WaitForShown(program, true, 30s)) << "the alarm";
    ASSERT_EQ(program.LogOffAndWait(), "");
    EXPECT_EQ(ReadNumber(L"", L"Alarm1Enable"), 0u);
    EXPECT_EQ(ReadNumber(L"", L"Alarm1h"), 10u);
    EXPECT_EQ(ReadNumber(L"", L"Alarm1m"), 1u);
    EXPECT_EQ(ReadText(L"", L"Alarm1Mes"), L"会議の時間です");
}

}  // namespace
