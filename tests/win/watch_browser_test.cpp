// The browser readers against real windows: classes and chains made by the test, texts
// given by DefWindowProcW, enumeration and messages by the system.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "common/handles_win.h"
#include "common/text_win.h"
#include "tests/win/watch_desk_win.h"
#include "watch/browser_watch_win.h"

namespace {

const std::wstring kArticleAddress = L"http://ja.wikipedia.org/wiki/Foo";

std::wstring Wide(std::u16string_view s) {
    return std::wstring(AsWide(s));
}

std::vector<std::wstring> Classes(ControlPath path) {
    std::vector<std::wstring> classes;
    for (std::u16string_view entry : path) {
        classes.push_back(Wide(entry));
    }
    return classes;
}

std::u16string Article(const CurrentArticle& article) {
    return article.c_str();
}

HWND Cached(const BrowserWatch& watch) {
    return HwndOf(watch.cachedReader().control);
}

struct BrowserDesk : ::testing::Test {
    TestDesk desk;
    BrowserWatch watch;
    CurrentArticle article;

    // A Chrome window whose omnibox shows text (scheme left out, as Chrome shows it).
    HWND Chrome(const std::wstring& text) {
        HWND top = desk.Top(L"Chrome_WidgetWin_0");
        desk.Child(top, L"Chrome_RenderWidgetHostHWND", L"page");
        return desk.Child(top, L"Chrome_OmniboxView", text);
    }
};

// ---- Each family's windows ----

TEST_F(BrowserDesk, EveryTopLevelClassOfEveryFamilyIsReadThroughItsFirstPath) {
    for (const BrowserFamily& family : BrowserFamilies) {
        for (std::u16string_view frame : family.topLevelClasses) {
            TestDesk local;
            BrowserWatch fresh;
            HWND top = local.Top(Wide(frame));
            ASSERT_NE(top, nullptr);
            HWND control = local.Chain(top, Classes(family.paths[0]), kArticleAddress);
            ASSERT_NE(control, nullptr);
            EXPECT_TRUE(fresh.ScanBrowsers(article)) << AsWide(frame.data());
            EXPECT_EQ(Cached(fresh), control);
            EXPECT_EQ(fresh.cachedReader().family, &family);
            EXPECT_EQ(Article(article), u"Foo");
        }
    }
}

TEST_F(BrowserDesk, EveryPathOfEveryFamilyIsFound) {
    for (const BrowserFamily& family : BrowserFamilies) {
        for (std::size_t p = 0; p < family.paths.size(); ++p) {
            TestDesk local;
            BrowserWatch fresh;
            HWND top = local.Top(Wide(family.topLevelClasses.back()));
            local.Child(top, L"Static", L"http://ja.wikipedia.org/wiki/NotTheControl");
            HWND control = local.Chain(top, Classes(family.paths[p]),
                                       L"http://ja.wikipedia.org/wiki/Path" + std::to_wstring(p));
            ASSERT_NE(control, nullptr);
            EXPECT_TRUE(fresh.ScanBrowsers(article)) << AsWide(family.name.data()) << " " << p;
            EXPECT_EQ(Cached(fresh), control);
            EXPECT_EQ(Article(article),
                      std::u16string(u"Path").append(1, static_cast<char16_t>(u'0' + p)));
        }
    }
}

TEST_F(BrowserDesk, ATopLevelWindowStandsAsTheLastAncestorOfAPath) {
    HWND top = desk.Top(L"lunascape6mainwnd");  // and in another case
    HWND control = desk.Chain(top, {L"ComboBoxEx32", L"", L"ReBarWindow32"}, kArticleAddress);
    EXPECT_TRUE(watch.ScanBrowsers(article));
    EXPECT_EQ(Cached(watch), control);

    TestDesk other;
    BrowserWatch fresh;
    HWND tfMain = other.Top(L"TFMain");
    HWND combo = other.Chain(tfMain, {L"TComboBox", L"TPanel", L"TCoolBar"}, kArticleAddress);
    DestroyWindow(top);
    EXPECT_TRUE(fresh.ScanBrowsers(article));
    EXPECT_EQ(Cached(fresh), combo);
}

TEST_F(BrowserDesk, ChromeTextsWithoutSchemeArePrefixedOnlyOnTheLaterPaths) {
    HWND old = desk.Top(L"Chrome_XPFrame");
    desk.Child(old, L"Chrome_AutocompleteEdit", L"ja.wikipedia.org/wiki/Old");
    EXPECT_FALSE(watch.ScanBrowsers(article));
    EXPECT_TRUE(watch.cachedReader().empty());

    HWND omnibox = Chrome(L"ja.wikipedia.org/wiki/New");
    EXPECT_TRUE(watch.ScanBrowsers(article));
    EXPECT_EQ(Cached(watch), omnibox);
    EXPECT_EQ(Article(article), u"New");
}

TEST_F(BrowserDesk, ForeignAddressesAndEmptyControlsMiss) {
    Chrome(L"example.com/wiki/Foo");
    Chrome(L"");
    HWND ie = desk.Top(L"IEFrame");
    desk.Child(ie, L"ComboBoxEx32", L"https://example.org/");
    EXPECT_FALSE(watch.ScanBrowsers(article));
    EXPECT_TRUE(watch.cachedReader().empty());
    EXPECT_FALSE(watch.RecheckCachedReader(article));
}

TEST_F(BrowserDesk, AWindowOfNoFamilyIsPassedOver) {
    HWND foreign = desk.Top(L"MozillaWindowClass");
    desk.Child(foreign, L"Chrome_OmniboxView", L"ja.wikipedia.org/wiki/Foo");
    desk.Child(foreign, L"ComboBoxEx32", kArticleAddress);
    EXPECT_FALSE(watch.ScanBrowsers(article));
    // A supported window without any fitting control is passed over too.
    HWND ie = desk.Top(L"IEFrame");
    desk.Chain(ie, {L"Edit", L"Address Band Root", L"ReBarWindow32", L"NotWorkerW"},
               kArticleAddress);
    EXPECT_FALSE(watch.ScanBrowsers(article));
}

// ---- Order, cache and re-check ----

TEST_F(BrowserDesk, TheFrontmostBrowserIsFoundFirst) {
    HWND back = Chrome(L"ja.wikipedia.org/wiki/Back");
    HWND front = Chrome(L"ja.wikipedia.org/wiki/Front");
    TestDesk::ToFront(GetParent(front));
    EXPECT_TRUE(watch.ScanBrowsers(article));
    EXPECT_EQ(Cached(watch), front);
    EXPECT_EQ(Article(article), u"Front");

    TestDesk::ToFront(GetParent(back));
    BrowserWatch fresh;
    EXPECT_TRUE(fresh.ScanBrowsers(article));
    EXPECT_EQ(Cached(fresh), back);
}

TEST_F(BrowserDesk, TheCachedControlIsRecheckedWhileItShowsTheSite) {
    HWND first = Chrome(L"ja.wikipedia.org/wiki/First");
    ASSERT_TRUE(watch.ScanBrowsers(article));
    Chrome(L"ja.wikipedia.org/wiki/Second");  // now in front
    for (int sample = 0; sample < 3; ++sample) {
        EXPECT_TRUE(watch.RecheckCachedReader(article));
        EXPECT_EQ(Cached(watch), first);
        EXPECT_EQ(Article(article), u"First");
    }
    // Navigating within the site keeps it; the article follows.
    SetWindowTextW(first, L"ja.wikipedia.org/wiki/Third");
    EXPECT_TRUE(watch.RecheckCachedReader(article));
    EXPECT_EQ(Article(article), u"Third");
}

TEST_F(BrowserDesk, NavigatingAwayEmptiesTheCacheAndTheSameSampleFindsTheOtherBrowser) {
    HWND second = Chrome(L"ja.wikipedia.org/wiki/Second");
    HWND first = Chrome(L"ja.wikipedia.org/wiki/First");
    ASSERT_TRUE(watch.ScanBrowsers(article));
    ASSERT_EQ(Cached(watch), first);
    SetWindowTextW(first, L"example.com/");
    EXPECT_FALSE(watch.RecheckCachedReader(article));
    EXPECT_TRUE(watch.cachedReader().empty());
    EXPECT_TRUE(watch.ScanBrowsers(article));
    EXPECT_EQ(Cached(watch), second);
    EXPECT_EQ(Article(article), u"Second");
}

TEST_F(BrowserDesk, AClosedBrowserFailsTheRecheck) {
    HWND control = Chrome(L"ja.wikipedia.org/wiki/Gone");
    ASSERT_TRUE(watch.ScanBrowsers(article));
    DestroyWindow(GetParent(control));
    EXPECT_FALSE(watch.RecheckCachedReader(article));
    EXPECT_TRUE(watch.cachedReader().empty());
    EXPECT_FALSE(watch.ScanBrowsers(article));
}

TEST_F(BrowserDesk, AControlMovedToAnotherParentFailsTheRecheck) {
    HWND top = desk.Top(L"GraniMainWindow");
    HWND control = desk.Chain(top, Classes(BrowserFamilies[2].paths[0]), kArticleAddress);
    ASSERT_TRUE(watch.ScanBrowsers(article));
    SetParent(control, top);
    EXPECT_FALSE(watch.RecheckCachedReader(article));
    EXPECT_TRUE(watch.cachedReader().empty());
}

// ---- A browser that does not answer ----

// A browser whose thread stops handling messages, as a hung browser does.
class BlockedBrowser {
  public:
    BlockedBrowser() : m_release(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        UniqueHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        m_thread = std::thread([this, &ready] {
            TestDesk desk;
            HWND top = desk.Top(L"Chrome_WidgetWin_0");
            m_control = desk.Child(top, L"Chrome_OmniboxView", L"ja.wikipedia.org/wiki/Hung");
            SetEvent(ready.get());
            WaitForSingleObject(m_release.get(), 30000);  // blocked: no messages handled
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&msg);
            }
        });
        WaitForSingleObject(ready.get(), 10000);
    }
    ~BlockedBrowser() {
        SetEvent(m_release.get());
        m_thread.join();
    }
    HWND control() const { return m_control; }

  private:
    UniqueHandle m_release;
    HWND m_control = nullptr;
    std::thread m_thread;
};

