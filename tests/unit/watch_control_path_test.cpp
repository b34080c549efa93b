#include "watch/control_path.h"
#include "watch/window_class_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace {

// A desktop of windows in memory: class, parent, text, and the platform's orders.
struct FakeTree : WindowTree {
    struct Window {
        std::u16string className;
        WindowRef parent = 0;
        std::u16string text;
        bool answers = true;      // false: the window does not answer in time
        std::size_t reports = 0;  // when set, the count the window claims to have given
        bool classReadable = true;
    };
    std::map<WindowRef, Window> windows;
    std::vector<WindowRef> topLevel;  // front to back
    WindowRef next = 1;
    int classReads = 0, parentReads = 0, textReads = 0, descendantWalks = 0;

    WindowRef Add(std::u16string className, WindowRef parent = 0, std::u16string text = u"") {
        const WindowRef w = next++;
        windows[w] = {std::move(className), parent, std::move(text)};
        if (parent == 0) {
            topLevel.push_back(w);
        }
        return w;
    }
    // A chain of windows from classes[last] down to classes[0], under top; the control.
    WindowRef Chain(WindowRef top, const std::vector<std::u16string>& classes,
                    std::u16string text) {
        WindowRef parent = top;
        for (std::size_t i = classes.size(); i-- > 0;) {
            parent = Add(classes[i], parent, i == 0 ? text : u"");
        }
        return parent;
    }
    void Close(WindowRef w) {
        for (auto it = windows.begin(); it != windows.end();) {
            if (it->second.parent == w) {
                const WindowRef child = it->first;
                ++it;
                Close(child);
            } else {
                ++it;
            }
        }
        windows.erase(w);
        topLevel.erase(std::remove(topLevel.begin(), topLevel.end(), w), topLevel.end());
    }

    std::size_t ClassName(WindowRef w, char16_t* buffer, std::size_t room) override {
        ++classReads;
        auto it = windows.find(w);
        if (it == windows.end() || !it->second.classReadable) {
            return 0;
        }
        const std::size_t n = std::min(it->second.className.size(), room - 1);
        std::copy_n(it->second.className.data(), n, buffer);
        buffer[n] = u'\0';
        return n;
    }
    WindowRef Parent(WindowRef w) override {
        ++parentReads;
        auto it = windows.find(w);
        return it == windows.end() ? 0 : it->second.parent;
    }
    // As WM_GETTEXT: copies what fits with its terminator and reports the count copied.
    std::size_t Text(WindowRef w, char16_t* buffer, std::size_t room) override {
        ++textReads;
        auto it = windows.find(w);
        if (it == windows.end() || !it->second.answers) {
            return 0;
        }
        const std::size_t n = std::min(it->second.text.size(), room - 1);
        std::copy_n(it->second.text.data(), n, buffer);
        buffer[n] = u'\0';
        return it->second.reports != 0 ? it->second.reports : n;
    }
    void VisitTopLevel(WindowVisitor& visitor) override {
        const std::vector<WindowRef> order = topLevel;
        for (WindowRef w : order) {
            if (!visitor.Visit(w)) {
                return;
            }
        }
    }
    void VisitDescendants(WindowRef top, WindowVisitor& visitor) override {
        ++descendantWalks;
        Walk(top, visitor);
    }
    bool Walk(WindowRef parent, WindowVisitor& visitor) {
        for (auto& [w, window] : windows) {
            if (window.parent == parent && (!visitor.Visit(w) || !Walk(w, visitor))) {
                return false;
            }
        }
        return true;
    }
};

constexpr char16_t kArticleAddress[] = u"http://ja.wikipedia.org/wiki/Foo";

std::u16string Lower(std::u16string s) {
    for (char16_t& c : s) {
        c = (c >= u'A' && c <= u'Z') ? c + 32 : c;
    }
    return s;
}

std::vector<std::u16string> Strings(ControlPath path) {
    return {path.begin(), path.end()};
}

// Written out again here, so that a slip in the table (a letter, an order) shows.
struct ExpectedFamily {
    std::vector<std::u16string> frames;
    std::vector<std::vector<std::u16string>> paths;
    bool prefixesHttp;
};

