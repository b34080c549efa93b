// Reading in a real Firefox: Firefox ESR on this machine (headless, a Unix program) with the
// built extension in a fresh profile, ymthelp.exe as its native host in the test prefix, and
// ymt.exe in the same prefix counting what the host writes, until Firefox ends.
#include <windows.h>

#include <tlhelp32.h>

#include <cstdlib>

#include "common/handles_win.h"
#include "tests/e2e/desk_test.h"

namespace {

using namespace e2e;
using RealFirefox = Desk;

bool HostRunning() {
    UniqueHFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    bool found = false;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more && !found;
         more = Process32NextW(snapshot.get(), &entry)) {
        found = _wcsicmp(entry.szExeFile, L"ymthelp.exe") == 0;
    }
    return found;
}

TEST_F(RealFirefox, AnArticleIsCountedUntilFirefoxEnds) {
    const std::wstring run = Widen(std::getenv("YMT_FIREFOX_RUN"));
    auto desk = [&](const std::wstring& command, const std::wstring& more = L"") {
        return RunShell(L"'" + Widen(std::getenv("YMT_FIREFOX_DESK")) + L"' " + command + L" '" +
                        run + L"'" + more);
    };
    UiThread ui;
    Sibling sibling(ui);
    RunningProgram program({}, false);
    ASSERT_TRUE(program.Up());
    const std::wstring profile = AppDataFolder(L"Mozilla\\Firefox\\Profiles\\ymt-e2e.firefox");
    desk(L"start", L" '" + UnixPath(profile) + L"' '" + UnixPath(TestsFolder() + L"\\ymthelp.xpi") +
                       L"' '" + UnixPath(TestsFolder() + L"\\ymthelp.exe") +
                       L"' 'https://ja.wikipedia.org/wiki/%E7%8C%AB'");
    ASSERT_TRUE(WaitUntil([&] { return sibling.Seconds(u"連続[") >= 4; }, 90s))
        << "see build/windows/firefox-e2e/firefox.log";

    // Firefox ends: its host ends with it, and the stretch ends.
    desk(L"quit");
    EXPECT_TRUE(WaitUntil([] { return !HostRunning(); }, 30s)) << "ymthelp.exe still runs";
    EXPECT_TRUE(WaitUntil([&] { return sibling.Last().empty(); }, 15s)) << "still counted";
    ASSERT_EQ(program.LogOffAndWait(), "");
    EXPECT_GE(ReadNumber(L"Log", L"20261206").value_or(0), 4u);
}

}  // namespace
