#include "watch/window_list.h"

#include <algorithm>
#include <array>

namespace {

class Recorder final : public WindowVisitor {
  public:
    Recorder(WindowTree& desktop, WindowList& list) : m_desktop(desktop), m_list(list) {}
    bool Visit(WindowRef window) override {
        const std::size_t length =
            std::min(m_desktop.ClassName(window, m_name.data(), m_name.size()), m_name.size() - 1);
        m_list.Add(window, {m_name.data(), length});
        return true;
    }

  private:
    WindowTree& m_desktop;
    WindowList& m_list;
    std::array<char16_t, kClassNameRoom> m_name;
};

}  // namespace

void WindowList::Walk() {
    Clear();
    if (m_desktop != nullptr) {
        Recorder recorder(*m_desktop, *this);
        m_desktop->VisitTopLevel(recorder);
    }
}

void WindowList::Clear() {
    m_windows.clear();
    m_nameEnds.clear();
    m_names.clear();
    m_visiting = 0;
}

void WindowList::Add(WindowRef window, std::u16string_view className) {
    m_windows.push_back(window);
    m_names.insert(m_names.end(), className.begin(), className.end());
    m_nameEnds.push_back(m_names.size());
}

std::u16string_view WindowList::ClassAt(std::size_t i) const {
    const std::size_t begin = i == 0 ? 0 : m_nameEnds[i - 1];
    return {m_names.data() + begin, m_nameEnds[i] - begin};
}

std::size_t WindowList::ClassName(WindowRef window, char16_t* buffer, std::size_t room) {
    if (room == 0) {
        return 0;
    }
    // Visitors ask for the name of the window just visited; any other goes to the desktop
    // (which knows the listed windows too), or is looked up in a list without one.
    std::size_t i = m_visiting;
    if (i >= m_windows.size() || m_windows[i] != window) {
        if (m_desktop != nullptr) {
            return m_desktop->ClassName(window, buffer, room);
        }
        i = static_cast<std::size_t>(std::find(m_windows.begin(), m_windows.end(), window) -
                                     m_windows.begin());
        if (i == m_windows.size()) {
            buffer[0] = u'\0';
            return 0;
        }
    }
    const std::u16string_view name = ClassAt(i);
    const std::size_t n = std::min(name.size(), room - 1);
    std::copy_n(name.data(), n, buffer);
    buffer[n] = u'\0';
    return n;
}

WindowRef WindowList::Parent(WindowRef window) {
    return m_desktop != nullptr ? m_desktop->Parent(window) : 0;
}

std::size_t WindowList::Text(WindowRef window, char16_t* buffer, std::size_t room) {
    if (m_desktop != nullptr) {
        return m_desktop->Text(window, buffer, room);
    }
    if (room > 0) {
        buffer[0] = u'\0';
    }
    return 0;
}

void WindowList::VisitTopLevel(WindowVisitor& visitor) {
    for (std::size_t i = 0; i < m_windows.size(); ++i) {
        m_visiting = i;
        if (!visitor.Visit(m_windows[i])) {
            break;
        }
    }
    m_visiting = 0;
}

void WindowList::VisitDescendants(WindowRef window, WindowVisitor& visitor) {
    if (m_desktop != nullptr) {
        m_desktop->VisitDescendants(window, visitor);
    }
}
