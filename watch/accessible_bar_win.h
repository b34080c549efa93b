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

#include "watch/accessible_bar.h"

class MsaaTree final : public AccessibleTree {
  public:
    MsaaTree() = default;
    MsaaTree(const MsaaTree&) = delete;
    MsaaTree& operator=(const MsaaTree&) = delete;
    ~MsaaTree() override;

    // A window that does not answer a message within kTextTimeoutMs, or that the system
    // counts as hung, serves no tree.
    ElementRef Root(WindowRef window) override;
    bool Describe(ElementRef element, ElementInfo& info) override;
    std::size_t Children(ElementRef element, ElementRef* children, std::size_t room) override;
    std::size_t Value(ElementRef element, char16_t* buffer, std::size_t room) override;
    // MSAA has no automation ids: always 0.
    std::size_t AutomationId(ElementRef element, char16_t* buffer, std::size_t room) override;
    ElementRef Keep(ElementRef keep) override;

    // Elements held now (the benchmark and tests check that a search lets go of them).
    std::size_t held() const { return m_elements.size(); }

  private:
    // An object, or one of its simple children (child is then not CHILDID_SELF).
    struct Element {
        IAccessible* object = nullptr;  // one reference held per element
        LONG child = CHILDID_SELF;
    };
    const Element* Find(ElementRef element) const;
    ElementRef Add(IAccessible* object, LONG child);  // takes over one reference
    void ReleaseAll();

    std::vector<Element> m_elements;  // element n is m_elements[n - 1]
};

// GetTickCount64: milliseconds since the system started.
class SystemClock final : public MonotonicClock {
  public:
    std::uint64_t NowMs() override;
};
