// The accessibility source against windows that serve their own IAccessible trees: the
// same calls a real Chromium window answers, through the system's oleacc.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/win/accessible_desk_win.h"
#include "watch/browser_watch_win.h"

namespace {

struct AccessibleDesk : ::testing::Test {
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    BrowserWatch watch;
    CurrentArticle article;
    std::vector<HWND> windows;

    ~AccessibleDesk() override {
        for (HWND w : windows) {
            DestroyWindow(w);
        }
        if (SUCCEEDED(com)) {
            CoUninitialize();
        }
    }
    HWND Serve(const std::wstring& className, TestAccessible* root) {
        HWND w = CreateAccessibleWindow(className, root);
        windows.push_back(w);
        return w;
    }
    std::u16string Article() const { return article.c_str(); }
};

TEST_F(AccessibleDesk, TheSystemHandsTheServedTreeToTheReader) {
    TestBrowserTree tree(L"ja.wikipedia.org/wiki/Foo");
    HWND w = Serve(L"Chrome_WidgetWin_1", tree.root);
    ASSERT_NE(w, nullptr);
    MsaaTree msaa;
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
    ASSERT_TRUE(watch.ScanAccessibleBars(article));
    EXPECT_EQ(Article(), u"Foo");
    EXPECT_NE(watch.accessibleBars().bar, 0u);
    const std::size_t searched = watch.accessibleBars().lastSearchElements;
    EXPECT_GT(searched, 3u);
    // The remembered bar is read alone, and follows the address.
    tree.bar->SetValue(L"https://ja.wikipedia.org/wiki/Bar");
    ASSERT_TRUE(watch.ScanAccessibleBars(article));
    EXPECT_EQ(Article(), u"Bar");
}

TEST_F(AccessibleDesk, ABarWithKeyboardFocusIsNotRead) {
    TestBrowserTree tree(L"ja.wikipedia.org/wiki/Foo");
    tree.bar->SetState(STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_FOCUSED);
    ASSERT_NE(Serve(L"Chrome_WidgetWin_1", tree.root), nullptr);
    EXPECT_FALSE(watch.ScanAccessibleBars(article));
    EXPECT_EQ(watch.accessibleBars().bar, 0u);
}

TEST_F(AccessibleDesk, AReadOnlyOrDisabledFieldIsNotTheBar) {
    const LONG states[] = {STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_READONLY,
                           STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_UNAVAILABLE, 0};
    for (LONG state : states) {
        BrowserWatch fresh;
        TestBrowserTree tree(L"ja.wikipedia.org/wiki/Foo");
        tree.bar->SetState(state);
        HWND w = CreateAccessibleWindow(L"Chrome_WidgetWin_1", tree.root);
        ASSERT_NE(w, nullptr);
        EXPECT_FALSE(fresh.ScanAccessibleBars(article)) << state;
        DestroyWindow(w);
    }
}

TEST_F(AccessibleDesk, OtherClassesAreNotAsked) {
    TestBrowserTree tree(L"ja.wikipedia.org/wiki/Foo");
    ASSERT_NE(Serve(L"Chrome_WidgetWin_2", tree.root), nullptr);
    EXPECT_FALSE(watch.ScanAccessibleBars(article));
    EXPECT_EQ(watch.accessibleBars().lastSearchElements, 0u);
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
    EXPECT_FALSE(watch.ScanAccessibleBars(article));
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    EXPECT_TRUE(watch.accessibleBars().lastSearchTimedOut);
    // The budget, plus the slow call begun before it ran out, plus the machine's slack.
    EXPECT_LT(ms, static_cast<long long>(kAccessibleBudgetMs) + 60);
    // A second sample within the second does not search again.
    const auto again = std::chrono::steady_clock::now();
    EXPECT_FALSE(watch.ScanAccessibleBars(article));
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now() - again)
                  .count(),
              5);
}

}  // namespace
