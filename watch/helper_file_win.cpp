#include "watch/helper_file_win.h"

#include <windows.h>

#include <algorithm>
#include <climits>

#include "common/handles_win.h"
#include "common/text_win.h"

std::u16string Win32HelperFiles::ProfileRoot() {
    const std::wstring pattern(AsWide(kFirefoxProfileRoot));
    std::wstring root(520, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD needed = ::ExpandEnvironmentStringsW(pattern.c_str(), root.data(),
                                                         static_cast<DWORD>(root.size()));
        if (needed == 0) {
            return {};
        }
        if (needed <= root.size()) {
            root.resize(needed - 1);  // the count includes the terminator
            // An unset variable stays as written, which would name a folder of the working
            // folder: there is no profile root then.
            if (root.starts_with(L"%APPDATA%")) {
                return {};
            }
            return std::u16string(AsU16(root));
        }
        root.assign(needed, L'\0');  // the environment changed size under us at most once
    }
    return {};
}

bool Win32HelperFiles::ListFolders(const std::u16string& root, FolderVisitor& visitor) {
    const bool unchanged = m_rootChanges && root == m_listedRoot &&
                           ::WaitForSingleObject(m_rootChanges.get(), 0) == WAIT_TIMEOUT;
    if (!unchanged) {
        // Armed before the listing, so that a change made while it runs is seen next time.
        if (m_rootChanges && root == m_listedRoot) {
            if (!::FindNextChangeNotification(m_rootChanges.get())) {
                m_rootChanges.reset();
            }
        } else {
            const HANDLE watch = ::FindFirstChangeNotificationW(AsWide(root.c_str()), FALSE,
                                                                FILE_NOTIFY_CHANGE_DIR_NAME);
            const DWORD error = ::GetLastError();
            m_rootChanges.reset(watch);
            if (!m_rootChanges &&
                (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)) {
                m_listedRoot.clear();
                m_folders.clear();
                return false;  // no profile root: nothing to list either
            }
        }
        m_listedRoot.clear();
        m_folders.clear();
        const std::wstring pattern = std::wstring(AsWide(root)) + L"*";
        WIN32_FIND_DATAW entry;
        UniqueFindHandle find(::FindFirstFileW(pattern.c_str(), &entry));
        if (!find) {
            m_rootChanges.reset();
            return false;
        }
        do {
            const std::wstring_view name(entry.cFileName);
            if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name != L"." &&
                name != L"..") {
                m_folders.emplace_back(AsU16(name));
            }
        } while (::FindNextFileW(find.get(), &entry));
        // Without a watch (the system refused one) the root is listed every time.
        if (m_rootChanges) {
            m_listedRoot = root;
        }
    }
    for (const std::u16string& folder : m_folders) {
        if (!visitor.Visit(folder)) {
            break;
        }
    }
    return true;
}

std::ptrdiff_t Win32HelperFiles::ReadHead(const std::u16string& path, std::span<uint8_t> bytes) {
    UniqueHFile file(::CreateFileW(AsWide(path.c_str()), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return -1;
    }
    DWORD read = 0;
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), MAXDWORD));
    if (!::ReadFile(file.get(), bytes.data(), want, &read, nullptr)) {
        return -1;
    }
    return static_cast<std::ptrdiff_t>(std::min<std::size_t>(read, bytes.size()));
}
