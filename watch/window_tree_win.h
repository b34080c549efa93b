#pragma once
// The desktop's real windows behind WindowTree.
#include <windows.h>

#include "watch/control_path.h"
#include "watch/window_class_cache.h"

// How long a window may take to give its text before it counts as a miss. A browser that
// hangs must not hold up the program's one thread, and so its once-a-second tick.
inline constexpr UINT kTextTimeoutMs = 250;

inline WindowRef RefOf(HWND window) {
    return reinterpret_cast<WindowRef>(window);
}
inline HWND HwndOf(WindowRef window) {
    return reinterpret_cast<HWND>(window);
}

// The window's owning thread and process (GetWindowThreadProcessId); 0 when it has gone.
inline WindowOwner OwnerOf(HWND window) {
    DWORD process = 0;
    const DWORD thread = ::GetWindowThreadProcessId(window, &process);
    return thread == 0 ? 0 : (static_cast<WindowOwner>(thread) << 32) | process;
}

class Win32WindowTree final : public WindowTree {
  public:
    // Read once per window (GetClassNameW), then taken from the cache while the handle keeps
    // its owner (GetWindowThreadProcessId, which Windows answers from shared memory).
    std::size_t ClassName(WindowRef window, char16_t* buffer, std::size_t room) override;
    WindowRef Parent(WindowRef window) override;
    // WM_GETTEXT through SendMessageTimeoutW: a window that does not answer within
    // kTextTimeoutMs, or that the system counts as hung, gives no text.
    std::size_t Text(WindowRef window, char16_t* buffer, std::size_t room) override;
    void VisitTopLevel(WindowVisitor& visitor) override;
    void VisitDescendants(WindowRef window, WindowVisitor& visitor) override;

    const WindowClassCache& classes() const { return m_classes; }

  private:
    WindowClassCache m_classes;
};
