// The registry work of the records against a bare enumeration of the same key, in the same
// run: pruning the daily log (a normal day: 367 values; a key swollen to 10,000) and adding
// a second to a full ranking (the usual second, and the one that trims a 111th article).
// Prints: BENCH <name> <value> <unit> goal <op> <goal>, then details.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "common/handles_win.h"
#include "common/text_win.h"
#include "records/daily_log.h"
#include "records/daily_log_win.h"
#include "records/ranking_win.h"
#include "records/registry_win.h"
#include "records/settings.h"
#include "tests/win/scratch_registry_win.h"

namespace {

volatile size_t g_sink;

double Milliseconds(const std::function<void()>& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// The floor: open the key for reading, ask its size, enumerate every value's name (and the
// first four bytes of its data when asked), close.
void BareEnumeration(const char16_t* path, bool withData) {
    UniqueHKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, AsWide(path), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return;
    }
    DWORD count = 0, longest = 0;
    RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                     &longest, nullptr, nullptr, nullptr);
    std::vector<wchar_t> name(longest + 1);
    size_t seen = 0;
    for (DWORD i = 0; i < count; ++i) {
        DWORD length = longest + 1;
        BYTE data[4];
        DWORD size = sizeof data;
        if (RegEnumValueW(key.get(), i, name.data(), &length, nullptr, nullptr,
                          withData ? data : nullptr, withData ? &size : nullptr) == ERROR_SUCCESS) {
            seen += length;
        }
    }
    g_sink = seen;
}

// count day values ending today, oldest last; returns their names.
std::vector<std::u16string> DayNames(int count) {
    std::vector<std::u16string> names;
    LogDate d{2026, 12, 6};
    for (int i = 0; i < count; ++i, StepBackOneDay(d)) {
        names.push_back(LogValueName(d));
    }
    return names;
}

void WriteAll(const char16_t* path, const std::vector<std::u16string>& names, size_t from) {
    REGW key;
    key.OpenKey(path, OpenCreate);
    for (size_t i = from; i < names.size(); ++i) {
        key.WriteIntegerW(names[i].c_str(), static_cast<uint32_t>(i + 1));
    }
    key.CloseKey();
}

struct Figure {
    double work = 1e300;
    double floor = 1e300;
    double ratio() const { return work / floor; }
};

// Best of rounds, each round refilling the key (untimed), timing the floor and then the work.
Figure Measure(int rounds, const std::function<void()>& refill, const std::function<void()>& floor,
               const std::function<void()>& work) {
    Figure f;
    for (int r = 0; r < rounds; ++r) {
        refill();
        f.floor = std::min(f.floor, Milliseconds(floor));
        f.work = std::min(f.work, Milliseconds(work));
    }
    return f;
}

void Print(const char* name, const Figure& f, double goal, const char* what) {
    std::printf("BENCH %s %.2f ratio goal <= %g\n", name, f.ratio(), goal);
    std::printf("  %s: %.3f ms, bare enumeration %.3f ms\n", what, f.work, f.floor);
}

}  // namespace

int main() {
    ScratchCurrentUser scratch(L"records_bench");
    if (!scratch.ok()) {
        std::printf("records_bench: no scratch registry\n");
        return 1;
    }

    // A normal day: the log holds one day more than it keeps, and the oldest goes.
    const std::vector<std::u16string> days367 = DayNames(367);
    WriteAll(LogKey, days367, 0);
    const Figure prune367 = Measure(
        40, [&] { WriteAll(LogKey, days367, 366); }, [] { BareEnumeration(LogKey, false); },
        [] { PruneLog(); });

    // A log swollen by outside edits: 10,000 values, 9,634 of them go in one prune.
    RegDeleteKeyW(HKEY_CURRENT_USER, AsWide(LogKey));
    const std::vector<std::u16string> days10000 = DayNames(10000);
    const Figure prune10000 = Measure(
        3, [&] { WriteAll(LogKey, days10000, 366); }, [] { BareEnumeration(LogKey, false); },
        [] { PruneLog(); });

    // A full ranking: 110 articles.
    std::vector<std::u16string> articles;
    for (int i = 0; i < 110; ++i) {
        const std::string s = "Article_" + std::to_string(i);
        articles.emplace_back(s.begin(), s.end());
    }
    WriteAll(RankKey, articles, 0);
    // The usual second: an article already ranked; one read, one write, no trim.
    const Figure rankAdd = Measure(
        200, [] {}, [] { BareEnumeration(RankKey, true); },
        [&] { AddRankingSecond(articles[60].c_str()); });
    // The second that brings a 111th article: the least-read other one (Article_0) goes.
    const Figure rankTrim = Measure(
        100,
        [&] {
            REGW rank;
            rank.OpenKey(RankKey, OpenCreate);
            rank.DeleteValue(u"New_article");
            rank.WriteIntegerW(articles[0].c_str(), 1);
            rank.CloseKey();
        },
        [] { BareEnumeration(RankKey, true); }, [] { AddRankingSecond(u"New_article"); });

    Print("prune_log_367_vs_enum", prune367, 2, "PruneLog of 367 values (1 deleted)");
    Print("prune_log_10000_vs_enum", prune10000, 5, "PruneLog of 10,000 values (9,634 deleted)");
    Print("ranking_add_full_vs_enum", rankAdd, 0.25,
          "AddRankingSecond on a ranked article of a full ranking (110 values)");
    Print("ranking_trim_111th_vs_enum", rankTrim, 2,
          "AddRankingSecond on a 111th article (enumerate, delete one)");
    std::printf("  best of 40, 3, 200 and 100 rounds; floor and work alternate in each round\n");
    return 0;
}
