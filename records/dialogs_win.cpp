#include "records/dialogs_win.h"

#include <string>

#include "common/boundary.h"
#include "common/message_box_win.h"
#include "common/system_win.h"
#include "common/text_win.h"
#include "records/daily_log_win.h"
#include "records/ranking_win.h"
#include "records/registry_win.h"
#include "resources/resource.h"

namespace {

struct LogViewerParams {
    uint32_t command;
    std::function<void(HWND)> saveSettings;
};

int DaysFor(uint32_t command) {
    switch (command) {
        case IDM_LOG_WEEK:
            return 7;
        case IDM_LOG_MONTH:
            return 30;
        case IDM_LOG_YEAR:
            return 365;
        default:
            return 0;
    }
}

// Fills the text from the log or the ranking; false (after its message) when the data
// cannot be read.
bool FillLogViewer(HWND dialog, uint32_t command) {
    HWND edit = GetDlgItem(dialog, IDC_LOG_TEXT);
    REGW key;
    if (command == IDM_RANKING) {
        if (!key.OpenKey(RankKey, OpenReadOnly)) {
            ShowMessageBox(
                nullptr,
                L"閲覧記事のランキングデータが見つかりません。\r\n\r\n"
                L"「閲覧記事のランキングを行う」のチェックがONになっていない場合は、"
                L"ONにする必要があります。\r\nまた、ONにした後で、1つ以上のウィキペディア"
                L"のページを閲覧しておく必要があります。",
                kProgramName, MB_ICONWARNING);
            return false;
        }
        BuildRankingText(key, edit);
        key.CloseKey();
        return true;
    }
    if (!key.OpenKey(LogKey, OpenReadOnly)) {
        ShowMessageBox(nullptr, L"閲覧時間ログデータを読み込めません。", kProgramName,
                       MB_ICONERROR);
        return false;
    }
    if (const int days = DaysFor(command); days != 0) {
        BuildLogSummary(key, days, edit, TodayLogDate());
    }
    key.CloseKey();
    return true;
}

INT_PTR HandleLogViewerMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            auto* params = reinterpret_cast<LogViewerParams*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            SetWindowPos(dialog, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
            params->saveSettings(dialog);  // today's running total is in the log shown
            if (!FillLogViewer(dialog, params->command)) {
                EndDialog(dialog, 0);
            }
            return TRUE;
        }
        case WM_COMMAND: {
            const auto* params =
                reinterpret_cast<const LogViewerParams*>(GetWindowLongPtrW(dialog, DWLP_USER));
            switch (LOWORD(wParam)) {
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
                case IDC_DELETE_LOG:
                    if (ShowMessageBox(nullptr, L"ログデータを削除します。よろしいですか。",
                                       kProgramName, MB_YESNO | MB_ICONQUESTION) == IDYES) {
                        // The whole key goes, not only the days shown.
                        RegDeleteKeyW(HKEY_CURRENT_USER,
                                      AsWide(params->command == IDM_RANKING ? RankKey : LogKey));
                        EndDialog(dialog, IDC_DELETE_LOG);
                    }
                    return TRUE;
                default:
                    return FALSE;
            }
        }
        default:
            return FALSE;
    }
}

struct AlarmFields {
    int check, hour, minute, message;
    bool Settings::*enabled;
    uint16_t Settings::*h;
    uint16_t Settings::*m;
    std::optional<std::u16string> Settings::*text;
};

constexpr AlarmFields kAlarms[] = {
    {IDC_ALARM1_ENABLED, IDC_ALARM1_HOUR, IDC_ALARM1_MINUTE, IDC_ALARM1_MESSAGE,
     &Settings::Alarm1Enable, &Settings::Alarm1h, &Settings::Alarm1m, &Settings::Alarm1Mes},
    {IDC_ALARM2_ENABLED, IDC_ALARM2_HOUR, IDC_ALARM2_MINUTE, IDC_ALARM2_MESSAGE,
     &Settings::Alarm2Enable, &Settings::Alarm2h, &Settings::Alarm2m, &Settings::Alarm2Mes},
    {IDC_ALARM3_ENABLED, IDC_ALARM3_HOUR, IDC_ALARM3_MINUTE, IDC_ALARM3_MESSAGE,
     &Settings::Alarm3Enable, &Settings::Alarm3h, &Settings::Alarm3m, &Settings::Alarm3Mes},
};

std::u16string EditText(HWND dialog, int id) {
    HWND edit = GetDlgItem(dialog, id);
    const int length = GetWindowTextLengthW(edit);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int n = GetWindowTextW(edit, text.data(), length + 1);
    text.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return std::u16string(AsU16(text));
}

INT_PTR HandleAlarmMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            const Settings& s = *reinterpret_cast<Settings*>(lParam);
            for (const AlarmFields& a : kAlarms) {
                CheckDlgButton(dialog, a.check, s.*a.enabled ? BST_CHECKED : BST_UNCHECKED);
                SetDlgItemInt(dialog, a.hour, s.*a.h, FALSE);
                SetDlgItemInt(dialog, a.minute, s.*a.m, FALSE);
                SendDlgItemMessageW(dialog, a.hour, EM_LIMITTEXT, 2, 0);
                SendDlgItemMessageW(dialog, a.minute, EM_LIMITTEXT, 2, 0);
                const auto& text = s.*a.text;
                SetDlgItemTextW(dialog, a.message, text ? AsWide(text->c_str()) : L"");
            }
            return TRUE;
        }
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDOK: {
                    Settings& s =
                        *reinterpret_cast<Settings*>(GetWindowLongPtrW(dialog, DWLP_USER));
                    for (const AlarmFields& a : kAlarms) {
                        s.*a.enabled = IsDlgButtonChecked(dialog, a.check) == BST_CHECKED;
                        // An empty field, or one without a number, gives 0.
                        s.*a.h =
                            static_cast<uint16_t>(GetDlgItemInt(dialog, a.hour, nullptr, FALSE));
                        s.*a.m =
                            static_cast<uint16_t>(GetDlgItemInt(dialog, a.minute, nullptr, FALSE));
                    }
                    for (const AlarmFields& a : kAlarms) {
                        s.*a.text = EditText(dialog, a.message);
                    }
                    EndDialog(dialog, IDOK);
                    return TRUE;
                }
                case IDCANCEL:
                    EndDialog(dialog, IDCANCEL);
                    return TRUE;
                default:
                    return FALSE;
            }
        default:
            return FALSE;
    }
}

// A dialog whose handling failed for want of memory answers "not handled".
INT_PTR CALLBACK LogViewerProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return CatchAtBoundary<INT_PTR>(
        FALSE, [&] { return HandleLogViewerMessage(dialog, message, wParam, lParam); });
}

INT_PTR CALLBACK AlarmProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return CatchAtBoundary<INT_PTR>(
        FALSE, [&] { return HandleAlarmMessage(dialog, message, wParam, lParam); });
}

}  // namespace

INT_PTR OpenLogViewer(HINSTANCE instance, HWND owner, uint32_t command,
                      std::function<void(HWND dialog)> saveSettings) {
    LogViewerParams params{command, std::move(saveSettings)};
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_LOGVIEWER), owner, LogViewerProc,
                           reinterpret_cast<LPARAM>(&params));
}

INT_PTR OpenAlarmDialog(HINSTANCE instance, HWND owner, Settings& settings) {
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ALARM), owner, AlarmProc,
                           reinterpret_cast<LPARAM>(&settings));
}
