// Programs around ours that stop answering, damaged plug-ins and damaged settings must not
// stop it.
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

TEST_F(Faults, AHungSiblingAndAHungBrowserDoNotStopTheCount) {
    UiThread siblingUi, browserUi, hungUi;
    Sibling sibling(siblingUi);
    Browsers browsers(browserUi), hungBrowsers(hungUi);
    RunningProgram program;
    ASSERT_TRUE(program.Up());
    browsers.Open(L"IEFrame", kIeAddressChain, kArticleAddress);
    // A browser in front that no longer answers: its reads time out, the next one counts.
    hungBrowsers.Open(L"IEFrame", kIeAddressChain, L"http://ja.wikipedia.org/wiki/Hung");
    ASSERT_TRUE(WaitUntil([&] { return sibling.Seconds(u"連続[") >= 2; }, 15s));
    hungUi.Hang(12s);
    const int before = sibling.Seconds(u"連続[");
    siblingUi.Hang(6s);  // the sibling too
    // The command list still opens at once while both hang.
    Sleep(500);
    program.PostTray(WM_LBUTTONUP);
    EXPECT_TRUE(WaitForShown(program, true, 1500ms)) << "the command list";
    Sleep(7000);
    EXPECT_TRUE(WaitUntil([&] { return sibling.Seconds(u"連続[") >= before + 6; }, 2s))
        << "counted on while the sibling hung: " << before << " then " << sibling.Seconds(u"連続[");
}

// A Chromium-like window of another process (to the program) serving its accessibility tree
// from a thread of its own, as a browser's UI thread does; the tree can hang inside a call for
// minutes, as a hung browser does.
class HangingChromium {
  public:
    explicit HangingChromium(const std::wstring& address) {
        m_ui.Call([&] {
            CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // the tree is marshalled
            m_tree = std::make_unique<TestBrowserTree>(address);
            m_window = CreateAccessibleWindow(L"Chrome_WidgetWin_1", m_tree->root);
        });
    }
    ~HangingChromium() {
        SetEvent(m_release.get());
        m_ui.Call([&] {
            DestroyWindow(m_window);
            m_tree.reset();
            CoUninitialize();
        });
    }
    // The next call into the element hangs; Entered() tells when it has begun.
    void HangIn(TestAccessible* (*element)(TestBrowserTree&)) {
        m_ui.Call([&] { element(*m_tree)->HangNextCall(m_entered.get(), m_release.get()); });
    }
    bool Entered() const { return WaitForSingleObject(m_entered.get(), 20000) == WAIT_OBJECT_0; }

