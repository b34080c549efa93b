#include "app/tray_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "common/handles_win.h"
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

// An icon of the edition plug-in at the notification area's size: the system's small-icon
// size for the system DPI (16 px at 100 %, 24 at 150 %, 32 at 200 %), taken from the icon
// group's image of that size rather than stretched from another.
UniqueHIcon LoadTrayIcon(HMODULE module, UINT id) {
    HICON icon = nullptr;
    if (module == nullptr ||
        FAILED(LoadIconMetric(module, MAKEINTRESOURCEW(id), LIM_SMALL, &icon))) {
        return UniqueHIcon();
    }
    return UniqueHIcon(icon);
}

}  // namespace

void TrayIcon::Attach(HWND owner, HMODULE editionModule) {
    m_owner = owner;
    m_viewing = LoadTrayIcon(editionModule, IDI_VIEWING);
    m_idle = LoadTrayIcon(editionModule, IDI_IDLE);
    m_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
}

void TrayIcon::AddIdle(std::u16string_view tip) {
    NOTIFYICONDATAW data = Record(m_owner, NIF_MESSAGE | NIF_ICON | NIF_TIP, m_idle.get(), tip);
    if (Shell_NotifyIconW(NIM_ADD, &data)) {
        m_shownIcon = m_idle.get();
        m_shownTip = AsU16(data.szTip);
    } else {
        m_shownIcon = nullptr;
        m_shownTip.clear();
    }
}

void TrayIcon::Show(bool viewing, std::u16string_view tip) {
    HICON icon = viewing ? m_viewing.get() : m_idle.get();
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
    m_shownIcon = nullptr;
    m_shownTip.clear();
}
