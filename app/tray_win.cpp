#include "app/tray_win.h"

#include <shellapi.h>

#include <algorithm>

#include "common/text_win.h"

namespace {

NOTIFYICONDATAW Record(HWND owner, UINT flags, HICON icon, std::u16string_view tip) {
    NOTIFYICONDATAW data{};
    data.cbSize = NOTIFYICONDATAW_V1_SIZE;
    data.hWnd = owner;
    data.uID = TRAY_ICON_ID;
    data.uFlags = flags;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon;
    const size_t n = std::min<size_t>(tip.size(), 63);
    std::copy_n(AsWide(tip).data(), n, data.szTip);
    data.szTip[n] = L'\0';
    return data;
}

}  // namespace

void AddTrayIcon(HWND owner, HICON icon, std::u16string_view tip, TrayShown& shown) {
    NOTIFYICONDATAW data = Record(owner, NIF_MESSAGE | NIF_ICON | NIF_TIP, icon, tip);
    if (Shell_NotifyIconW(NIM_ADD, &data)) {
        shown = {icon, std::u16string(AsU16(data.szTip))};
    } else {
        shown = {};
    }
}

void ModifyTrayIcon(HWND owner, HICON icon, std::u16string_view tip, TrayShown& shown) {
    const std::u16string_view given = tip.substr(0, std::min<size_t>(tip.size(), 63));
    const UINT flags = (icon != shown.icon ? NIF_ICON : 0) | (given != shown.tip ? NIF_TIP : 0);
    if (flags == 0) {
        return;
    }
    NOTIFYICONDATAW data = Record(owner, flags, icon, tip);
    // What failed is given again with the next change.
    if (Shell_NotifyIconW(NIM_MODIFY, &data)) {
        shown.icon = icon;
        shown.tip.assign(given);
    }
}

void DeleteTrayIcon(HWND owner) {
    NOTIFYICONDATAW data = Record(owner, 0, nullptr, u"");
    Shell_NotifyIconW(NIM_DELETE, &data);
}
