#include "helper/host/atomic_file_win.h"

#include <windows.h>

#include "common/handles_win.h"
#include "common/text_win.h"

namespace {

std::wstring Join(std::u16string_view folder, std::u16string_view name) {
    std::wstring path(AsWide(folder));
    if (!path.empty() && path.back() != L'\\') {
        path += L'\\';
    }
    path += AsWide(name);
    return path;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk =
            bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) {
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

bool IsTransient(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION;
}

}  // namespace

bool ReplaceFileContent(std::u16string_view folder, std::u16string_view name,
                        std::string_view bytes) {
    const std::wstring target = Join(folder, name);
    // One temporary name per process: two hosts of one profile (an old one still ending
    // while Firefox starts the next) never write into each other's file.
    const std::wstring temp = target + L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    {
        UniqueHFile file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return false;
        }
        if (!WriteAll(file.get(), bytes)) {
            file.reset();
            DeleteFileW(temp.c_str());
            return false;
        }
    }
    for (int attempt = 0; attempt < kReplaceAttempts; ++attempt) {
        if (MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING)) {
            return true;
        }
        if (!IsTransient(GetLastError())) {
            break;
        }
        Sleep(kReplacePauseMs);
    }
    DeleteFileW(temp.c_str());
    return false;
}

std::optional<std::string> ReadSmallFile(std::u16string_view path, std::size_t maxBytes) {
    const std::wstring wide(AsWide(path));
    UniqueHFile file(CreateFileW(wide.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return std::nullopt;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 ||
        static_cast<unsigned long long>(size.QuadPart) > maxBytes) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        DWORD n = 0;
        const std::size_t left = bytes.size() - got;
        const DWORD ask = left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left);
        if (!ReadFile(file.get(), bytes.data() + got, ask, &n, nullptr)) {
            return std::nullopt;
        }
        if (n == 0) {
            break;  // shrank while we read: what we have is what there is
        }
        got += n;
    }
    bytes.resize(got);
    return bytes;
}