TEST_F(BrowserDesk, ABrowserThatDoesNotAnswerIsAMissAfterTheTimeoutNotAHang) {
    using Clock = std::chrono::steady_clock;
    BlockedBrowser hung;
    ASSERT_NE(hung.control(), nullptr);
    auto start = Clock::now();
    EXPECT_FALSE(watch.ScanBrowsers(article));
    auto took = Clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(200));
    EXPECT_LT(took, std::chrono::milliseconds(3000));

    // A browser that answers, behind the hung one, is still found in the same scan.
    HWND good = Chrome(L"ja.wikipedia.org/wiki/Alive");
    SetWindowPos(GetParent(good), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    EXPECT_TRUE(watch.ScanBrowsers(article));
    EXPECT_EQ(Cached(watch), good);
}

TEST_F(BrowserDesk, ACachedControlWhoseBrowserStopsAnsweringIsForgotten) {
    BlockedBrowser hung;
    // Cached by hand, as if it had hung after the scan that found it.
    Win32WindowTree tree;
    CachedReader cached{RefOf(hung.control()), &BrowserFamilies[1]};
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(RecheckCachedReader(tree, cached, article));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(3000));
    EXPECT_TRUE(cached.empty());
}

// ---- Bad input ----

TEST_F(BrowserDesk, TextsOfEveryLengthAreReadWithinTheBuffer) {
    const std::wstring head = L"ja.wikipedia.org/wiki/";
    for (std::size_t length : {0u, 2099u, 2100u, 100000u}) {
        TestDesk local;
        BrowserWatch fresh;
        std::wstring text = head + std::wstring(100000, L'C');
        text.resize(length);
        HWND top = local.Top(L"Chrome_VistaFrame");
        HWND control = local.Child(top, L"Chrome_AutocompleteEditView", text);
        ASSERT_EQ(GetWindowTextLengthW(control), static_cast<int>(length));
        EXPECT_EQ(fresh.ScanBrowsers(article), length > 0) << length;
        if (length > 0) {
            // "http://" + head is 29 characters, and the address is cut at 2099.
            EXPECT_EQ(Article(article), std::u16string(2099 - 29, u'C'));
        }
        ControlText read;
        Win32WindowTree tree;
        EXPECT_EQ(ReadControlText(tree, BrowserFamilies[1].paths[1], RefOf(control), read),
                  length > 0);
        EXPECT_EQ(std::u16string(read.data()).size(), std::min<std::size_t>(length, 2099));
    }
}

TEST_F(BrowserDesk, ClassNamesOfTheLongestLengthAreComparedSafely) {
    // The longest class name the system registers is 256 characters; fall back to 255
    // where a system counts the terminator.
    std::wstring name = L"IEFrame" + std::wstring(256 - 7, L'x');
    if (!EnsureWindowClass(name)) {
        name.pop_back();
        ASSERT_TRUE(EnsureWindowClass(name));
    }
    HWND longTop = desk.Top(name);
    ASSERT_NE(longTop, nullptr);
    desk.Child(longTop, L"ComboBoxEx32", kArticleAddress);
    HWND ie = desk.Top(L"IEFrame");
    desk.Child(ie, name, kArticleAddress);
    EXPECT_FALSE(watch.ScanBrowsers(article));

    wchar_t read[kClassNameRoom];
    Win32WindowTree tree;
    EXPECT_EQ(tree.ClassName(RefOf(longTop), AsU16(read), kClassNameRoom), name.size());
    EXPECT_EQ(std::wstring(read), name);
}

}  // namespace
