#include "watch/window_class_cache.h"

const std::u16string* WindowClassCache::Find(WindowRef window, WindowOwner owner) {
    const auto it = m_entries.find(window);
    if (it == m_entries.end()) {
        return nullptr;
    }
    if (it->second.owner != owner) {
        m_entries.erase(it);  // the handle belongs to another window now
        return nullptr;
    }
    it->second.round = m_round;
    return &it->second.name;
}

void WindowClassCache::Store(WindowRef window, WindowOwner owner, std::u16string_view name) {
    Entry& entry = m_entries[window];
    entry.owner = owner;
    entry.round = m_round;
    entry.name.assign(name);
}

void WindowClassCache::Forget(WindowRef window) {
    m_entries.erase(window);
}

void WindowClassCache::NextRound() {
    ++m_round;
    if (m_round % kClassCacheRounds != 0) {
        return;
    }
    std::erase_if(m_entries, [&](const auto& entry) {
        return m_round - entry.second.round > kClassCacheRounds;
    });
}
