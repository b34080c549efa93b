#pragma once
// Gives a test a registry of its own: HKEY_CURRENT_USER is redirected to a fresh scratch
// key for the life of the object, then the key is deleted. No test sees another's values,
// and the prefix's real HKCU stays clean.
#include <windows.h>

#include <string>

class ScratchCurrentUser {
  public:
    explicit ScratchCurrentUser(const wchar_t* testName) {
        m_path = L"Software\\YmtTestScratch\\" + std::wstring(testName) + L"-" +
                 std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++Counter());
        RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
        if (RegCreateKeyExW(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &m_key, nullptr) == ERROR_SUCCESS) {
            m_ok = RegOverridePredefKey(HKEY_CURRENT_USER, m_key) == ERROR_SUCCESS;
        }
    }
    ~ScratchCurrentUser() {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        if (m_key != nullptr) {
            RegCloseKey(m_key);
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, m_path.c_str());
    }
    ScratchCurrentUser(const ScratchCurrentUser&) = delete;
    ScratchCurrentUser& operator=(const ScratchCurrentUser&) = delete;

    bool ok() const { return m_ok; }
    // Where the redirected HKCU really lives, relative to the real HKCU.
    const std::wstring& path() const { return m_path; }

  private:
    static int& Counter() {
        static int n = 0;
        return n;
    }
    std::wstring m_path;
    HKEY m_key = nullptr;
    bool m_ok = false;
};
