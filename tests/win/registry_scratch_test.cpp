#include <windows.h>

#include <gtest/gtest.h>

#include "tests/win/scratch_registry_win.h"

namespace {

bool ProbeExists() {
    HKEY key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\YmtScratchProbe", 0, KEY_READ, &key) !=
        ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

void WriteProbe() {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\YmtScratchProbe", 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    DWORD one = 1;
    RegSetValueExW(key, L"Value", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof(one));
    RegCloseKey(key);
}

TEST(ScratchRegistry, EachTestSeesAnEmptyCurrentUserAndLeavesTheRealOneClean) {
    {
        ScratchCurrentUser scratch(L"first");
        ASSERT_TRUE(scratch.ok());
        EXPECT_FALSE(ProbeExists());
        WriteProbe();
        EXPECT_TRUE(ProbeExists());
    }
    EXPECT_FALSE(ProbeExists());  // the real HKCU never saw it
    {
        ScratchCurrentUser scratch(L"second");
        ASSERT_TRUE(scratch.ok());
        EXPECT_FALSE(ProbeExists());  // nor did the next test
    }
}

}  // namespace
