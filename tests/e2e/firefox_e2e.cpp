// Reading in a real Firefox: Firefox ESR on this machine (headless, a Unix program) with the built
// extension in a fresh profile, ymthelp.exe as its native host in the test prefix, and ymt.exe in
// the same prefix counting what the host writes, until Firefox ends.
#include <windows.h>

#include <shlobj.h>

#include <cstdlib>

#include "tests/e2e/desk_test.h"

namespace {

using namespace e2e;
using RealFirefox = Desk;

// The Unix path of a Windows path (Wine's own mapping).
std::wstring UnixPath(const std::wstring& windowsPath) {
    using ToUnix = char*(CDECL*)(const wchar_t*);
    static const auto toUnix = reinterpret_cast<ToUnix>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* unix = toUnix(windowsPath.c_str());
    const std::wstring result = unix != nullptr ? Widen(unix) : std::wstring();
    HeapFree(GetProcessHeap(), 0, unix);
    return result;
}

TEST_F(RealFirefox, AnArticleIsCountedUntilFirefoxEnds) {
    const std::wstring run = Widen(std::getenv("YMT_FIREFOX_RUN"));
    auto desk = [&](const std::wstring& command, const std::wstring& more = L"") {
        return RunShell(L"'" + Widen(std::getenv("YMT_FIREFOX_DESK")) + L"' " + command + L" '" +
                        run + L"'" + more);
    };
    UiThread ui;
    Recorder sibling(ui, L"kasoruzoe");
    Program program;
    ASSERT_TRUE(program.Up(false));
    wchar_t appData[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData);
    const std::wstring profile =
        std::wstring(appData) + L"\\Mozilla\\Firefox\\Profiles\\ymt-e2e.firefox";
    SHCreateDirectoryExW(nullptr, profile.c_str(), nullptr);
    desk(L"start", L" '" + UnixPath(profile) + L"' '" + UnixPath(TestsFolder() + L"\\ymthelp.xpi") +
                       L"' '" + UnixPath(TestsFolder() + L"\\ymthelp.exe") +
                       L"' 'https://ja.wikipedia.org/wiki/%E7%8C%AB'");
    ASSERT_TRUE(WaitUntil([&] { return sibling.Seconds(u"連続[") >= 4; }, 90s))
        << "see build/windows/firefox-e2e/firefox.log";

    // Firefox ends: its host ends with it, and the stretch ends.
    desk(L"quit");
    EXPECT_TRUE(WaitUntil([] { return RunShell(L"pgrep -if 'ymthelp[.]exe'") == ""; }, 30s))
        << "ymthelp.exe still runs";
    EXPECT_TRUE(WaitUntil([&] { return sibling.Texts().back().empty(); }, 15s)) << "still counted";
    ASSERT_EQ(program.LogOff(), "");
    EXPECT_GE(ReadNumber(L"Log", L"20261206").value_or(0), 4u);
}

}  // namespace
