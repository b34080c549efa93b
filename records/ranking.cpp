#include "records/ranking.h"

#include <algorithm>
#include <numeric>

#include "common/format.h"

std::vector<size_t> ChooseRankingTrim(const std::vector<RankingCandidate>& candidates,
                                      size_t keep) {
    if (candidates.size() <= keep) {
        return {};
    }
    std::vector<size_t> order;
    order.reserve(candidates.size());
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (!candidates[i].isCurrent && candidates[i].seconds != UINT32_MAX) {
            order.push_back(i);
        }
    }
    const size_t excess = candidates.size() - keep;
    const size_t chosen = std::min(excess, order.size());
    // Stable, so that of equal seconds the one enumerated first goes first.
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return candidates[a].seconds < candidates[b].seconds;
    });
    order.resize(chosen);
    return order;
}

std::u16string RankingText(std::vector<RankingEntry>& rows) {
    std::stable_sort(rows.begin(), rows.end(), [](const RankingEntry& a, const RankingEntry& b) {
        return a.seconds > b.seconds;
    });
    const size_t shown = std::min(rows.size(), kRankingShownRows);
    size_t names = 0;
    for (size_t i = 0; i < shown; ++i) {
        names += rows[i].name.size();
    }
    std::u16string text;
    text.reserve(names + 32 * shown + 16);
    text += u"記事ランキング\r\n\r\n";
    for (size_t i = 0; i < shown; ++i) {
        const uint32_t seconds = rows[i].seconds;
        text += u"第";
        AppendUnsigned(text, static_cast<uint32_t>(i + 1), 3);
        text += u"位 (";
        AppendHms(text, seconds);
        text += u") ";
        text += rows[i].name;
        text += u"\r\n";
    }
    return text;
}
