#pragma once
// Window class names, read once for as long as a window lives. A window's class never
// changes, but its handle may be given to a later window once it is destroyed: a name
// counts only while the handle has the owner (thread and process) it had when the name was
// read.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "watch/control_path.h"

// A window's owning thread and process ids in one value; 0 for a window that has gone.
using WindowOwner = std::uint64_t;

// Names not looked up for this many rounds (walks of the desktop) are let go: their
// windows have gone, or are no longer looked at.
inline constexpr std::uint32_t kClassCacheRounds = 64;

class WindowClassCache {
  public:
    // The name read for window while it had owner; null when there is none.
    const std::u16string* Find(WindowRef window, WindowOwner owner);
    void Store(WindowRef window, WindowOwner owner, std::u16string_view name);
    void Forget(WindowRef window);
    // A new walk of the desktop begins; every kClassCacheRounds rounds the names not looked
    // up since the last such sweep are let go.
    void NextRound();
    std::size_t size() const { return m_entries.size(); }

  private:
    struct Entry {
        WindowOwner owner = 0;
        std::uint32_t round = 0;  // the last round it was looked up in
        std::u16string name;
    };
    std::unordered_map<WindowRef, Entry> m_entries;
    std::uint32_t m_round = 0;
};
