#include "records/log_viewer_win.h"

#include <string>

#include "common/boundary_win.h"
#include "common/message_box_win.h"
#include "common/system_win.h"
#include "common/text_win.h"
#include "records/daily_log_win.h"
#include "records/ranking_win.h"
#include "records/registry_win.h"
#include "records/settings.h"
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

}  // namespace

INT_PTR OpenLogViewer(HINSTANCE instance, HWND owner, uint32_t command,
                      std::function<void(HWND dialog)> saveSettings) {
    LogViewerParams params{command, std::move(saveSettings)};
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_LOGVIEWER), owner,
                           DialogProcAtBoundary<HandleLogViewerMessage>,
                           reinterpret_cast<LPARAM>(&params));
}
