// Every user command of the program: toggles, the dialogs, the character's home position,
// help, the logon shortcut, the version box and the exit with a farewell.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/app_win.h"
#include "app/help_win.h"
#include "app/shortcut_win.h"
#include "app/startup.h"
#include "app/version_text.h"
#include "character/talk_tables.h"
#include "common/message_box_win.h"
#include "common/text_win.h"
#include "common/work_area_win.h"
#include "records/alarm_dialog_win.h"
#include "records/log_viewer_win.h"
#include "resources/resource.h"

namespace {

void ChooseEdition(App& app, int32_t edition) {
    if (app.settings.SelEdition == edition) {
        return;
    }
    app.settings.SelEdition = edition;
    ShowMessageBox(app.MainWindow(), L"設定は次回起動時から有効になります。",
                   L"次回起動時のエディションを選択", MB_ICONINFORMATION);
}

void ResetPosition(App& app) {
    HWND window = app.MainWindow();
    const RECT work = PrimaryWorkArea();
    // A move onto a monitor of another display scale resizes the window (WM_DPICHANGED):
    // it is put in the corner again at the size it then has.
    for (int pass = 0; pass < 2; ++pass) {
        RECT rect{};
        GetWindowRect(window, &rect);
        const int w = rect.right - rect.left;
        const int h = rect.bottom - rect.top;
        if (pass > 0 && rect.right == work.right && rect.bottom == work.bottom) {
            break;
        }
        SetWindowPos(window, HWND_TOPMOST, work.right - w, work.bottom - h, 0, 0,
                     SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    }
}

std::wstring WithPath(const wchar_t* text, const std::wstring& path) {
    return std::wstring(text) + path;
}

void ToggleStartupShortcut(App& app) {
    HWND owner = app.MainWindow();
    const std::wstring& path = app.StartupShortcutPath;
    if (ShortcutExists(path)) {
        if (ShowMessageBox(owner, L"スタートアップのショートカットを削除しますか?", kProgramName,
                           MB_YESNO | MB_ICONQUESTION) != IDYES) {
            return;
        }
        if (DeleteFileW(path.c_str())) {
            ShowMessageBox(owner, WithPath(L"ショートカットを削除しました。\n\n", path).c_str(),
                           kProgramName, MB_ICONINFORMATION);
        } else {
            ShowMessageBox(owner,
                           WithPath(L"ショートカットの削除に失敗しました。\n\n", path).c_str(),
                           kProgramName, MB_ICONERROR);
        }
        return;
    }
    if (ShowMessageBox(owner,
                       L"このユーザーへログオンしたときに、ヨミトキを起動できるようにしますか?"
                       L"\r\n\r\n※[はい]を押すと、このユーザーのスタートメニュー内のスタートアップ"
                       L"に、ヨミトキへのショートカットを作成します。",
                       kProgramName, MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    if (!path.empty() && CreateShortcut(path, ProgramPath())) {
        ShowMessageBox(
            owner,
            WithPath(L"下記の位置にヨミトキのショートカットを作成しました。\r\n\r\n", path).c_str(),
            kProgramName, MB_ICONINFORMATION);
    } else {
        ShowMessageBox(owner, WithPath(L"ショートカットの作成に失敗しました。\n\n", path).c_str(),
                       kProgramName, MB_ICONERROR);
    }
}

// A text of the version record's Japanese block, or empty.
std::u16string VersionString(const std::vector<BYTE>& record, const wchar_t* name) {
    wchar_t* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\041104b0\\") + name;
    if (!VerQueryValueW(record.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) ||
        value == nullptr) {
        return {};
    }
    return std::u16string(AsU16(value), wcsnlen(value, length));
}

void ShowVersion(App& app) {
    const std::wstring program = ProgramPath();
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
    if (size == 0) {
        return;
    }
    std::vector<BYTE> record(size + 2);
    if (!GetFileVersionInfoW(program.c_str(), 0, size, record.data())) {
        return;
    }
    wchar_t* version = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(record.data(), L"\\StringFileInfo\\041104b0\\FileVersion",
                        reinterpret_cast<void**>(&version), &length) ||
        version == nullptr) {
        return;
    }
    const std::u16string text = FormatVersionText(
        VersionString(record, L"FileDescription"),
        ParseFileVersion(std::u16string_view(AsU16(version), wcsnlen(version, length))),
        app.EditionTitle, VersionString(record, L"LegalCopyright"));
    ShowMessageBox(app.MainWindow(), AsWide(text.c_str()), L"バージョン情報", MB_ICONINFORMATION);
}

void ExitWithFarewell(App& app) {
    const TalkEntry& farewell =
        PickFarewell(static_cast<uint16_t>(LocalNow().hour), [] { return std::rand(); });
    StopRunningSpeech(app.speech, *app.timers);
    Speak(app.speech, farewell.text, IDT_FAREWELL + (farewell.expression & 0xFF), *app.timers,
          farewell.voiceId);
}

}  // namespace

void RunCommand(App& app, uint32_t command) {
    switch (command) {
        case IDM_EDITION_HINATA:
        case IDM_EDITION_TSUBAKI:
        case IDM_EDITION_SAZANKA:
            ChooseEdition(app, EditionOfCommand(command));
            break;
        case IDM_LOG_WEEK:
        case IDM_LOG_MONTH:
        case IDM_LOG_YEAR:
        case IDM_RANKING:
            OpenLogViewer(app.instance, app.MainWindow(), command,
                          [&app](HWND owner) { SaveAppSettings(app, owner); });
            break;
        case IDM_ALARM:
            OpenAlarmDialog(app.instance, app.MainWindow(), app.settings);
            break;
        case IDM_NOTIFY_FINISH:
            app.settings.NotifyFinish = !app.settings.NotifyFinish;
            break;
        case IDM_NOTIFY_TIME:
            app.settings.NotifyTime = !app.settings.NotifyTime;
            break;
        case IDM_NOTIFY_HOUR:
            app.settings.NotifyHour = !app.settings.NotifyHour;
            break;
        case IDM_RANKING_ENABLED:
            app.settings.HistryEnabled = !app.settings.HistryEnabled;
            break;
        case IDM_VOICE:
            app.settings.Voice = !app.settings.Voice;
            break;
        case IDM_RESET_POSITION:
            ResetPosition(app);
            break;
        case IDM_HELP:
            ShowHelp(app.MainWindow());
            break;
        case IDM_STARTUP_SHORTCUT:
            ToggleStartupShortcut(app);
            break;
        case IDM_VERSION:
            ShowVersion(app);
            break;
        case IDM_EXIT:
            ExitWithFarewell(app);
            break;
        default:
            break;  // 0 (menu dismissed), 3 (キャンセル) and anything else
    }
}
