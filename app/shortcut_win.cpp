#include "app/shortcut_win.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "common/handles_win.h"
#include "common/system_win.h"

std::wstring ComputeStartupShortcutPath() {
    UniqueCoTaskMem<ITEMIDLIST> items;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_STARTUP, items.put()))) {
        return {};
    }
    wchar_t folder[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(items.get(), folder)) {
        return {};
    }
    wchar_t path[520] = {};
    // The standard path builder: folder, a backslash if it lacks one, name, extension.
    _wmakepath_s(path, 520, nullptr, folder, kProgramName, L".lnk");
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
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.put_void()))) {
        return false;
    }
    ComPtr<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.put_void()))) {
        return false;
    }
    link->SetPath(target.c_str());
    link->SetShowCmd(SW_SHOW);
    link->SetWorkingDirectory(L"");
    link->SetIconLocation(L"", 0);
    link->SetHotkey(0);
    link->SetDescription(L"");
    link->SetArguments(L"");
    return SUCCEEDED(file->Save(shortcutPath.c_str(), TRUE));
}
