// The setup program as administrators use it, in a Wine prefix of its own: a silent install
// into a folder of their choice, a setup refused while the program runs, an upgrade over the
// earlier install that keeps the records, and the two kinds of removal. The setup program's
// path comes in YMT_SETUP_EXE (a Unix path); the whole run is under libfaketime.
#include <windows.h>

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>

#include "app/shortcut_win.h"
#include "common/handles_win.h"
#include "common/text_win.h"
#include "records/settings.h"
#include "tests/win/temp_folder_win.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Yomitoki";
constexpr wchar_t kLogDay[] = L"20260101";  // never written by the program (it runs in December)

bool WaitUntil(const std::function<bool()>& ready, std::chrono::milliseconds timeout) {
    for (const auto end = std::chrono::steady_clock::now() + timeout; !ready(); Sleep(50)) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
    }
    return true;
}

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::wstring result = SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)) ? path : L"";
    CoTaskMemFree(path);
    return result;
}

// yomitoki-<version>-setup.exe, beside the folder of the files it packs (an ASCII path).
fs::path SetupProgram() {
    std::string path = std::getenv("YMT_SETUP_EXE") ? std::getenv("YMT_SETUP_EXE") : "";
    std::replace(path.begin(), path.end(), '/', '\\');
    return L"Z:" + std::wstring(path.begin(), path.end());
}

// Runs a command line and waits until it and every process it started have ended (an
// uninstaller hands its work to a copy of itself and ends at once): its exit code, or -1.
long RunAndWait(std::wstring command) {
    UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        nullptr, &si, &pi)) {
        return -1;
    }
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    AssignProcessToJobObject(job.get(), process.get());
    ResumeThread(thread.get());
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
    DWORD code = 0;
    const bool ended = WaitUntil(
        [&] {
            return QueryInformationJobObject(job.get(), JobObjectBasicAccountingInformation, &info,
                                             sizeof info, nullptr) &&
                   info.ActiveProcesses == 0;
        },
        90s);
    if (!ended || !GetExitCodeProcess(process.get(), &code)) {
        TerminateJobObject(job.get(), 1);
        return -1;
    }
    return static_cast<long>(code);
}

long Install(const std::wstring& options = L"") {
    return RunAndWait(L"\"" + SetupProgram().wstring() + L"\" /S" + options);
}

std::wstring Text(const wchar_t* key, const wchar_t* name) {
    wchar_t text[1024] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, text, &size);
    return text;
}

DWORD Number(const wchar_t* key, const wchar_t* name) {
    DWORD value = 0, size = sizeof value;
    RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return value;
}

void WriteNumber(const wchar_t* key, const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, key, name, REG_DWORD, &value, sizeof value);
}

// Every key under HKCU\Software (Wine's own aside) and every file under the folders the setup
// program writes into: what it leaves behind shows as a difference.
std::set<std::wstring> Snapshot() {
    std::set<std::wstring> names;
    std::function<void(const std::wstring&)> keys = [&](const std::wstring& path) {
        names.insert(path);
        UniqueHKey key;
        wchar_t name[256];
        DWORD length = 256;
        if (path == L"Software\\Wine" ||
            RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) != 0) {
            return;
        }
        for (DWORD i = 0; RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr,
                                        nullptr) == ERROR_SUCCESS;
             ++i, length = 256) {
            keys(path + L"\\" + name);
        }
    };
    keys(L"Software");
    for (const fs::path folder :
         {KnownFolder(FOLDERID_LocalAppData) + L"\\Programs", KnownFolder(FOLDERID_StartMenu)}) {
        std::error_code missing;
        for (const auto& entry : fs::recursive_directory_iterator(folder, missing)) {
            names.insert(entry.path().wstring());
        }
    }
    return names;
}

// The target of a Start-menu shortcut, from its item list (Wine's GetPath answers an ANSI
// path, which cannot hold a Japanese folder name under a non-Japanese code page).
std::wstring ShortcutTarget(const wchar_t* name) {
    ComPtr<IShellLinkW> shell;
    ComPtr<IPersistFile> file;
    UniqueCoTaskMem<ITEMIDLIST> items;
    wchar_t target[MAX_PATH] = {};
    const std::wstring link = KnownFolder(FOLDERID_Programs) + L"\\" + name;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   shell.put_void())) &&
        SUCCEEDED(shell->QueryInterface(IID_IPersistFile, file.put_void())) &&
        SUCCEEDED(file->Load(link.c_str(), STGM_READ)) &&
        SUCCEEDED(shell->GetIDList(items.put()))) {
        SHGetPathFromIDListW(items.get(), target);
    }
    return target;
}

void ExpectSamePath(const std::wstring& a, const std::wstring& b) {
    EXPECT_EQ(CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE), CSTR_EQUAL) << a;
}

