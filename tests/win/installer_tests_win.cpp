// The setup program as users and administrators use it, in a Wine prefix of its own: a silent
// install, the program started from where it was installed, a setup refused while it runs, an
// upgrade that keeps the records, and the two kinds of removal. The setup program's path
// comes in YMT_SETUP_EXE (a Unix path); the whole run is under libfaketime.
#include <windows.h>

#include <gtest/gtest.h>
#include <shlobj.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/shortcut_win.h"
#include "app/version_text.h"
#include "common/handles_win.h"
#include "common/text_win.h"
#include "records/settings.h"
#include "tests/win/temp_folder_win.h"

namespace {

using namespace std::chrono_literals;

constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Yomitoki";
constexpr wchar_t kRecordsKey[] = L"Software\\Torvenal\\Yomitoki";
constexpr wchar_t kHelperKey[] = L"Software\\Mozilla\\NativeMessagingHosts\\ymthelp";
constexpr wchar_t kMainClass[] = L"ytm_tan_ee";
// A day in the log that the program never writes during the test (it runs in December).
constexpr wchar_t kLogDay[] = L"20260101";
constexpr DWORD kLogSeconds = 4321;

const wchar_t* const kInstalledFiles[] = {L"ymt.exe",        L"ymthinata.dll",
                                          L"ymttsubaki.dll", L"ymtsazanka.dll",
                                          L"ymtvoice.dll",   L"ymt.chm",
                                          L"ymthelp.exe",    L"ymthelp.xpi",
                                          L"ymthelp.json",   L"はじめにお読みください.txt",
                                          L"LICENSE.txt",    L"CREDITS.txt",
                                          L"uninstall.exe",  L"Firefoxヘルパーの使い方.txt"};

bool WaitUntil(const std::function<bool()>& ready, std::chrono::milliseconds timeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!ready()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        Sleep(50);
    }
    return true;
}

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::wstring result;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path))) {
        result = path;
    }
    CoTaskMemFree(path);
    return result;
}

std::wstring SetupProgram() {
    const char* unix = std::getenv("YMT_SETUP_EXE");
    std::wstring path = L"Z:";
    for (const char* p = unix ? unix : ""; *p != '\0'; ++p) {
        path += *p == '/' ? L'\\' : static_cast<wchar_t>(*p);  // an ASCII build path
    }
    return path;
}

bool Exists(const std::wstring& path) {
    return std::filesystem::exists(path);
}

// Where programs installed for one user go.
std::wstring UserPrograms() {
    return KnownFolder(FOLDERID_LocalAppData) + L"\\Programs";
}

// Runs a program and waits until it and every process it started have ended (an uninstaller
// hands its work to a copy of itself in the temporary folder and ends at once). Answers the
// program's own exit code, or nothing when it could not start or did not end in time.
std::optional<DWORD> RunAndWait(const std::wstring& program, const std::wstring& arguments) {
    UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
    std::wstring command = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!job || !CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE,
                                CREATE_SUSPENDED, nullptr, nullptr, &si, &pi)) {
        return std::nullopt;
    }
    UniqueHandle process(pi.hProcess), thread(pi.hThread);
    AssignProcessToJobObject(job.get(), process.get());
    ResumeThread(thread.get());
    const bool ended = WaitUntil(
        [&] {
            JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
            return QueryInformationJobObject(job.get(), JobObjectBasicAccountingInformation, &info,
                                             sizeof info, nullptr) &&
                   info.ActiveProcesses == 0;
        },
        90s);
    DWORD code = 0;
    if (!ended || !GetExitCodeProcess(process.get(), &code)) {
        TerminateJobObject(job.get(), 1);
        return std::nullopt;
    }
    return code;
}

bool KeyExists(const std::wstring& path) {
    UniqueHKey key;
    return RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

std::optional<std::wstring> ReadText(const std::wstring& path, const wchar_t* name) {
    wchar_t text[1024] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    return RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_SZ, nullptr, text,
                        &size) == ERROR_SUCCESS
               ? std::optional<std::wstring>(text)
               : std::nullopt;
}

