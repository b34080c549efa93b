#pragma once
// A desk of browser-like windows for the benchmarks: top-level windows with a few browsers
// among them, each browser holding its address chain and other descendants, made and
// answered on a thread of their own, so that their text is asked for across threads as it
// is from another program.
#include <windows.h>

#include <string>
#include <thread>
#include <vector>

#include "common/handles_win.h"
#include "tests/win/watch_desk_win.h"

namespace bench {

struct BrowserShape {
    const wchar_t* frame;
    std::vector<std::wstring> addressChain;  // control first
};

// One of each common shape; the first is the deepest path.
inline const std::vector<BrowserShape>& Shapes() {
    static const std::vector<BrowserShape> shapes = {
        {L"SleipnirMainWindow",
         {L"Edit", L"FenrirComboBoxCtrlEx", L"FenrirAdressBarCtrl", L"FenrirEmbeddedToolBar",
          L"ReBarWindow32"}},
        {L"Lunascape6MainWnd", {L"ComboBox", L"Pane", L"Band", L"ReBarWindow32"}},
        {L"IEFrame", {L"Edit", L"Address Band Root", L"ReBarWindow32", L"WorkerW"}},
        {L"wndclass_desked_gsk", {L"RichEdit20W", L"MsoCommandBar", L"MsoCommandBarDock"}},
        {L"Chrome_WidgetWin_0", {L"Chrome_OmniboxView"}},
    };
    return shapes;
}

// Fills a browser with its address chain and other descendants up to the count: panes
// holding buttons, static texts and edit boxes that fit no path, a few levels deep.
// Returns the address control.
inline HWND BuildBrowser(TestDesk& desk, const BrowserShape& shape, int descendants,
                         std::vector<HWND>& tops) {
    HWND top = desk.Top(shape.frame);
    tops.push_back(top);
    HWND control = top;  // the chain from its outermost class down to the control
    for (std::size_t i = shape.addressChain.size(); i-- > 0;) {
        control =
            desk.Child(control, shape.addressChain[i], i == 0 ? L"http://example.com/start" : L"");
    }
    int made = static_cast<int>(shape.addressChain.size());
    static const wchar_t* const kFiller[] = {L"Button", L"Static", L"Edit", L"ToolbarWindow32",
                                             L"ScrollBar"};
    HWND pane = nullptr;
    for (int i = 0; made < descendants; ++i) {
        if (i % 10 == 0) {
            pane = desk.Child(top, L"BenchPane");
            ++made;
            continue;
        }
        HWND holder = (i % 3 == 0) ? desk.Child(pane, L"BenchPane") : pane;
        made += holder != pane ? 1 : 0;
        if (made < descendants) {
            desk.Child(holder, kFiller[i % 5], L"some text");
            ++made;
        }
    }
    return control;
}

struct DeskSize {
    int topLevel = 300;  // browsers included
    int browsers = 5;
    int descendantsPerBrowser = 200;
};

// The desk lives on its own thread, which answers messages until the desk ends.
class DeskThread {
  public:
    explicit DeskThread(DeskSize size = {})
        : m_size(size), m_ready(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        m_thread = std::thread([this] { Run(); });
        WaitForSingleObject(m_ready.get(), 60000);
    }
    ~DeskThread() {
        PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
        m_thread.join();
    }
    DeskThread(const DeskThread&) = delete;
    DeskThread& operator=(const DeskThread&) = delete;

    // The address controls, in the order of Shapes().
    const std::vector<HWND>& controls() const { return m_controls; }
    const std::vector<HWND>& browsers() const { return m_browsers; }

  private:
    void Run() {
        m_threadId = GetCurrentThreadId();
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists now
        TestDesk desk;
        std::vector<HWND> tops;
        const int every = m_size.browsers > 0 ? m_size.topLevel / m_size.browsers : 0;
        for (int i = 0; i < m_size.topLevel; ++i) {
            // Desk.Top puts each window in front: the last made is the frontmost.
            if (every > 0 && i % every == every / 2 &&
                m_controls.size() < static_cast<std::size_t>(m_size.browsers)) {
                const BrowserShape& shape = Shapes()[m_controls.size() % Shapes().size()];
                m_controls.push_back(BuildBrowser(desk, shape, m_size.descendantsPerBrowser, tops));
                m_browsers.push_back(tops.back());
            } else {
                desk.Top(L"BenchWindow" + std::to_wstring(i % 12), L"a window");
            }
        }
        SetEvent(m_ready.get());
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            DispatchMessageW(&msg);
        }
    }

    DeskSize m_size;
    UniqueHandle m_ready;
    DWORD m_threadId = 0;
    std::vector<HWND> m_controls;
    std::vector<HWND> m_browsers;
    std::thread m_thread;
};

}  // namespace bench
