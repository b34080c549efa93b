// The alarm dialog, the log viewer, the ranking and the version box, opened from the command list.
#include "resources/resource.h"
#include "tests/e2e/desk_test.h"

namespace {

using namespace e2e;
using Dialogs = Desk;

HWND Choose(const Program& program, POINT item, const wchar_t* title) {
    if (!program.OpenCommandList())
        return nullptr;
    program.Choose(item);
    return WaitForBox(title);
}

std::wstring Field(HWND dialog, int id) {
    std::wstring text;
    WaitUntil([&] { return !(text = WindowText(GetDlgItem(dialog, id))).empty(); }, 5s);
    return text;
}

// An alarm set for the next minute fires once and Cancel changes nothing; the week's log is
// deleted on Yes only.
TEST_F(Dialogs, TheAlarmTheWeekLogTheRankingAndTheVersion) {
    WriteNumber(L"Log", L"20261205", 3723);
    WriteNumber(L"Rank", L"猫", 3600);
    WriteNumber(L"Rank", L"犬", 59);
    Launch launch;
    launch.fakeTime = "2026-12-06 10:00:40";
    Program program(launch);
    ASSERT_TRUE(program.Up());
    HWND dialog = Choose(program, kAlarms, L"アラーム設定");
    ASSERT_NE(dialog, nullptr);
    SendMessageW(GetDlgItem(dialog, IDC_ALARM1_ENABLED), BM_SETCHECK, BST_CHECKED, 0);
    SetDlgItemTextW(dialog, IDC_ALARM1_HOUR, L"10");
    SetDlgItemTextW(dialog, IDC_ALARM1_MINUTE, L"1");
    SetDlgItemTextW(dialog, IDC_ALARM1_MESSAGE, L"会議の時間です");
    PressButton(dialog, IDOK);
    ASSERT_TRUE(WaitForGone(dialog));
    dialog = Choose(program, kAlarms, L"アラーム設定");
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Field(dialog, IDC_ALARM1_MINUTE) + L" " + Field(dialog, IDC_ALARM1_MESSAGE),
              L"1 会議の時間です");
    SetDlgItemTextW(dialog, IDC_ALARM1_HOUR, L"7");
    PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitForGone(dialog));
    ASSERT_TRUE(program.Shown(false, 5s));
    EXPECT_TRUE(program.Shown(true, 30s)) << "the alarm at 10:01";

    dialog = Choose(program, kWeekLog, L"記事閲覧ログ - ヨミトキ");
    ASSERT_NE(dialog, nullptr);
    const std::wstring week = Field(dialog, IDC_LOG_TEXT);
    EXPECT_NE(week.find(L"2026/12/ 5 …  1:02:03"), std::wstring::npos) << week.c_str();
    for (const int answer : {IDNO, IDYES}) {
        PressButton(dialog, IDC_DELETE_LOG);
        HWND ask = WaitForBox(L"ログデータを削除します。よろしいですか。");
        ASSERT_NE(ask, nullptr);
        PressButton(ask, answer);
        ASSERT_TRUE(WaitForGone(ask));
        Sleep(500);
        EXPECT_TRUE(answer == IDNO ? IsWindow(dialog) : WaitForGone(dialog)) << "closes on Yes";
        EXPECT_EQ(ReadNumber(L"Log", L"20261205").has_value(), answer == IDNO);
    }

    dialog = Choose(program, kRanking, L"記事閲覧ログ - ヨミトキ");
    ASSERT_NE(dialog, nullptr);
    const std::wstring ranking = Field(dialog, IDC_LOG_TEXT);
    const size_t cat = ranking.find(L"猫"), dog = ranking.find(L"犬");
    EXPECT_TRUE(cat < dog && dog != std::wstring::npos) << ranking.c_str();
    PressButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitForGone(dialog));

    HWND box = Choose(program, kVersion, L"ヨミトキ version 1.67");
    ASSERT_NE(box, nullptr);
    EXPECT_NE(BoxText(box).find(L"ひなた"), std::wstring::npos) << "the edition";
    PressButton(box, IDOK);
    ASSERT_TRUE(WaitForGone(box));
    ASSERT_EQ(program.LogOff(), "");
    EXPECT_EQ(ReadNumber(L"", L"Alarm1Enable"), 0u) << "switched off once it spoke";
    EXPECT_EQ(ReadNumber(L"", L"Alarm1h"), 10u);
    EXPECT_EQ(ReadNumber(L"", L"Alarm1m"), 1u);
}

}  // namespace