// A finished install in folder: the files the zip has, the shortcuts, the Apps entry with the
// version of the setup program's name, and the Firefox helper registered there.
void ExpectInstalled(const std::wstring& folder) {
    for (const auto& file : fs::directory_iterator(SetupProgram().parent_path() / L"files")) {
        EXPECT_TRUE(fs::exists(fs::path(folder) / file.path().filename())) << file.path();
    }
    ExpectSamePath(ShortcutTarget(L"ヨミトキ.lnk"), folder + L"\\ymt.exe");
    ExpectSamePath(ShortcutTarget(L"ヨミトキ ヘルプ.lnk"), folder + L"\\ymt.chm");
    const std::wstring name = SetupProgram().filename().wstring();
    EXPECT_EQ(Text(kUninstallKey, L"DisplayVersion"), name.substr(9, name.size() - 19));
    EXPECT_EQ(Text(kUninstallKey, L"InstallLocation"), folder);
    // In KiB: at least the program itself, and no more than a few MiB.
    const DWORD size = Number(kUninstallKey, L"EstimatedSize");
    EXPECT_GE(size, fs::file_size(folder + L"\\ymt.exe") / 1024);
    EXPECT_LE(size, 64u * 1024);
    EXPECT_EQ(Text(L"Software\\Mozilla\\NativeMessagingHosts\\ymthelp", L""),
              folder + L"\\ymthelp.json");
}

// Removes it as an administrator's script does, by the Apps entry's quiet command, with the
// logon shortcut the program makes; nothing the setup program made is left.
void Uninstall(const std::wstring& folder, const std::wstring& options,
               const std::set<std::wstring>& before) {
    ASSERT_TRUE(
        CreateShortcut(KnownFolder(FOLDERID_Startup) + L"\\ヨミトキ.lnk", folder + L"\\ymt.exe"));
    ASSERT_EQ(RunAndWait(Text(kUninstallKey, L"QuietUninstallString") + options), 0);
    EXPECT_FALSE(fs::exists(folder));
    for (const std::wstring& name : Snapshot()) {
        EXPECT_TRUE(before.count(name)) << "left behind: " << name;
    }
}

// A user's records from an earlier version: a day of the log, and the voice off (quiet).
class Installer : public ::testing::Test {
  protected:
    void SetUp() override {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        WriteNumber(AsWide(SettingsKey), L"Voice", 0);
        WriteNumber(AsWide(LogKey), kLogDay, 4321);
    }
    void TearDown() override { CoUninitialize(); }
};

TEST_F(Installer, InstallsRefusesWhileRunningUpgradesInPlaceAndUninstallsKeepingTheRecords) {
    const std::set<std::wstring> before = Snapshot();
    const std::wstring folder = L"C:\\アプリ\\ヨミトキ";
    ASSERT_EQ(Install(L" /D=" + folder), 0);
    ExpectInstalled(folder);

    // While the program runs (started from its shortcut), a setup stops before it replaces
    // anything, and leaves it running. A changed file shows whether it was replaced.
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessW(ShortcutTarget(L"ヨミトキ.lnk").c_str(), nullptr, nullptr, nullptr,
                               FALSE, 0, nullptr, nullptr, &si, &pi));
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    ASSERT_TRUE(WaitUntil([] { return FindWindowW(L"ytm_tan_ee", nullptr) != nullptr; }, 30s));
    const std::wstring credits = folder + L"\\CREDITS.txt";
    WriteBytes(credits, "changed");
    EXPECT_EQ(Install(), 2);
    EXPECT_EQ(ReadBytes(credits), "changed") << "replaced while the program ran";
    EXPECT_EQ(WaitForSingleObject(process.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    TerminateProcess(process.get(), 0);
    WaitForSingleObject(process.get(), 20000);

    // Then an upgrade, with no folder given, replaces the files where they are.
    ASSERT_EQ(Install(), 0);
    EXPECT_NE(ReadBytes(credits), "changed") << "not replaced by the upgrade";
    ExpectInstalled(folder);

    Uninstall(folder, L"", before);
    EXPECT_EQ(Number(AsWide(LogKey), kLogDay), 4321u);
    RemoveDirectoryW(L"C:\\アプリ");
}

TEST_F(Installer, UninstallsTheRecordsTooWhenAsked) {
    std::set<std::wstring> before = Snapshot();
    std::erase_if(before,
                  [](const std::wstring& name) { return name.find(L"Torvenal") != name.npos; });
    const std::wstring folder = KnownFolder(FOLDERID_LocalAppData) + L"\\Programs\\ヨミトキ";
    ASSERT_EQ(Install(), 0);
    ExpectInstalled(folder);
    Uninstall(folder, L" /DELETERECORDS", before);
}

}  // namespace
