#pragma once
// REGW: one open registry key under HKEY_CURRENT_USER, through which every registry value
// of the program is read and written. Each user makes one as a local object, opens one key,
// works on it, closes it and lets it go.
//
// Every operation checks the wrapper's state (a key must be held for value operations and
// for a close, none for an open). A wrong state is a fault in the caller: it is never
// fatal, but shows a warning box (caption "Registory Class", no owner) asking the user to
// report it, and the operation returns its soft result. Registry failures themselves are
// silent and show only in the results.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/handles_win.h"

// OpenKey flags; they may be combined.
inline constexpr unsigned OpenCreate = 1;    // create the key when it does not exist
inline constexpr unsigned OpenReadOnly = 2;  // open with read access only

class REGW {
  public:
    REGW() = default;
    // Closes a key still held and then warns: every user should have closed it.
    ~REGW();
    REGW(const REGW&) = delete;
    REGW& operator=(const REGW&) = delete;

    // Opens path (relative to HKEY_CURRENT_USER) with KEY_READ under OpenReadOnly, else
    // KEY_ALL_ACCESS; when that fails and OpenCreate is set, creates it with
    // KEY_ALL_ACCESS (also under OpenReadOnly). A key already held is closed first, with a
    // warning. A null path opens nothing. True when a key is held afterwards.
    bool OpenKey(const char16_t* path, unsigned flags);
    // False, with a warning, when no key is held; else true (the key is let go either way).
    bool CloseKey();
    // The size in bytes of the value's data (0 for empty data), or -1 when it does not
    // exist or cannot be queried.
    int32_t ValueExistW(const char16_t* name);
    // The value as an integer by the rules of IntegerFromRegistryData; fallback when it is
    // missing or cannot be read. Callers that store seconds read the result as unsigned.
    int32_t ReadIntegerW(const char16_t* name, int32_t fallback);
    // Writes a REG_DWORD.
    bool WriteIntegerW(const char16_t* name, uint32_t value);
    // Writes text with its terminating NUL, as REG_SZ, or as REG_EXPAND_SZ when a value of
    // that name already has that type.
    bool WriteStringW(const char16_t* name, std::u16string_view text);
    bool DeleteValue(const char16_t* name);
    // The value's data taken as text, whatever its type, up to its first NUL: an empty text
    // when the value is empty or missing (or no key is held), nothing when the read fails.
    std::optional<std::u16string> RegReadStringW(const char16_t* name);

    // The key held, or null; for the callers that enumerate it.
    HKEY Key() const { return m_key.get(); }

  private:
    UniqueHKey m_key;
};

// What an enumeration of a key's values has to stop for.
struct RegistryValueView {
    std::u16string_view name;
    uint32_t type;
    const uint8_t* data;  // null when data was not asked for
    size_t size;
};

// Enumerates key's values by index, in the registry's order, with their data when withData
// is set. Values that change while the enumeration runs (and no longer fit the buffers
// sized before it) are left out. False when the key cannot be queried; nothing has been
// visited then. Buffers that cannot be had throw std::bad_alloc to the caller, which says
// what a missing memory means for it.
bool ForEachRegistryValue(HKEY key, bool withData,
                          const std::function<void(const RegistryValueView&)>& visit);
