// Reading Wikipedia in a browser, or in Firefox through its helper file, as the program
// counts it.
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>

#include "tests/e2e/desk_win.h"

namespace {

using namespace e2e;

const std::vector<std::wstring> kIeAddressBar = {L"ComboBoxEx32"};
const std::wstring kArticle = L"http://ja.wikipedia.org/wiki/%E7%8C%AB";

bool SiblingSaid(const Sibling& sibling, const std::u16string& part) {
    for (const auto& text : sibling.Texts()) {
        if (text.find(part) != std::u16string::npos)
            return true;
    }
    return false;
}

class Reading : public ::testing::Test {
  protected:
    void SetUp() override { DeleteProgramKey(); }
    void TearDown() override { DeleteProgramKey(); }
    UiThread ui;
    Sibling sibling{ui};
    Browsers browsers{ui};
};

TEST_F(Reading, ABrowserShowingAnArticleIsCountedAndRanked) {
    WriteNumber(L"", L"HistryEnabled", 1);
    TrayRecorder tray(ui);
    Program program;
    ASSERT_NE(program.WaitForMainWindow(), nullptr);
    ASSERT_TRUE(SkipGreeting(program));
    HWND bar = browsers.Open(L"IEFrame", kIeAddressBar, kArticle);
    ASSERT_TRUE(WaitUntil([&] { return SiblingSaid(sibling, u"連続[ 0:00:03]"); }, 15s));
    EXPECT_TRUE(SiblingSaid(sibling, u"YMT 本日[ 0:00:01] 連続[ 0:00:01]"));

    // The browser goes: the stretch ends five ticks later, and the notice is spoken.
    browsers.Close(GetAncestor(bar, GA_ROOT));
    ASSERT_TRUE(WaitUntil([&] { return sibling.Last().empty(); }, 10s));
    EXPECT_TRUE(WaitForShown(program, true, 3s)) << "the end-of-reading notice";
    const std::u16string before = sibling.Texts()[sibling.Texts().size() - 2];

    LogOff(program);
    ASSERT_TRUE(program.WaitForExit(10s));
    const auto ranked = ReadNumber(L"Rank", L"猫");
    ASSERT_TRUE(ranked.has_value());
    EXPECT_GE(*ranked, 3u);
    const auto today = ReadNumber(L"Log", L"20261206");
    ASSERT_TRUE(today.has_value());
    EXPECT_GE(*today, 3u);
    EXPECT_NE(before.find(u"連続"), std::u16string::npos);

    // The shell is given the tip each counted second, the icon only when it changes: the
    // viewing icon with the first count, the idle one at the end of the stretch.
    std::vector<TrayRecorder::Call> modified;
    for (const TrayRecorder::Call& call : tray.Calls()) {
        if (call.message == NIM_MODIFY) {
            modified.push_back(call);
        }
    }
    ASSERT_GE(modified.size(), 4u);
    EXPECT_EQ(modified.front().flags, static_cast<UINT>(NIF_ICON | NIF_TIP));
    EXPECT_EQ(modified.back().flags, static_cast<UINT>(NIF_ICON | NIF_TIP));
    EXPECT_NE(modified.back().tip.find(u"監視中"), std::u16string::npos);
    for (std::size_t i = 1; i + 1 < modified.size(); ++i) {
        EXPECT_EQ(modified[i].flags, static_cast<UINT>(NIF_TIP)) << i;
        EXPECT_NE(modified[i].tip, modified[i - 1].tip) << i;
    }
}

// Writes the helper file of a Firefox profile with a new marker every 300 ms, as the helper
// inside Firefox does while a page is shown.
class HelperFileWriter {
  public:
    HelperFileWriter(const std::wstring& folder, const std::wstring& address)
        : m_path(folder + L"\\ymthelp_urltext.txt"), m_address(address) {
        m_thread = std::thread([this] {
            for (int i = 0; !m_stop; ++i) {
                Write(i % 2 == 0 ? L'A' : L'B');
                Sleep(300);
            }
        });
    }
    ~HelperFileWriter() { Stop(); }
    void Stop() {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }

  private:
    void Write(wchar_t marker) {
        std::wstring content = std::wstring(1, L'\xFEFF') + marker + L'\t' + m_address;
        const std::wstring temp = m_path + L".tmp";
        HANDLE file =
            CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return;
        DWORD written = 0;
        WriteFile(file, content.data(), static_cast<DWORD>(content.size() * 2), &written, nullptr);
        CloseHandle(file);
        MoveFileExW(temp.c_str(), m_path.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    std::wstring m_path, m_address;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

TEST_F(Reading, AFirefoxHelperFileWithChangingMarkersIsCounted) {
    wchar_t appData[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData), S_OK);
    const std::wstring profile =
        std::wstring(appData) + L"\\Mozilla\\Firefox\\Profiles\\e2e.default";
    SHCreateDirectoryExW(nullptr, profile.c_str(), nullptr);
    Program program;
    ASSERT_NE(program.WaitForMainWindow(), nullptr);
    {
        HelperFileWriter writer(profile, L"https://ja.wikipedia.org/wiki/Firefox");
        EXPECT_TRUE(WaitUntil([&] { return SiblingSaid(sibling, u"連続[ 0:00:03]"); }, 15s));
        writer.Stop();
        // The marker stands still: the stretch ends.
        EXPECT_TRUE(WaitUntil([&] { return sibling.Last().empty(); }, 10s));
    }
    LogOff(program);
    program.WaitForExit(10s);
    DeleteFileW((profile + L"\\ymthelp_urltext.txt").c_str());
    RemoveDirectoryW(profile.c_str());
}

// The Firefox helper's native program as Firefox starts it: frames on its standard input.
class HelperHost {
  public:
    HelperHost() {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE readEnd = nullptr;
        if (!CreatePipe(&readEnd, &m_input, &inherit, 0))
            return;
        SetHandleInformation(m_input, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW si{};
        si.cb = sizeof si;
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = readEnd;
        si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        std::wstring command = L"ymthelp.exe ymthelp.json ymthelp@yomitoki";
        PROCESS_INFORMATION pi{};
        if (CreateProcessW(L"ymthelp.exe", command.data(), nullptr, nullptr, TRUE, 0, nullptr,
                           nullptr, &si, &pi)) {
            m_process = pi.hProcess;
            CloseHandle(pi.hThread);
        }
        CloseHandle(readEnd);
    }
    ~HelperHost() {
        Close();
        if (m_process != nullptr) {
            if (WaitForSingleObject(m_process, 5000) != WAIT_OBJECT_0)
                TerminateProcess(m_process, 1);
            CloseHandle(m_process);
        }
    }
    bool Started() const { return m_process != nullptr; }
    void Send(const std::string& json) {
        const uint32_t n = static_cast<uint32_t>(json.size());
        std::string frame(reinterpret_cast<const char*>(&n), 4);
        frame += json;
        DWORD written = 0;
        WriteFile(m_input, frame.data(), static_cast<DWORD>(frame.size()), &written, nullptr);
    }
    void Close() {
        if (m_input != nullptr)
            CloseHandle(m_input);
        m_input = nullptr;
    }

  private:
    HANDLE m_input = nullptr;
    HANDLE m_process = nullptr;
};

TEST_F(Reading, FirefoxThroughItsHelperProgramIsCounted) {
    const std::string id = "0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d";
    wchar_t appData[MAX_PATH] = {};
    ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData), S_OK);
    const std::wstring profile =
        std::wstring(appData) + L"\\Mozilla\\Firefox\\Profiles\\e2e-host.default";
    SHCreateDirectoryExW(nullptr, profile.c_str(), nullptr);
    {
        const std::string prefs =
            "user_pref(\"extensions.webextensions.uuids\", \"{\\\"ymthelp@yomitoki\\\":\\\"" + id +
            "\\\"}\");\n";
        HANDLE file = CreateFileW((profile + L"\\prefs.js").c_str(), GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        WriteFile(file, prefs.data(), static_cast<DWORD>(prefs.size()), &written, nullptr);
        CloseHandle(file);
    }
    Program program;
    ASSERT_NE(program.WaitForMainWindow(), nullptr);
    {
        HelperHost host;
        ASSERT_TRUE(host.Started());
        const std::string page =
            "{\"id\":\"" + id + "\",\"url\":\"https://ja.wikipedia.org/wiki/Firefox\"}";
        EXPECT_TRUE(WaitUntil(
            [&] {
                host.Send(page);  // twice a second, as the extension sends while a page shows
                Sleep(500);
                return SiblingSaid(sibling, u"連続[ 0:00:03]");
            },
            20s));
        host.Close();  // Firefox went: the helper clears the address
        EXPECT_TRUE(WaitUntil([&] { return sibling.Last().empty(); }, 10s));
    }
    LogOff(program);
    program.WaitForExit(10s);
    DeleteFileW((profile + L"\\ymthelp_urltext.txt").c_str());
    DeleteFileW((profile + L"\\prefs.js").c_str());
    RemoveDirectoryW(profile.c_str());
}

TEST_F(Reading, AProgramKilledWhileReadingLosesAtMostAMinute) {
    WriteNumber(L"Log", L"20261206", 55);
    Program program;
    ASSERT_NE(program.WaitForMainWindow(), nullptr);
    browsers.Open(L"IEFrame", kIeAddressBar, kArticle);
    ASSERT_TRUE(WaitUntil([&] { return SiblingSaid(sibling, u"本日[ 0:01:03]"); }, 20s));
    program.Kill();  // no save, no farewell
    // The total reached the log when it passed a whole minute.
    EXPECT_EQ(ReadNumber(L"Log", L"20261206"), 60u);
}

TEST_F(Reading, MidnightClosesTheDayAndTheChimeFollows) {
    WriteNumber(L"", L"NotifyHour", 1);
    WriteNumber(L"Log", L"20261206", 100);
    Launch launch;
    launch.fakeTime = "2026-12-06 23:59:52";
    Program program(launch);
    ASSERT_NE(program.WaitForMainWindow(), nullptr);
    ASSERT_TRUE(SkipGreeting(program));
    browsers.Open(L"IEFrame", kIeAddressBar, kArticle);
    // After midnight the day's total starts again while the stretch goes on.
    ASSERT_TRUE(WaitUntil([&] { return SiblingSaid(sibling, u"本日[ 0:00:01]"); }, 20s));
    EXPECT_TRUE(WaitForShown(program, true, 3s)) << "the chime";
    const auto oldDay = ReadNumber(L"Log", L"20261206");
    ASSERT_TRUE(oldDay.has_value());
    EXPECT_GT(*oldDay, 100u);
    EXPECT_LT(*oldDay, 115u);
    LogOff(program);
    ASSERT_TRUE(program.WaitForExit(10s));
    const auto newDay = ReadNumber(L"Log", L"20261207");
    ASSERT_TRUE(newDay.has_value());
    EXPECT_LT(*newDay, 15u);
}

}  // namespace
