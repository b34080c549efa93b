// A day with the program: it runs under libfaketime with the clock sped up (120 times: a
// day in 12 real minutes) while a browser shows an article on and off, switching between
// two articles, past midnight. The day's totals in the log must be what was read, and the
// program's memory, GDI objects and handles must stay flat after it has warmed up.
// YMT_SOAK_SECONDS sets the real length of the run (default 750 s).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "tests/bench/process_resources_win.h"
#include "tests/bench/unix_process_win.h"
#include "tests/e2e/desk_win.h"

namespace {

using namespace e2e;

const std::wstring kCat = L"http://ja.wikipedia.org/wiki/%E7%8C%AB";  // 猫
const std::wstring kDog = L"http://ja.wikipedia.org/wiki/%E7%8A%AC";  // 犬
const std::wstring kElsewhere = L"http://example.com/";

// The day's total in a status text ("… 本日[ 1:02:03] …"), or -1.
long TodayIn(const std::u16string& text) {
    const std::size_t at = text.find(u"本日[");
    if (at == std::u16string::npos) {
        return -1;
    }
    long h = 0, m = 0, s = 0;
    std::string ascii;
    for (std::size_t i = at + 3; i < text.size() && text[i] != u']'; ++i) {
        ascii.push_back(static_cast<char>(text[i] < 0x80 ? text[i] : '?'));
    }
    return std::sscanf(ascii.c_str(), "%ld:%ld:%ld", &h, &m, &s) == 3 ? h * 3600 + m * 60 + s : -1;
}

struct Phase {
    const std::wstring* address;
    int seconds;
    bool article;
};

struct Sample {
    int atSecond;
    uint64_t residentKiB;
    process_resources::Counts counts;
};

TEST(Soak, ADaySpedUpKeepsTheRightTotalsAndFlatResources) {
    int runSeconds = 750;
    if (const char* s = std::getenv("YMT_SOAK_SECONDS"); s != nullptr) {
        runSeconds = std::max(120, std::atoi(s));
    }
    DeleteProgramKey();
    WriteNumber(L"", L"HistryEnabled", 1);  // the ranking is kept
    UiThread ui;
    Recorder sibling(ui, L"kasoruzoe");
    HWND bar = OpenBrowser(ui, kElsewhere);

    Launch launch;
    launch.fakeTime = "2026-12-06 00:00:00 x120";  // midnight comes after 720 real seconds
    Program program(launch);
    ASSERT_TRUE(program.Up(false));
    DWORD processId = 0;
    GetWindowThreadProcessId(program.Main(), &processId);
    HANDLE process =
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE, FALSE, processId);
    ASSERT_NE(process, nullptr);
    const std::wstring& folder = program.Folder();
    const std::wstring leaf = folder.substr(folder.find_last_of(L'\\') + 1);
    const unsigned unixPid =
        bench::FindUnixProcess(std::string(leaf.begin(), leaf.end()), "ymt.exe");

    // Reading on and off: stretches of several lengths, a switch to another article
    // without a pause, and pauses longer than the five-second grace.
    const std::vector<Phase> pattern = {
        {&kCat, 40, true},        {&kElsewhere, 12, false}, {&kDog, 20, true},
        {&kCat, 15, true},        {&kElsewhere, 8, false},  {&kDog, 70, true},
        {&kElsewhere, 25, false},
    };
    long shownSeconds = 0;
    int stretches = 0;
    std::vector<Sample> samples;
    const auto start = std::chrono::steady_clock::now();
    auto elapsed = [&] {
        return static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(
                                    std::chrono::steady_clock::now() - start)
                                    .count());
    };
    int nextSample = 60;
    bool wasReading = false;
    for (std::size_t i = 0; elapsed() < runSeconds; ++i) {
        const Phase& phase = pattern[i % pattern.size()];
        Navigate(ui, bar, *phase.address);
        const auto phaseStart = std::chrono::steady_clock::now();
        stretches += phase.article && !wasReading ? 1 : 0;
        wasReading = phase.article;
        const int length = std::min(phase.seconds, runSeconds - elapsed());
        while (std::chrono::steady_clock::now() - phaseStart < std::chrono::seconds(length)) {
            if (elapsed() >= nextSample) {
                // Between speeches, so that a line on screen is not counted as a leak.
                program.Shown(false, 8s);
                samples.push_back(
                    {elapsed(), bench::ResidentKiB(unixPid), process_resources::Count(process)});
                nextSample += 60;
            }
            Sleep(200);
        }
        const double phaseSeconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - phaseStart).count();
        shownSeconds += phase.article ? static_cast<long>(phaseSeconds + 0.5) : 0;
    }
    Navigate(ui, bar, kElsewhere);
    Sleep(7000);  // the last stretch ends
    ASSERT_TRUE(program.Running()) << "the program ended during the day";
    ASSERT_EQ(program.LogOff(), "");
    CloseHandle(process);

    // The day's total as the program last told the sibling on each day: it drops at midnight.
    long firstDay = 0, secondDay = 0;
    bool crossed = false;
    long last = -1;
    for (const std::u16string& text : sibling.Texts()) {
        const long today = TodayIn(text);
        if (today < 0) {
            continue;
        }
        if (last >= 0 && today < last) {
            crossed = true;
        }
        (crossed ? secondDay : firstDay) = today;
        last = today;
    }
    const long logged6 = static_cast<long>(ReadNumber(L"Log", L"20261206").value_or(0));
    const long logged7 = static_cast<long>(ReadNumber(L"Log", L"20261207").value_or(0));
    const long cat = static_cast<long>(ReadNumber(L"Rank", L"猫").value_or(0));
    const long dog = static_cast<long>(ReadNumber(L"Rank", L"犬").value_or(0));
    std::printf("  %d s real (a fake day and more), article shown %ld s in %d stretches\n",
                runSeconds, shownSeconds, stretches);
    std::printf(
        "  told the sibling: 12/6 %ld s, 12/7 %ld s; logged: 12/6 %ld s, 12/7 %ld s; "
        "ranked: 猫 %ld s, 犬 %ld s\n",
        firstDay, secondDay, logged6, logged7, cat, dog);
    EXPECT_EQ(logged6, firstDay);
    EXPECT_EQ(logged7, secondDay);
    if (runSeconds >= 750) {
        EXPECT_TRUE(crossed) << "midnight never came";
    }
    EXPECT_EQ(cat + dog, logged6 + logged7);
    // A stretch may gain or lose a second at each end against the desk's own timing.
    EXPECT_LE(std::abs(logged6 + logged7 - shownSeconds), 2L * stretches + 2)
        << "counted " << logged6 + logged7 << " s of " << shownSeconds << " s shown";

    // Flat after warming up (the first sample): what the last sample holds.
    ASSERT_GE(samples.size(), 2u);
    for (const Sample& s : samples) {
        std::printf(
            "  at %4d s: RSS %7.1f MB, GDI objects %ld, window-manager objects %ld, "
            "handles %ld\n",
            s.atSecond, s.residentKiB / 1024.0, s.counts.gdi, s.counts.user, s.counts.handles);
    }
    const Sample& warm = samples.front();
    const Sample& end = samples.back();
    EXPECT_LE(end.counts.gdi, warm.counts.gdi);
    EXPECT_LE(end.counts.user, warm.counts.user);
    EXPECT_LE(end.counts.handles, warm.counts.handles + 2);
    EXPECT_LE(end.residentKiB, warm.residentKiB + 4 * 1024);
}

}  // namespace
