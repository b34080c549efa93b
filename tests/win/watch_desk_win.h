#pragma once
// A desk of browser-like windows for tests and benchmarks: top-level windows and children of
// the classes the address readers look for, with address texts. Every class is registered
// once, locally, by default with DefWindowProcW, which keeps and gives the window text as a
// browser's control does. A local class may carry a system class's name ("Edit"): the
// system looks for local classes of the module before system classes.
#include <windows.h>

#include <string>
#include <vector>

inline bool EnsureWindowClass(const std::wstring& name, WNDPROC proc = DefWindowProcW) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name.c_str();
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

// A window of className (registered when it is not), hidden; a top-level one is put in front.
inline HWND CreateDeskWindow(const std::wstring& className, const std::wstring& text,
                             HWND parent = nullptr, WNDPROC proc = DefWindowProcW) {
    HWND w = !EnsureWindowClass(className, proc)
                 ? nullptr
                 : CreateWindowExW(0, className.c_str(), text.c_str(),
                                   parent ? WS_CHILD : WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, parent,
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
    if (w != nullptr && parent == nullptr) {
        SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    return w;
}

// Windows created on the calling thread; the top-level ones (and so all) are destroyed
// with the desk, on the same thread.
class TestDesk {
  public:
    TestDesk() = default;
    TestDesk(const TestDesk&) = delete;
    TestDesk& operator=(const TestDesk&) = delete;
    ~TestDesk() {
        for (HWND w : m_tops) {
            DestroyWindow(w);
        }
    }

    HWND Top(const std::wstring& className, const std::wstring& text = L"") {
        return m_tops.emplace_back(CreateDeskWindow(className, text));
    }
    HWND Child(HWND parent, const std::wstring& className, const std::wstring& text = L"") {
        return CreateDeskWindow(className, text, parent);
    }

  private:
    std::vector<HWND> m_tops;
};
