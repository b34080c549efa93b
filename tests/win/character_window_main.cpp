// The test program of the character's windows. Under Wine on a bare X display there is no
// window manager: Wine then waits up to 2 s for one each time a window it regards as
// managed is hidden or destroyed. Marking this program's windows unmanaged (before any
// window exists) takes that wait away; it changes nothing that the tests look at.
#include <windows.h>

#include <gtest/gtest.h>

#include "common/handles_win.h"

namespace {

void UnmanagedWindowsUnderWine() {
    UniqueHKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER,
                        L"Software\\Wine\\AppDefaults\\character_window_tests.exe\\X11 Driver", 0,
                        nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) == ERROR_SUCCESS) {
        static const wchar_t kNo[] = L"N";
        RegSetValueExW(key.get(), L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(kNo),
                       sizeof kNo);
    }
}

}  // namespace

int main(int argc, char** argv) {
    UnmanagedWindowsUnderWine();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
