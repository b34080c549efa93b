// The accessibility source against windows that serve their own IAccessible trees: the
// same calls a real Chromium window answers, through the system's oleacc.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "tests/win/accessible_desk_win.h"
#include "watch/accessible_bar_win.h"
#include "watch/accessible_worker_win.h"
#include "watch/window_tree_win.h"

namespace {

using namespace std::chrono_literals;

struct AccessibleDesk : ::testing::Test {
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    Win32WindowTree windows;
    MsaaTree msaa;
    SystemClock clock;
    AccessibleBarState state;
    CurrentArticle article;
    std::vector<HWND> served;

    ~AccessibleDesk() override {
        msaa.Keep(0);  // before this thread leaves its apartment
        for (HWND w : served) {
            DestroyWindow(w);
        }
        if (SUCCEEDED(com)) {
            CoUninitialize();
        }
    }
    HWND Serve(const std::wstring& className, TestAccessible* root) {
        HWND w = CreateAccessibleWindow(className, root);
        served.push_back(w);
        return w;
    }
    AccessibleSearchFigures figures;
    std::uint64_t budgetMs = kAccessibleBudgetMs;
    bool Scan() {
        return ScanAccessibleBars(windows, msaa, clock, state, article, budgetMs, &figures);
    }
    std::u16string Article() const { return article.c_str(); }
};

TEST_F(AccessibleDesk, TheSystemHandsTheServedTreeToTheReader) {
    TestBrowserTree tree(L"ja.wikipedia.org/wiki/Foo");
    HWND w = Serve(L"Chrome_WidgetWin_1", tree.root);
    ASSERT_NE(w, nullptr);
    const ElementRef root = msaa.Root(reinterpret_cast<WindowRef>(w));
    ASSERT_NE(root, 0u);
    ElementInfo info;
    ASSERT_TRUE(msaa.Describe(root, info));
    EXPECT_EQ(info.role, ElementRole::Other);
    ElementRef children[kMaxChildren];
    ASSERT_EQ(msaa.Children(root, children, kMaxChildren), 3u);
    ASSERT_TRUE(msaa.Describe(children[0], info));
    EXPECT_EQ(info.role, ElementRole::TabList);
    ASSERT_TRUE(msaa.Describe(children[1], info));
    EXPECT_EQ(info.role, ElementRole::Document);
    ASSERT_TRUE(msaa.Describe(children[2], info));
    EXPECT_EQ(info.role, ElementRole::Toolbar);
    char16_t id[kAutomationIdRoom];
    EXPECT_EQ(msaa.AutomationId(root, id, kAutomationIdRoom), 0u);
    EXPECT_EQ(msaa.Keep(0), 0u);
    EXPECT_EQ(msaa.held(), 0u);
}

TEST_F(AccessibleDesk, AChromiumWindowsBarIsFoundReadAndRemembered) {
    TestBrowserTree tree(L"ja.wikipedia.org/wiki/Foo");
    ASSERT_NE(Serve(L"Chrome_WidgetWin_1", tree.root), nullptr);
    ASSERT_TRUE(Scan());
    EXPECT_EQ(Article(), u"Foo");
    EXPECT_NE(state.bar, 0u);
    const std::size_t searched = figures.elements;
    EXPECT_GT(searched, 3u);
    // The remembered bar is read alone, and follows the address.
    tree.bar->SetValue(L"https://ja.wikipedia.org/wiki/Bar");
    ASSERT_TRUE(Scan());
    EXPECT_EQ(Article(), u"Bar");
}

TEST_F(AccessibleDesk, ABarWithKeyboardFocusIsNotRead) {
    TestBrowserTree tree(L"ja.wikipedia.org/wiki/Foo");
    tree.bar->SetState(STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED);
    ASSERT_NE(Serve(L"Chrome_WidgetWin_1", tree.root), nullptr);
    EXPECT_FALSE(Scan());
    EXPECT_EQ(state.bar, 0u);
}

TEST_F(AccessibleDesk, AReadOnlyOrDisabledFieldIsNotTheBar) {
    const LONG states[] = {STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_READONLY,
                           STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_UNAVAILABLE, 0};
    for (LONG barState : states) {
        TestBrowserTree tree(L"ja.wikipedia.org/wiki/Foo");
        tree.bar->SetState(barState);
        HWND w = CreateAccessibleWindow(L"Chrome_WidgetWin_1", tree.root);
        ASSERT_NE(w, nullptr);
        state = AccessibleBarState{};
        EXPECT_FALSE(Scan()) << barState;
        msaa.Keep(0);
        DestroyWindow(w);
    }
}

TEST_F(AccessibleDesk, OtherClassesAreNotAsked) {
    TestBrowserTree tree(L"ja.wikipedia.org/wiki/Foo");
    ASSERT_NE(Serve(L"Chrome_WidgetWin_2", tree.root), nullptr);
    EXPECT_FALSE(Scan());
    EXPECT_EQ(figures.elements, 0u);
}

TEST_F(AccessibleDesk, ASlowTreeMissesWithinTheBound) {
    // Every button takes 3 ms to give its role: 50 of them are beyond the budget, and the
    // bar comes after them.
    TestBrowserTree tree(L"ja.wikipedia.org/wiki/Foo", 50);
    for (TestAccessible* button : tree.buttons) {
        button->SetDelay(3);
    }
    ASSERT_NE(Serve(L"Chrome_WidgetWin_1", tree.root), nullptr);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(Scan());
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    EXPECT_TRUE(figures.stopped);
    // The budget, plus the slow call begun before it ran out, plus the machine's slack.
    EXPECT_LT(ms, static_cast<long long>(kAccessibleBudgetMs) + 60);
    // A second sample within the second does not search again.
    const auto again = std::chrono::steady_clock::now();
    EXPECT_FALSE(Scan());
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - again)
                  .count(),
              5);
}

