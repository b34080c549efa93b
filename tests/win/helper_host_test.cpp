// The Firefox helper's native host against the real file system, registry and processes.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "common/handles_win.h"
#include "common/message_box_win.h"
#include "common/text_win.h"
#include "helper/host/atomic_file_win.h"
#include "helper/host/helper_file.h"
#include "helper/host/host_manifest.h"
#include "helper/host/host_ports_win.h"
#include "helper/host/profile_locator_win.h"
#include "helper/host/registration_win.h"
#include "tests/win/scratch_registry_win.h"

namespace {

constexpr char kId[] = "0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d";
constexpr char16_t kIdU[] = u"0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d";

void RemoveTree(const std::wstring& path) {
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..") {
                continue;
            }
            const std::wstring child = path + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryW(path.c_str());
}

// A fresh folder under the temporary folder, removed with everything in it.
class TempDir {
  public:
    explicit TempDir(const wchar_t* name) {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        static int counter = 0;
        m_path = std::wstring(temp) + L"ymthelp-" + name + L"-" +
                 std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
        RemoveTree(m_path);
        CreateDirectoryW(m_path.c_str(), nullptr);
    }
    ~TempDir() { RemoveTree(m_path); }
    const std::wstring& path() const { return m_path; }
    std::u16string u16() const { return std::u16string(AsU16(m_path)); }

  private:
    std::wstring m_path;
};

void MakeDirs(const std::wstring& path) {
    for (std::size_t at = path.find(L'\\', 3); at != std::wstring::npos;
         at = path.find(L'\\', at + 1)) {
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    }
    CreateDirectoryW(path.c_str(), nullptr);
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    UniqueHFile file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    DWORD written = 0;
    WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
    return ReadSmallFile(AsU16(path), 1 << 20);
}

std::vector<std::wstring> Names(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = entry.cFileName;
            if (name != L"." && name != L"..") {
                names.push_back(name);
            }
        } while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    return names;
}

std::string PrefsMapping(const char* identity) {
    return std::string(
               "user_pref(\"extensions.webextensions.uuids\", \"{\\\"ymthelp@yomitoki\\\":\\\"") +
           identity + "\\\"}\");\n";
}

// A profile root with folders; each folder's prefs map the given identity (or nothing).
struct ProfileRoot {
    TempDir dir{L"profiles"};
    std::wstring root() const { return dir.path() + L"\\"; }
    std::wstring Add(const wchar_t* name, const char* identity) {
        const std::wstring folder = dir.path() + L"\\" + name;
        MakeDirs(folder);
        WriteBytes(folder + L"\\prefs.js", std::string("user_pref(\"a\", 1);\n") +
                                               (identity ? PrefsMapping(identity) : ""));
        return folder;
    }
};

// Holds a profile's lock the way a running Firefox does: open, no sharing.
UniqueHFile HoldLock(const std::wstring& folder) {
    return UniqueHFile(CreateFileW((folder + L"\\parent.lock").c_str(),
                                   GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                   FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}

std::string Le32(std::uint32_t n) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<char>((n >> (8 * i)) & 0xFF);
    }
    return out;
}
std::string PageFrame(const std::string& url) {
    const std::string body = std::string("{\"id\":\"") + kId + "\",\"url\":\"" + url + "\"}";
    return Le32(static_cast<std::uint32_t>(body.size())) + body;
}

ReadBytesFn ReaderOf(std::string data) {
    auto pos = std::make_shared<std::size_t>(0);
    return [data = std::move(data), pos](std::span<std::uint8_t> buffer) -> std::size_t {
        const std::size_t n = std::min(buffer.size(), data.size() - *pos);
        std::memcpy(buffer.data(), data.data() + *pos, n);
        *pos += n;
        return n;
    };
}

// ---------------------------------------------------------------------------------------