const std::vector<ExpectedFamily>& Expected() {
    static const std::vector<ExpectedFamily> families = {
        {{u"ExploreWClass", u"IEFrame"},
         {{u"ComboBoxEx32"}, {u"Edit", u"Address Band Root", u"ReBarWindow32", u"WorkerW"}},
         false},
        {{u"Chrome_XPFrame", u"Chrome_VistaFrame", u"Chrome_WidgetWin_0", u"Chrome_WindowImpl_0"},
         {{u"Chrome_AutocompleteEdit"}, {u"Chrome_AutocompleteEditView"}, {u"Chrome_OmniboxView"}},
         true},
        {{u"SleipnirMainWindow", u"GraniMainWindow"},
         {{u"Edit", u"FenrirComboBoxCtrl", u"FenrirAdressBarCtrl", u"ReBarWindow32"},
          {u"Edit", u"FenrirComboBoxCtrl", u"FenrirAdressBarCtrl", u"FenrirEmbeddedToolBar",
           u"ReBarWindow32"},
          {u"Edit", u"FenrirComboBoxCtrlEx", u"FenrirAdressBarCtrl", u"FenrirEmbeddedToolBar",
           u"ReBarWindow32"},
          {u"Edit", u"FenrirComboBoxCtrlEx", u"FenrirAdressBarCtrl", u"ReBarWindow32"}},
         false},
        {{u"Lunascape3MainWnd", u"Lunascape4MainWnd", u"Lunascape5MainWnd", u"Lunascape6MainWnd",
          u"Lunascape7MainWnd", u"Lunascape8MainWnd", u"Lunascape3LiteMainWnd",
          u"Lunascape4LiteMainWnd", u"Lunascape5LiteMainWnd", u"Lunascape6LiteMainWnd",
          u"Lunascape7LiteMainWnd", u"Lunascape8LiteMainWnd"},
         {{u"ComboBoxEx32", u"", u"ReBarWindow32", u""},
          {u"ComboBox", u"", u"", u"ReBarWindow32", u""}},
         false},
        {{u"WTL:DonutRAPT", u"WTL:DonutL", u"WTL:DonutQ"},
         {{u"Donut_AddressBar", u"ReBarWindow32", u""}},
         false},
        {{u"TFMain"}, {{u"TComboBox", u"TPanel", u"TCoolBar", u"TFMain"}}, false},
        {{u"wndclass_desked_gsk"},
         {{u"Edit", u"MsoCommandBar", u"MsoCommandBarDock", u""},
          {u"RichEdit20W", u"MsoCommandBar", u"MsoCommandBarDock", u""}},
         false},
    };
    return families;
}

// Concrete classes for a path: an any-class entry becomes a class no path names.
std::vector<std::u16string> Concrete(ControlPath path) {
    std::vector<std::u16string> classes;
    for (std::u16string_view entry : path) {
        classes.emplace_back(entry.empty() ? u"SomethingElse" : entry);
    }
    return classes;
}

// ---- The families' table ----

TEST(BrowserFamilies, HoldEveryClassAndPathAsListed) {
    ASSERT_EQ(BrowserFamilies.size(), Expected().size());
    for (std::size_t f = 0; f < BrowserFamilies.size(); ++f) {
        const BrowserFamily& family = BrowserFamilies[f];
        const ExpectedFamily& expected = Expected()[f];
        EXPECT_EQ(std::vector<std::u16string>(family.topLevelClasses.begin(),
                                              family.topLevelClasses.end()),
                  expected.frames);
        ASSERT_EQ(family.paths.size(), expected.paths.size());
        for (std::size_t p = 0; p < family.paths.size(); ++p) {
            EXPECT_EQ(Strings(family.paths[p]), expected.paths[p])
                << "family " << f << " path " << p;
        }
        EXPECT_EQ(family.prefixesHttp, expected.prefixesHttp);
    }
}

