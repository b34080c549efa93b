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

class TestAccessible final : public IAccessible {
  public:
    // An element with a value has it (a text field); the others give none.
    TestAccessible(LONG role, LONG state, std::wstring value = L"")
        : m_role(role), m_state(state), m_value(std::move(value)) {}
    TestAccessible(const TestAccessible&) = delete;
    TestAccessible& operator=(const TestAccessible&) = delete;

    // Adds a child object (the tree holds a reference) and returns it.
    TestAccessible* Add(TestAccessible* child) {
        m_children.push_back(child);
        return child;
    }
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

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) {
            return E_POINTER;
        }
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++m_refs); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG refs = --m_refs;
        if (refs == 0) {
            for (TestAccessible* child : m_children) {
                child->Release();
            }
            delete this;
        }
        return static_cast<ULONG>(refs);
    }

    // IDispatch: not served; MSAA clients call the IAccessible methods directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch**) override { return E_NOTIMPL; }
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
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        *value = nullptr;
        HangHere();
        if (!IsSelf(child)) {
            return E_INVALIDARG;
        }
        if (m_value.empty()) {
            return DISP_E_MEMBERNOTFOUND;
        }
        *value = SysAllocString(m_value.c_str());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        HangHere();
        if (!IsSelf(child)) {
            return E_INVALIDARG;
        }
        if (m_delayMs > 0) {
            Sleep(m_delayMs);
        }
        role->vt = VT_I4;
        role->lVal = m_role;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        HangHere();
        if (!IsSelf(child)) {
            return E_INVALIDARG;
        }
        state->vt = VT_I4;
        state->lVal = m_state;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR*, VARIANT, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accSelect(LONG, VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accLocation(LONG*, LONG*, LONG*, LONG*, VARIANT) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG, VARIANT, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG, LONG, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

  private:
    static bool IsSelf(const VARIANT& child) {
        return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
    }
    void HangHere() {
        if (m_hangRelease != nullptr) {
            const HANDLE release = m_hangRelease;
            m_hangRelease = nullptr;
            SetEvent(m_hangEntered);
            WaitForSingleObject(release, 5 * 60 * 1000);
        }
    }

    LONG m_refs = 1;
    LONG m_role;
    LONG m_state;
    std::wstring m_value;
    DWORD m_delayMs = 0;
    HANDLE m_hangEntered = nullptr;
    HANDLE m_hangRelease = nullptr;
    std::vector<TestAccessible*> m_children;
};

// A Chromium-like tree: the client, a tab strip of 20 tabs, a document holding a page's own
// text field, and a toolbar holding buttons and the address bar (focusable, editable, with its
// value).
struct TestBrowserTree {
    TestAccessible* root = nullptr;
    TestAccessible* bar = nullptr;
    std::vector<TestAccessible*> buttons;  // in the toolbar, before the bar

    explicit TestBrowserTree(const std::wstring& address, int buttonCount = 3) {
        root = new TestAccessible(ROLE_SYSTEM_CLIENT, 0);
        TestAccessible* tabs = root->Add(new TestAccessible(ROLE_SYSTEM_PAGETABLIST, 0));
        for (int i = 0; i < 20; ++i) {
            tabs->Add(new TestAccessible(ROLE_SYSTEM_PAGETAB, STATE_SYSTEM_FOCUSABLE));
        }
        TestAccessible* document = root->Add(new TestAccessible(ROLE_SYSTEM_DOCUMENT, 0));
        document->Add(new TestAccessible(ROLE_SYSTEM_TEXT, STATE_SYSTEM_FOCUSABLE,
                                         L"ja.wikipedia.org/wiki/InThePage"));
        TestAccessible* toolbar = root->Add(new TestAccessible(ROLE_SYSTEM_TOOLBAR, 0));
        for (int i = 0; i < buttonCount; ++i) {
            buttons.push_back(
                toolbar->Add(new TestAccessible(ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE)));
        }
        TestAccessible* group = toolbar->Add(new TestAccessible(ROLE_SYSTEM_GROUPING, 0));
        bar = group->Add(new TestAccessible(ROLE_SYSTEM_TEXT, STATE_SYSTEM_FOCUSABLE, address));
    }
    TestBrowserTree(const TestBrowserTree&) = delete;
    TestBrowserTree& operator=(const TestBrowserTree&) = delete;
    ~TestBrowserTree() { root->Release(); }
};

// The window procedure of a window whose GWLP_USERDATA is the root it serves.
inline LRESULT CALLBACK AccessibleWindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_CLIENT)) {
        auto* root = reinterpret_cast<TestAccessible*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (root != nullptr) {
            return LresultFromObject(__uuidof(IAccessible), wParam, root);
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A hidden top-level window of className serving root (which must outlive it), in front.
inline HWND CreateAccessibleWindow(const std::wstring& className, TestAccessible* root) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = AccessibleWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = className.c_str();
    if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return nullptr;
    }
    HWND w = CreateWindowExW(0, className.c_str(), L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (w != nullptr) {
        SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(root));
        SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return w;
}
