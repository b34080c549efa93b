#include "watch/control_path.h"

#include <algorithm>

#include "common/ascii.h"

namespace {

// An entry that accepts any class (a window must still be there).
constexpr std::u16string_view kAny = u"";

// Internet Explorer and Explorer windows.
constexpr std::u16string_view kIeFrames[] = {u"ExploreWClass", u"IEFrame"};
constexpr std::u16string_view kIeComboBoxEx[] = {u"ComboBoxEx32"};
constexpr std::u16string_view kIeAddressBand[] = {u"Edit", u"Address Band Root", u"ReBarWindow32",
                                                  u"WorkerW"};
constexpr ControlPath kIePaths[] = {kIeComboBoxEx, kIeAddressBand};

// Chrome, through the names its address control has had.
constexpr std::u16string_view kChromeFrames[] = {u"Chrome_XPFrame", u"Chrome_VistaFrame",
                                                 u"Chrome_WidgetWin_0", u"Chrome_WindowImpl_0"};
constexpr std::u16string_view kChromeAutocompleteEdit[] = {u"Chrome_AutocompleteEdit"};
constexpr std::u16string_view kChromeAutocompleteEditView[] = {u"Chrome_AutocompleteEditView"};
constexpr std::u16string_view kChromeOmniboxView[] = {u"Chrome_OmniboxView"};
constexpr ControlPath kChromePaths[] = {kChromeAutocompleteEdit, kChromeAutocompleteEditView,
                                        kChromeOmniboxView};

// Sleipnir and Grani. "FenrirAdressBarCtrl" is spelt as the browsers register it.
constexpr std::u16string_view kFenrirFrames[] = {u"SleipnirMainWindow", u"GraniMainWindow"};
constexpr std::u16string_view kFenrirBar[] = {u"Edit", u"FenrirComboBoxCtrl",
                                              u"FenrirAdressBarCtrl", u"ReBarWindow32"};
constexpr std::u16string_view kFenrirEmbeddedBar[] = {u"Edit", u"FenrirComboBoxCtrl",
                                                      u"FenrirAdressBarCtrl",
                                                      u"FenrirEmbeddedToolBar", u"ReBarWindow32"};
constexpr std::u16string_view kFenrirEmbeddedBarEx[] = {u"Edit", u"FenrirComboBoxCtrlEx",
                                                        u"FenrirAdressBarCtrl",
                                                        u"FenrirEmbeddedToolBar", u"ReBarWindow32"};
constexpr std::u16string_view kFenrirBarEx[] = {u"Edit", u"FenrirComboBoxCtrlEx",
                                                u"FenrirAdressBarCtrl", u"ReBarWindow32"};
constexpr ControlPath kFenrirPaths[] = {kFenrirBar, kFenrirEmbeddedBar, kFenrirEmbeddedBarEx,
                                        kFenrirBarEx};

// Lunascape 3 to 8, full and lite.
constexpr std::u16string_view kLunascapeFrames[] = {
    u"Lunascape3MainWnd",     u"Lunascape4MainWnd",     u"Lunascape5MainWnd",
    u"Lunascape6MainWnd",     u"Lunascape7MainWnd",     u"Lunascape8MainWnd",
    u"Lunascape3LiteMainWnd", u"Lunascape4LiteMainWnd", u"Lunascape5LiteMainWnd",
    u"Lunascape6LiteMainWnd", u"Lunascape7LiteMainWnd", u"Lunascape8LiteMainWnd"};
constexpr std::u16string_view kLunascapeComboBoxEx[] = {u"ComboBoxEx32", kAny, u"ReBarWindow32",
                                                        kAny};
constexpr std::u16string_view kLunascapeComboBox[] = {u"ComboBox", kAny, kAny, u"ReBarWindow32",
                                                      kAny};
constexpr ControlPath kLunascapePaths[] = {kLunascapeComboBoxEx, kLunascapeComboBox};

// Donut.
constexpr std::u16string_view kDonutFrames[] = {u"WTL:DonutRAPT", u"WTL:DonutL", u"WTL:DonutQ"};
constexpr std::u16string_view kDonutBar[] = {u"Donut_AddressBar", u"ReBarWindow32", kAny};
constexpr ControlPath kDonutPaths[] = {kDonutBar};

// A window of class TFMain.
constexpr std::u16string_view kTfMainFrames[] = {u"TFMain"};
constexpr std::u16string_view kTfMainBar[] = {u"TComboBox", u"TPanel", u"TCoolBar", u"TFMain"};
constexpr ControlPath kTfMainPaths[] = {kTfMainBar};

// A window with Office-style command bars.
constexpr std::u16string_view kCommandBarFrames[] = {u"wndclass_desked_gsk"};
constexpr std::u16string_view kCommandBarEdit[] = {u"Edit", u"MsoCommandBar", u"MsoCommandBarDock",
                                                   kAny};
constexpr std::u16string_view kCommandBarRichEdit[] = {u"RichEdit20W", u"MsoCommandBar",
                                                       u"MsoCommandBarDock", kAny};
constexpr ControlPath kCommandBarPaths[] = {kCommandBarEdit, kCommandBarRichEdit};

constexpr std::u16string_view kHttp = u"http://";
static_assert(kHttp.size() == kHttpPrefixRoom);
constexpr std::u16string_view kHttps = u"https://";

bool StartsWith(const char16_t* text, std::u16string_view prefix) {
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (text[i] != prefix[i]) {  // the terminator differs from every prefix character
            return false;
        }
    }
    return true;
}

