#pragma once
// The accessibility source as the tick sees it. Every call into a browser's accessibility
// tree goes into the browser's process and waits for its answer, so the trees are read by a
// reader of their own (the program's is a worker thread): a browser that hangs inside a
// call holds up that reader alone. The tick never waits for it: each tick takes the
// reader's latest verdict and asks for the next one.
#include <cstdint>

#include "watch/accessible_bar.h"
#include "watch/address_match.h"
#include "watch/window_list.h"

// A verdict counts while it is at most a tick and a half old; an older one is a miss (the
// reader is slow or stuck, and what it saw may be gone).
inline constexpr std::uint64_t kFreshVerdictMs = 1500;

// What one pass of the reader saw.
struct AccessibleVerdict {
    bool taken = false;  // false until the first pass has ended
    bool hit = false;
    CurrentArticle article;     // what the hit left behind
    std::uint64_t takenMs = 0;  // when the pass began (MonotonicClock time)
};

class AccessibleReader {
  public:
    // Hands over the browsers' top-level windows (front to back, with their classes) for
    // the next pass, in place of any not yet begun. Never waits. An empty list to a reader
    // that has never run starts nothing.
    virtual void Request(WindowList windows) = 0;
    // The verdict of the last pass that ended.
    virtual AccessibleVerdict Latest() = 0;

  protected:
    ~AccessibleReader() = default;
};

// The sample source on the tick's side: a hit when the latest verdict hit and is fresh at
// nowMs (its article then goes to article; a miss leaves article alone). Then asks for a
// pass over the windows of windows whose class has a BarRule.
bool SampleAccessibleBars(AccessibleReader& reader, const WindowList& windows, std::uint64_t nowMs,
                          CurrentArticle& article);
