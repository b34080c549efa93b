#include <windows.h>

#include <objbase.h>

#include <gtest/gtest.h>

#include "app/shortcut_win.h"

namespace {

struct ComScope {
    ComScope() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComScope() { CoUninitialize(); }
};

std::wstring TempPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + name;
}

TEST(StartupShortcut, LivesInTheStartupFolderUnderTheProgramsName) {
    const std::wstring path = ComputeStartupShortcutPath();
    ASSERT_GT(path.size(), 12u);
    EXPECT_EQ(path.substr(path.size() - 9), L"\\ヨミトキ.lnk");
    std::wstring lower = path;
    CharLowerW(lower.data());
    EXPECT_NE(lower.find(L"\\startup\\"), std::wstring::npos) << path.c_str();
}

TEST(StartupShortcut, IsCreatedToTheTargetAndFoundWhateverMadeIt) {
    ComScope com;
    const std::wstring link = TempPath(L"ymt-shortcut-test.lnk");
    DeleteFileW(link.c_str());
    EXPECT_FALSE(ShortcutExists(link));
    ASSERT_TRUE(CreateShortcut(link, L"C:\\ヨミトキ\\ymt.exe"));
    EXPECT_TRUE(ShortcutExists(link));
    DeleteFileW(link.c_str());

    // A file of that name made by other means counts as the shortcut.
    HANDLE file = CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(file);
    EXPECT_TRUE(ShortcutExists(link));
    DeleteFileW(link.c_str());
}

TEST(StartupShortcut, AnUnreachableFolderCountsAsAbsentAndCreationFails) {
    ComScope com;
    EXPECT_FALSE(ShortcutExists(L""));
    EXPECT_FALSE(ShortcutExists(L"Q:\\no\\such\\folder\\ヨミトキ.lnk"));
    EXPECT_FALSE(CreateShortcut(L"Q:\\no\\such\\folder\\ヨミトキ.lnk", L"C:\\ymt.exe"));
}

}  // namespace
