#pragma once
// The pictures and voice clips are resources of the type named "RT_RCDATA" (a type given by
// that name, not the predefined numeric RT_RCDATA) with numeric ids.
#include <windows.h>

#include <cstddef>
#include <cstdint>

struct ResourceBytes {
    const uint8_t* data = nullptr;  // null when the resource is missing
    size_t size = 0;
};

// Finds, loads and locks resource id of the type "RT_RCDATA" in module. The bytes belong
// to the module and stay valid while it is loaded.
inline ResourceBytes FindNamedTypeResource(HMODULE module, uint32_t id) {
    if (module == nullptr) {
        return {};
    }
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"RT_RCDATA");
    if (found == nullptr) {
        return {};
    }
    HGLOBAL loaded = LoadResource(module, found);
    if (loaded == nullptr) {
        return {};
    }
    const void* locked = LockResource(loaded);
    if (locked == nullptr) {
        return {};
    }
    return {static_cast<const uint8_t*>(locked), SizeofResource(module, found)};
}
