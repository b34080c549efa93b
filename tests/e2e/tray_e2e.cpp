// The tray icon: the command list in the balloon, and the context menu with its marks.
#include <windows.h>

#include <shlobj.h>

#include "resources/resource.h"
#include "tests/e2e/desk_test.h"

namespace {

using namespace e2e;
using Tray = Desk;

TEST_F(Tray, TheCommandListTogglesCancelsAndSaysFarewell) {
    RunningProgram program;
    ASSERT_TRUE(program.Up());
    ASSERT_TRUE(OpenCommandList(program));
    ClickBalloon(program, 200, 70);  // outside the items: the list stays
    Sleep(500);
    EXPECT_TRUE(IsWindowVisible(program.Main()));
    for (const POINT item : {kHourlyChime, kVoice, kCancel}) {  // 時報をON, ボイスをOFF
        ClickCommand(program, item);
        ASSERT_TRUE(WaitForShown(program, false, 5s)) << "the list fades out after a choice";
        ASSERT_TRUE(OpenCommandList(program));
    }
    ClickCommand(program, kExit);
    EXPECT_TRUE(WaitForShown(program, true, 3s)) << "the farewell";
    ASSERT_TRUE(program.WaitForExit(20s));
    EXPECT_EQ(ReadNumber(L"", L"NotifyHour"), 1u);
    EXPECT_EQ(ReadNumber(L"", L"Voice"), 0u);
    EXPECT_EQ(ReadNumber(L"", L"NotifyFinish"), 1u);
    EXPECT_EQ(ReadNumber(L"Log", L"20261206"), 0u);
}

// The state of a command of the open menu (#32768), read by a probe inside the program:
// Wine keeps menus where they were made.
class MenuProbe {
  public:
    explicit MenuProbe(HWND menu)
        : m_menu(menu),
          m_module(LoadLibraryW(L"e2e_menu_probe.dll")),
          m_hook(SetWindowsHookExW(WH_CALLWNDPROC,
                                   reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(
                                       GetProcAddress(m_module, "ProbeMenu"))),
                                   m_module, GetWindowThreadProcessId(menu, nullptr))) {}
    ~MenuProbe() {
        UnhookWindowsHookEx(m_hook);
        FreeLibrary(m_module);
    }
    UINT State(UINT command) const {
        DWORD_PTR ignored = 0;
        RemovePropW(m_menu, L"ymt_e2e_state");
        SendMessageTimeoutW(m_menu, RegisterWindowMessageW(L"ymt_e2e_probe"), command, 0,
                            SMTO_ABORTIFHUNG, 5000, &ignored);
        return static_cast<UINT>(reinterpret_cast<ULONG_PTR>(GetPropW(m_menu, L"ymt_e2e_state")));
    }

  private:
    HWND m_menu;
    HMODULE m_module;
    HHOOK m_hook;
};

TEST_F(Tray, TheContextMenuMarksTheSettingsAndMakesTheLogonShortcut) {
    wchar_t startup[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_STARTUP, nullptr, 0, startup);
    const std::wstring link = std::wstring(startup) + L"\\ヨミトキ.lnk";
    DeleteFileW(link.c_str());
    WriteNumber(L"", L"NotifyTime", 1);
    WriteNumber(L"", L"NotifyFinish", 0);
    RunningProgram program({}, false);
    ASSERT_TRUE(program.Up());
    program.PostTray(WM_RBUTTONUP);  // a speech other than the command list does not block it
    HWND menu = nullptr;
    ASSERT_TRUE(
        WaitUntil([&] { return IsWindowVisible(menu = FindWindowW(L"#32768", nullptr)); }, 10s));
    {
        const MenuProbe probe(menu);
        // The probe's answer is the state plus one: 0 is no answer.
        for (const auto& [command, checked] :
             {std::pair{IDM_NOTIFY_TIME, true}, std::pair{IDM_NOTIFY_FINISH, false},
              std::pair{IDM_VOICE, true}, std::pair{IDM_NOTIFY_HOUR, false},
              std::pair{IDM_STARTUP_SHORTCUT, false}}) {
            const UINT state = probe.State(command);
            ASSERT_NE(state, 0u) << "no answer from the probe";
            EXPECT_EQ(((state - 1) & MF_CHECKED) != 0, checked) << command;
        }
    }
    PostMessageW(menu, WM_CHAR, L'u', 0);  // スタートアップに登録(&U), answered Yes
    HWND ask = WaitForMessageBox(L"ログオンしたときに、ヨミトキを起動できるようにしますか");
    ASSERT_NE(ask, nullptr);
    PressButton(ask, IDYES);
    HWND made = WaitForMessageBox(L"ショートカットを作成しました");
    ASSERT_NE(made, nullptr);
    PressButton(made, IDOK);
    EXPECT_TRUE(DeleteFileW(link.c_str())) << "the shortcut in the Startup folder";
}

}  // namespace
