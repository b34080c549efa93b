// Programs around ours that stop answering must not stop it: it keeps counting other
// sources, and its command list still opens.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <set>

#include "common/handles_win.h"
#include "tests/e2e/desk_win.h"
#include "tests/win/accessible_desk_win.h"

namespace {

using namespace e2e;

const std::vector<std::wstring> kIeAddressBar = {L"ComboBoxEx32"};
const std::wstring kArticle = L"http://ja.wikipedia.org/wiki/%E7%8C%AB";

class Faults : public ::testing::Test {
  protected:
    void SetUp() override { DeleteProgramKey(); }
    void TearDown() override { DeleteProgramKey(); }
};

// The seconds of the stretch in the last status text, or -1.
int Continuous(const Sibling& sibling) {
    const std::u16string last = sibling.Last();
    const size_t at = last.find(u"連続[");
    if (at == std::u16string::npos)
        return -1;
    const std::u16string hms = last.substr(at + 3, 8);  // "%2u:%02u:%02u"
    auto num = [&](size_t i, size_t n) {
        int v = 0;
        for (size_t k = i; k < i + n; ++k) {
            if (hms[k] >= u'0' && hms[k] <= u'9')
                v = v * 10 + (hms[k] - u'0');
        }
        return v;
    };
    return num(0, 2) * 3600 + num(3, 2) * 60 + num(6, 2);
}

TEST_F(Faults, AHungSiblingAndAHungBrowserDoNotStopTheCount) {
    UiThread siblingUi, browserUi, hungUi;
    Sibling sibling(siblingUi);
    Browsers browsers(browserUi), hungBrowsers(hungUi);
    Program program;
    ASSERT_NE(program.WaitForMainWindow(), nullptr);
    ASSERT_TRUE(SkipGreeting(program));
    browsers.Open(L"IEFrame", kIeAddressBar, kArticle);
    // A browser in front that no longer answers: its reads time out, the next one counts.
    hungBrowsers.Open(L"IEFrame", kIeAddressBar, L"http://ja.wikipedia.org/wiki/Hung");
    ASSERT_TRUE(WaitUntil([&] { return Continuous(sibling) >= 2; }, 15s));
    hungUi.Hang(12s);
    const int before = Continuous(sibling);
    siblingUi.Hang(6s);  // the sibling too
    // The command list still opens at once while both hang.
    Sleep(500);
    program.PostTray(WM_LBUTTONUP);
    EXPECT_TRUE(WaitForShown(program, true, 1500ms)) << "the command list";
    Sleep(7000);
    EXPECT_TRUE(WaitUntil([&] { return Continuous(sibling) >= before + 6; }, 2s))
        << "counted on while the sibling hung: " << before << " then " << Continuous(sibling);
    LogOff(program);
    program.WaitForExit(10s);
}

// A Chromium-like window in this process (another process to the program), serving its
// accessibility tree from a thread of its own as a browser's UI thread does. The tree can be
// made to hang inside a call, for minutes, as a hung browser does.
class HangingChromium {
  public:
    explicit HangingChromium(const std::wstring& address)
        : m_entered(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          m_release(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
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
    bool Entered(std::chrono::milliseconds timeout) const {
        return WaitForSingleObject(m_entered.get(), static_cast<DWORD>(timeout.count())) ==
               WAIT_OBJECT_0;
    }

  private:
    UniqueHandle m_entered, m_release;
    UiThread m_ui;  // after the events: it ends before them
    std::unique_ptr<TestBrowserTree> m_tree;
    HWND m_window = nullptr;
};

// A browser that hangs inside an accessibility call holds up only the program's reader of
// those trees: the tick counts another browser second by second, the tray tip follows, the
// command list opens at once, and the exit is not held up.
void CountWhileATreeHangs(bool inTheRereadOfTheRememberedBar) {
    UiThread siblingUi, browserUi;
    Sibling sibling(siblingUi);
    TrayRecorder tray(siblingUi);
    Browsers browsers(browserUi);
    HangingChromium chromium(inTheRereadOfTheRememberedBar ? L"ja.wikipedia.org/wiki/Chromium"
                                                           : L"example.com/");
    if (!inTheRereadOfTheRememberedBar) {
        // The search answers the root, the tab strip, the document and the toolbar, and
        // hangs in the first button.
        chromium.HangIn([](TestBrowserTree& t) { return t.buttons.front(); });
    }
    Program program;
    ASSERT_NE(program.WaitForMainWindow(), nullptr);
    ASSERT_TRUE(SkipGreeting(program));
    const HWND ie = browsers.Open(L"IEFrame", kIeAddressBar, L"about:blank");
    if (inTheRereadOfTheRememberedBar) {
        // Counted through the tree first; then the remembered bar hangs when it is re-read.
        // A search that does not finish within its budget is tried again a second later,
        // so on a loaded machine the first hit may take many tries.
        ASSERT_TRUE(WaitUntil([&] { return Continuous(sibling) >= 2; }, 90s))
            << "the tree was not counted: " << Continuous(sibling);
        chromium.HangIn([](TestBrowserTree& t) { return t.bar; });
    }
    ASSERT_TRUE(chromium.Entered(20s)) << "the reader never reached the hanging call";
    browsers.Navigate(ie, kArticle);
    ASSERT_TRUE(WaitUntil([&] { return Continuous(sibling) >= 1; }, 10s))
        << "the other browser was not counted: " << Continuous(sibling);
    const int start = Continuous(sibling);
    const std::size_t trayCalls = tray.Calls().size();
    Sleep(4000);
    EXPECT_GE(Continuous(sibling), start + 3) << "second by second: " << Continuous(sibling);
    std::set<std::u16string> tips;
    const auto calls = tray.Calls();
    for (std::size_t i = trayCalls; i < calls.size(); ++i) {
        if (calls[i].message == NIM_MODIFY && (calls[i].flags & NIF_TIP) != 0) {
            tips.insert(calls[i].tip);
        }
    }
    EXPECT_GE(tips.size(), 3u) << "the tray tip follows the count";

    program.PostTray(WM_LBUTTONUP);
    EXPECT_TRUE(WaitForShown(program, true, 1s)) << "the command list";
    Sleep(2500);
    const auto exitAsked = std::chrono::steady_clock::now();
    ClickCommand(program, 124, 208);  // 終了
    EXPECT_TRUE(program.WaitForExit(20s)) << "the exit waited for the hung call";
    std::printf("  exit took %lld ms after 終了\n",
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                           std::chrono::steady_clock::now() - exitAsked)
                                           .count()));
}

TEST_F(Faults, AnAccessibilitySearchThatHangsHoldsUpNothingElse) {
    CountWhileATreeHangs(false);
}

TEST_F(Faults, ARememberedBarWhoseRereadHangsHoldsUpNothingElse) {
    CountWhileATreeHangs(true);
}

}  // namespace

