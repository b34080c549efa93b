#pragma once
// Finding the supported browsers' address controls and reading them. A browser is known by
// the window class of its top-level window, its address control by the chain of window
// classes from the control up through its ancestors. Windows are reached only through
// WindowTree, so every decision here is tested without windows.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "watch/address_match.h"

// A window as the tree names it; 0 is no window.
using WindowRef = std::uintptr_t;

// Room for a class name and for a control's text, terminator included (a text is thus at
// most 2099 characters, which is what MatchWatchedAddress is made for).
inline constexpr std::size_t kClassNameRoom = 2100;
inline constexpr std::size_t kControlTextRoom = 2100;

// Receives windows one by one; returning false stops the walk.
class WindowVisitor {
  public:
    virtual bool Visit(WindowRef window) = 0;

  protected:
    ~WindowVisitor() = default;
};

// The desktop's windows, as far as the readers look at them.
class WindowTree {
  public:
    virtual ~WindowTree() = default;
    // Writes the window's class name into buffer (room units), cut to room - 1 units and
    // NUL-terminated; returns its length, 0 when it cannot be read.
    virtual std::size_t ClassName(WindowRef window, char16_t* buffer, std::size_t room) = 0;
    // The window's parent, 0 for none.
    virtual WindowRef Parent(WindowRef window) = 0;
    // Asks the window for its text with room units, terminator included. Returns the number
    // of characters it gave, with buffer NUL-terminated after them; 0 for no text, a window
    // that has gone, or one that did not answer in time.
    virtual std::size_t Text(WindowRef window, char16_t* buffer, std::size_t room) = 0;
    // The top-level windows, front to back.
    virtual void VisitTopLevel(WindowVisitor& visitor) = 0;
    // Every descendant of window (children at any depth), in the platform's order.
    virtual void VisitDescendants(WindowRef window, WindowVisitor& visitor) = 0;
};

// An address control's class and its ancestors' classes, the control's own first. An empty
// entry accepts any class, but a window must exist at that level. Names are compared
// without regard to ASCII case.
using ControlPath = std::span<const std::u16string_view>;

// The deepest path of any family.
inline constexpr std::size_t kMaxPathDepth = 5;

// One kind of browser.
struct BrowserFamily {
    std::u16string_view name;  // for messages and tests only
    // The top-level window classes that identify it.
    std::span<const std::u16string_view> topLevelClasses;
    // Where its address control can be, tried in this order.
    std::span<const ControlPath> paths;
    // Chrome's later address controls show the address without its scheme: the text of any
    // path but the first gets "http://" in front unless it already has a scheme.
    bool prefixesHttp;
};

// The supported families, in the order a top-level window's class is tested.
extern const std::array<BrowserFamily, 7> BrowserFamilies;

// The first family whose top-level classes hold className (without regard to ASCII case);
// null when none does.
const BrowserFamily* FindBrowserFamily(std::u16string_view className);

using ControlText = std::array<char16_t, kControlTextRoom>;

// A text read at offset kHttpPrefixRoom, with room in front for "http://" so that giving it
// the scheme costs no copy.
inline constexpr std::size_t kHttpPrefixRoom = 7;
using PrefixableText = std::array<char16_t, kHttpPrefixRoom + kControlTextRoom>;

// Chrome's rule for an address shown without its scheme: the text at kHttpPrefixRoom
// (NUL-terminated) gets "http://" in front unless it starts with "http://" or "https://",
// the result cut to 2099 units; true when that address belongs to the watched site.
bool MatchWithHttpPrefix(PrefixableText& address, CurrentArticle& article);

// True when control fits path and has a non-empty text, which is then in text
// (NUL-terminated).
bool ReadControlText(WindowTree& tree, ControlPath path, WindowRef control, ControlText& text);

// Tries family's paths on control in order; the first that fits and gives a text decides.
// True when that address (with Chrome's prefix where due) belongs to the watched site;
// MatchWatchedAddress leaves the article behind.
bool ReadFamilyControl(WindowTree& tree, const BrowserFamily& family, WindowRef control,
                       CurrentArticle& article);

// The address control of the last hit and the family whose reader found it, with what
// the hit's path test saw: the path that fitted and the windows from the control upward as
// far as the test looked (0 where a level had no window). levels 0: not known.
struct CachedReader {
    WindowRef control = 0;
    const BrowserFamily* family = nullptr;
    std::size_t path = 0;
    std::array<WindowRef, kMaxPathDepth> ancestry{};
    std::size_t levels = 0;
    bool empty() const { return family == nullptr; }
};

// Visits the top-level windows front to back; for each whose class belongs to a family,
// reads every descendant with ReadFamilyControl. The first hit is cached and ends the scan.
// A window of no family is passed over without visiting its descendants.
bool ScanBrowsers(WindowTree& tree, CachedReader& cached, CurrentArticle& article);

// Reads the cached control alone, from the path test on (so a control that has gone, moved
// or changed class misses). A miss empties the cache; false when it is empty. Only what can
// change is asked again: the control's class (which WindowTree answers for the window the
// handle names now) and its ancestors; while they are the windows the hit saw, their
// classes are not read again, and the path that fitted gives the text.
bool RecheckCachedReader(WindowTree& tree, CachedReader& cached, CurrentArticle& article);
