#include "app/help_win.h"

#include <cwchar>

#include "common/handles_win.h"

namespace {

using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
constexpr UINT kDisplayTopic = 0;  // HH_DISPLAY_TOPIC
constexpr int kHtmlHelpWOrdinal = 15;

// The HTML Help control's library: the one registered for its class, else hhctrl.ocx.
HMODULE LoadHelpControl() {
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof(path) - sizeof(wchar_t);
    UniqueHKey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT,
                      L"CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32", 0, KEY_READ,
                      key.put()) == ERROR_SUCCESS) {
        DWORD type = 0;
        if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(path),
                             &size) != ERROR_SUCCESS ||
            (type != REG_SZ && type != REG_EXPAND_SZ)) {
            path[0] = L'\0';
        }
        path[MAX_PATH - 1] = L'\0';
    }
    HMODULE library = path[0] != L'\0' ? LoadLibraryW(path) : nullptr;
    return library != nullptr ? library : LoadLibraryW(L"hhctrl.ocx");
}

}  // namespace

void ShowHelp(HWND owner) {
    // Looked up once; kept for the rest of the run (the control stays loaded).
    static bool looked = false;
    static HtmlHelpFunction htmlHelp = nullptr;
    if (!looked) {
        looked = true;
        if (HMODULE library = LoadHelpControl(); library != nullptr) {
            htmlHelp = reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void*>(
                GetProcAddress(library, MAKEINTRESOURCEA(kHtmlHelpWOrdinal))));
        }
    }
    if (htmlHelp == nullptr) {
        return;
    }
    wchar_t topic[MAX_PATH];
    std::swprintf(topic, MAX_PATH, L".\\ymt.chm::/_RESOURCE/%ls", L"HLP000001.html");
    htmlHelp(owner, topic, kDisplayTopic, 0);
}