namespace {

// Replaces resources of a plug-in copy with damaged data.
void DamageResources(const std::wstring& dll, int first, int last, size_t keep) {
    HANDLE update = BeginUpdateResourceW(dll.c_str(), FALSE);
    ASSERT_NE(update, nullptr);
    std::srand(first);
    for (int id = first; id <= last; ++id) {
        std::vector<uint8_t> bytes(id % 2 == 0 ? keep : 3000);
        if (id % 2 == 0) {
            // Even ids: the start of a real scrambled PNG or Ogg header, then cut.
            const uint8_t png[] = {0x89 ^ 0x5A, 'P' ^ 0x5A, 'N' ^ 0x5A, 'G' ^ 0x5A};
            for (size_t i = 0; i < bytes.size(); ++i)
                bytes[i] = i < 4 ? png[i] : 0x5A;
        } else {
            for (auto& b : bytes)
                b = static_cast<uint8_t>(std::rand());  // random
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
        DamageResources(folder + L"\\ymthinata.dll", 138, 160, 40);
        DamageResources(folder + L"\\ymtvoice.dll", 131, 263, 60);
    };
    Program program(launch);
    ASSERT_NE(program.WaitForMainWindow(), nullptr);
    EXPECT_TRUE(WaitForShown(program, true, 10s)) << "the greeting runs, without its pictures";
    ClickBalloon(program, 100, 150);
    ASSERT_TRUE(WaitForShown(program, false, 10s));
    ASSERT_TRUE(OpenCommandList(program));
    ClickCommand(program, 124, 208);  // 終了
    EXPECT_TRUE(program.WaitForExit(20s));
    EXPECT_TRUE(ReadNumber(L"", L"Voice").has_value());
}

TEST_F(Faults, SettingsOfEveryWrongTypeLoadAndAreSavedBackSound) {
    const wchar_t* names[] = {L"NotifyFinish",  L"NotifyHour", L"NotifyTime",   L"HistryEnabled",
                              L"NoTaskbarIcon", L"Voice",      L"Alarm1Enable", L"Alarm2Enable",
                              L"Alarm3Enable",  L"Alarm1h",    L"Alarm2h",      L"Alarm3h",
                              L"Alarm1m",       L"Alarm2m",    L"Alarm3m",      L"Alarm1Mes",
                              L"Alarm2Mes",     L"Alarm3Mes",  L"SelEdition",   L"WindowLeft",
                              L"WindowTop"};
    const DWORD types[] = {REG_SZ, REG_BINARY, REG_MULTI_SZ, REG_QWORD, REG_NONE, REG_EXPAND_SZ};
    const BYTE odd[] = {0x31, 0x00, 0x32};  // an odd length, unterminated
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Torvenal\\Yomitoki\\CurrentVersion", 0,
                              nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    size_t i = 0;
    for (const wchar_t* name : names) {
        const DWORD type = types[i++ % std::size(types)];
        RegSetValueExW(key, name, 0, type, odd, i % 3 == 0 ? 0 : sizeof odd);
    }
    RegCloseKey(key);
    Program program;
    ASSERT_NE(program.WaitForMainWindow(), nullptr);
    ASSERT_TRUE(SkipGreeting(program));
    LogOff(program);
    ASSERT_TRUE(program.WaitForExit(10s));
    // Saved back with their own types (NoTaskbarIcon is never written).
    for (const wchar_t* name : {L"NotifyFinish", L"Alarm1h", L"SelEdition", L"WindowTop"}) {
        EXPECT_TRUE(ReadNumber(L"", name).has_value()) << name;
    }
    EXPECT_TRUE(ReadText(L"", L"Alarm2Mes").has_value());
}

}  // namespace

namespace {

TEST_F(Faults, TenThousandWindowsAndAThousandProfilesStillCount) {
    UiThread ui;
    Sibling sibling(ui);
    Browsers browsers(ui);
    // Many windows of no browser's class.
    std::vector<HWND> crowd;
    ui.Call([&] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"ymt_e2e_crowd";
        RegisterClassExW(&wc);
        for (int i = 0; i < 10000; ++i) {
            crowd.push_back(CreateWindowExW(0, L"ymt_e2e_crowd", L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                                            nullptr, GetModuleHandleW(nullptr), nullptr));
        }
    });
    // Many Firefox profiles, none of them written by a helper.
    wchar_t appData[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData), S_OK);
    const std::wstring profiles = std::wstring(appData) + L"\\Mozilla\\Firefox\\Profiles";
    for (int i = 0; i < 1000; ++i) {
        SHCreateDirectoryExW(nullptr, (profiles + L"\\crowd" + std::to_wstring(i)).c_str(),
                             nullptr);
    }
    Program program;
    ASSERT_NE(program.WaitForMainWindow(), nullptr);
    browsers.Open(L"IEFrame", kIeAddressBar, kArticle);
    EXPECT_TRUE(WaitUntil([&] { return Continuous(sibling) >= 3; }, 30s))
        << "last: " << Continuous(sibling);
    // The command list still opens (after the greeting has gone).
    EXPECT_TRUE(OpenCommandList(program)) << "still answers the tray";
    LogOff(program);
    program.WaitForExit(20s);
    ui.Call([&] {
        for (HWND w : crowd)
            DestroyWindow(w);
    });
    for (int i = 0; i < 1000; ++i) {
        RemoveDirectoryW((profiles + L"\\crowd" + std::to_wstring(i)).c_str());
    }
}

}  // namespace