TEST(BrowserFamilies, ATopLevelClassPicksItsFamilyInAnyCase) {
    for (const BrowserFamily& family : BrowserFamilies) {
        for (std::u16string_view frame : family.topLevelClasses) {
            EXPECT_EQ(FindBrowserFamily(frame), &family);
            EXPECT_EQ(FindBrowserFamily(Lower(std::u16string(frame))), &family);
        }
    }
    EXPECT_EQ(FindBrowserFamily(u"IEFRAME"), &BrowserFamilies[0]);
    EXPECT_EQ(FindBrowserFamily(u"MozillaWindowClass"), nullptr);
    EXPECT_EQ(FindBrowserFamily(u""), nullptr);
    EXPECT_EQ(FindBrowserFamily(u"IEFrame "), nullptr);
    EXPECT_EQ(FindBrowserFamily(u"IEFram"), nullptr);
}

// ---- Fitting a path ----

TEST(ReadControlText, EveryPathFitsItsOwnChainInAnyCase) {
    for (const BrowserFamily& family : BrowserFamilies) {
        for (ControlPath path : family.paths) {
            for (bool lower : {false, true}) {
                FakeTree tree;
                std::vector<std::u16string> classes = Concrete(path);
                if (lower) {
                    for (auto& c : classes)
                        c = Lower(c);
                }
                const WindowRef top = tree.Add(u"Top");
                const WindowRef control = tree.Chain(top, classes, kArticleAddress);
                ControlText text;
                EXPECT_TRUE(ReadControlText(tree, path, control, text)) << classes[0].size();
                EXPECT_EQ(std::u16string(text.data()), kArticleAddress);
            }
        }
    }
}

TEST(ReadControlText, AWrongClassAtAnyNamedLevelFails) {
    for (const BrowserFamily& family : BrowserFamilies) {
        for (ControlPath path : family.paths) {
            for (std::size_t level = 0; level < path.size(); ++level) {
                if (path[level].empty()) {
                    continue;
                }
                FakeTree tree;
                std::vector<std::u16string> classes = Concrete(path);
                classes[level] += u"X";
                const WindowRef control = tree.Chain(tree.Add(u"Top"), classes, kArticleAddress);
                ControlText text;
                EXPECT_FALSE(ReadControlText(tree, path, control, text)) << level;
                EXPECT_EQ(tree.textReads, 0);
            }
        }
    }
}

TEST(ReadControlText, AMissingAncestorFailsEvenWhereAnyClassIsAccepted) {
    for (const BrowserFamily& family : BrowserFamilies) {
        for (ControlPath path : family.paths) {
            // The chain stops one level short: the last entry has no window.
            std::vector<std::u16string> classes = Concrete(path);
            classes.pop_back();
            if (classes.empty()) {
                continue;
            }
            FakeTree tree;
            const WindowRef control = tree.Chain(0, classes, kArticleAddress);
            ControlText text;
            EXPECT_FALSE(ReadControlText(tree, path, control, text)) << Strings(path).size();
        }
    }
}

TEST(ReadControlText, AnyClassEntriesAcceptEveryClassAndAnUnreadableOne) {
    const ControlPath lunascape = BrowserFamilies[3].paths[1];  // ComboBox, *, *, ReBar, *
    FakeTree tree;
    const WindowRef top = tree.Add(u"Lunascape6MainWnd");
    const WindowRef control =
        tree.Chain(top, {u"ComboBox", u"Edit", u"ReBarWindow32", u"ReBarWindow32"}, u"abc");
    tree.windows[tree.windows[control].parent].classReadable = false;
    ControlText text;
    EXPECT_TRUE(ReadControlText(tree, lunascape, control, text));
    EXPECT_EQ(std::u16string(text.data()), u"abc");
    // A named level whose class cannot be read fails.
    tree.windows[control].classReadable = false;
    EXPECT_FALSE(ReadControlText(tree, lunascape, control, text));
}

TEST(ReadControlText, TheFirstFamilysComboBoxExFitsWhateverItsAncestors) {
    FakeTree tree;
    const WindowRef control =
        tree.Chain(tree.Add(u"IEFrame"), {u"ComboBoxEx32", u"Anything", u"AtAll"}, u"abc");
    ControlText text;
    EXPECT_TRUE(ReadControlText(tree, BrowserFamilies[0].paths[0], control, text));
    const WindowRef alone = tree.Add(u"comboboxex32", 0, u"abc");
    EXPECT_TRUE(ReadControlText(tree, BrowserFamilies[0].paths[0], alone, text));
}