TEST(HelperAtomicWrite, ReplacesTheWholeFileAndLeavesNoTemporaryFile) {
    TempDir dir(L"atomic");
    ASSERT_TRUE(ReplaceFileContent(dir.u16(), u"f.txt", "first, longer content"));
    ASSERT_TRUE(ReplaceFileContent(dir.u16(), u"f.txt", "second"));
    EXPECT_EQ(ReadBytes(dir.path() + L"\\f.txt"), "second");
    EXPECT_EQ(Names(dir.path()), std::vector<std::wstring>{L"f.txt"});
    EXPECT_FALSE(ReplaceFileContent(dir.u16() + u"\\missing", u"f.txt", "x"));
}

TEST(HelperAtomicWrite, AReaderThatLetsGoSoonDelaysTheReplaceButDoesNotStopIt) {
    TempDir dir(L"atomic-reader");
    const std::wstring path = dir.path() + L"\\f.txt";
    ASSERT_TRUE(ReplaceFileContent(dir.u16(), u"f.txt", "old"));
    // Opened as the program opens it: read and write sharing, no delete sharing.
    UniqueHFile reader(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(reader);
    // Let go well inside the retry window, leaving a loaded machine room to be late.
    std::thread release([&] {
        Sleep(5);
        reader.reset();
    });
    const bool replaced = ReplaceFileContent(dir.u16(), u"f.txt", "new");
    release.join();
    EXPECT_TRUE(replaced);
    EXPECT_EQ(ReadBytes(path), "new");
    EXPECT_EQ(Names(dir.path()).size(), 1u);
}

TEST(HelperAtomicWrite, AReaderThatHoldsOnSeesTheOldFileWholeOrTheNewOneWhole) {
    TempDir dir(L"atomic-hold");
    const std::wstring path = dir.path() + L"\\f.txt";
    const std::string old_content(3000, 'o');
    ASSERT_TRUE(ReplaceFileContent(dir.u16(), u"f.txt", old_content));
    UniqueHFile reader(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(reader);
    const bool replaced = ReplaceFileContent(dir.u16(), u"f.txt", "new");
    // Windows refuses to rename over a file open without delete sharing; Wine may allow
    // it. Either way the open handle still reads the old content whole, the path shows one
    // whole version, and no temporary file is left behind.
    std::string seen(4000, '\0');
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(reader.get(), seen.data(), 4000, &got, nullptr));
    seen.resize(got);
    EXPECT_EQ(seen, old_content);
    reader.reset();
    EXPECT_EQ(ReadBytes(path), replaced ? std::string("new") : old_content);
    EXPECT_EQ(Names(dir.path()).size(), 1u);
}

// ---------------------------------------------------------------------------------------

TEST(HelperProfileLocator, FindsTheOneFolderWhosePrefsMapTheIdentity) {
    ProfileRoot root;
    root.Add(L"aaaa.default", "11111111-2222-3333-4444-555555555555");
    const std::wstring ours = root.Add(L"bbbb.default-release", kId);
    root.Add(L"cccc.empty", nullptr);
    WriteBytes(root.dir.path() + L"\\prefs.js", PrefsMapping(kId));  // not in a folder
    EXPECT_EQ(FindProfileFolder(AsU16(root.root()), kIdU), std::u16string(AsU16(ours)));
    // Also without the trailing backslash.
    EXPECT_EQ(FindProfileFolder(root.dir.u16(), kIdU), std::u16string(AsU16(ours)));
}

TEST(HelperProfileLocator, FindsNothingWhenItCannotBeSure) {
    ProfileRoot root;
    root.Add(L"other", "11111111-2222-3333-4444-555555555555");
    EXPECT_EQ(FindProfileFolder(AsU16(root.root()), kIdU), std::nullopt);
    EXPECT_EQ(FindProfileFolder(AsU16(root.root()), u"not-an-identity"), std::nullopt);
    EXPECT_EQ(FindProfileFolder(u"", kIdU), std::nullopt);
    EXPECT_EQ(FindProfileFolder(root.dir.u16() + u"\\missing\\", kIdU), std::nullopt);
    // Two copies of our profile, neither running.
    const std::wstring a = root.Add(L"copy1", kId);
    const std::wstring b = root.Add(L"copy2", kId);
    EXPECT_EQ(FindProfileFolder(AsU16(root.root()), kIdU), std::nullopt);
    // One of them runs: that one.
    {
        UniqueHFile lock = HoldLock(b);
        ASSERT_TRUE(lock);
        EXPECT_TRUE(IsProfileRunning(AsU16(b)));
        EXPECT_FALSE(IsProfileRunning(AsU16(a)));
        EXPECT_EQ(FindProfileFolder(AsU16(root.root()), kIdU), std::u16string(AsU16(b)));
        // Both run: no telling.
        UniqueHFile lock2 = HoldLock(a);
        EXPECT_EQ(FindProfileFolder(AsU16(root.root()), kIdU), std::nullopt);
    }
}

TEST(HelperProfileLocator, TheRootComesFromAppData) {
    wchar_t saved[MAX_PATH * 2];
    const DWORD had = GetEnvironmentVariableW(L"APPDATA", saved, MAX_PATH * 2);
    SetEnvironmentVariableW(L"APPDATA", L"C:\\Users\\u\\AppData\\Roaming");
    EXPECT_EQ(FirefoxProfilesRoot(),
              u"C:\\Users\\u\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\");
    SetEnvironmentVariableW(L"APPDATA", L"C:\\Roaming\\");
    EXPECT_EQ(FirefoxProfilesRoot(), u"C:\\Roaming\\Mozilla\\Firefox\\Profiles\\");
    SetEnvironmentVariableW(L"APPDATA", L"relative\\path");
    EXPECT_EQ(FirefoxProfilesRoot(), u"");
    SetEnvironmentVariableW(L"APPDATA", nullptr);
    EXPECT_EQ(FirefoxProfilesRoot(), u"");
    SetEnvironmentVariableW(L"APPDATA", had > 0 ? saved : nullptr);
}

// ---------------------------------------------------------------------------------------

TEST(HelperHostPorts, FramesInAddressFileOutInTheRightProfileOnly) {
    ProfileRoot root;
    const std::wstring ours = root.Add(L"ours.default", kId);
    const std::wstring other = root.Add(L"other.default", "11111111-2222-3333-4444-555555555555");
    HostSession session;
    const std::string input = PageFrame("https://ja.wikipedia.org/wiki/%E6%97%A5") + Le32(5) +
                              "{bad}" +  // skipped
                              PageFrame("https://ja.wikipedia.org/wiki/B");
    // Stop before the end of input clears the address: feed the frames one at a time.
    const HostPorts ports = MakeHostPorts(std::u16string(AsU16(root.root())));
    const ReadBytesFn read = ReaderOf(input);
    const std::wstring file = ours + L"\\ymthelp_urltext.txt";
    std::vector<std::string> seen;
    for (int i = 0; i < 3; ++i) {
        const Frame frame = ReadFrame(read);
        ASSERT_EQ(frame.status, FrameStatus::Frame);
        HandleFrameBody(session, ports, frame.body);
        seen.push_back(ReadBytes(file).value_or(""));
    }
    EXPECT_EQ(seen[0],
              BuildHelperFileContent(kMarkerCycle[0], u"https://ja.wikipedia.org/wiki/%E6%97%A5"));
    EXPECT_EQ(seen[1], seen[0]);
    EXPECT_EQ(seen[2], BuildHelperFileContent(kMarkerCycle[1], u"https://ja.wikipedia.org/wiki/B"));
    HandleInputEnd(session, ports);
    EXPECT_EQ(ReadBytes(file), BuildHelperFileContent(kMarkerCycle[2], u""));
    // Nothing else was written anywhere.
    EXPECT_EQ(Names(ours).size(), 2u);
    EXPECT_EQ(Names(other), std::vector<std::wstring>{L"prefs.js"});
    EXPECT_EQ(Names(root.dir.path()).size(), 2u);
}

TEST(HelperHostPorts, ANewRunContinuesTheMarkerOfTheFileItFinds) {
    ProfileRoot root;
    const std::wstring ours = root.Add(L"ours", kId);
    WriteBytes(ours + L"\\ymthelp_urltext.txt", BuildHelperFileContent(kMarkerCycle[6], u"x"));
    HostSession session;
    RunHost(session, MakeHostPorts(std::u16string(AsU16(root.root()))), ReaderOf(PageFrame("a")));
    EXPECT_EQ(session.writes, 2u);
    EXPECT_EQ(ReadBytes(ours + L"\\ymthelp_urltext.txt"),
              BuildHelperFileContent(kMarkerCycle[8], u""));
}

// ---------------------------------------------------------------------------------------

TEST(HelperRegistration, InstallWritesTheManifestAndTheKeyUninstallRemovesBoth) {
    ScratchCurrentUser scratch(L"helper-install");
    ASSERT_TRUE(scratch.ok());
    TempDir dir(L"install");
    const std::u16string exe = dir.u16() + u"\\ymthelp.exe";
    const std::u16string manifest = dir.u16() + u"\\ymthelp.json";
    EXPECT_EQ(HostManifestPath(exe), manifest);
    EXPECT_EQ(RegisteredManifestPath(), std::nullopt);

    ASSERT_TRUE(InstallHost(exe));
    EXPECT_EQ(ReadBytes(std::wstring(AsWide(manifest))), BuildHostManifest(exe));
    EXPECT_EQ(RegisteredManifestPath(), manifest);
    ASSERT_TRUE(InstallHost(exe));  // again: the same state
    EXPECT_EQ(RegisteredManifestPath(), manifest);

    ASSERT_TRUE(UninstallHost(exe));
    EXPECT_EQ(RegisteredManifestPath(), std::nullopt);
    EXPECT_EQ(ReadBytes(std::wstring(AsWide(manifest))), std::nullopt);
    EXPECT_TRUE(UninstallHost(exe));  // nothing left to remove is no failure
}

TEST(HelperRegistration, TheCommandsAskAndReport) {
    ScratchCurrentUser scratch(L"helper-commands");
    ASSERT_TRUE(scratch.ok());
    TempDir dir(L"commands");
    const std::u16string exe = dir.u16() + u"\\ymthelp.exe";
    std::vector<RecordedMessageBox> boxes;
    int answer = IDYES;
    SetMessageBoxHookForTesting([&](const RecordedMessageBox& box) {
        boxes.push_back(box);
        return (box.type & MB_YESNO) ? answer : IDOK;
    });
    // Not registered: the question offers to register; yes registers.
    EXPECT_EQ(RunRegistrationCommand(RegistrationCommand::Ask, exe, false), 0);
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].caption, L"ヨミトキ");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
    EXPECT_NE(boxes[0].text.find(L"登録しますか"), std::wstring::npos);
    EXPECT_EQ(boxes[1].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_TRUE(RegisteredManifestPath());
    // Registered: the question offers removal; no leaves it.
    boxes.clear();
    answer = IDNO;
    EXPECT_EQ(RunRegistrationCommand(RegistrationCommand::Ask, exe, false), 0);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find(L"解除しますか"), std::wstring::npos);
    EXPECT_TRUE(RegisteredManifestPath());
    // Quiet commands show nothing.
    boxes.clear();
    EXPECT_EQ(RunRegistrationCommand(RegistrationCommand::Uninstall, exe, true), 0);
    EXPECT_FALSE(RegisteredManifestPath());
    EXPECT_TRUE(boxes.empty());
    // A failure is reported with the error icon and exit code 1.
    EXPECT_EQ(RunRegistrationCommand(RegistrationCommand::Install,
                                     dir.u16() + u"\\missing\\ymthelp.exe", false),
              1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
    SetMessageBoxHookForTesting({});
}

// ---------------------------------------------------------------------------------------
// ymthelp.exe itself, started as Firefox starts it, with APPDATA pointing at a test root.

class HostProcess {
  public:
    HostProcess(const std::wstring& appdata) {
        wchar_t self[MAX_PATH];
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring exe = self;
        exe = exe.substr(0, exe.find_last_of(L'\\')) + L"\\ymthelp.exe";

        SECURITY_ATTRIBUTES inherit{sizeof(inherit), nullptr, TRUE};
        HANDLE read_end = nullptr;
        HANDLE write_end = nullptr;
        if (!CreatePipe(&read_end, &write_end, &inherit, 0)) {
            return;
        }
        UniqueHandle child_stdin(read_end);
        m_input.reset(write_end);
        SetHandleInformation(write_end, HANDLE_FLAG_INHERIT, 0);

        wchar_t saved[MAX_PATH * 2];
        const DWORD had = GetEnvironmentVariableW(L"APPDATA", saved, MAX_PATH * 2);
        SetEnvironmentVariableW(L"APPDATA", appdata.c_str());
        STARTUPINFOW si{};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = read_end;
        si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        std::wstring command =
            L"\"" + exe + L"\" \"" + exe.substr(0, exe.size() - 3) + L"json\" ymthelp@yomitoki";
        PROCESS_INFORMATION pi{};
        if (CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                           &si, &pi)) {
            m_process.reset(pi.hProcess);
            UniqueHandle thread(pi.hThread);
        }
        SetEnvironmentVariableW(L"APPDATA", had > 0 ? saved : nullptr);
    }
    ~HostProcess() {
        if (m_process) {
            TerminateProcess(m_process.get(), 99);
        }
    }
    bool started() const { return static_cast<bool>(m_process); }
    void Send(const std::string& bytes) {
        DWORD written = 0;
        WriteFile(m_input.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    void CloseInput() { m_input.reset(); }
    // The exit code, or -1 when it is still running after the wait.
    long WaitExit(DWORD ms) {
        if (WaitForSingleObject(m_process.get(), ms) != WAIT_OBJECT_0) {
            return -1;
        }
        DWORD code = 0;
        GetExitCodeProcess(m_process.get(), &code);
        m_process.reset();
        return static_cast<long>(code);
    }

  private:
    UniqueHandle m_process;
    UniqueHFile m_input;
};

// Waits until the file holds exactly want.
bool WaitForContent(const std::wstring& path, const std::string& want) {
    for (int i = 0; i < 200; ++i) {
        if (ReadBytes(path) == want) {
            return true;
        }
        Sleep(25);
    }
    return false;
}

TEST(HelperHostProgram, WritesWhatFirefoxSendsAndClearsItWhenFirefoxGoes) {
    TempDir appdata(L"appdata");
    const std::wstring profiles = appdata.path() + L"\\Mozilla\\Firefox\\Profiles";
    MakeDirs(profiles + L"\\ours.default");
    MakeDirs(profiles + L"\\theirs.default");
    WriteBytes(profiles + L"\\ours.default\\prefs.js", PrefsMapping(kId));
    const std::wstring file = profiles + L"\\ours.default\\ymthelp_urltext.txt";

    HostProcess host(appdata.path());
    ASSERT_TRUE(host.started()) << "ymthelp.exe is built next to the test program";
    host.Send(PageFrame("https://ja.wikipedia.org/wiki/A"));
    EXPECT_TRUE(WaitForContent(
        file, BuildHelperFileContent(kMarkerCycle[0], u"https://ja.wikipedia.org/wiki/A")));
    host.Send(PageFrame("https://ja.wikipedia.org/wiki/A"));
    EXPECT_TRUE(WaitForContent(
        file, BuildHelperFileContent(kMarkerCycle[1], u"https://ja.wikipedia.org/wiki/A")));
    host.CloseInput();
    EXPECT_EQ(host.WaitExit(10000), 0);
    EXPECT_EQ(ReadBytes(file), BuildHelperFileContent(kMarkerCycle[2], u""));
    EXPECT_TRUE(Names(profiles + L"\\theirs.default").empty());
}

TEST(HelperHostProgram, AnAbsurdLengthEndsItWithTheAddressCleared) {
    TempDir appdata(L"appdata-bad");
    const std::wstring ours = appdata.path() + L"\\Mozilla\\Firefox\\Profiles\\p";
    MakeDirs(ours);
    WriteBytes(ours + L"\\prefs.js", PrefsMapping(kId));
    HostProcess host(appdata.path());
    ASSERT_TRUE(host.started());
    host.Send(PageFrame("https://ja.wikipedia.org/wiki/A") + Le32(1u << 31) + "{}");
    EXPECT_EQ(host.WaitExit(10000), 0);
    EXPECT_EQ(ReadBytes(ours + L"\\ymthelp_urltext.txt"),
              BuildHelperFileContent(kMarkerCycle[1], u""));
}

}  // namespace
