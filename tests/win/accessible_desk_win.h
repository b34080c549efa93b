#pragma once
// A browser-like window that serves its own small accessibility tree through WM_GETOBJECT,
// as Chromium serves its toolbar's: objects built by the test implement IAccessible, the
// window hands out its root with LresultFromObject, and readers reach it with
// AccessibleObjectFromWindow as they reach a real browser.
#include <windows.h>

#include <oleacc.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/win/watch_desk_win.h"

// What no reader asks for: IDispatch (MSAA clients call IAccessible directly) and the rest.
#define YMT_NOT_SERVED(...)                          \
    HRESULT STDMETHODCALLTYPE __VA_ARGS__ override { \
        return E_NOTIMPL;                            \
    }

class TestAccessible final : public IAccessible {
  public:
    // An element with a value has it (a text field); the others give none.
    TestAccessible(LONG role, LONG state, std::wstring value = L"")
        : m_role(role), m_state(state), m_value(std::move(value)) {}
    TestAccessible(const TestAccessible&) = delete;
    TestAccessible& operator=(const TestAccessible&) = delete;

    // Adds a child object (the tree holds a reference) and returns it.
    TestAccessible* Add(TestAccessible* child) { return m_children.emplace_back(child); }
    // Milliseconds every role query takes, as a busy browser's would.
    void SetDelay(DWORD ms) { m_delayMs = ms; }
    // The next call asking for role, state, child count or value sets entered and then
    // does not return until release is set (or five minutes pass), as in a browser that
    // hangs. Set on the thread that serves the object.
    void HangNextCall(HANDLE entered, HANDLE release) {
        m_hangEntered = entered;
        m_hangRelease = release;
    }
    ULONG refs() const { return m_refs; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = nullptr;
        if (iid != IID_IUnknown && iid != IID_IDispatch && iid != __uuidof(IAccessible)) {
            return E_NOINTERFACE;
        }
        *out = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_refs; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG refs = --m_refs;
        if (refs == 0) {
            for (TestAccessible* child : m_children) {
                child->Release();
            }
            delete this;
        }
        return refs;
    }

    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        HangHere();
        *count = static_cast<LONG>(m_children.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        *out = nullptr;
        if (child.vt != VT_I4 || child.lVal < 1 ||
            static_cast<std::size_t>(child.lVal) > m_children.size()) {
            return E_INVALIDARG;
        }
        *out = m_children[child.lVal - 1];
        (*out)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        *value = nullptr;
        if (!Enter(child)) {
            return E_INVALIDARG;
        }
        if (m_value.empty()) {
            return DISP_E_MEMBERNOTFOUND;
        }
        *value = SysAllocString(m_value.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        if (m_delayMs > 0) {
            Sleep(m_delayMs);
        }
        return Give(child, role, m_role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return Give(child, state, m_state);
    }

    YMT_NOT_SERVED(GetTypeInfoCount(UINT*));
    YMT_NOT_SERVED(GetTypeInfo(UINT, LCID, ITypeInfo**));
    YMT_NOT_SERVED(GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*));
    YMT_NOT_SERVED(Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*));
    YMT_NOT_SERVED(get_accParent(IDispatch**));
    YMT_NOT_SERVED(get_accName(VARIANT, BSTR*));
    YMT_NOT_SERVED(get_accDescription(VARIANT, BSTR*));
    YMT_NOT_SERVED(get_accHelp(VARIANT, BSTR*));
    YMT_NOT_SERVED(get_accHelpTopic(BSTR*, VARIANT, LONG*));
    YMT_NOT_SERVED(get_accKeyboardShortcut(VARIANT, BSTR*));
    YMT_NOT_SERVED(get_accFocus(VARIANT*));
    YMT_NOT_SERVED(get_accSelection(VARIANT*));
    YMT_NOT_SERVED(get_accDefaultAction(VARIANT, BSTR*));
    YMT_NOT_SERVED(accSelect(LONG, VARIANT));
    YMT_NOT_SERVED(accLocation(LONG*, LONG*, LONG*, LONG*, VARIANT));
    YMT_NOT_SERVED(accNavigate(LONG, VARIANT, VARIANT*));
    YMT_NOT_SERVED(accHitTest(LONG, LONG, VARIANT*));
    YMT_NOT_SERVED(accDoDefaultAction(VARIANT));
    YMT_NOT_SERVED(put_accName(VARIANT, BSTR));
    YMT_NOT_SERVED(put_accValue(VARIANT, BSTR));