TEST(ReadControlText, LunascapeNeedsTheRebarAtItsOwnLevelAndAWindowAbove) {
    const BrowserFamily& lunascape = BrowserFamilies[3];
    ControlText text;
    {
        FakeTree tree;  // ComboBoxEx32 whose grandparent is no rebar
        const WindowRef c = tree.Chain(tree.Add(u"Lunascape5MainWnd"),
                                       {u"ComboBoxEx32", u"A", u"B", u"ReBarWindow32"}, u"x");
        EXPECT_FALSE(ReadControlText(tree, lunascape.paths[0], c, text));
    }
    {
        FakeTree tree;  // ComboBox with the rebar as grandparent, not great-grandparent
        const WindowRef c = tree.Chain(tree.Add(u"Lunascape5MainWnd"),
                                       {u"ComboBox", u"A", u"ReBarWindow32", u"B"}, u"x");
        EXPECT_FALSE(ReadControlText(tree, lunascape.paths[1], c, text));
    }
    {
        FakeTree tree;  // ComboBox with the rebar as great-grandparent, but nothing above it
        const WindowRef c = tree.Chain(0, {u"ComboBox", u"A", u"B", u"ReBarWindow32"}, u"x");
        EXPECT_FALSE(ReadControlText(tree, lunascape.paths[1], c, text));
        tree.windows[tree.topLevel[0]].parent = tree.Add(u"Lunascape5MainWnd");
        EXPECT_TRUE(ReadControlText(tree, lunascape.paths[1], c, text));
    }
}

TEST(ReadControlText, NoWindowOrNoTextFails) {
    FakeTree tree;
    ControlText text;
    const ControlPath chrome = BrowserFamilies[1].paths[0];
    EXPECT_FALSE(ReadControlText(tree, chrome, 0, text));
    EXPECT_FALSE(ReadControlText(tree, chrome, 42, text));  // a window that has gone
    const WindowRef empty = tree.Add(u"Chrome_AutocompleteEdit", 0, u"");
    EXPECT_FALSE(ReadControlText(tree, chrome, empty, text));
    const WindowRef hung = tree.Add(u"Chrome_AutocompleteEdit", 0, u"abc");
    tree.windows[hung].answers = false;
    EXPECT_FALSE(ReadControlText(tree, chrome, hung, text));
    EXPECT_EQ(text[0], u'\0');
}

// ---- Reading a family's control ----

struct ChromeCase {
    std::size_t path;
    std::u16string text;
    bool hit;
    std::u16string article;
};

void PrintTo(const ChromeCase& c, std::ostream* os) {
    *os << "path " << c.path + 1 << " \"";
    for (char16_t ch : c.text) {
        *os << static_cast<char>(ch < 0x80 ? ch : '?');
    }
    *os << '"';
}

class ChromePrefix : public ::testing::TestWithParam<ChromeCase> {};

TEST_P(ChromePrefix, AppliesToTheLaterPathsOnlyAndNotToAnAddressWithItsScheme) {
    const ChromeCase& c = GetParam();
    FakeTree tree;
    const BrowserFamily& chrome = BrowserFamilies[1];
    const WindowRef control =
        tree.Chain(tree.Add(u"Chrome_WidgetWin_0"), Strings(chrome.paths[c.path]), c.text);
    CurrentArticle article;
    EXPECT_EQ(ReadFamilyControl(tree, chrome, control, article), c.hit);
    EXPECT_EQ(std::u16string(article.c_str()), c.article);
}

