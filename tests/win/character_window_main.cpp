// The test program of the character's windows: its windows are unmanaged under Wine (see
// UnmanagedWindowsUnderWine), which must be settled before the first window exists.
#include <windows.h>

#include <gtest/gtest.h>

#include "character_fixture_win.h"

int main(int argc, char** argv) {
    character_test::UnmanagedWindowsUnderWine(L"character_window_tests.exe");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
