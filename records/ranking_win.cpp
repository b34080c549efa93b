#include "records/ranking_win.h"

#include <vector>

#include "common/boundary.h"
#include "common/text_win.h"
#include "records/registry_value.h"
#include "records/settings.h"

namespace {

// Stored seconds by the rules of ReadIntegerW, with 0 for a value that holds no number.
uint32_t SecondsOf(const RegistryValueView& value) {
    return static_cast<uint32_t>(IntegerFromRegistryData(value.type, value.data, value.size, 0));
}

// The registry compares value names without case: "Foo" and "foo" are one value, so the
// article being read is found under either spelling.
bool SameValueName(std::u16string_view a, const char16_t* b) {
    return CompareStringOrdinal(AsWide(a).data(), static_cast<int>(a.size()), AsWide(b), -1,
                                TRUE) == CSTR_EQUAL;
}

// Memory for the names that runs out leaves the ranking as it is for this second.
void TrimRanking(REGW& rank, const char16_t* article) {
    CatchAtBoundary(false, [&] {
        std::vector<std::u16string> names;
        std::vector<RankingCandidate> candidates;
        ForEachRegistryValue(rank.Key(), true, [&](const RegistryValueView& value) {
            names.emplace_back(value.name);
            candidates.push_back(
                RankingCandidate{SecondsOf(value), SameValueName(value.name, article)});
        });
        for (size_t index : ChooseRankingTrim(candidates, kRankingMaxArticles)) {
            rank.DeleteValue(names[index].c_str());
        }
        return true;
    });
}

// Every stored value as a row, in the registry's order. The table grows past 110 rows
// when the key holds more, so that the text always shows the true first 100.
std::vector<RankingEntry> RankingRowsOf(REGW& rank) {
    std::vector<RankingEntry> rows;
    rows.reserve(kRankingMaxArticles);
    ForEachRegistryValue(rank.Key(), true, [&](const RegistryValueView& value) {
        rows.push_back(RankingEntry{std::u16string(value.name), SecondsOf(value)});
    });
    return rows;
}

}  // namespace

void AddRankingSecond(const char16_t* article) {
    if (article == nullptr || article[0] == u'\0') {
        return;
    }
    REGW rank;
    if (!rank.OpenKey(RankKey, OpenCreate)) {
        return;
    }
    const auto seconds = static_cast<uint32_t>(rank.ReadIntegerW(article, 0));
    if (seconds != UINT32_MAX) {
        rank.WriteIntegerW(article, seconds + 1);
    }
    DWORD count = 0;
    if (RegQueryInfoKeyW(rank.Key(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count,
                         nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        count > kRankingMaxArticles) {
        TrimRanking(rank, article);
    }
    rank.CloseKey();
}

std::u16string RankingTextOf(REGW& rank) {
    std::vector<RankingEntry> rows = RankingRowsOf(rank);
    return RankingText(rows);
}

void BuildRankingText(REGW& rank, HWND edit) {
    std::vector<RankingEntry> rows;
    if (!CatchAtBoundary(false, [&] {
            rows = RankingRowsOf(rank);
            return true;
        })) {
        SetWindowTextW(edit, L"メモリ不足のため、ランキングデータのソートができません。");
        return;
    }
    if (!CatchAtBoundary(false, [&] {
            const std::u16string text = RankingText(rows);
            SetWindowTextW(edit, AsWide(text.c_str()));
            return true;
        })) {
        rows.clear();
        SetWindowTextW(edit, L"メモリ不足のため、ランキングデータの表示ができません。");
    }
}
