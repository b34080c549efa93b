#pragma once
// Gives a test a registry of its own: HKEY_CURRENT_USER is redirected to a fresh scratch
// key for the life of the object, then the key is deleted. No test sees another's values,
// and the prefix's real HKCU stays clean.
#include <windows.h>

#include <string>

#include "common/handles_win.h"

class ScratchCurrentUser {
  public:
    explicit ScratchCurrentUser(const wchar_t* testName) {
        static int counter = 0;
        m_path = L"Software\\YmtTestScratch\\" + std::wstring(testName) + L"-" +
                 std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());  // a crashed run's, with this id
        m_ok = RegCreateKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                               nullptr, m_key.put(), nullptr) == ERROR_SUCCESS &&
               RegOverridePredefKey(HKEY_CURRENT_USER, m_key.get()) == ERROR_SUCCESS;
    }
    ~ScratchCurrentUser() {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        m_key.reset();
        RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
    }
    ScratchCurrentUser(const ScratchCurrentUser&) = delete;
    ScratchCurrentUser& operator=(const ScratchCurrentUser&) = delete;

    bool ok() const { return m_ok; }

  private:
    std::wstring m_path;
    UniqueHKey m_key;
    bool m_ok = false;
};