// Reads a window's text into text (kControlTextRoom units), terminated after what the
// window reported, which is never taken as more than the room allows.
std::size_t ReadText(WindowTree& tree, WindowRef window, char16_t* text) {
    text[0] = u'\0';
    std::size_t length = tree.Text(window, text, kControlTextRoom);
    length = std::min(length, kControlTextRoom - 1);
    text[length] = u'\0';
    return length;
}

// A control and its ancestors, each window and class name looked up at most once however
// many paths ask: the families' paths share their first levels, and a scan tries every path
// on every descendant of a browser window.
class Ancestry {
  public:
    explicit Ancestry(WindowTree& tree) : m_tree(tree) {}

    void Reset(WindowRef control) {
        m_windows[0] = control;
        m_windowsKnown = 1;
        m_classesRead.fill(false);
    }

    // True when the windows from the control upward fit path. Deeper paths than
    // kMaxPathDepth never fit.
    bool Fits(ControlPath path) {
        if (path.size() > kMaxPathDepth) {
            return false;
        }
        for (std::size_t level = 0; level < path.size(); ++level) {
            if (WindowAt(level) == 0) {
                return false;
            }
            // Class names compare as lstrcmpiW compares these ASCII names: case folded.
            if (!path[level].empty() && !EqualsAsciiNoCase(ClassAt(level), path[level])) {
                return false;
            }
        }
        return true;
    }

    WindowRef Control() const { return m_windows[0]; }

    // The windows looked at so far, from the control upward, into cached.
    void Remember(CachedReader& cached) const {
        cached.ancestry = m_windows;
        cached.levels = m_windowsKnown;
    }

  private:
    WindowRef WindowAt(std::size_t level) {
        while (m_windowsKnown <= level) {
            const WindowRef below = m_windows[m_windowsKnown - 1];
            m_windows[m_windowsKnown++] = below == 0 ? 0 : m_tree.Parent(below);
        }
        return m_windows[level];
    }

    // Empty when the name cannot be read, which fits no named entry.
    std::u16string_view ClassAt(std::size_t level) {
        if (!m_classesRead[level]) {
            char16_t* name = m_names[level].data();
            name[0] = u'\0';
            const std::size_t length = m_tree.ClassName(m_windows[level], name, kClassNameRoom);
            m_lengths[level] = std::min(length, kClassNameRoom - 1);
            m_classesRead[level] = true;
        }
        return {m_names[level].data(), m_lengths[level]};
    }

    WindowTree& m_tree;
    std::array<WindowRef, kMaxPathDepth> m_windows{};
    std::size_t m_windowsKnown = 0;
    std::array<bool, kMaxPathDepth> m_classesRead{};
    std::array<std::size_t, kMaxPathDepth> m_lengths{};
    std::array<std::array<char16_t, kClassNameRoom>, kMaxPathDepth> m_names;
};

// The address in a text read through path of family (at kHttpPrefixRoom in address).
bool MatchPathText(const BrowserFamily& family, std::size_t path, PrefixableText& address,
                   CurrentArticle& article) {
    if (family.prefixesHttp && path > 0) {
        return MatchWithHttpPrefix(address, article);
    }
    return MatchWatchedAddress(address.data() + kHttpPrefixRoom, article);
}

// fitted: the path that gave the text, where one did.
bool ReadFamilyControlWith(WindowTree& tree, Ancestry& ancestry, const BrowserFamily& family,
                           CurrentArticle& article, std::size_t* fitted = nullptr) {
    PrefixableText address;
    char16_t* const text = address.data() + kHttpPrefixRoom;
    for (std::size_t i = 0; i < family.paths.size(); ++i) {
        if (!ancestry.Fits(family.paths[i]) || ReadText(tree, ancestry.Control(), text) == 0) {
            continue;
        }
        if (fitted != nullptr) {
            *fitted = i;
        }
        return MatchPathText(family, i, address, article);
    }
    return false;
}

// Whether the cached control is still the kind of window the hit saw, under the same
// ancestors. A window's class never changes, so the ancestors' classes are those the hit
// compared while the same windows stand there; the control's handle may name a new window,
// whose class the tree reads.
bool AncestryHolds(WindowTree& tree, const CachedReader& cached) {
    const std::u16string_view entry = cached.family->paths[cached.path][0];
    if (cached.levels == 0 || entry.empty()) {
        return false;
    }
    std::array<char16_t, kClassNameRoom> name;
    const std::size_t length =
        std::min(tree.ClassName(cached.control, name.data(), name.size()), name.size() - 1);
    if (!EqualsAsciiNoCase({name.data(), length}, entry)) {
        return false;
    }
    WindowRef window = cached.control;
    for (std::size_t level = 1; level < cached.levels; ++level) {
        window = window == 0 ? 0 : tree.Parent(window);
        if (window != cached.ancestry[level]) {
            return false;
        }
    }
    return true;
}