// The media host tells a doubled prefix apart: "http://http://upload..." matches nothing.
INSTANTIATE_TEST_SUITE_P(
    Cases, ChromePrefix,
    ::testing::Values(ChromeCase{2, u"ja.wikipedia.org/wiki/Foo", true, u"Foo"},
                      ChromeCase{1, u"ja.wikipedia.org/wiki/Foo", true, u"Foo"},
                      ChromeCase{0, u"ja.wikipedia.org/wiki/Foo", false, u""},
                      ChromeCase{0, u"http://ja.wikipedia.org/wiki/Foo", true, u"Foo"},
                      ChromeCase{2, u"upload.wikimedia.org/a.png", true, u""},
                      ChromeCase{2, u"http://upload.wikimedia.org/a.png", true, u""},
                      ChromeCase{2, u"https://upload.wikimedia.org/a.png", true, u""},
                      ChromeCase{1, u"https://upload.wikimedia.org/a.png", true, u""},
                      ChromeCase{2, u"HTTP://upload.wikimedia.org/a.png", false,
                                 u""},  // compared with case
                      ChromeCase{0, u"upload.wikimedia.org/a.png", false, u""},
                      ChromeCase{2, u"example.com/wiki/Foo", false, u""}));

TEST(ReadFamilyControl, TheChromePrefixCutsTheAddressTo2099Characters) {
    const std::u16string head = u"ja.wikipedia.org/wiki/";
    for (std::size_t length : {2000u, 2092u, 2093u, 2099u}) {
        FakeTree tree;
        const WindowRef control =
            tree.Add(u"Chrome_OmniboxView", 0, head + std::u16string(length - head.size(), u'A'));
        CurrentArticle article;
        EXPECT_TRUE(ReadFamilyControl(tree, BrowserFamilies[1], control, article));
        // "http://" + head is 29 characters: 2099 - 29 remain for the name.
        EXPECT_EQ(std::u16string(article.c_str()).size(),
                  std::min<std::size_t>(length + 7, 2099) - 29);
    }
}

TEST(ReadFamilyControl, OtherFamiliesTakeTheTextAsItStands) {
    FakeTree tree;
    const WindowRef control =
        tree.Chain(tree.Add(u"IEFrame"), {u"ComboBoxEx32"}, u"ja.wikipedia.org/wiki/Foo");
    CurrentArticle article;
    EXPECT_FALSE(ReadFamilyControl(tree, BrowserFamilies[0], control, article));
    tree.windows[control].text = kArticleAddress;
    EXPECT_TRUE(ReadFamilyControl(tree, BrowserFamilies[0], control, article));
    EXPECT_EQ(std::u16string(article.c_str()), u"Foo");
}

TEST(ReadFamilyControl, LooksUpEachAncestorOnceForAllPaths) {
    FakeTree tree;
    const BrowserFamily& sleipnir = BrowserFamilies[2];
    const WindowRef control =
        tree.Chain(tree.Add(u"SleipnirMainWindow"), Strings(sleipnir.paths[3]), kArticleAddress);
    CurrentArticle article;
    EXPECT_TRUE(ReadFamilyControl(tree, sleipnir, control, article));
    EXPECT_EQ(tree.classReads, 4);  // four levels, though four paths were tried
    EXPECT_EQ(tree.textReads, 1);
}

TEST(ReadFamilyControl, ANonArticleHitEmptiesTheArticleAndAMissLeavesItEmpty) {
    FakeTree tree;
    const WindowRef control = tree.Add(u"Chrome_AutocompleteEdit", 0, kArticleAddress);
    CurrentArticle article;
    ASSERT_TRUE(ReadFamilyControl(tree, BrowserFamilies[1], control, article));
    tree.windows[control].text = u"http://ja.wikipedia.org/w/index.php";
    EXPECT_TRUE(ReadFamilyControl(tree, BrowserFamilies[1], control, article));
    EXPECT_TRUE(article.empty());
}

// ---- Scanning the desktop and the cached reader ----

struct Desk : ::testing::Test {
    FakeTree tree;
    CachedReader cached;
    CurrentArticle article;

    WindowRef Chrome(std::u16string text, std::u16string frame = u"Chrome_WidgetWin_0") {
        const WindowRef top = tree.Add(std::move(frame));
        tree.Add(u"Chrome_RenderWidgetHostHWND", top, u"page");
        return tree.Add(u"Chrome_OmniboxView", top, std::move(text));
    }
};

