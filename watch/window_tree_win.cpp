#include "watch/window_tree_win.h"

#include <algorithm>
#include <climits>

#include "common/boundary.h"
#include "common/text_win.h"

namespace {

// An enumeration that failed for want of memory stops there.
BOOL CALLBACK VisitOne(HWND window, LPARAM visitor) {
    return CatchAtBoundary<BOOL>(FALSE, [&] {
        return reinterpret_cast<WindowVisitor*>(visitor)->Visit(RefOf(window)) ? TRUE : FALSE;
    });
}

int RoomOf(std::size_t room) {
    return static_cast<int>(std::min<std::size_t>(room, INT_MAX));
}

}  // namespace

std::size_t Win32WindowTree::ClassName(WindowRef window, char16_t* buffer, std::size_t room) {
    if (window == 0 || room == 0) {
        return 0;
    }
    const int length = ::GetClassNameW(HwndOf(window), AsWide(buffer), RoomOf(room));
    return length > 0 ? static_cast<std::size_t>(length) : 0;
}

WindowRef Win32WindowTree::Parent(WindowRef window) {
    // GetParent, not GetAncestor: a top-level window has no parent (rather than the desktop
    // window), so an any-class entry never stands for the desktop. For a pop-up it gives
    // the owner.
    return window == 0 ? 0 : RefOf(::GetParent(HwndOf(window)));
}

std::size_t Win32WindowTree::Text(WindowRef window, char16_t* buffer, std::size_t room) {
    if (window == 0 || room == 0) {
        return 0;
    }
    buffer[0] = u'\0';
    DWORD_PTR length = 0;
    // SMTO_BLOCK: nothing else of ours runs while we wait. SMTO_ABORTIFHUNG: a window the
    // system already counts as hung (no messages handled for 5 s) fails at once.
    if (::SendMessageTimeoutW(HwndOf(window), WM_GETTEXT, static_cast<WPARAM>(room),
                              reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                              kTextTimeoutMs, &length) == 0) {
        buffer[0] = u'\0';
        return 0;
    }
    // A window procedure reports what it likes; the text ends within the room all the same.
    const std::size_t given = std::min<std::size_t>(length, room - 1);
    buffer[given] = u'\0';
    return given;
}

void Win32WindowTree::VisitTopLevel(WindowVisitor& visitor) {
    ::EnumWindows(VisitOne, reinterpret_cast<LPARAM>(&visitor));
}

void Win32WindowTree::VisitDescendants(WindowRef window, WindowVisitor& visitor) {
    // With no window EnumChildWindows would list the top-level windows instead.
    if (window != 0) {
        ::EnumChildWindows(HwndOf(window), VisitOne, reinterpret_cast<LPARAM>(&visitor));
    }
}
