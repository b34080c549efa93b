#pragma once
// What the Linux kernel counts for the Unix processes of this Wine session (a program and the
// Wine server), read from /proc through Wine's Z: drive. This is the test bench's own view:
// the Wine server's share of a program's cost exists only here.
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

namespace bench {

// The whole of a small file ("" when it cannot be read). /proc files report no size, so
// this reads until the end.
inline std::string ReadWholeFile(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return {};
    }
    std::string text;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0 && text.size() < 1 << 20) {
        text.append(chunk, got);
    }
    CloseHandle(file);
    return text;
}

inline std::wstring ProcPath(unsigned pid, const wchar_t* leaf) {
    return L"Z:\\proc\\" + std::to_wstring(pid) + L"\\" + leaf;
}

// The Unix process named comm (as /proc/PID/comm has it) whose command line contains part;
// 0 if there is none.
inline unsigned FindUnixProcess(const std::string& part, const std::string& comm) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    unsigned result = 0;
    do {
        const unsigned pid = static_cast<unsigned>(std::wcstoul(found.cFileName, nullptr, 10));
        if (pid == 0) {
            continue;
        }
        std::string name = ReadWholeFile(ProcPath(pid, L"comm"));
        while (!name.empty() && name.back() == '\n') {
            name.pop_back();
        }
        if (name == comm.substr(0, 15) &&
            ReadWholeFile(ProcPath(pid, L"cmdline")).find(part) != std::string::npos) {
            result = pid;
        }
    } while (result == 0 && FindNextFileW(search, &found));
    FindClose(search);
    return result;
}

// CPU time of every live thread of the process, in nanoseconds (the first figure of each
// task's schedstat).
inline uint64_t CpuNanoseconds(unsigned pid) {
    const std::wstring tasks = ProcPath(pid, L"task");
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((tasks + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return 0;
    }
    uint64_t total = 0;
    do {
        if (found.cFileName[0] >= L'0' && found.cFileName[0] <= L'9') {
            const std::string stat =
                ReadWholeFile(tasks + L"\\" + found.cFileName + L"\\schedstat");
            total += std::strtoull(stat.c_str(), nullptr, 10);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return total;
}

// CPU time of the process, ended threads included, in milliseconds (utime + stime of its
// stat, in clock ticks of 10 ms).
inline double CpuTickMilliseconds(unsigned pid) {
    const std::string stat = ReadWholeFile(ProcPath(pid, L"stat"));
    const std::size_t end = stat.rfind(')');  // the name may hold spaces
    if (end == std::string::npos) {
        return 0;
    }
    const char* p = stat.c_str() + end + 2;
    // Fields after the name: state(3) ... utime(14) stime(15).
    for (int field = 3; field < 14 && *p != '\0'; ++field) {
        p = std::strchr(p, ' ');
        if (p == nullptr) {
            return 0;
        }
        ++p;
    }
    char* next = nullptr;
    const double utime = std::strtod(p, &next);
    const double stime = std::strtod(next, nullptr);
    return (utime + stime) * 10.0;
}

// Resident memory in KiB (VmRSS), 0 if unknown.
inline uint64_t ResidentKiB(unsigned pid) {
    const std::string status = ReadWholeFile(ProcPath(pid, L"status"));
    const std::size_t at = status.find("VmRSS:");
    return at == std::string::npos ? 0 : std::strtoull(status.c_str() + at + 6, nullptr, 10);
}

}  // namespace bench
