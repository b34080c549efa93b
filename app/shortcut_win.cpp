#include "app/shortcut_win.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "common/handles_win.h"

namespace {

// Releases a COM interface at the end of scope.
template <class T>
struct ComRef {
    T* p = nullptr;
    ~ComRef() {
        if (p != nullptr) {
            p->Release();
        }
    }
};

}  // namespace

std::wstring ComputeStartupShortcutPath() {
    PIDLIST_ABSOLUTE items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_STARTUP, &items))) {
        return {};
    }
    wchar_t folder[MAX_PATH] = {};
    const bool ok = SHGetPathFromIDListW(items, folder) != FALSE;
    CoTaskMemFree(items);
    if (!ok) {
        return {};
    }
    wchar_t path[520] = {};
    // The standard path builder: folder, a backslash if it lacks one, name, extension.
    _wmakepath_s(path, 520, nullptr, folder, L"ヨミトキ", L".lnk");
    return path;
}

bool ShortcutExists(const std::wstring& shortcutPath) {
    if (shortcutPath.empty()) {
        return false;
    }
    const UINT previous = SetErrorMode(SEM_FAILCRITICALERRORS);
    WIN32_FIND_DATAW found;
    UniqueFindHandle search(FindFirstFileW(shortcutPath.c_str(), &found));
    SetErrorMode(previous);
    return static_cast<bool>(search);
}

bool CreateShortcut(const std::wstring& shortcutPath, const std::wstring& target) {
    ComRef<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link.p)))) {
        return false;
    }
    ComRef<IPersistFile> file;
    if (FAILED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p)))) {
        return false;
    }
    link.p->SetPath(target.c_str());
    link.p->SetShowCmd(SW_SHOW);
    link.p->SetWorkingDirectory(L"");
    link.p->SetIconLocation(L"", 0);
    link.p->SetHotkey(0);
    link.p->SetDescription(L"");
    link.p->SetArguments(L"");
    return SUCCEEDED(file.p->Save(shortcutPath.c_str(), TRUE));
}