std::optional<DWORD> ReadNumber(const std::wstring& path, const wchar_t* name) {
    DWORD value = 0;
    DWORD size = sizeof value;
    return RegGetValueW(HKEY_CURRENT_USER, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value,
                        &size) == ERROR_SUCCESS
               ? std::optional<DWORD>(value)
               : std::nullopt;
}

void WriteNumber(const std::wstring& path, const wchar_t* name, DWORD value) {
    UniqueHKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, key.put(), nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key.get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                   sizeof value);
}

// A user's records from an earlier version: a setting changed from its default (the voice
// off, which also keeps the test quiet) and a day of the log.
void WriteRecords() {
    WriteNumber(AsWide(SettingsKey), L"Voice", 0);
    WriteNumber(AsWide(LogKey), kLogDay, kLogSeconds);
}

void ExpectRecordsKept() {
    EXPECT_EQ(ReadNumber(AsWide(SettingsKey), L"Voice"), 0u);
    EXPECT_EQ(ReadNumber(AsWide(LogKey), kLogDay), kLogSeconds);
}

// Every key name under HKCU\Software and every file under the folders the setup program
// writes into: what it leaves behind shows as a difference. (Wine keeps state of its own
// under Software\Wine while programs run.)
std::set<std::wstring> Snapshot() {
    std::set<std::wstring> names;
    std::function<void(HKEY, const std::wstring&)> keys = [&](HKEY parent,
                                                              const std::wstring& path) {
        if (path == L"Software\\Wine") {
            return;
        }
        names.insert(L"HKCU\\" + path);
        UniqueHKey key;
        if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
            return;
        }
        wchar_t name[256];
        for (DWORD i = 0;; ++i) {
            DWORD length = 256;
            if (RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS) {
                break;
            }
            keys(parent, path + L"\\" + name);
        }
    };
    keys(HKEY_CURRENT_USER, L"Software");
    for (const std::wstring& folder : {UserPrograms(), KnownFolder(FOLDERID_StartMenu)}) {
        std::error_code missing;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, missing)) {
            names.insert(entry.path().wstring());
        }
    }
    return names;
}

// The target of a shortcut, read from its item list as the shell resolves it. (Wine's
// GetPath answers the link's ANSI path, which cannot hold the Japanese folder name under a
// non-Japanese code page; Windows also keeps that path in Unicode.)
std::wstring ShortcutTarget(const std::wstring& link) {
    IShellLinkW* shell = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&shell)))) {
        return {};
    }
    wchar_t target[MAX_PATH] = {};
    IPersistFile* file = nullptr;
    if (SUCCEEDED(shell->QueryInterface(IID_PPV_ARGS(&file)))) {
        PIDLIST_ABSOLUTE items = nullptr;
        if (SUCCEEDED(file->Load(link.c_str(), STGM_READ)) && SUCCEEDED(shell->GetIDList(&items))) {
            SHGetPathFromIDListW(items, target);
        }
        CoTaskMemFree(items);
        file->Release();
    }
    shell->Release();
    return target;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

// A text of a file's version record, in the record's first language block.
std::wstring VersionString(const std::wstring& file, const wchar_t* name) {
    DWORD ignored = 0;
    std::vector<BYTE> record(GetFileVersionInfoSizeW(file.c_str(), &ignored) + 2);
    WORD* translation = nullptr;
    wchar_t* text = nullptr;
    UINT length = 0;
    if (!GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(record.size()), record.data()) ||
        !VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation",
                        reinterpret_cast<void**>(&translation), &length) ||
        length < 4) {
        return {};
    }
    wchar_t path[64];
    swprintf(path, 64, L"\\StringFileInfo\\%04x%04x\\%ls", translation[0], translation[1], name);
    if (!VerQueryValueW(record.data(), path, reinterpret_cast<void**>(&text), &length)) {
        return {};
    }
    return std::wstring(text, wcsnlen(text, length));
}

