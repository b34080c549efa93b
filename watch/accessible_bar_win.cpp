#include "watch/accessible_bar_win.h"

#include <algorithm>
#include <array>
#include <utility>

#include "watch/window_tree_win.h"

namespace {

VARIANT ChildVariant(LONG child) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = child;
    return v;
}

ElementRole RoleOf(LONG role) {
    switch (role) {
        case ROLE_SYSTEM_TEXT:
            return ElementRole::Edit;
        case ROLE_SYSTEM_TOOLBAR:
            return ElementRole::Toolbar;
        case ROLE_SYSTEM_DOCUMENT:
            return ElementRole::Document;
        case ROLE_SYSTEM_PAGETABLIST:
            return ElementRole::TabList;
        default:
            return ElementRole::Other;
    }
}

}  // namespace

const MsaaTree::Element* MsaaTree::Find(ElementRef element) const {
    return element >= 1 && element <= m_elements.size() ? &m_elements[element - 1] : nullptr;
}

ElementRef MsaaTree::Add(ComPtr<IAccessible> object, LONG child, HWND rootOf) {
    m_elements.push_back({std::move(object), child, rootOf});
    return m_elements.size();
}

std::vector<MsaaTree::KeptRoot>::iterator MsaaTree::FindRoot(HWND window) {
    return std::find_if(m_roots.begin(), m_roots.end(),
                        [&](const KeptRoot& root) { return root.window == window; });
}

void MsaaTree::ForgetRoot(HWND window) {
    if (const auto it = FindRoot(window); it != m_roots.end()) {
        m_roots.erase(it);
    }
}

void MsaaTree::Failed(const Element& element) {
    if (element.rootOf != nullptr) {
        ForgetRoot(element.rootOf);
    }
}

ElementRef MsaaTree::Root(WindowRef window) {
    const HWND hwnd = HwndOf(window);
    const WindowOwner owner = OwnerOf(hwnd);
    DWORD_PTR ignored = 0;
    if (owner == 0 || SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                          kTextTimeoutMs, &ignored) == 0) {
        return 0;
    }
    if (const auto kept = FindRoot(hwnd); kept != m_roots.end()) {
        if (kept->owner == owner) {
            return Add(kept->object.Share(), CHILDID_SELF, hwnd);
        }
        m_roots.erase(kept);  // the handle belongs to another window now
    }
    ComPtr<IAccessible> object;
    if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible), object.put_void())) ||
        !object) {
        return 0;
    }
    if (m_roots.size() >= kMaxKeptRoots) {
        m_roots.erase(m_roots.begin());
    }
    m_roots.push_back({hwnd, owner, object.Share()});
    return Add(std::move(object), CHILDID_SELF, hwnd);
}

bool MsaaTree::Describe(ElementRef element, ElementInfo& info) {
    const Element* e = Find(element);
    if (e == nullptr) {
        return false;
    }
    VARIANT child = ChildVariant(e->child);
    UniqueVariant role;
    if (FAILED(e->object->get_accRole(child, role.put()))) {
        Failed(*e);
        return false;
    }
    // A role given as a string is a custom one: none the search looks for.
    info.role = (*role).vt == VT_I4 ? RoleOf((*role).lVal) : ElementRole::Other;
    UniqueVariant state;
    if (FAILED(e->object->get_accState(child, state.put()))) {
        Failed(*e);
        return false;
    }
    const LONG bits = (*state).vt == VT_I4 ? (*state).lVal : 0;
    info.enabled = (bits & STATE_SYSTEM_UNAVAILABLE) == 0;
    info.focusable = (bits & STATE_SYSTEM_FOCUSABLE) != 0;
    info.focused = (bits & STATE_SYSTEM_FOCUSED) != 0;
    info.editable = (bits & STATE_SYSTEM_READONLY) == 0;
    return true;
}

std::size_t MsaaTree::Children(ElementRef element, ElementRef* children, std::size_t room) {
    const Element* e = Find(element);
    if (e == nullptr || e->child != CHILDID_SELF || room == 0) {
        return 0;  // a simple child has no children of its own
    }
    IAccessible* const parent = e->object.get();  // Add may move m_elements
    LONG count = 0;
    if (FAILED(parent->get_accChildCount(&count))) {
        Failed(*e);
        return 0;
    }
    if (count <= 0) {
        return 0;
    }
    std::array<VARIANT, kMaxChildren> variants;
    const LONG asked =
        static_cast<LONG>(std::min({static_cast<std::size_t>(count), room, variants.size()}));
    LONG got = 0;
    if (FAILED(AccessibleChildren(parent, 0, asked, variants.data(), &got))) {
        return 0;
    }
    // Every answer gets its owner before any is looked at, so all are cleared however the
    // loop below ends.
    const LONG answers = std::clamp<LONG>(got, 0, asked);
    std::array<UniqueVariant, kMaxChildren> owned;
    for (LONG i = 0; i < answers; ++i) {
        *owned[i].put() = variants[i];
    }
    std::size_t n = 0;
    for (LONG i = 0; i < answers; ++i) {
        const VARIANT& v = *owned[i];
        if (v.vt == VT_DISPATCH && v.pdispVal != nullptr) {
            ComPtr<IAccessible> object;
            if (SUCCEEDED(v.pdispVal->QueryInterface(__uuidof(IAccessible), object.put_void())) &&
                object) {
                children[n++] = Add(std::move(object), CHILDID_SELF);
            }
        } else if (v.vt == VT_I4) {
            children[n++] = Add(m_elements[element - 1].object.Share(), v.lVal);
        }
    }
    return n;
}

std::size_t MsaaTree::Value(ElementRef element, char16_t* buffer, std::size_t room) {
    const Element* e = Find(element);
    if (e == nullptr || room == 0) {
        return 0;
    }
    buffer[0] = u'\0';
    UniqueBstr value;
    if (e->object->get_accValue(ChildVariant(e->child), value.put()) != S_OK || !value) {
        return 0;
    }
    const std::size_t n = std::min<std::size_t>(SysStringLen(value.get()), room - 1);
    std::copy_n(reinterpret_cast<const char16_t*>(value.get()), n, buffer);
    buffer[n] = u'\0';
    return n;
}

std::size_t MsaaTree::AutomationId(ElementRef, char16_t* buffer, std::size_t room) {
    if (room > 0) {
        buffer[0] = u'\0';
    }
    return 0;
}

ElementRef MsaaTree::Keep(ElementRef keep) {
    std::erase_if(m_roots, [](const KeptRoot& root) { return OwnerOf(root.window) != root.owner; });
    const Element* e = Find(keep);
    if (e == nullptr) {
        m_elements.clear();
        return 0;
    }
    Element kept = std::move(m_elements[keep - 1]);
    m_elements.clear();
    m_elements.push_back(std::move(kept));
    return 1;
}

std::uint64_t SystemClock::NowMs() {
    return GetTickCount64();
}
