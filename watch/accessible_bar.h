#pragma once
// Today's browsers draw their address bars themselves: no window holds the address, so it is
// read from the accessibility tree the browser serves. This is the last sample source, asked
// only when the window-based readers all miss, and it is bounded in time so that a slow or
// huge tree costs a missed sample rather than a held tick. The tree is reached only through
// AccessibleTree, so every decision here is tested without a browser.
#include <cstddef>
#include <cstdint>

#include "watch/address_match.h"
#include "watch/control_path.h"

// An element as the tree names it; 0 is no element.
using ElementRef = std::uintptr_t;

// TabList is the tab strip, which comes before the toolbar and grows with every tab.
enum class ElementRole { Other, Edit, Toolbar, Document, TabList };

// What the search and the read ask of an element.
struct ElementInfo {
    ElementRole role = ElementRole::Other;
    bool enabled = false;
    bool focusable = false;
    bool focused = false;
    bool editable = false;
};

// Room for an automation id, terminator included.
inline constexpr std::size_t kAutomationIdRoom = 64;
// The most children of one element that the search looks at.
inline constexpr std::size_t kMaxChildren = 64;
// The deepest level below a window's root that the search goes to.
inline constexpr std::size_t kMaxElementDepth = 24;
// The most elements one search describes, over all windows.
inline constexpr std::size_t kMaxSearchElements = 3000;
// The time one sample may spend in this source, searching or reading.
inline constexpr std::uint64_t kAccessibleBudgetMs = 40;
// The least time between two searches; reading the remembered bar is not limited.
inline constexpr std::uint64_t kSearchIntervalMs = 1000;

// A browser's accessibility tree. Elements handed out stay valid until Keep is called.
class AccessibleTree {
  public:
    virtual ~AccessibleTree() = default;
    // The root element of a top-level window; 0 when it serves none or does not answer.
    virtual ElementRef Root(WindowRef window) = 0;
    // False when the element has gone.
    virtual bool Describe(ElementRef element, ElementInfo& info) = 0;
    // Writes up to room elements into children; returns how many.
    virtual std::size_t Children(ElementRef element, ElementRef* children, std::size_t room) = 0;
    // Writes the element's value (the address, for an address bar) cut to room - 1 units and
    // NUL-terminated; returns its length, 0 for none (no value pattern, gone, empty).
    virtual std::size_t Value(ElementRef element, char16_t* buffer, std::size_t room) = 0;
    // The element's automation id the same way; 0 where the tree has none.
    virtual std::size_t AutomationId(ElementRef element, char16_t* buffer, std::size_t room) = 0;
    // Lets go of every element handed out except keep (0 for none) and returns the name
    // keep has from now on.
    virtual ElementRef Keep(ElementRef keep) = 0;
};

// Milliseconds from any fixed start, never going back.
class MonotonicClock {
  public:
    virtual std::uint64_t NowMs() = 0;

  protected:
    ~MonotonicClock() = default;
};

// Which rule picks a window's address bar.
enum class BarRule { None, Chromium, Firefox };

// The rule for a top-level window class: "Chrome_WidgetWin_1" (Chrome, Edge, Brave, Opera,
// Vivaldi) and "MozillaWindowClass" (Firefox), compared with case; None for the rest.
BarRule BarRuleFor(std::u16string_view className);

// Whether element is the address bar under rule. Chromium: an enabled, focusable, editable
// edit inside a toolbar. Firefox: the element with automation id "urlbar-input"; where the
// tree gives no automation ids (MSAA), the Chromium rule.
bool IsAddressBar(AccessibleTree& tree, BarRule rule, ElementRef element, const ElementInfo& info,
                  bool inToolbar);

// What the source keeps between samples.
struct AccessibleBarState {
    ElementRef bar = 0;  // the bar of the last hit, 0 for none
    bool searched = false;
    std::uint64_t lastSearchMs = 0;
};

// How a search went: the elements it described, and whether its time or element limit
// stopped it before it had looked everywhere.
struct AccessibleSearchFigures {
    std::size_t elements = 0;
    bool stopped = false;
};

// Reads an address bar the way the sample wants: a bar with keyboard focus is being typed
// into and misses; a value without a scheme gets "http://" as Chrome's later address
// controls do. True when the address belongs to the watched site.
bool ReadAddressBar(AccessibleTree& tree, ElementRef bar, CurrentArticle& article);

// The sample source: re-reads the remembered bar while it hits; after a miss, searches the
// browsers' windows front to back (at most once per kSearchIntervalMs, within budgetMs and
// kMaxSearchElements, never into a document or a tab strip) and remembers the bar that
// hits. A search that ran leaves its figures in *figures when it is given.
bool ScanAccessibleBars(WindowTree& windows, AccessibleTree& tree, MonotonicClock& clock,
                        AccessibleBarState& state, CurrentArticle& article,
                        std::uint64_t budgetMs = kAccessibleBudgetMs,
                        AccessibleSearchFigures* figures = nullptr);
