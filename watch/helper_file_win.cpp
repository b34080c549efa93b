#include "watch/helper_file_win.h"

#include <windows.h>

#include <algorithm>
#include <climits>

#include "common/handles_win.h"
#include "common/text_win.h"

namespace {

std::u16string ExpandProfileRoot() {
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

}  // namespace

const std::u16string& Win32HelperFiles::ProfileRoot() {
    // A process's environment is its own: nothing outside can change %APPDATA% under a
    // running program, so the root is expanded once rather than every second.
    if (!m_rootExpanded) {
        m_root = ExpandProfileRoot();
        m_rootExpanded = true;
    }
    return m_root;
}

namespace {

// The folder above path (which ends with a separator), with its separator; empty at the
// top.
std::wstring ParentFolder(const std::wstring& path) {
    const std::size_t last = path.find_last_of(L'\\', path.size() >= 2 ? path.size() - 2 : 0);
    return last == std::wstring::npos || last < 3 ? std::wstring() : path.substr(0, last + 1);
}

bool IsMissing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

}  // namespace

void Win32HelperFiles::ProbeRoot(const std::u16string& root) {
    m_probedRoot.clear();
    m_rootFound = false;
    m_folders.clear();
    // Watched before it is listed, so that a change made meanwhile is seen next time.
    std::wstring folder(AsWide(root));
    m_watch.reset(
        ::FindFirstChangeNotificationW(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_DIR_NAME));
    if (!m_watch && IsMissing(::GetLastError())) {
        // No root: the deepest folder above it that exists is watched instead, so that the
        // root is looked for again only when folders come or go there.
        for (folder = ParentFolder(folder); !folder.empty() && !m_watch;
             folder = ParentFolder(folder)) {
            m_watch.reset(
                ::FindFirstChangeNotificationW(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_DIR_NAME));
            if (!m_watch && !IsMissing(::GetLastError())) {
                break;
            }
        }
        if (m_watch) {
            m_probedRoot = root;
        }
        return;
    }
    const std::wstring pattern = std::wstring(AsWide(root)) + L"*";
    WIN32_FIND_DATAW entry;
    UniqueFindHandle find(::FindFirstFileW(pattern.c_str(), &entry));
    if (!find) {
        m_watch.reset();
        return;
    }
    do {
        const std::wstring_view name(entry.cFileName);
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && name != L"." &&
            name != L"..") {
            m_folders.emplace_back(AsU16(name));
        }
    } while (::FindNextFileW(find.get(), &entry));
    m_rootFound = true;
    // Without a watch (the system refused one) the root is listed every time.
    if (m_watch) {
        m_probedRoot = root;
    }
}

bool Win32HelperFiles::ListFolders(const std::u16string& root, FolderVisitor& visitor) {
    const bool unchanged =
        m_watch && root == m_probedRoot && ::WaitForSingleObject(m_watch.get(), 0) == WAIT_TIMEOUT;
    if (!unchanged) {
        ProbeRoot(root);
    }
    if (!m_rootFound) {
        return false;
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