// Answers the calls that come into this thread's apartment until done() or the timeout.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

TEST_F(AccessibleDesk, TheWorkerReadsInItsOwnApartmentAndLetsGoOfEverythingWhenStopped) {
    TestBrowserTree tree(L"ja.wikipedia.org/wiki/Foo");
    HWND w = Serve(L"Chrome_WidgetWin_1", tree.root);
    ASSERT_NE(w, nullptr);
    const ULONG barRefs = tree.bar->refs();
    AccessibleWorker worker;
    // What the browser's objects hold when the worker leaves its apartment: a reference
    // released after that would be released through a dead proxy.
    std::atomic<ULONG> barAtEnd{0}, rootAtEnd{0};
    worker.OnLeavingApartment([&] {
        barAtEnd = tree.bar->refs();
        rootAtEnd = tree.root->refs();
    });
    worker.Request(WindowList());
    EXPECT_FALSE(worker.started()) << "no browsers, no thread";
    WindowList browsers;
    browsers.Add(RefOf(w), u"Chrome_WidgetWin_1");
    // Asked once a second, as the tick does: the first calls across apartments may spend
    // the first search's budget.
    ASSERT_TRUE(PumpUntil(
        [&] {
            if (!worker.busy()) {
                worker.Request(browsers);
            }
            return worker.Latest().hit;
        },
        10s));
    const AccessibleVerdict verdict = worker.Latest();
    EXPECT_TRUE(verdict.taken);
    EXPECT_EQ(std::u16string(verdict.article.c_str()), u"Foo");
    EXPECT_GT(tree.bar->refs(), barRefs) << "the remembered bar is held across passes";

    // Stopping releases every object on the worker's thread; its releases come into this
    // apartment, which answers them meanwhile.
    std::atomic<bool> stopped{false};
    std::thread stopper([&] {
        worker.Stop();
        stopped = true;
    });
    PumpUntil([&] { return stopped.load(); }, 5s);
    stopper.join();
    EXPECT_EQ(barAtEnd.load(), barRefs);
    EXPECT_EQ(rootAtEnd.load(), 1u);
    worker.Request(browsers);  // dropped once stopped
}

}  // namespace
