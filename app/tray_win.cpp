#include "app/tray_win.h"

#include <shellapi.h>

#include <algorithm>

#include "common/text_win.h"
#include "resources/resource.h"

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

void TrayIcon::Attach(HWND owner, HMODULE editionModule) {
    m_owner = owner;
    m_viewing = static_cast<HICON>(
        LoadImageW(editionModule, MAKEINTRESOURCEW(IDI_VIEWING), IMAGE_ICON, 0, 0, LR_SHARED));
    m_idle = static_cast<HICON>(
        LoadImageW(editionModule, MAKEINTRESOURCEW(IDI_IDLE), IMAGE_ICON, 0, 0, LR_SHARED));
    m_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
}

void TrayIcon::AddIdle(std::u16string_view tip) {
    NOTIFYICONDATAW data = Record(m_owner, NIF_MESSAGE | NIF_ICON | NIF_TIP, m_idle, tip);
    if (Shell_NotifyIconW(NIM_ADD, &data)) {
        m_shownIcon = m_idle;
        m_shownTip = AsU16(data.szTip);
    } else {
        m_shownIcon = nullptr;
        m_shownTip.clear();
    }
}

void TrayIcon::Show(bool viewing, std::u16string_view tip) {
    HICON icon = viewing ? m_viewing : m_idle;
    const std::u16string_view given = tip.substr(0, std::min<size_t>(tip.size(), 63));
    const UINT flags = (icon != m_shownIcon ? NIF_ICON : 0) | (given != m_shownTip ? NIF_TIP : 0);
    if (flags == 0) {
        return;
    }
    NOTIFYICONDATAW data = Record(m_owner, flags, icon, tip);
    // What failed is given again with the next change.
    if (Shell_NotifyIconW(NIM_MODIFY, &data)) {
        m_shownIcon = icon;
        m_shownTip.assign(given);
    }
}

void TrayIcon::Remove() {
    NOTIFYICONDATAW data = Record(m_owner, 0, nullptr, u"");
    Shell_NotifyIconW(NIM_DELETE, &data);
}