// The version as the program's version box shows it, from the program file's record.
std::wstring VersionBoxVersion(const std::wstring& program) {
    const std::u16string box = FormatVersionText(
        u"", ParseFileVersion(AsU16(VersionString(program, L"FileVersion"))), u"", u"");
    const std::size_t start = box.find(u"version ") + 8;
    return std::wstring(AsWide(std::u16string_view(box).substr(start, box.find(u'\r') - start)));
}

// Everything a finished install holds, for a program folder.
void ExpectInstalled(const std::wstring& folder) {
    for (const wchar_t* name : kInstalledFiles) {
        EXPECT_TRUE(Exists(folder + L"\\" + name)) << name;
    }
    const std::wstring programs = KnownFolder(FOLDERID_Programs);
    EXPECT_TRUE(SamePath(ShortcutTarget(programs + L"\\ヨミトキ.lnk"), folder + L"\\ymt.exe"));
    EXPECT_TRUE(
        SamePath(ShortcutTarget(programs + L"\\ヨミトキ ヘルプ.lnk"), folder + L"\\ymt.chm"));

    const std::wstring version = VersionBoxVersion(folder + L"\\ymt.exe");
    EXPECT_EQ(ReadText(kUninstallKey, L"DisplayName"), L"ヨミトキ");
    EXPECT_EQ(ReadText(kUninstallKey, L"DisplayVersion"), version);
    // The setup program and the uninstaller carry the same version record.
    for (const std::wstring& file : {SetupProgram(), folder + L"\\uninstall.exe"}) {
        EXPECT_EQ(VersionString(file, L"ProductName"), L"ヨミトキ");
        EXPECT_EQ(VersionString(file, L"ProductVersion"), version);
    }
    EXPECT_EQ(ReadText(kUninstallKey, L"Publisher"), L"Torvenal");
    EXPECT_EQ(ReadText(kUninstallKey, L"DisplayIcon"), folder + L"\\ymt.exe,0");
    EXPECT_EQ(ReadText(kUninstallKey, L"InstallLocation"), folder);
    EXPECT_EQ(ReadText(kUninstallKey, L"UninstallString"), L"\"" + folder + L"\\uninstall.exe\"");
    EXPECT_EQ(ReadText(kUninstallKey, L"QuietUninstallString"),
              L"\"" + folder + L"\\uninstall.exe\" /S");
    // In KiB: at least the program's own files, and not wildly more.
    uint64_t bytes = 0;
    for (const wchar_t* name : kInstalledFiles) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        GetFileAttributesExW((folder + L"\\" + name).c_str(), GetFileExInfoStandard, &data);
        bytes += data.nFileSizeLow;
    }
    const DWORD size = ReadNumber(kUninstallKey, L"EstimatedSize").value_or(0);
    EXPECT_GE(size, bytes / 1024 - 1);
    EXPECT_LE(size, bytes / 1024 + 64);

    // The Firefox helper, registered for this folder.
    EXPECT_EQ(ReadText(kHelperKey, L""), folder + L"\\ymthelp.json");
    std::wstring escaped;
    for (wchar_t c : folder + L"\\ymthelp.exe") {
        escaped += c == L'\\' ? std::wstring(L"\\\\") : std::wstring(1, c);
    }
    const std::u8string path = std::filesystem::path(escaped).u8string();
    EXPECT_NE(ReadBytes(folder + L"\\ymthelp.json")
                  .value_or("")
                  .find("\"path\": \"" + std::string(path.begin(), path.end()) + "\""),
              std::string::npos);
}

