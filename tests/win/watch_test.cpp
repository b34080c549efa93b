// The readers' own contract against the real system: window texts read within their
// buffer and time limit, the helper files on the real file system, and the
// accessibility tree handed over by oleacc. Which window or file counts is the unit tests'.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "common/handles_win.h"
#include "common/text_win.h"
#include "tests/win/accessible_desk_win.h"
#include "tests/win/temp_folder_win.h"
#include "tests/win/watch_desk_win.h"
#include "watch/accessible_bar_win.h"
#include "watch/accessible_worker_win.h"
#include "watch/browser_watch_win.h"
#include "watch/window_tree_win.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

HWND Cached(const BrowserWatch& watch) {
    return HwndOf(watch.cachedReader().control);
}

// A Chrome window whose omnibox shows text (scheme left out, as Chrome shows it).
HWND Chrome(TestDesk& desk, const std::wstring& text) {
    HWND top = desk.Top(L"Chrome_WidgetWin_0");
    desk.Child(top, L"Chrome_RenderWidgetHostHWND", L"page");
    return desk.Child(top, L"Chrome_OmniboxView", text);
}

// A browser whose thread stops handling messages, as a hung browser does.
class BlockedBrowser {
  public:
    BlockedBrowser() : m_release(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        UniqueHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        m_thread = std::thread([this, &ready] {
            TestDesk desk;
            m_control = Chrome(desk, L"ja.wikipedia.org/wiki/Hung");
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

TEST(BrowserWindows, ABrowserThatDoesNotAnswerIsAMissAfterTheTimeLimitNotAHang) {
    BlockedBrowser hung;
    ASSERT_NE(hung.control(), nullptr);
    TestDesk desk;
    BrowserWatch watch;
    CurrentArticle article;
    HWND good = Chrome(desk, L"ja.wikipedia.org/wiki/Alive");
    SetWindowPos(GetParent(good), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    const auto start = Clock::now();
    EXPECT_TRUE(watch.ScanBrowsers(article));  // the one behind is still found
    EXPECT_LT(Clock::now() - start, 3s);
    EXPECT_EQ(Cached(watch), good);

    Win32WindowTree tree;
    CachedReader cached{RefOf(hung.control()), &BrowserFamilies[1]};
    EXPECT_FALSE(RecheckCachedReader(tree, cached, article));
    EXPECT_TRUE(cached.empty());
}

TEST(BrowserWindows, TextsAreReadWithinTheirBuffer) {
    for (std::size_t length : {2099u, 2100u, 100000u}) {
        TestDesk desk;
        HWND control = desk.Child(desk.Top(L"Chrome_VistaFrame"), L"Chrome_AutocompleteEditView",
                                  L"ja.wikipedia.org/wiki/" + std::wstring(length - 22, L'C'));
        ControlText read;
        Win32WindowTree tree;
        EXPECT_TRUE(ReadControlText(tree, BrowserFamilies[1].paths[1], RefOf(control), read));
        EXPECT_EQ(std::u16string(read.data()).size(), 2099u) << length;
    }
}

// The profile root under an APPDATA of the test's own, made after it was looked for, then a
// profile in it: the system tells of each new folder (Windows at once, Wine a moment later).
TEST(HelperFiles, ARootAndAProfileMadeAfterTheyWereLookedForAreFound) {
    TempFolder appData(L"watch");
    const std::wstring profile = appData.path() + L"\\Mozilla\\Firefox\\Profiles\\late.default";
    SetEnvironmentVariableW(L"APPDATA", appData.path().c_str());
    BrowserWatch watch;
    CurrentArticle article;
    auto foundWithin = [&](int samples) {
        for (int sample = 0; sample < samples; ++sample, Sleep(50)) {
            if (watch.ScanFirefoxProfiles(article)) {
                return true;
            }
        }
        return false;
    };
    EXPECT_FALSE(watch.ScanFirefoxProfiles(article));  // no root: the folder above is watched
    std::filesystem::create_directories(std::filesystem::path(profile).parent_path());
    EXPECT_FALSE(foundWithin(10));  // found, listed empty, and watched
    std::filesystem::create_directories(profile);
    const std::u16string text = u"1|http://ja.wikipedia.org/wiki/Late";
    WriteBytes(
        profile + L"\\ymthelp_urltext.txt",
        "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2));
    EXPECT_TRUE(foundWithin(40));
    EXPECT_EQ(std::u16string(article.c_str()), u"Late");
    SetEnvironmentVariableW(L"APPDATA", nullptr);
}

struct AccessibleDesk : ::testing::Test {
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    std::unique_ptr<TestBrowserTree> tree;
    HWND window = nullptr;
    // A Chromium window serving a tree with that many buttons before the bar.
    void Serve(int buttons) {
        tree = std::make_unique<TestBrowserTree>(L"ja.wikipedia.org/wiki/Foo", buttons);
        window = CreateAccessibleWindow(L"Chrome_WidgetWin_1", tree->root);
    }
    ~AccessibleDesk() override {
        DestroyWindow(window);
        if (SUCCEEDED(com)) {
            CoUninitialize();
        }
    }
};

TEST_F(AccessibleDesk, TheSystemHandsTheServedTreeToTheReaderAndASlowOneMissesInTime) {
    Serve(50);
    Win32WindowTree windows;
    MsaaTree msaa;
    SystemClock clock;
    AccessibleBarState state;
    CurrentArticle article;
    const ULONG refsBefore = tree->root->refs();
    const ElementRef root = msaa.Root(reinterpret_cast<WindowRef>(window));
    ASSERT_NE(root, 0u);
    ElementRef children[kMaxChildren];
    ASSERT_EQ(msaa.Children(root, children, kMaxChildren), 3u);
    ElementInfo info;
    ASSERT_TRUE(msaa.Describe(children[1], info));
    EXPECT_EQ(info.role, ElementRole::Document);
    EXPECT_EQ(msaa.Keep(0), 0u);

    // Every one of the 50 buttons before the bar takes 3 ms to give its role.
    for (TestAccessible* button : tree->buttons) {
        button->SetDelay(3);
    }
    AccessibleSearchFigures figures;
    const auto start = Clock::now();
    EXPECT_FALSE(
        ScanAccessibleBars(windows, msaa, clock, state, article, kAccessibleBudgetMs, &figures));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(kAccessibleBudgetMs + 60));
    EXPECT_TRUE(figures.stopped);
    msaa.Keep(0);

    // The window's root is kept between searches, and let go of once the window has gone.
    EXPECT_EQ(msaa.rootsKept(), 1u);
    EXPECT_GT(tree->root->refs(), refsBefore);
    DestroyWindow(window);
    window = nullptr;
    msaa.Keep(0);
    EXPECT_EQ(msaa.rootsKept(), 0u);
    EXPECT_EQ(tree->root->refs(), refsBefore);
}

// Answers the calls that come into this thread's apartment until done() or the timeout.
bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto end = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() > end) {
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
    Serve(3);
    const ULONG barRefs = tree->bar->refs();
    AccessibleWorker worker;
    // What the browser's objects hold when the worker leaves its apartment: a reference
    // released after that would be released through a dead proxy.
    std::atomic<ULONG> barAtEnd{0}, rootAtEnd{0};
    worker.OnLeavingApartment([&] {
        barAtEnd = tree->bar->refs();
        rootAtEnd = tree->root->refs();
    });
    WindowList browsers;
    browsers.Add(RefOf(window), u"Chrome_WidgetWin_1");
    ASSERT_TRUE(PumpUntil(
        [&] {
            if (!worker.busy()) {
                worker.Request(browsers);
            }
            return worker.Latest().hit;
        },
        10s));
    EXPECT_EQ(std::u16string(worker.Latest().article.c_str()), u"Foo");
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
}

}  // namespace
