#pragma once
// A desk of browser-like windows for tests and benchmarks: top-level windows and child
// chains of the classes the address readers look for, with address texts. Every class is
// registered once, locally, with DefWindowProcW, which keeps and gives the window text as
// a browser's control does. A local class may carry a system class's name ("Edit"): the
// system looks for local classes of the module before system classes.
#include <windows.h>

#include <string>
#include <vector>

inline bool EnsureWindowClass(const std::wstring& name) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name.c_str();
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// Windows created on the calling thread; the top-level ones (and so all) are destroyed
// with the desk, on the same thread.
class TestDesk {
  public:
    TestDesk() = default;
    TestDesk(const TestDesk&) = delete;
    TestDesk& operator=(const TestDesk&) = delete;
    ~TestDesk() {
        for (auto it = m_tops.rbegin(); it != m_tops.rend(); ++it) {
            if (IsWindow(*it)) {
                DestroyWindow(*it);
            }
        }
    }

    // A hidden top-level window, placed in front of the others.
    HWND Top(const std::wstring& className, const std::wstring& text = L"") {
        HWND w = Create(className, text, WS_OVERLAPPEDWINDOW, nullptr);
        if (w != nullptr) {
            m_tops.push_back(w);
            ToFront(w);
        }
        return w;
    }
    HWND Child(HWND parent, const std::wstring& className, const std::wstring& text = L"") {
        return Create(className, text, WS_CHILD, parent);
    }
    // A chain of children under parent, classes.back() at the top, down to classes.front(),
    // which is returned and gets the text. An empty class name stands for any class.
    HWND Chain(HWND parent, const std::vector<std::wstring>& classes, const std::wstring& text) {
        HWND w = parent;
        for (std::size_t i = classes.size(); i-- > 0;) {
            const std::wstring& name =
                classes[i].empty() ? std::wstring(L"TestAnyClass") : classes[i];
            w = Child(w, name, i == 0 ? text : L"");
            if (w == nullptr) {
                return nullptr;
            }
        }
        return w;
    }
    static void ToFront(HWND w) {
        SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

  private:
    static HWND Create(const std::wstring& className, const std::wstring& text, DWORD style,
                       HWND parent) {
        if (!EnsureWindowClass(className)) {
            return nullptr;
        }
        return CreateWindowExW(0, className.c_str(), text.c_str(), style, 0, 0, 200, 100, parent,
                               nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    std::vector<HWND> m_tops;
};