template <class F>
class VisitorOf final : public WindowVisitor {
  public:
    explicit VisitorOf(F& f) : m_f(f) {}
    bool Visit(WindowRef window) override { return m_f(window); }

  private:
    F& m_f;
};

template <class F>
VisitorOf<F> MakeVisitor(F& f) {
    return VisitorOf<F>(f);
}

}  // namespace

constexpr std::array<BrowserFamily, 7> BrowserFamilies = {{
    {u"Internet Explorer", kIeFrames, kIePaths, false},
    {u"Chrome", kChromeFrames, kChromePaths, true},
    {u"Sleipnir", kFenrirFrames, kFenrirPaths, false},
    {u"Lunascape", kLunascapeFrames, kLunascapePaths, false},
    {u"Donut", kDonutFrames, kDonutPaths, false},
    {u"TFMain", kTfMainFrames, kTfMainPaths, false},
    {u"Command bar", kCommandBarFrames, kCommandBarPaths, false},
}};

static_assert([] {
    for (const BrowserFamily& family : BrowserFamilies) {
        for (ControlPath path : family.paths) {
            if (path.empty() || path.size() > kMaxPathDepth) {
                return false;
            }
        }
    }
    return true;
}());

const BrowserFamily* FindBrowserFamily(std::u16string_view className) {
    for (const BrowserFamily& family : BrowserFamilies) {
        for (std::u16string_view frame : family.topLevelClasses) {
            if (EqualsAsciiNoCase(className, frame)) {
                return &family;
            }
        }
    }
    return nullptr;
}

bool MatchWithHttpPrefix(PrefixableText& address, CurrentArticle& article) {
    const char16_t* const text = address.data() + kHttpPrefixRoom;
    if (StartsWith(text, kHttp) || StartsWith(text, kHttps)) {
        return MatchWatchedAddress(text, article);
    }
    std::copy(kHttp.begin(), kHttp.end(), address.begin());
    address[kControlTextRoom - 1] = u'\0';  // the prefixed address is cut to 2099
    return MatchWatchedAddress(address.data(), article);
}

bool ReadControlText(WindowTree& tree, ControlPath path, WindowRef control, ControlText& text) {
    text[0] = u'\0';
    Ancestry ancestry(tree);
    ancestry.Reset(control);
    return ancestry.Fits(path) && ReadText(tree, control, text.data()) > 0;
}

bool ReadFamilyControl(WindowTree& tree, const BrowserFamily& family, WindowRef control,
                       CurrentArticle& article) {
    Ancestry ancestry(tree);
    ancestry.Reset(control);
    return ReadFamilyControlWith(tree, ancestry, family, article);
}

bool ScanBrowsers(WindowTree& tree, CachedReader& cached, CurrentArticle& article) {
    Ancestry ancestry(tree);
    std::array<char16_t, kClassNameRoom> name;
    bool hit = false;
    auto visitTopLevel = [&](WindowRef window) {
        name[0] = u'\0';
        const std::size_t length =
            std::min(tree.ClassName(window, name.data(), kClassNameRoom), kClassNameRoom - 1);
        const BrowserFamily* family =
            length == 0 ? nullptr : FindBrowserFamily({name.data(), length});
        if (family == nullptr) {
            return true;
        }
        auto visitDescendant = [&](WindowRef control) {
            ancestry.Reset(control);
            std::size_t fitted = 0;
            if (ReadFamilyControlWith(tree, ancestry, *family, article, &fitted)) {
                cached = {control, family, fitted};
                ancestry.Remember(cached);
                hit = true;
            }
            return !hit;
        };
        auto descendants = MakeVisitor(visitDescendant);
        tree.VisitDescendants(window, descendants);
        return !hit;
    };
    auto topLevel = MakeVisitor(visitTopLevel);
    tree.VisitTopLevel(topLevel);
    return hit;
}

bool RecheckCachedReader(WindowTree& tree, CachedReader& cached, CurrentArticle& article) {
    if (cached.empty()) {
        return false;
    }
    if (AncestryHolds(tree, cached)) {
        PrefixableText address;
        // An empty text leaves the later paths to try: the whole test below decides.
        if (ReadText(tree, cached.control, address.data() + kHttpPrefixRoom) > 0) {
            if (MatchPathText(*cached.family, cached.path, address, article)) {
                return true;
            }
            cached = {};
            return false;
        }
    }
    Ancestry ancestry(tree);
    ancestry.Reset(cached.control);
    std::size_t fitted = 0;
    if (ReadFamilyControlWith(tree, ancestry, *cached.family, article, &fitted)) {
        cached.path = fitted;
        ancestry.Remember(cached);
        return true;
    }
    cached = {};
    return false;
}
