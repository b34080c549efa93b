#pragma once
// The article ranking: per article of the watched site, the seconds spent reading it, one
// registry value each. Here: which articles the trim removes, and the ranking text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The ranking holds at most this many articles after every counted second.
inline constexpr size_t kRankingMaxArticles = 110;
// The ranking text lists at most this many rows.
inline constexpr size_t kRankingShownRows = 100;

// One row of the ranking: an article and its seconds.
struct RankingEntry {
    std::u16string name;
    uint32_t seconds = 0;
};

// One stored article as the trim sees it, in the registry's enumeration order.
struct RankingCandidate {
    uint32_t seconds = 0;
    bool isCurrent = false;  // the article being read: never removed
};

// The indexes of the articles to remove so that at most keep remain: the least-read ones
// first, compared unsigned; of equals the one enumerated first. The current article and
// saturated ones (4294967295 seconds) are never chosen, so fewer may come back.
std::vector<size_t> ChooseRankingTrim(const std::vector<RankingCandidate>& candidates, size_t keep);

// "記事ランキング\r\n\r\n", then one line per row for the first 100 rows by seconds, most
// first: "第%3u位 (%2d:%02d:%02d) " with the rank from 1 and the seconds as hours, minutes
// and seconds, then the name and CR LF. Sorts rows; of equal seconds the earlier row
// stays first.
std::u16string RankingText(std::vector<RankingEntry>& rows);