TEST_F(Desk, TheFirstBrowserFrontToBackThatShowsTheSiteIsCached) {
    tree.Add(u"Shell_TrayWnd");
    Chrome(u"example.com/");
    const WindowRef first = Chrome(u"ja.wikipedia.org/wiki/First");
    const WindowRef second = Chrome(u"ja.wikipedia.org/wiki/Second", u"chrome_xpframe");
    EXPECT_TRUE(ScanBrowsers(tree, cached, article));
    EXPECT_EQ(cached.control, first);
    EXPECT_EQ(cached.family, &BrowserFamilies[1]);
    EXPECT_EQ(std::u16string(article.c_str()), u"First");

    // The scan stopped at the hit: the second browser was never read.
    tree.textReads = 0;
    tree.topLevel = {tree.topLevel[0], tree.windows[second].parent, tree.topLevel[1],
                     tree.windows[first].parent};
    cached = {};
    EXPECT_TRUE(ScanBrowsers(tree, cached, article));
    EXPECT_EQ(cached.control, second);
    EXPECT_EQ(tree.textReads, 1);
}

TEST_F(Desk, TheFirstFittingControlOfABrowserEndsTheScan) {
    const WindowRef top = tree.Add(u"IEFrame");
    const WindowRef first = tree.Add(u"ComboBoxEx32", top, u"http://ja.wikipedia.org/wiki/A");
    tree.Add(u"ComboBoxEx32", top, u"http://ja.wikipedia.org/wiki/B");
    EXPECT_TRUE(ScanBrowsers(tree, cached, article));
    EXPECT_EQ(cached.control, first);
    EXPECT_EQ(std::u16string(article.c_str()), u"A");
    EXPECT_EQ(tree.textReads, 1);
}

TEST_F(Desk, AWindowOfNoFamilyIsPassedOverWithoutVisitingItsDescendants) {
    const WindowRef foreign = tree.Add(u"MozillaWindowClass");
    tree.Add(u"Chrome_OmniboxView", foreign, kArticleAddress);
    const WindowRef unreadable = tree.Add(u"Chrome_WidgetWin_0");
    tree.windows[unreadable].classReadable = false;
    tree.Add(u"Chrome_OmniboxView", unreadable, kArticleAddress);
    EXPECT_FALSE(ScanBrowsers(tree, cached, article));
    EXPECT_EQ(tree.descendantWalks, 0);
    EXPECT_TRUE(cached.empty());
}

TEST_F(Desk, ABrowserWithoutAFittingControlIsPassedOver) {
    const WindowRef bare = tree.Add(u"IEFrame");
    tree.Chain(bare, {u"Edit", u"Address Band Root", u"ReBarWindow32", u"NotWorkerW"},
               kArticleAddress);
    const WindowRef control =
        tree.Chain(tree.Add(u"WTL:DonutL"), {u"Donut_AddressBar", u"ReBarWindow32", u"X"},
                   u"http://ja.wikipedia.org/wiki/Donut");
    EXPECT_TRUE(ScanBrowsers(tree, cached, article));
    EXPECT_EQ(cached.control, control);
    EXPECT_EQ(cached.family, &BrowserFamilies[4]);
    EXPECT_EQ(std::u16string(article.c_str()), u"Donut");
}

TEST_F(Desk, NothingShowingTheSiteIsAMissThatLeavesNoCache) {
    Chrome(u"example.com/");
    Chrome(u"");
    EXPECT_FALSE(ScanBrowsers(tree, cached, article));
    EXPECT_TRUE(cached.empty());
    FakeTree empty;
    EXPECT_FALSE(ScanBrowsers(empty, cached, article));
}

TEST_F(Desk, TheRecheckReadsTheCachedControlAloneWhileItShowsTheSite) {
    Chrome(u"ja.wikipedia.org/wiki/A");
    ASSERT_TRUE(ScanBrowsers(tree, cached, article));
    const CachedReader before = cached;
    tree.classReads = tree.textReads = tree.descendantWalks = 0;
    EXPECT_TRUE(RecheckCachedReader(tree, cached, article));
    EXPECT_EQ(cached.control, before.control);
    EXPECT_EQ(tree.descendantWalks, 0);
    EXPECT_EQ(tree.textReads, 1);
}

