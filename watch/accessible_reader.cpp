#include "watch/accessible_reader.h"

#include <utility>

bool SampleAccessibleBars(AccessibleReader& reader, const WindowList& windows, std::uint64_t nowMs,
                          CurrentArticle& article) {
    const AccessibleVerdict verdict = reader.Latest();
    const bool hit = verdict.taken && verdict.hit && verdict.takenMs <= nowMs &&
                     nowMs - verdict.takenMs <= kFreshVerdictMs;
    if (hit) {
        article = verdict.article;
    }
    WindowList browsers;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        if (BarRuleFor(windows.ClassAt(i)) != BarRule::None) {
            browsers.Add(windows.WindowAt(i), windows.ClassAt(i));
        }
    }
    reader.Request(std::move(browsers));
    return hit;
}
