// The tray icon: the command list in the balloon, and the context menu with its marks.
#include <windows.h>

#include <shlobj.h>

#include "resources/resource.h"
#include "tests/e2e/desk_test.h"

namespace {

using namespace e2e;
using Tray = Desk;

// Replaces resources of a plug-in copy with damaged data: the cut start of a scrambled PNG (even
// ids) or noise (odd ids).
void Damage(const std::wstring& dll, int first, int last) {
    HANDLE update = BeginUpdateResourceW(dll.c_str(), FALSE);
    for (int id = first; id <= last; ++id) {
        std::string bytes(id % 2 == 0 ? 40 : 3000, '\0');
        for (size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(i < 4 ? "\x89PNG"[i] ^ 0x5A : (i * 131 + id) * (id % 2));
        UpdateResourceW(update, L"RT_RCDATA", MAKEINTRESOURCEW(id),
                        MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), bytes.data(),
                        static_cast<DWORD>(bytes.size()));
    }
    ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
}

// With the character's pictures and voice damaged: the program runs on without them.
TEST_F(Tray, TheCommandListTogglesCancelsAndSaysFarewell) {
    Launch launch;
    launch.prepare = [](const std::wstring& folder) {
        Damage(folder + L"\\ymthinata.dll", 138, 160);
        Damage(folder + L"\\ymtvoice.dll", 131, 263);
    };
    Program program(launch);
    ASSERT_TRUE(program.Up());
    ASSERT_TRUE(program.OpenCommandList());
    program.Click(200, 70);  // outside the items: the list stays
    Sleep(500);
    EXPECT_TRUE(IsWindowVisible(program.Main()));
    for (const POINT item : {kHourlyChime, kVoice, kCancel}) {  // 時報をON, ボイスをOFF
        program.Choose(item);
        ASSERT_TRUE(program.Shown(false, 5s)) << "the list fades out after a choice";
        ASSERT_TRUE(program.OpenCommandList());
    }
    program.Choose(kExit);
    EXPECT_TRUE(program.Shown(true, 3s)) << "the farewell";
    ASSERT_TRUE(program.WaitForExit());
    EXPECT_EQ(ReadNumber(L"", L"NotifyHour"), 1u);
    EXPECT_EQ(ReadNumber(L"", L"Voice"), 0u);
    EXPECT_EQ(ReadNumber(L"", L"NotifyFinish"), 1u);
    EXPECT_EQ(ReadNumber(L"Log", L"20261206"), 0u);
}

TEST_F(Tray, TheContextMenuMarksTheSettingsAndMakesTheLogonShortcut) {
    wchar_t startup[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_STARTUP, nullptr, 0, startup);
    const std::wstring link = std::wstring(startup) + L"\\ヨミトキ.lnk";
    DeleteFileW(link.c_str());
    WriteNumber(L"", L"NotifyTime", 1);
    WriteNumber(L"", L"NotifyFinish", 0);
    Program program;
    ASSERT_TRUE(program.Up(false));
    program.PostTray(WM_RBUTTONUP);  // a speech other than the command list does not block it
    HWND menu = nullptr;
    ASSERT_TRUE(
        WaitUntil([&] { return IsWindowVisible(menu = FindWindowW(L"#32768", nullptr)); }, 10s));
    // A probe hooked into the program reads each command's state, plus one (0: no answer): Wine
    // lets only a menu's own process read it.
    const HMODULE probe = LoadLibraryW(L"e2e_menu_probe.dll");
    const HHOOK hook = SetWindowsHookExW(
        WH_CALLWNDPROC,
        reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(probe, "ProbeMenu"))),
        probe, GetWindowThreadProcessId(menu, nullptr));
    for (const auto& [command, checked] :
         {std::pair{IDM_NOTIFY_TIME, true}, std::pair{IDM_NOTIFY_FINISH, false},
          std::pair{IDM_VOICE, true}, std::pair{IDM_NOTIFY_HOUR, false},
          std::pair{IDM_STARTUP_SHORTCUT, false}}) {
        DWORD_PTR ignored = 0;
        RemovePropW(menu, L"ymt_e2e_state");
        SendMessageTimeoutW(menu, RegisterWindowMessageW(L"ymt_e2e_probe"), command, 0,
                            SMTO_ABORTIFHUNG, 5000, &ignored);
        const auto state = reinterpret_cast<ULONG_PTR>(GetPropW(menu, L"ymt_e2e_state"));
        EXPECT_NE(state, 0u) << "no answer from the probe";
        EXPECT_EQ(((state - 1) & MF_CHECKED) != 0, checked) << command;
    }
    UnhookWindowsHookEx(hook);
    FreeLibrary(probe);
    PostMessageW(menu, WM_CHAR, L'u', 0);  // スタートアップに登録(&U), answered Yes
    HWND ask = WaitForBox(L"ログオンしたときに、ヨミトキを起動できるようにしますか");
    ASSERT_NE(ask, nullptr);
    PressButton(ask, IDYES);
    HWND made = WaitForBox(L"ショートカットを作成しました");
    ASSERT_NE(made, nullptr);
    PressButton(made, IDOK);
    EXPECT_TRUE(DeleteFileW(link.c_str())) << "the shortcut in the Startup folder";
}

}  // namespace
