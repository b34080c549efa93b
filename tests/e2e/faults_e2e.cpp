// Programs around ours that stop answering must not stop it.
#include <windows.h>

#include <shellapi.h>

#include <memory>
#include <set>

#include "common/handles_win.h"
#include "tests/e2e/desk_test.h"
#include "tests/win/accessible_desk_win.h"

namespace {

using namespace e2e;
using Faults = Desk;

// The sibling that stops answering holds up neither the count nor the command list.
TEST_F(Faults, AHungSiblingDoesNotStopTheCount) {
    UiThread ui, siblingUi;
    Recorder sibling(siblingUi, L"kasoruzoe");
    Program program;
    ASSERT_TRUE(program.Up());
    OpenBrowser(ui, kArticleAddress);
    ASSERT_TRUE(WaitUntil([&] { return sibling.Seconds(u"連続[") >= 2; }, 15s));
    const int before = sibling.Seconds(u"連続[");
    siblingUi.Hang(6s);
    Sleep(500);
    program.PostTray(WM_LBUTTONUP);
    EXPECT_TRUE(program.Shown(true, 1500ms)) << "the command list";
    Sleep(7000);
    EXPECT_TRUE(WaitUntil([&] { return sibling.Seconds(u"連続[") >= before + 6; }, 2s))
        << "counted on while the sibling hung: " << before << " then " << sibling.Seconds(u"連続[");
}

// A Chromium-like window of another process (to the program) serving its accessibility tree from a
// thread of its own, as a browser's UI thread does; the tree can hang inside a call for minutes, as
// a hung browser does.
struct HangingChromium {
    explicit HangingChromium(const std::wstring& address) {
        ui.Call([&] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // the tree is marshalled
            tree = std::make_unique<TestBrowserTree>(address);
            window = CreateAccessibleWindow(L"Chrome_WidgetWin_1", tree->root);
        });
    }
    ~HangingChromium() {
        SetEvent(release.get());
        ui.Call([&] {
            DestroyWindow(window);
            tree.reset();
            CoUninitialize();
        });
    }
    // The next call into the element hangs; entered is set when it has begun.
    void HangIn(TestAccessible* element) {
        ui.Call([&] { element->HangNextCall(entered.get(), release.get()); });
    }

    UniqueHandle entered{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueHandle release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UiThread ui;  // after the events: it ends before them
    std::unique_ptr<TestBrowserTree> tree;
    HWND window = nullptr;
};

// A browser hung inside an accessibility call holds up only the program's reader of those trees:
// another browser is counted second by second, the tray tip follows, the command list opens at once
// and 終了 is not held up.
void CountWhileATreeHangs(bool inTheRereadOfTheRememberedBar) {
    UiThread siblingUi, browserUi;
    Recorder sibling(siblingUi, L"kasoruzoe"), tray(siblingUi, L"Shell_TrayWnd");
    HangingChromium chromium(inTheRereadOfTheRememberedBar ? L"ja.wikipedia.org/wiki/Chromium"
                                                           : L"example.com/");
    if (!inTheRereadOfTheRememberedBar) {  // the search hangs in the toolbar's first button
        chromium.HangIn(chromium.tree->buttons.front());
    }
    Program program;
    ASSERT_TRUE(program.Up());
    const HWND ie = OpenBrowser(browserUi, L"about:blank");
    // A search cut short by its budget is tried again a second later, so a slow machine may
    // take many tries to reach the tree's toolbar.
    if (inTheRereadOfTheRememberedBar) {
        // Counted through the tree first; then the re-read hangs.
        ASSERT_TRUE(WaitUntil([&] { return sibling.Seconds(u"連続[") >= 2; }, 90s));
        chromium.HangIn(chromium.tree->bar);
    }
    ASSERT_EQ(WaitForSingleObject(chromium.entered.get(), 90000), WAIT_OBJECT_0)
        << "the reader never reached the hanging call";
    Navigate(browserUi, ie, kArticleAddress);
    ASSERT_TRUE(WaitUntil([&] { return sibling.Seconds(u"連続[") >= 1; }, 10s));
    const int start = sibling.Seconds(u"連続[");
    const size_t calls = tray.TrayCalls(NIM_MODIFY).size();
    Sleep(4000);
    EXPECT_GE(sibling.Seconds(u"連続["), start + 3) << "second by second";
    std::set<std::u16string> tips;
    const auto modified = tray.TrayCalls(NIM_MODIFY);
    for (size_t i = calls; i < modified.size(); ++i)
        tips.insert(modified[i].second);
    EXPECT_GE(tips.size(), 3u) << "the tray tip follows the count";
    program.PostTray(WM_LBUTTONUP);
    EXPECT_TRUE(program.Shown(true, 1s)) << "the command list";
    Sleep(2500);
    program.Choose(kExit);
    EXPECT_TRUE(program.WaitForExit()) << "the exit waited for the hung call";
}

TEST_F(Faults, AnAccessibilitySearchThatHangsHoldsUpNothingElse) {
    CountWhileATreeHangs(false);
}

TEST_F(Faults, ARememberedBarWhoseRereadHangsHoldsUpNothingElse) {
    CountWhileATreeHangs(true);
}

}  // namespace
