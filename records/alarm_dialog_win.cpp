#include "records/alarm_dialog_win.h"

#include <string>

#include "common/boundary_win.h"
#include "common/text_win.h"
#include "resources/resource.h"

namespace {

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

}  // namespace

INT_PTR OpenAlarmDialog(HINSTANCE instance, HWND owner, Settings& settings) {
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_ALARM), owner,
                           DialogProcAtBoundary<HandleAlarmMessage>,
                           reinterpret_cast<LPARAM>(&settings));
}