  private:
    void HangHere() {
        if (const HANDLE release = std::exchange(m_hangRelease, nullptr)) {
            SetEvent(m_hangEntered);
            WaitForSingleObject(release, 5 * 60 * 1000);
        }
    }
    // Hangs when asked to; whether child names the object itself.
    bool Enter(const VARIANT& child) {
        HangHere();
        return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
    }
    HRESULT Give(const VARIANT& child, VARIANT* out, LONG value) {
        if (!Enter(child)) {
            return E_INVALIDARG;
        }
        out->vt = VT_I4;
        out->lVal = value;
        return S_OK;
    }

    ULONG m_refs = 1;
    LONG m_role;
    LONG m_state;
    std::wstring m_value;
    DWORD m_delayMs = 0;
    HANDLE m_hangEntered = nullptr;
    HANDLE m_hangRelease = nullptr;
    std::vector<TestAccessible*> m_children;
};
#undef YMT_NOT_SERVED

// A Chromium-like tree: the client, a tab strip of 20 tabs, a document holding a page's own
// text field, and a toolbar holding buttons and the address bar (focusable, editable, with its
// value).
struct TestBrowserTree {
    TestAccessible* root = new TestAccessible(ROLE_SYSTEM_CLIENT, 0);
    TestAccessible* bar = nullptr;
    std::vector<TestAccessible*> buttons;  // in the toolbar, before the bar

    explicit TestBrowserTree(const std::wstring& address, int buttonCount = 3) {
        TestAccessible* tabs = root->Add(new TestAccessible(ROLE_SYSTEM_PAGETABLIST, 0));
        for (int i = 0; i < 20; ++i) {
            tabs->Add(new TestAccessible(ROLE_SYSTEM_PAGETAB, STATE_SYSTEM_FOCUSABLE));
        }
        root->Add(new TestAccessible(ROLE_SYSTEM_DOCUMENT, 0))
            ->Add(new TestAccessible(ROLE_SYSTEM_TEXT, STATE_SYSTEM_FOCUSABLE,
                                     L"ja.wikipedia.org/wiki/InThePage"));
        TestAccessible* toolbar = root->Add(new TestAccessible(ROLE_SYSTEM_TOOLBAR, 0));
        for (int i = 0; i < buttonCount; ++i) {
            buttons.push_back(
                toolbar->Add(new TestAccessible(ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE)));
        }
        bar = toolbar->Add(new TestAccessible(ROLE_SYSTEM_GROUPING, 0))
                  ->Add(new TestAccessible(ROLE_SYSTEM_TEXT, STATE_SYSTEM_FOCUSABLE, address));
    }
    TestBrowserTree(const TestBrowserTree&) = delete;
    TestBrowserTree& operator=(const TestBrowserTree&) = delete;
    ~TestBrowserTree() { root->Release(); }
};

// A hidden top-level window of className serving root (which must outlive it), in front.
inline HWND CreateAccessibleWindow(const std::wstring& className, TestAccessible* root) {
    HWND w = CreateDeskWindow(
        className, L"", nullptr,
        [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            auto* served =
                reinterpret_cast<TestAccessible*>(GetWindowLongPtrW(window, GWLP_USERDATA));
            if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT && served) {
                return LresultFromObject(__uuidof(IAccessible), wParam, served);
            }
            return DefWindowProcW(window, message, wParam, lParam);
        });
    SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(root));
    return w;
}