TEST_F(Desk, TheRecheckAsksOnlyWhatCanChangeAndFollowsAMove) {
    // Sleipnir's deepest path: the control's own class and its four ancestors are asked,
    // not the ancestors' classes, which cannot change while they are the same windows.
    const WindowRef top = tree.Add(u"SleipnirMainWindow");
    const WindowRef control =
        tree.Chain(top, Strings(BrowserFamilies[2].paths[2]), kArticleAddress);
    ASSERT_TRUE(ScanBrowsers(tree, cached, article));
    ASSERT_EQ(cached.path, 2u);
    tree.classReads = tree.parentReads = tree.textReads = 0;
    EXPECT_TRUE(RecheckCachedReader(tree, cached, article));
    EXPECT_EQ(tree.classReads, 1);
    EXPECT_EQ(tree.parentReads, 4);
    EXPECT_EQ(tree.textReads, 1);

    // Moved under another chain of the same classes: the whole test runs again, fits, and
    // the new ancestors are the ones checked from then on.
    const WindowRef other = tree.Chain(top, Strings(BrowserFamilies[2].paths[2]), kArticleAddress);
    tree.windows[control].parent = tree.windows[other].parent;
    tree.classReads = 0;
    EXPECT_TRUE(RecheckCachedReader(tree, cached, article));
    EXPECT_GT(tree.classReads, 1);
    tree.classReads = 0;
    EXPECT_TRUE(RecheckCachedReader(tree, cached, article));
    EXPECT_EQ(tree.classReads, 1);
    // An ancestor gone from between: the control's parent is now the frame itself.
    tree.windows[control].parent = top;
    EXPECT_FALSE(RecheckCachedReader(tree, cached, article));
    EXPECT_TRUE(cached.empty());
}

TEST(WindowClassCache, ANameCountsWhileTheHandleKeepsItsOwnerAndIsLetGoWhenUnused) {
    WindowClassCache cache;
    cache.Store(7, 100, u"Chrome_OmniboxView");
    ASSERT_NE(cache.Find(7, 100), nullptr);
    EXPECT_EQ(*cache.Find(7, 100), u"Chrome_OmniboxView");
    // The handle given to a window of another thread or process: read again.
    EXPECT_EQ(cache.Find(7, 101), nullptr);
    EXPECT_EQ(cache.Find(7, 100), nullptr) << "the stale name was dropped";
    cache.Store(7, 101, u"Edit");
    cache.Store(8, 100, u"Button");
    // Looked up every round: kept. Not looked up for the rounds of a sweep: let go.
    for (std::uint32_t round = 0; round < 3 * kClassCacheRounds; ++round) {
        cache.NextRound();
        ASSERT_NE(cache.Find(7, 101), nullptr) << round;
    }
    EXPECT_EQ(cache.Find(8, 100), nullptr);
    EXPECT_EQ(cache.size(), 1u);
    cache.Forget(7);
    EXPECT_EQ(cache.size(), 0u);
}

TEST_F(Desk, ARecheckMissEmptiesTheCache) {
    const WindowRef control = Chrome(u"ja.wikipedia.org/wiki/A");
    auto cacheIt = [&] { cached = {control, &BrowserFamilies[1]}; };
    cacheIt();
    tree.windows[control].text = u"example.com/";  // navigated away
    EXPECT_FALSE(RecheckCachedReader(tree, cached, article));
    EXPECT_TRUE(cached.empty());
    EXPECT_FALSE(RecheckCachedReader(tree, cached, article));  // nothing cached: no reads
    tree.windows[control].text = u"ja.wikipedia.org/wiki/A";

    cacheIt();
    tree.windows[control].className = u"Chrome_RenderWidgetHostHWND";  // another class
    EXPECT_FALSE(RecheckCachedReader(tree, cached, article));
    EXPECT_TRUE(cached.empty());
    tree.windows[control].className = u"Chrome_OmniboxView";

    cacheIt();
    tree.windows[control].answers = false;  // no answer in time
    EXPECT_FALSE(RecheckCachedReader(tree, cached, article));
    EXPECT_TRUE(cached.empty());
    tree.windows[control].answers = true;

    cacheIt();
    tree.Close(tree.windows[control].parent);  // closed
    EXPECT_FALSE(RecheckCachedReader(tree, cached, article));
    EXPECT_TRUE(cached.empty());
}

