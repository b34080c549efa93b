#include "watch/accessible_bar_win.h"

#include <algorithm>
#include <array>

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

MsaaTree::~MsaaTree() {
    ReleaseAll();
}

void MsaaTree::ReleaseAll() {
    for (Element& e : m_elements) {
        e.object->Release();
    }
    m_elements.clear();
}

const MsaaTree::Element* MsaaTree::Find(ElementRef element) const {
    return element >= 1 && element <= m_elements.size() ? &m_elements[element - 1] : nullptr;
}

ElementRef MsaaTree::Add(IAccessible* object, LONG child) {
    m_elements.push_back({object, child});
    return m_elements.size();
}

ElementRef MsaaTree::Root(WindowRef window) {
    const HWND hwnd = HwndOf(window);
    DWORD_PTR ignored = 0;
    if (!IsWindow(hwnd) || SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                               kTextTimeoutMs, &ignored) == 0) {
        return 0;
    }
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT),
                                          __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))) ||
        object == nullptr) {
        return 0;
    }
    return Add(object, CHILDID_SELF);
}

bool MsaaTree::Describe(ElementRef element, ElementInfo& info) {
    const Element* e = Find(element);
    if (e == nullptr) {
        return false;
    }
    VARIANT child = ChildVariant(e->child);
    VARIANT role;
    VariantInit(&role);
    if (FAILED(e->object->get_accRole(child, &role))) {
        return false;
    }
    // A role given as a string is a custom one: none the search looks for.
    info.role = role.vt == VT_I4 ? RoleOf(role.lVal) : ElementRole::Other;
    VariantClear(&role);
    VARIANT state;
    VariantInit(&state);
    if (FAILED(e->object->get_accState(child, &state))) {
        return false;
    }
    const LONG bits = state.vt == VT_I4 ? state.lVal : 0;
    VariantClear(&state);
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
    IAccessible* const parent = e->object;  // Add may move m_elements
    LONG count = 0;
    if (FAILED(parent->get_accChildCount(&count)) || count <= 0) {
        return 0;
    }
    std::array<VARIANT, kMaxChildren> variants;
    const LONG asked =
        static_cast<LONG>(std::min({static_cast<std::size_t>(count), room, variants.size()}));
    LONG got = 0;
    if (FAILED(AccessibleChildren(parent, 0, asked, variants.data(), &got))) {
        return 0;
    }
    std::size_t n = 0;
    for (LONG i = 0; i < got && i < asked; ++i) {
        VARIANT& v = variants[i];
        if (v.vt == VT_DISPATCH && v.pdispVal != nullptr) {
            IAccessible* object = nullptr;
            if (SUCCEEDED(v.pdispVal->QueryInterface(__uuidof(IAccessible),
                                                     reinterpret_cast<void**>(&object))) &&
                object != nullptr) {
                children[n++] = Add(object, CHILDID_SELF);
            }
        } else if (v.vt == VT_I4) {
            parent->AddRef();
            children[n++] = Add(parent, v.lVal);
        }
        VariantClear(&v);
    }
    return n;
}

std::size_t MsaaTree::Value(ElementRef element, char16_t* buffer, std::size_t room) {
    const Element* e = Find(element);
    if (e == nullptr || room == 0) {
        return 0;
    }
    buffer[0] = u'\0';
    BSTR value = nullptr;
    if (e->object->get_accValue(ChildVariant(e->child), &value) != S_OK || value == nullptr) {
        SysFreeString(value);
        return 0;
    }
    const std::size_t n = std::min<std::size_t>(SysStringLen(value), room - 1);
    std::copy_n(reinterpret_cast<const char16_t*>(value), n, buffer);
    buffer[n] = u'\0';
    SysFreeString(value);
    return n;
}

std::size_t MsaaTree::AutomationId(ElementRef, char16_t* buffer, std::size_t room) {
    if (room > 0) {
        buffer[0] = u'\0';
    }
    return 0;
}

ElementRef MsaaTree::Keep(ElementRef keep) {
    const Element* e = Find(keep);
    if (e == nullptr) {
        ReleaseAll();
        return 0;
    }
    const Element kept = *e;
    kept.object->AddRef();
    ReleaseAll();
    return Add(kept.object, kept.child);
}

std::uint64_t SystemClock::NowMs() {
    return GetTickCount64();
}
