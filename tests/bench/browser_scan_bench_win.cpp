// The browser readers run once a second for the whole life of the program. A sample that
// hits the cached control should cost about what asking that control for its text costs,
// and a full scan about what walking the same windows and reading their class names costs.
// The browsers' windows live on a thread of their own, so that their text is asked for
// across threads as it is from another program. They stay in this process on purpose: on
// Windows, class names and parents of any window are read from shared memory, and Wine
// gives that cost only for windows of the same process (for another's it asks its server).
// Prints: BENCH <name> <value> <unit> goal <op> <goal>, then details.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "common/handles_win.h"
#include "watch/browser_watch_win.h"

#include "tests/bench/alternating_best.h"
#include "tests/bench/browser_desk_win.h"

namespace {

constexpr int kTopLevelWindows = 300;

volatile std::size_t g_sink;

BOOL CALLBACK CountOne(HWND, LPARAM count) {
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

int CountDescendants(HWND top) {
    int n = 0;
    EnumChildWindows(top, CountOne, reinterpret_cast<LPARAM>(&n));
    return n;
}

// The floor of a scan: every top-level window's class name, and every descendant's class
// name in the same browser windows the scan walks.
struct ClassWalk {
    const std::vector<HWND>* browsers = nullptr;
    wchar_t name[kClassNameRoom];
    std::size_t total = 0;

    static BOOL CALLBACK Child(HWND w, LPARAM self) {
        auto* walk = reinterpret_cast<ClassWalk*>(self);
        walk->total += GetClassNameW(w, walk->name, kClassNameRoom);
        return TRUE;
    }
    static BOOL CALLBACK Top(HWND w, LPARAM self) {
        auto* walk = reinterpret_cast<ClassWalk*>(self);
        walk->total += GetClassNameW(w, walk->name, kClassNameRoom);
        if (std::find(walk->browsers->begin(), walk->browsers->end(), w) != walk->browsers->end()) {
            EnumChildWindows(w, Child, self);
        }
        return TRUE;
    }
    void Run() {
        total = 0;
        EnumWindows(Top, reinterpret_cast<LPARAM>(this));
    }
};

}  // namespace

int main() {
    bench::DeskThread desk({kTopLevelWindows, 5, 200});
    const HWND control = desk.controls().front();
    int descendants = 0;
    for (HWND b : desk.browsers())
        descendants += CountDescendants(b);

    // A sample that hits the cached control, against one WM_GETTEXT to that control.
    SetWindowTextW(control, L"http://ja.wikipedia.org/wiki/%E7%8C%AB");
    BrowserWatch watch;
    CurrentArticle article;
    const bool found = watch.ScanBrowsers(article);
    const bool cachedIt = found && HwndOf(watch.cachedReader().control) == control;
    wchar_t text[kControlTextRoom];
    auto [sample, getText] = BestMicroseconds(
        30, 300, [&] { g_sink = watch.RecheckCachedReader(article); },
        [&] {
            g_sink =
                SendMessageW(control, WM_GETTEXT, kControlTextRoom, reinterpret_cast<LPARAM>(text));
        });

    // A full scan that finds nothing, against the walk of the same windows.
    SetWindowTextW(control, L"http://example.com/elsewhere");
    BrowserWatch missing;
    ClassWalk walk;
    walk.browsers = &desk.browsers();
    const bool scanMissed = !missing.ScanBrowsers(article);
    auto [scan, bareWalk] = BestMicroseconds(
        12, 5, [&] { g_sink = missing.ScanBrowsers(article); },
        [&] {
            walk.Run();
            g_sink = walk.total;
        });

    std::printf("BENCH cached_sample_vs_gettext %.2f ratio goal <= 1.2\n", sample / getText);
    std::printf("BENCH full_scan_vs_class_walk %.2f ratio goal <= 1.5\n", scan / bareWalk);
    std::printf(
        "  desk: %d top-level windows, %zu browsers with %d descendants in all, on "
        "another thread\n",
        kTopLevelWindows, desk.browsers().size(), descendants);
    std::printf(
        "  cached sample (Sleipnir's 5-level path, SendMessageTimeoutW) %8.1f us"
        "   WM_GETTEXT by SendMessageW %8.1f us%s\n",
        sample, getText, cachedIt ? "" : "   (NOT CACHED: figure void)");
    std::printf(
        "  full scan (no hit; 5 texts asked) %8.1f us   EnumWindows + "
        "EnumChildWindows + GetClassNameW %8.1f us%s\n",
        scan, bareWalk, scanMissed ? "" : "   (SCAN HIT: figure void)");
    return 0;
}
