#include "watch/window_tree_win.h"

#include <algorithm>
#include <array>

#include "common/boundary.h"
#include "common/text_win.h"

namespace {

// An enumeration that failed for want of memory stops there.
BOOL CALLBACK VisitOne(HWND window, LPARAM visitor) {
    return CatchAtBoundary<BOOL>(FALSE, [&] {
        return reinterpret_cast<WindowVisitor*>(visitor)->Visit(RefOf(window)) ? TRUE : FALSE;
    });
}

}  // namespace

std::size_t Win32WindowTree::ClassName(WindowRef window, char16_t* buffer, std::size_t room) {
    if (window == 0 || room == 0) {
        return 0;
    }
    buffer[0] = u'\0';
    const WindowOwner owner = OwnerOf(HwndOf(window));
    if (owner == 0) {
        m_classes.Forget(window);  // gone
        return 0;
    }
    const std::u16string* name = m_classes.Find(window, owner);
    if (name == nullptr) {
        // Class names are at most 256 characters; the room is the readers' own.
        std::array<char16_t, kClassNameRoom> read;
        const int length =
            ::GetClassNameW(HwndOf(window), AsWide(read.data()), static_cast<int>(read.size()));
        if (length <= 0) {
            return 0;
        }
        m_classes.Store(window, owner, {read.data(), static_cast<std::size_t>(length)});
        name = m_classes.Find(window, owner);
    }
    const std::size_t n = std::min(name->size(), room - 1);
    std::copy_n(name->data(), n, buffer);
    buffer[n] = u'\0';
    return n;
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
    m_classes.NextRound();
    ::EnumWindows(VisitOne, reinterpret_cast<LPARAM>(&visitor));
}

void Win32WindowTree::VisitDescendants(WindowRef window, WindowVisitor& visitor) {
    // With no window EnumChildWindows would list the top-level windows instead.
    if (window != 0) {
        ::EnumChildWindows(HwndOf(window), VisitOne, reinterpret_cast<LPARAM>(&visitor));
    }
}
