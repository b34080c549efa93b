#pragma once
// The top-level windows of one sample, front to back, with their class names: the desktop is
// walked once a sample and every source that looks at the top-level windows in that sample
// is shown the same list, in the same order, without asking the system again.
#include <cstddef>
#include <string_view>
#include <vector>

#include "watch/control_path.h"

class WindowList final : public WindowTree {
  public:
    // desktop answers what the list does not hold: parents, texts, descendants and the
    // class names of unlisted windows. Null for none (those answers are then empty).
    explicit WindowList(WindowTree* desktop = nullptr) : m_desktop(desktop) {}

    // Lists the desktop's top-level windows anew, reading each class name once (an
    // unreadable one is listed as empty).
    void Walk();
    void Clear();
    void Add(WindowRef window, std::u16string_view className);

    std::size_t size() const { return m_windows.size(); }
    bool empty() const { return m_windows.empty(); }
    WindowRef WindowAt(std::size_t i) const { return m_windows[i]; }
    std::u16string_view ClassAt(std::size_t i) const;

    // A listed window's class name comes from the list.
    std::size_t ClassName(WindowRef window, char16_t* buffer, std::size_t room) override;
    WindowRef Parent(WindowRef window) override;
    std::size_t Text(WindowRef window, char16_t* buffer, std::size_t room) override;
    // The listed windows, in their order.
    void VisitTopLevel(WindowVisitor& visitor) override;
    void VisitDescendants(WindowRef window, WindowVisitor& visitor) override;

  private:
    WindowTree* m_desktop;
    std::vector<WindowRef> m_windows;
    std::vector<std::size_t> m_nameEnds;  // where each name ends in m_names
    std::vector<char16_t> m_names;        // all names, one after the other
    // The window last visited: its name is what a visitor asks for next.
    std::size_t m_visiting = 0;
};