// Runs the uninstaller as an administrator's script does and expects everything the setup
// program made to be gone, the user's records aside.
void Uninstall(const std::wstring& folder, const std::wstring& options,
               const std::set<std::wstring>& before) {
    const std::wstring logon = KnownFolder(FOLDERID_Startup) + L"\\ヨミトキ.lnk";
    // The logon shortcut as the program makes it.
    ASSERT_TRUE(CreateShortcut(logon, folder + L"\\ymt.exe"));
    ASSERT_EQ(RunAndWait(folder + L"\\uninstall.exe", L"/S" + options), 0u);
    EXPECT_FALSE(Exists(folder));
    EXPECT_FALSE(Exists(logon));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_FALSE(KeyExists(kHelperKey));
    const std::set<std::wstring> after = Snapshot();
    for (const std::wstring& name : after) {
        EXPECT_TRUE(before.count(name)) << "left behind: " << name;
    }
}

struct RunningProgram {
    DWORD processId = 0;
    HWND window = nullptr;

    RunningProgram() {
        // What the Start-menu shortcut starts, from another working folder.
        std::wstring program = ShortcutTarget(KnownFolder(FOLDERID_Programs) + L"\\ヨミトキ.lnk");
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(program.c_str(), program.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &si, &pi)) {
            return;
        }
        UniqueHandle process(pi.hProcess), thread(pi.hThread);
        WaitUntil([&] { return (window = FindWindowW(kMainClass, nullptr)) != nullptr; }, 30s);
        GetWindowThreadProcessId(window, &processId);
    }
    bool Running() const {
        UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
        return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT &&
               FindWindowW(kMainClass, nullptr) == window;
    }
    // Ends it as a log-off does: it saves its records and ends at once.
    bool End() {
        UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
        return process && WaitForSingleObject(process.get(), 20000) == WAIT_OBJECT_0;
    }
};

class Installer : public ::testing::Test {
  protected:
    void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    void TearDown() override { CoUninitialize(); }
    const std::wstring setup = SetupProgram();
};

TEST_F(Installer, InstallsRunsUpgradesAndUninstallsKeepingTheRecords) {
    ASSERT_TRUE(Exists(setup)) << "YMT_SETUP_EXE";
    ASSERT_FALSE(KeyExists(L"Software\\Mozilla"));  // the helper's key is all there will be
    WriteRecords();
    const std::set<std::wstring> before = Snapshot();
    const std::wstring folder = UserPrograms() + L"\\ヨミトキ";

    ASSERT_EQ(RunAndWait(setup, L"/S"), 0u);
    ExpectInstalled(folder);

    // A setup while the program runs stops before it replaces anything, and leaves the
    // program running. A changed file shows whether it was replaced.
    RunningProgram program;
    ASSERT_NE(program.window, nullptr) << "the installed program's main window";
    const std::wstring credits = folder + L"\\CREDITS.txt";
    WriteBytes(credits, "changed");
    EXPECT_EQ(RunAndWait(setup, L"/S"), 2u);
    EXPECT_EQ(ReadBytes(credits), "changed") << "replaced while the program ran";
    EXPECT_TRUE(program.Running());

    // Once it has ended, the upgrade replaces the files and keeps the records.
    ASSERT_TRUE(program.End());
    ASSERT_EQ(RunAndWait(setup, L"/S"), 0u);
    EXPECT_NE(ReadBytes(credits), "changed") << "not replaced by the upgrade";
    ExpectInstalled(folder);
    ExpectRecordsKept();

    Uninstall(folder, L"", before);
    ExpectRecordsKept();
}

TEST_F(Installer, UninstallsTheRecordsTooWhenAsked) {
    WriteRecords();
    std::set<std::wstring> before = Snapshot();
    const std::wstring folder = L"C:\\アプリ\\ヨミトキ";

    ASSERT_EQ(RunAndWait(setup, L"/S /D=" + folder), 0u);
    ExpectInstalled(folder);

    // The records are among what must go.
    std::erase_if(before, [](const std::wstring& name) {
        return name.starts_with(L"HKCU\\Software\\Torvenal");
    });
    Uninstall(folder, L" /DELETERECORDS", before);
    EXPECT_FALSE(KeyExists(L"Software\\Torvenal"));
    RemoveDirectoryW(L"C:\\アプリ");
}

}  // namespace
