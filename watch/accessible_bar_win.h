#pragma once
// The browsers' accessibility trees through MSAA (IAccessible), which Windows and Wine both
// have. UI Automation would also give Firefox's automation id, but Wine registers no
// CUIAutomation class and the cross-compiler's headers lack its client interfaces; over MSAA
// Firefox's bar is found by the toolbar-edit rule instead.
//
// The interface's id is taken with __uuidof: the static link finds IID_IAccessible in two
// libraries (oleacc and uuid) once it is named.
//
// A tree is used only on the thread that made it, which has entered a COM apartment: the
// program's accessibility worker (accessible_worker_win.h).
#include <windows.h>

#include <oleacc.h>

#include <vector>

#include "common/handles_win.h"
#include "watch/accessible_bar.h"
#include "watch/window_tree_win.h"

class MsaaTree final : public AccessibleTree {
  public:
    MsaaTree() = default;
    MsaaTree(const MsaaTree&) = delete;
    MsaaTree& operator=(const MsaaTree&) = delete;
    ~MsaaTree() override = default;

    // A window that does not answer a message within kTextTimeoutMs, or that the system
    // counts as hung, serves no tree. A window's root is asked of the system once and kept
    // while the window lives with the same owner (its handle may be reused) and the root
    // answers: a search then begins inside the browser instead of with the round trips that
    // hand the root across.
    ElementRef Root(WindowRef window) override;
    bool Describe(ElementRef element, ElementInfo& info) override;
    std::size_t Children(ElementRef element, ElementRef* children, std::size_t room) override;
    std::size_t Value(ElementRef element, char16_t* buffer, std::size_t room) override;
    // MSAA has no automation ids: always 0.
    std::size_t AutomationId(ElementRef element, char16_t* buffer, std::size_t room) override;
    // Also lets go of the kept roots of windows that have gone.
    ElementRef Keep(ElementRef keep) override;

    // Elements held now (the benchmark and tests check that a search lets go of them).
    std::size_t held() const { return m_elements.size(); }
    // Windows whose roots are kept.
    std::size_t rootsKept() const { return m_roots.size(); }

  private:
    // An object, or one of its simple children (child is then not CHILDID_SELF).
    struct Element {
        ComPtr<IAccessible> object;
        LONG child = CHILDID_SELF;
        HWND rootOf = nullptr;  // the window whose kept root this is, if it is one
    };
    struct KeptRoot {
        HWND window = nullptr;
        WindowOwner owner = 0;
        ComPtr<IAccessible> object;
    };
    const Element* Find(ElementRef element) const;
    ElementRef Add(ComPtr<IAccessible> object, LONG child, HWND rootOf = nullptr);
    // A call on element failed: a kept root that fails is asked of the system again.
    void Failed(const Element& element);
    std::vector<KeptRoot>::iterator FindRoot(HWND window);
    void ForgetRoot(HWND window);

    std::vector<Element> m_elements;  // element n is m_elements[n - 1]
    std::vector<KeptRoot> m_roots;
};

// The most windows whose roots are kept; the oldest goes first.
inline constexpr std::size_t kMaxKeptRoots = 16;

// GetTickCount64: milliseconds since the system started.
class SystemClock final : public MonotonicClock {
  public:
    std::uint64_t NowMs() override;
};
