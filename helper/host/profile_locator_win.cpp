#include "helper/host/profile_locator_win.h"

#include <windows.h>

#include <vector>

#include "common/handles_win.h"
#include "common/text_win.h"
#include "helper/host/atomic_file_win.h"
#include "helper/host/profile_choice.h"

namespace {

bool IsAbsolute(std::wstring_view path) {
    const bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
    const bool unc = path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\';
    return drive || unc;
}

std::u16string WithBackslash(std::u16string path) {
    if (!path.empty() && path.back() != u'\\') {
        path += u'\\';
    }
    return path;
}

}  // namespace

std::u16string FirefoxProfilesRoot() {
    wchar_t buffer[MAX_PATH * 2];
    const DWORD n = GetEnvironmentVariableW(L"APPDATA", buffer, MAX_PATH * 2);
    if (n == 0 || n >= MAX_PATH * 2 || !IsAbsolute(std::wstring_view(buffer, n))) {
        return {};
    }
    return WithBackslash(std::u16string(AsU16(std::wstring_view(buffer, n)))) +
           u"Mozilla\\Firefox\\Profiles\\";
}

bool IsProfileRunning(std::u16string_view folder) {
    const std::wstring lock = std::wstring(AsWide(folder)) + L"\\parent.lock";
    UniqueHFile file(CreateFileW(lock.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return !file && GetLastError() == ERROR_SHARING_VIOLATION;
}

std::optional<std::u16string> FindProfileFolder(std::u16string_view root,
                                                std::u16string_view identity) {
    if (root.empty() || !IsExtensionIdentity(identity)) {
        return std::nullopt;
    }
    const std::u16string base = WithBackslash(std::u16string(root));
    const std::wstring pattern = std::wstring(AsWide(base)) + L"*";
    WIN32_FIND_DATAW entry;
    UniqueFindHandle find(FindFirstFileW(pattern.c_str(), &entry));
    if (!find) {
        return std::nullopt;
    }
    std::vector<ProfileMatch> matches;
    do {
        const std::u16string_view name = AsU16(entry.cFileName);
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 || !IsPlainFolderName(name)) {
            continue;
        }
        const std::u16string folder = base + std::u16string(name);
        const auto prefs = ReadSmallFile(folder + u"\\prefs.js", kMaxPrefsBytes);
        if (prefs && PrefsMapIdentity(*prefs, identity)) {
            matches.push_back(ProfileMatch{std::u16string(name), false});
        }
    } while (FindNextFileW(find.get(), &entry));
    // Probing the lock could, for an instant, keep a starting Firefox from taking it, so
    // it is done only when the prefs alone do not settle the choice.
    if (matches.size() > 1) {
        for (ProfileMatch& match : matches) {
            match.running = IsProfileRunning(base + match.name);
        }
    }
    const auto chosen = ChooseProfile(matches);
    if (!chosen) {
        return std::nullopt;
    }
    return base + *chosen;
}