  private:
    UniqueHandle m_entered{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UniqueHandle m_release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    UiThread m_ui;  // after the events: it ends before them
    std::unique_ptr<TestBrowserTree> m_tree;
    HWND m_window = nullptr;
};

// A browser hung inside an accessibility call holds up only the program's reader of those
// trees: another browser is counted second by second, the tray tip follows, the command list
// opens at once and 終了 is not held up.
void CountWhileATreeHangs(bool inTheRereadOfTheRememberedBar) {
    UiThread siblingUi, browserUi;
    Sibling sibling(siblingUi);
    TrayRecorder tray(siblingUi);
    Browsers browsers(browserUi);
    HangingChromium chromium(inTheRereadOfTheRememberedBar ? L"ja.wikipedia.org/wiki/Chromium"
                                                           : L"example.com/");
    if (!inTheRereadOfTheRememberedBar) {  // the search hangs in the toolbar's first button
        chromium.HangIn([](TestBrowserTree& t) { return t.buttons.front(); });
    }
    RunningProgram program;
    ASSERT_TRUE(program.Up());
    const HWND ie = browsers.Open(L"IEFrame", kIeAddressChain, L"about:blank");
    if (inTheRereadOfTheRememberedBar) {
        // Counted through the tree first (a search cut short by its budget is tried again a
        // second later, so a loaded machine may take many tries); then the re-read hangs.
        ASSERT_TRUE(WaitUntil([&] { return sibling.Seconds(u"連続[") >= 2; }, 90s));
        chromium.HangIn([](TestBrowserTree& t) { return t.bar; });
    }
    ASSERT_TRUE(chromium.Entered()) << "the reader never reached the hanging call";
    browsers.Navigate(ie, kArticleAddress);
    ASSERT_TRUE(WaitUntil([&] { return sibling.Seconds(u"連続[") >= 1; }, 10s));
    const int start = sibling.Seconds(u"連続[");
    const size_t calls = tray.Calls(NIM_MODIFY).size();
    Sleep(4000);
    EXPECT_GE(sibling.Seconds(u"連続["), start + 3) << "second by second";
    std::set<std::u16string> tips;
    const auto modified = tray.Calls(NIM_MODIFY);
    for (size_t i = calls; i < modified.size(); ++i) {
        if ((modified[i].flags & NIF_TIP) != 0) {
            tips.insert(modified[i].tip);
        }
    }
    EXPECT_GE(tips.size(), 3u) << "the tray tip follows the count";
    program.PostTray(WM_LBUTTONUP);
    EXPECT_TRUE(WaitForShown(program, true, 1s)) << "the command list";
    Sleep(2500);
    ClickCommand(program, kExit);
    EXPECT_TRUE(program.WaitForExit(20s)) << "the exit waited for the hung call";
}

TEST_F(Faults, AnAccessibilitySearchThatHangsHoldsUpNothingElse) {
    CountWhileATreeHangs(false);
}

TEST_F(Faults, ARememberedBarWhoseRereadHangsHoldsUpNothingElse) {
    CountWhileATreeHangs(true);
}

// Replaces resources of a plug-in copy with damaged data: even ids the cut start of a
// scrambled PNG, odd ids noise.
void DamageResources(const std::wstring& dll, int first, int last) {
    HANDLE update = BeginUpdateResourceW(dll.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    for (int id = first; id <= last; ++id) {
        std::string bytes;
        for (size_t i = 0; i < (id % 2 == 0 ? 40u : 3000u); ++i) {
            const int png = i < 4 ? "\x89PNG"[i] : 0;
            bytes += static_cast<char>(id % 2 == 0 ? png ^ 0x5A : i * 131 + id);
        }
        UpdateResourceW(update, L"RT_RCDATA", MAKEINTRESOURCEW(id),
                        MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), bytes.data(),
                        static_cast<DWORD>(bytes.size()));
    }
    ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
}

TEST_F(Faults, DamagedPicturesAndClipsLeaveTheProgramRunning) {
    Launch launch;
    launch.prepare = [](const std::wstring& folder) {
        DamageResources(folder + L"\\ymthinata.dll", 138, 160);
        DamageResources(folder + L"\\ymtvoice.dll", 131, 263);
    };
    RunningProgram program(launch);  // the greeting runs, without its pictures
    ASSERT_TRUE(program.Up());
    ASSERT_TRUE(OpenCommandList(program));
    ClickCommand(program, kExit);
    EXPECT_TRUE(program.WaitForExit(20s));
    EXPECT_TRUE(ReadNumber(L"", L"Voice").has_value());
}

TEST_F(Faults, SettingsOfWrongTypesLoadAndAreSavedBackSound) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Torvenal\\Yomitoki\\CurrentVersion", 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const BYTE odd[] = {0x31, 0x00, 0x32};  // "1" and half a unit, unterminated
    for (const auto& [name, type] :
         {std::pair{L"NotifyFinish", REG_SZ}, std::pair{L"Voice", REG_BINARY},
          std::pair{L"Alarm1h", REG_MULTI_SZ}, std::pair{L"Alarm2Mes", REG_NONE},
          std::pair{L"Alarm3Mes", REG_QWORD}, std::pair{L"WindowTop", REG_EXPAND_SZ}}) {
        RegSetValueExW(key, name, 0, type, odd, sizeof odd);
    }
    RegSetValueExW(key, L"SelEdition", 0, REG_SZ, odd, 0);
    RegCloseKey(key);
    RunningProgram program;
    ASSERT_TRUE(program.Up());
    ASSERT_EQ(program.LogOffAndWait(), "");
    // Saved back with their own types: numbers from the text "1" or the bytes 31 00 32,
    // texts from their one whole unit.
    EXPECT_EQ(ReadNumber(L"", L"NotifyFinish"), 1u);
    EXPECT_EQ(ReadNumber(L"", L"Alarm1h"), 1u);
    EXPECT_EQ(ReadNumber(L"", L"SelEdition"), 0u);
    EXPECT_TRUE(ReadNumber(L"", L"Voice").has_value());
    EXPECT_TRUE(ReadNumber(L"", L"WindowTop").has_value());
    EXPECT_EQ(ReadText(L"", L"Alarm2Mes"), L"1");
    EXPECT_EQ(ReadText(L"", L"Alarm3Mes"), L"1");
}

}  // namespace
