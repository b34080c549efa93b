// The app's own windows and the startup shortcut, against the real system.
#include <objbase.h>
#include <windows.h>

#include <gtest/gtest.h>

#include "app/app_win.h"
#include "app/shortcut_win.h"
#include "common/handles_win.h"
#include "common/message_box_win.h"
#include "scratch_registry_win.h"

namespace {

// Whether this process shows a tray icon (under Wine, a child window of the standalone tray).
bool HasTrayIcon() {
    bool found = false;
    EnumWindows(
        [](HWND top, LPARAM p) -> BOOL {
            EnumChildWindows(
                top,
                [](HWND w, LPARAM q) -> BOOL {
                    wchar_t name[64] = {};
                    DWORD pid = 0;
                    GetWindowThreadProcessId(w, &pid);
                    GetClassNameW(w, name, 64);
                    *reinterpret_cast<bool*>(q) |= pid == GetCurrentProcessId() &&
                                                   std::wstring(name) == L"__winex11_tray_icon";
                    return TRUE;
                },
                p);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

LRESULT CALLBACK RefuseCreation(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return message == WM_NCCREATE ? FALSE : DefWindowProcW(window, message, wParam, lParam);
}

// The balloon window cannot be created (its class is taken by one whose windows refuse to be
// made): whatever the main window's creation started is stopped before the user is told.
TEST(AppStart, ABalloonThatCannotBeCreatedLeavesNothingRunning) {
    ScratchCurrentUser registry(L"AppStart");
    WNDCLASSEXW refusing{};
    refusing.cbSize = sizeof refusing;
    refusing.lpfnWndProc = RefuseCreation;
    refusing.hInstance = GetModuleHandleW(nullptr);
    refusing.lpszClassName = L"ytm_tan_ee_child";
    ASSERT_NE(RegisterClassExW(&refusing), 0);
    UniqueHModule edition(LoadLibraryW(L"ymthinata.dll"));
    UniqueHModule voice(LoadLibraryW(L"ymtvoice.dll"));
    App app;
    app.instance = GetModuleHandleW(nullptr);
    app.editionModule = edition.get();
    app.voiceModule = voice.get();
    std::vector<std::wstring> boxes;
    bool quietDuringBox = true;
    SetMessageBoxHookForTesting([&](const RecordedMessageBox& box) {
        boxes.push_back(box.text);
        // The box's loop: a tick or a speech step would run here if its timer still did.
        for (const DWORD until = GetTickCount() + 1300; GetTickCount() < until; Sleep(10)) {
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&msg);
            }
        }
        quietDuringBox = app.SecondsRunning == 0 && app.speech.ActiveSpeechTimer == 0 &&
                         !HasTrayIcon() && FindWindowW(kMainWindowClass, nullptr) == nullptr;
        return IDOK;
    });
    EXPECT_FALSE(CreateAppWindows(app));
    SetMessageBoxHookForTesting({});
    EXPECT_EQ(boxes, std::vector<std::wstring>{L"子ウィンドウの生成に失敗しました。"});
    EXPECT_TRUE(quietDuringBox);
    // Windows keeps a destroyed window's icon until the pointer passes over it.
    EXPECT_FALSE(app.tray.Shown());
    UnregisterClassW(L"ytm_tan_ee_child", GetModuleHandleW(nullptr));
}

// Made in the Startup folder by the whole-program tests; here, where it cannot be made.
TEST(StartupShortcut, OneThatCannotBeSavedIsNeitherMadeNorFound) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    EXPECT_FALSE(CreateShortcut(L"Q:\\no\\such\\folder\\ヨミトキ.lnk", L"C:\\ymt.exe"));
    EXPECT_FALSE(ShortcutExists(L"Q:\\no\\such\\folder\\ヨミトキ.lnk"));
    CoUninitialize();
}

}  // namespace
