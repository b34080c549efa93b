// The program stays resident all day: what it costs while its user is not reading, and
// while the user reads, against floor programs run beside it on the same Wine and display.
//   idle_cost_win.exe SERVER_PID [CAPTURE_FILE]
// SERVER_PID is the Unix process id of this prefix's wineserver; CAPTURE_FILE the file that
// the sound card writes what it plays to (see idle_cost.sh). CPU is taken in nanoseconds
// from each thread's schedstat. The three ratios are each measured kRepeats times, floor and
// program alternately, and printed as the median with the spread of the repeats.
// YMT_BENCH_SECONDS sets each measuring window (default 20 s).
// Prints: BENCH <name> <value> <unit> goal <op> <goal>, then details.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tests/bench/browser_desk_win.h"
#include "tests/bench/unix_process_win.h"
#include "tests/e2e/desk_win.h"

namespace {

using namespace std::chrono_literals;

constexpr wchar_t kFloorClass[] = L"ymt_bench_floor";
constexpr char kArticle[] = "http://ja.wikipedia.org/wiki/%E7%8C%AB";
constexpr int kBrowserWindows = 30;  // windows under each browser's frame

constexpr int kRepeats = 5;

unsigned g_server = 0;
int g_seconds = 20;
double g_quietServerMs = 0;  // what the wineserver does in a window with no program of ours

struct Cost {
    double processMs = 0;  // CPU of the program's process
    double serverMs = 0;   // CPU of the wineserver meanwhile, less what it does when quiet
    double tickMs = 0;     // the process's CPU in clock ticks (ended threads counted too)
    double residentMb = 0;
    double cpuMs() const { return processMs + serverMs; }
};

std::string Narrow(const std::wstring& text) {
    return std::string(text.begin(), text.end());  // paths here are ASCII
}

std::string FolderLeaf(const e2e::Program& program) {
    const std::wstring& folder = program.Folder();
    return Narrow(folder.substr(folder.find_last_of(L'\\') + 1));
}

// CPU and memory of the process over the measuring window, with nothing else going on.
Cost Measure(unsigned pid) {
    const uint64_t process0 = bench::CpuNanoseconds(pid);
    const uint64_t server0 = bench::CpuNanoseconds(g_server);
    const double tick0 = bench::CpuTickMilliseconds(pid);
    Sleep(static_cast<DWORD>(g_seconds) * 1000);
    Cost cost;
    cost.processMs = (bench::CpuNanoseconds(pid) - process0) / 1e6;
    cost.serverMs =
        std::max(0.0, (bench::CpuNanoseconds(g_server) - server0) / 1e6 - g_quietServerMs);
    cost.tickMs = bench::CpuTickMilliseconds(pid) - tick0;
    cost.residentMb = bench::ResidentKiB(pid) / 1024.0;
    return cost;
}

void EndFloor() {
    if (HWND floor = FindWindowW(kFloorClass, nullptr); floor != nullptr) {
        PostMessageW(floor, WM_CLOSE, 0, 0);
        e2e::WaitUntil([] { return FindWindowW(kFloorClass, nullptr) == nullptr; }, 10s);
    }
}

e2e::Launch FloorLaunch(const std::wstring& mode) {
    e2e::Launch launch;
    launch.fakeTime = "2026-12-06 10:05:00";
    launch.exe = L"floor.exe";
    launch.arguments = mode;
    return launch;
}

e2e::Launch ProgramLaunch() {
    e2e::Launch launch;
    launch.fakeTime = "2026-12-06 10:05:00";  // far from the full hour: no chime
    return launch;
}

// Floors play one voice clip at their start, as the program's greeting does.
std::optional<Cost> RunFloor(const std::wstring& mode, bool voice = true) {
    e2e::Program floor(FloorLaunch(voice ? mode + L" voice" : mode));
    const bool up =
        e2e::WaitUntil([] { return FindWindowW(kFloorClass, nullptr) != nullptr; }, 30s);
    const unsigned pid = up ? bench::FindUnixProcess(FolderLeaf(floor), "floor.exe") : 0;
    std::optional<Cost> cost;
    if (pid != 0) {
        Sleep(voice ? 6000 : 2000);  // past the clip, as the program is measured past its greeting
        cost = Measure(pid);
    }
    EndFloor();
    return cost;
}

// The program after its greeting (and its voice) has ended.
struct Options {
    bool voice = true;
    bool trayIcon = true;
};
std::optional<Cost> RunProgram(const wchar_t* capture, uint64_t* capturedBytes,
                               Options options = {}) {
    e2e::DeleteProgramKey();
    if (!options.voice) {
        e2e::WriteNumber(L"", L"Voice", 0);
    }
    if (!options.trayIcon) {
        e2e::WriteNumber(L"", L"NoTaskbarIcon", 1);
    }
    e2e::Program program(ProgramLaunch());
    if (!program.Up(false) || !program.Shown(true, 20s) || !program.Shown(false, 30s)) {
        return std::nullopt;
    }
    const unsigned pid = bench::FindUnixProcess(FolderLeaf(program), "ymt.exe");
    if (pid == 0) {
        return std::nullopt;
    }
    Sleep(3000);
    if (capture != nullptr && capturedBytes != nullptr) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        *capturedBytes = GetFileAttributesExW(capture, GetFileExInfoStandard, &data)
                             ? (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow
                             : 0;
    }
    return Measure(pid);
}

// Milliseconds from asking for the process to its first window on screen, or -1.
double FirstWindowMs(const e2e::Launch& launch, const wchar_t* className) {
    e2e::Program program(launch);
    HWND shown = nullptr;
    const bool up = e2e::WaitUntil(
        [&] {
            shown = FindWindowW(className, nullptr);
            return shown != nullptr && IsWindowVisible(shown);
        },
        30s);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() -
                                                                program.Started())
                          .count();
    if (std::wstring(className) == kFloorClass) {
        EndFloor();
    }
    return up ? ms : -1;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

void Detail(const char* what, const std::optional<Cost>& cost) {
    if (!cost) {
        std::printf("  %-44s did not run\n", what);
        return;
    }
    std::printf(
        "  %-44s CPU %8.1f ms (process %7.1f, ticks %6.0f; wineserver %7.1f)  RSS %6.1f MB\n", what,
        cost->cpuMs(), cost->processMs, cost->tickMs, cost->serverMs, cost->residentMb);
}

// Floor and program alternately, kRepeats times; the figure is the median of the ratios.
struct Repeated {
    std::vector<double> ratios;
    std::optional<Cost> floor, program;  // the median repeat's runs, for the details
};
Repeated Alternate(const std::function<std::optional<Cost>()>& floor,
                   const std::function<std::optional<Cost>()>& program) {
    Repeated result;
    std::vector<std::pair<double, std::pair<Cost, Cost>>> runs;
    for (int i = 0; i < kRepeats; ++i) {
        const auto f = floor();
        const auto p = program();
        if (f && p && f->cpuMs() > 0) {
            runs.push_back({p->cpuMs() / f->cpuMs(), {*f, *p}});
        }
    }
    std::sort(runs.begin(), runs.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& run : runs) {
        result.ratios.push_back(run.first);
    }
    if (!runs.empty()) {
        result.floor = runs[runs.size() / 2].second.first;
        result.program = runs[runs.size() / 2].second.second;
    }
    return result;
}

void Ratio(const char* name, const Repeated& repeated, double goal) {
    if (repeated.ratios.empty()) {
        std::printf("BENCH %s n/a ratio goal <= %g\n", name, goal);
        return;
    }
    std::printf("BENCH %s %.2f ratio goal <= %g\n", name, Median(repeated.ratios), goal);
    std::printf("  %s: %zu repeats of %d s, spread %.2f to %.2f:", name, repeated.ratios.size(),
                g_seconds, repeated.ratios.front(), repeated.ratios.back());
    for (double ratio : repeated.ratios) {
        std::printf(" %.2f", ratio);
    }
    std::printf("\n");
}

// Floor programs are ordinary managed windows, as the program's are.
void ManageFloorWindows() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\floor.exe\\X11 Driver", 0,
                        nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
        static const wchar_t kYes[] = L"Y";
        RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(kYes),
                       sizeof kYes);
        RegCloseKey(key);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    g_server = argc > 1 ? static_cast<unsigned>(std::wcstoul(argv[1], nullptr, 10)) : 0;
    const wchar_t* capture = argc > 2 ? argv[2] : nullptr;
    if (const char* seconds = std::getenv("YMT_BENCH_SECONDS"); seconds != nullptr) {
        g_seconds = std::max(1, std::atoi(seconds));
    }
    if (g_server == 0 || bench::CpuNanoseconds(g_server) == 0) {
        std::printf("BENCH idle_cpu_vs_walk n/a ratio goal <= 1.5\n  no wineserver to measure\n");
        return 0;
    }
    ManageFloorWindows();

    // What the wineserver does on its own (Wine's services, the keeper, this bench): taken
    // off every figure below, as it belongs to none of the programs.
    const uint64_t quiet0 = bench::CpuNanoseconds(g_server);
    Sleep(static_cast<DWORD>(g_seconds) * 1000);
    g_quietServerMs = (bench::CpuNanoseconds(g_server) - quiet0) / 1e6;

    // Start-up: the floor's first window against the program's first greeting frame,
    // alternately, five times each.
    std::vector<double> floorStarts, programStarts;
    for (int round = 0; round < 5; ++round) {
        floorStarts.push_back(FirstWindowMs(FloorLaunch(L"show"), kFloorClass));
        e2e::DeleteProgramKey();
        programStarts.push_back(FirstWindowMs(ProgramLaunch(), L"ytm_tan_ee"));
    }

    // An idle desktop: the program against floor (b), both after one voice clip.
    uint64_t captured = 0;
    const auto idle = RunFloor(L"idle");
    const Repeated idleRatio =
        Alternate([] { return RunFloor(L"walk"); }, [&] { return RunProgram(capture, &captured); });
    const auto silent = RunProgram(nullptr, nullptr, {false, true});
    const auto silentIdle = RunFloor(L"idle", false);

    // Browsers with an ordinary tree under their frame (Internet Explorer 11's window has a
    // few dozen windows, Chrome's and Firefox's a handful), and the same with trees ten times
    // as big, where a full scan reads every descendant's class name.
    std::optional<Cost> heavyWalk, heavyProgram;
    {
        bench::DeskThread desk({300, 5, 300});
        heavyWalk = RunFloor(L"walk");
        heavyProgram = RunProgram(nullptr, nullptr);
    }

    // A crowded desktop: 300 top-level windows, 5 of them browsers, none showing an article.
    Repeated crowdRatio, readingRatio;
    std::optional<Cost> readIdle, readFloor, reading, readingNoTray;
    {
        bench::DeskThread desk({300, 5, kBrowserWindows});
        crowdRatio = Alternate([] { return RunFloor(L"walk"); },
                               [] { return RunProgram(nullptr, nullptr); });

        // One of them shows an article: the program re-reads that one control each second
        // and gives the tray its new tip; floor (c) does just that.
        const HWND control = desk.controls()[2];
        const std::string article(kArticle);
        SetWindowTextW(control, std::wstring(article.begin(), article.end()).c_str());
        wchar_t hex[32];
        std::swprintf(hex, 32, L"%llx",
                      static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(control)));
        readingRatio = Alternate([&] { return RunFloor(std::wstring(L"readtray ") + hex); },
                                 [] { return RunProgram(nullptr, nullptr); });
        readIdle = RunFloor(L"idle");
        readFloor = RunFloor(std::wstring(L"read ") + hex);
        reading = readingRatio.program;
        readingNoTray = RunProgram(nullptr, nullptr, {true, false});
    }
    const auto& walk = idleRatio.floor;
    const auto& program = idleRatio.program;

    Ratio("idle_cpu_vs_walk", idleRatio, 1.3);
    // Against the floor that played nothing, as this figure has always been taken; the
    // details show the floor that played a clip too.
    if (program && silentIdle) {
        std::printf("BENCH idle_memory_over_floor %.1f MB goal <= 40\n",
                    program->residentMb - silentIdle->residentMb);
    } else {
        std::printf("BENCH idle_memory_over_floor n/a MB goal <= 40\n");
    }
    Ratio("crowd_cpu_vs_walk", crowdRatio, 1.5);
    Ratio("reading_cpu_vs_floor_c", readingRatio, 1.3);
    if (reading && readIdle && readFloor) {
        const double getText = std::max(0.0, readFloor->cpuMs() - readIdle->cpuMs());
        std::printf("BENCH reading_cpu %.1f ms goal <= %.1f\n", reading->cpuMs(),
                    1.2 * readIdle->cpuMs() + getText);
    } else {
        std::printf("BENCH reading_cpu n/a ms goal <= 0\n");
    }
    const double floorStart = Median(floorStarts), programStart = Median(programStarts);
    std::printf("BENCH startup_first_frame %.0f ms goal <= %.0f\n", programStart,
                2 * floorStart + 50);

    std::printf("  over %d s each, CPU = the process and its share of the wineserver:\n",
                g_seconds);
    Detail("floor (a): hidden window, 1 s timer, one clip", idle);
    Detail("floor (b): (a) + EnumWindows class names", walk);
    Detail("ymt.exe, idle, after its voiced greeting", program);
    Detail("ymt.exe, idle, voice off (no sound played)", silent);
    Detail("floor (a) with no clip played", silentIdle);
    std::printf("  the wineserver on its own, taken off each figure: %.1f ms\n", g_quietServerMs);
    std::printf("  300 top-level windows, 5 of them browsers with %d windows each:\n",
                kBrowserWindows);
    Detail("300 windows, 5 browsers: floor (b)", crowdRatio.floor);
    Detail("300 windows, 5 browsers: ymt.exe", crowdRatio.program);
    Detail("one article shown: floor (a)", readIdle);
    Detail("one article shown: (a) + WM_GETTEXT each second", readFloor);
    Detail("one article shown: floor (c), + a new tray tip", readingRatio.floor);
    Detail("one article shown: ymt.exe reading", reading);
    Detail("the same without the tray icon", readingNoTray);
    std::printf("  browsers with 300 windows each (every one's class name read in a full scan):\n");
    Detail("heavy browsers: floor (b)", heavyWalk);
    Detail("heavy browsers: ymt.exe", heavyProgram);
    if (heavyWalk && heavyProgram) {
        std::printf("  heavy browsers: ymt.exe / floor (b) = %.2f\n",
                    heavyProgram->cpuMs() / heavyWalk->cpuMs());
    }
    std::printf("  the greeting's voice reached the sound card: %llu bytes\n",
                static_cast<unsigned long long>(captured));
    std::printf(
        "  start-up (median of 5, from CreateProcess of faketime + wine64): floor's "
        "window %.0f ms, first greeting frame %.0f ms\n",
        floorStart, programStart);
    std::printf("   floor:");
    for (double ms : floorStarts)
        std::printf(" %.0f", ms);
    std::printf("\n   ymt.exe:");
    for (double ms : programStarts)
        std::printf(" %.0f", ms);
    std::printf("\n");
    return 0;
}