TEST_F(Desk, AControlMovedToAnotherParentFailsThePathTest) {
    const WindowRef top = tree.Add(u"SleipnirMainWindow");
    const WindowRef control =
        tree.Chain(top, Strings(BrowserFamilies[2].paths[0]), kArticleAddress);
    ASSERT_TRUE(ScanBrowsers(tree, cached, article));
    tree.windows[control].parent = top;
    EXPECT_FALSE(RecheckCachedReader(tree, cached, article));
    EXPECT_TRUE(cached.empty());
}

TEST_F(Desk, AfterTheCachedBrowserLeavesTheSiteTheScanFindsAnother) {
    const WindowRef first = Chrome(u"ja.wikipedia.org/wiki/A");
    const WindowRef second = Chrome(u"ja.wikipedia.org/wiki/B");
    ASSERT_TRUE(ScanBrowsers(tree, cached, article));
    ASSERT_EQ(cached.control, first);
    tree.windows[first].text = u"example.com/";
    EXPECT_FALSE(RecheckCachedReader(tree, cached, article));
    EXPECT_TRUE(ScanBrowsers(tree, cached, article));
    EXPECT_EQ(cached.control, second);
    EXPECT_EQ(std::u16string(article.c_str()), u"B");
}

// ---- Bad input ----

TEST(BadWindows, TextsOfEveryLengthStayInTheBuffer) {
    const std::u16string head = u"http://ja.wikipedia.org/wiki/";
    for (std::size_t length : {0u, 1u, 2099u, 2100u, 100000u}) {
        FakeTree tree;
        std::u16string text = head + std::u16string(100000, u'B');
        text.resize(length);
        const WindowRef control = tree.Add(u"Chrome_AutocompleteEdit", 0, text);
        ControlText read;
        EXPECT_EQ(ReadControlText(tree, BrowserFamilies[1].paths[0], control, read), length > 0);
        EXPECT_EQ(std::u16string(read.data()), text.substr(0, 2099));
        CurrentArticle article;
        EXPECT_EQ(ReadFamilyControl(tree, BrowserFamilies[1], control, article), length >= 2099);
        if (length >= 2099) {
            EXPECT_EQ(std::u16string(article.c_str()).size(), 2099 - head.size());
        }
    }
}

TEST(BadWindows, AWindowThatClaimsMoreThanTheRoomIsCutAtTheRoom) {
    FakeTree tree;
    const WindowRef control = tree.Add(u"Chrome_OmniboxView", 0, u"ja.wikipedia.org/wiki/A");
    tree.windows[control].reports = 100000;
    ControlText text;
    EXPECT_TRUE(ReadControlText(tree, BrowserFamilies[1].paths[2], control, text));
    EXPECT_EQ(text[kControlTextRoom - 1], u'\0');
    CurrentArticle article;
    EXPECT_TRUE(ReadFamilyControl(tree, BrowserFamilies[1], control, article));
}

TEST(BadWindows, LongClassNamesAreComparedNotOverrun) {
    for (std::size_t length : {255u, 256u, 2099u, 2100u, 5000u}) {
        FakeTree tree;
        const std::u16string name = u"IEFrame" + std::u16string(length - 7, u'x');
        const WindowRef top = tree.Add(name);
        tree.Add(u"ComboBoxEx32", top, kArticleAddress);
        const WindowRef control = tree.Add(name, tree.Add(u"IEFrame"), kArticleAddress);
        CachedReader cached;
        CurrentArticle article;
        EXPECT_FALSE(ScanBrowsers(tree, cached, article));
        EXPECT_FALSE(ReadFamilyControl(tree, BrowserFamilies[0], control, article));
        EXPECT_EQ(tree.descendantWalks, 1);  // only the real IEFrame
    }
}

}  // namespace
