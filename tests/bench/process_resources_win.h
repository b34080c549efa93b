#pragma once
// What a process holds of the system's objects: GDI objects, window-manager objects and
// kernel handles. GetGuiResources and GetProcessHandleCount tell on Windows; Wine has them
// as stubs (they answer 0), so there the counts come from the process's GDI handle table
// and from the system's handle list.
#include <windows.h>
#include <winternl.h>

#include <vector>

namespace process_resources {

struct Counts {
    long gdi = -1;  // -1 when the system cannot tell
    long user = -1;
    long handles = -1;
    bool fromStubs = false;  // counted the Wine way
};

// Wine keeps a GDI handle table per process, found through the PEB
// (GdiSharedHandleTable): one 24-byte entry per handle, whose type byte is non-zero while
// the handle lives. Read from the process's own memory, so this works for another process.
inline long CountGdiTableEntries(HANDLE process) {
    struct Entry {
        UINT64 object;
        ULONG owner;
        USHORT unique;
        UCHAR type;
        UCHAR flags;
        UINT64 user;
    };
    static_assert(sizeof(Entry) == 24);
    constexpr std::size_t kEntries = 65536;
    constexpr std::size_t kGdiSharedHandleTable = 0xF8;  // offset in the 64-bit PEB
    PROCESS_BASIC_INFORMATION basic{};
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, nullptr) <
            0 ||
        basic.PebBaseAddress == nullptr) {
        return -1;
    }
    const void* table = nullptr;
    SIZE_T got = 0;
    if (!ReadProcessMemory(
            process, reinterpret_cast<const BYTE*>(basic.PebBaseAddress) + kGdiSharedHandleTable,
            &table, sizeof table, &got) ||
        table == nullptr) {
        return -1;
    }
    std::vector<Entry> entries(kEntries);
    if (!ReadProcessMemory(process, table, entries.data(), kEntries * sizeof(Entry), &got) ||
        got != kEntries * sizeof(Entry)) {
        return -1;
    }
    long count = 0;
    for (const Entry& e : entries) {
        count += e.type != 0 ? 1 : 0;
    }
    return count;
}

// The process's kernel handles in the system's handle list.
inline long CountHandlesInSystemList(DWORD processId) {
    struct Entry {
        ULONG process;
        UCHAR type;
        UCHAR flags;
        USHORT handle;
        PVOID object;
        ACCESS_MASK access;
    };
    constexpr auto kSystemHandleInformation = static_cast<SYSTEM_INFORMATION_CLASS>(16);
    constexpr auto kInfoLengthMismatch = static_cast<NTSTATUS>(0xC0000004L);
    std::vector<BYTE> buffer(1u << 20);
    for (int attempt = 0; attempt < 6; ++attempt) {
        ULONG needed = 0;
        const NTSTATUS status = NtQuerySystemInformation(
            kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status == kInfoLengthMismatch) {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (status < 0) {
            return -1;
        }
        const ULONG n = *reinterpret_cast<const ULONG*>(buffer.data());
        const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
        long count = 0;
        for (ULONG i = 0; i < n; ++i) {
            count += entries[i].process == processId ? 1 : 0;
        }
        return count;
    }
    return -1;
}

// process needs PROCESS_QUERY_INFORMATION | PROCESS_VM_READ.
inline Counts Count(HANDLE process) {
    Counts c;
    SetLastError(0);
    const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    if (gdi != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) {
        c.gdi = static_cast<long>(gdi);
        c.user = static_cast<long>(GetGuiResources(process, GR_USEROBJECTS));
    } else {
        c.gdi = CountGdiTableEntries(process);
        c.fromStubs = true;
    }
    DWORD handles = 0;
    if (GetProcessHandleCount(process, &handles) && handles != 0) {
        c.handles = static_cast<long>(handles);
    } else {
        c.handles = CountHandlesInSystemList(GetProcessId(process));
        c.fromStubs = true;
    }
    return c;
}

}  // namespace process_resources
