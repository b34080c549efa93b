#include "watch/accessible_bar.h"
#include "watch/accessible_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// Elements are indices + 1 into nodes; windows are indices + 1 into tops.
struct FakeNode {
    ElementInfo info;
    std::u16string value;
    std::u16string id;
    std::vector<ElementRef> children;
    bool gone = false;
};

struct FakeTop {
    std::u16string className;
    ElementRef root = 0;
};

struct FakeAccessibleTree final : AccessibleTree {
    std::vector<FakeNode> nodes;
    std::size_t described = 0;
    std::size_t rootsAsked = 0;
    std::size_t keeps = 0;
    std::uint64_t* clockMs = nullptr;  // advanced on every Describe when set
    std::uint64_t msPerDescribe = 0;

    ElementRef Add(ElementRole role, ElementRef parent = 0) {
        FakeNode node;
        node.info.role = role;
        node.info.enabled = true;
        nodes.push_back(node);
        const ElementRef ref = nodes.size();
        if (parent != 0) {
            nodes[parent - 1].children.push_back(ref);
        }
        return ref;
    }
    // An enabled, focusable, editable edit holding value.
    ElementRef AddBar(ElementRef parent, std::u16string value) {
        const ElementRef bar = Add(ElementRole::Edit, parent);
        FakeNode& node = nodes[bar - 1];
        node.info.focusable = node.info.editable = true;
        node.value = std::move(value);
        return bar;
    }
    FakeNode& At(ElementRef ref) { return nodes[ref - 1]; }

    std::vector<ElementRef> roots;  // by window
    ElementRef Root(WindowRef window) override {
        ++rootsAsked;
        return window >= 1 && window <= roots.size() ? roots[window - 1] : 0;
    }
    bool Describe(ElementRef element, ElementInfo& info) override {
        ++described;
        if (clockMs != nullptr) {
            *clockMs += msPerDescribe;
        }
        if (element == 0 || element > nodes.size() || At(element).gone) {
            return false;
        }
        info = At(element).info;
        return true;
    }
    std::size_t Children(ElementRef element, ElementRef* children, std::size_t room) override {
        const auto& list = At(element).children;
        const std::size_t n = std::min(room, list.size());
        std::copy_n(list.begin(), n, children);
        return n;
    }
    static std::size_t Copy(const std::u16string& s, char16_t* buffer, std::size_t room) {
        const std::size_t n = std::min(s.size(), room - 1);
        std::copy_n(s.begin(), n, buffer);
        buffer[n] = u'\0';
        return n;
    }
    std::size_t Value(ElementRef element, char16_t* buffer, std::size_t room) override {
        return At(element).gone ? 0 : Copy(At(element).value, buffer, room);
    }
    std::size_t AutomationId(ElementRef element, char16_t* buffer, std::size_t room) override {
        return Copy(At(element).id, buffer, room);
    }
    ElementRef Keep(ElementRef keep) override {
        ++keeps;
        return keep;
    }
};

struct FakeWindows final : WindowTree {
    std::vector<std::u16string> classes;  // front to back; window i + 1
    std::size_t ClassName(WindowRef window, char16_t* buffer, std::size_t room) override {
        return FakeAccessibleTree::Copy(classes[window - 1], buffer, room);
    }
    WindowRef Parent(WindowRef) override { return 0; }
    std::size_t Text(WindowRef, char16_t*, std::size_t) override { return 0; }
    void VisitTopLevel(WindowVisitor& visitor) override {
        for (std::size_t i = 0; i < classes.size(); ++i) {
            if (!visitor.Visit(i + 1)) {
                return;
            }
        }
    }
    void VisitDescendants(WindowRef, WindowVisitor&) override {}
};

struct FakeClock final : MonotonicClock {
    std::uint64_t ms = 5000;
    std::uint64_t NowMs() override { return ms; }
};

struct AccessibleBars : ::testing::Test {
    FakeAccessibleTree tree;
    FakeWindows windows;
    FakeClock clock;
    AccessibleBarState state;
    CurrentArticle article;

    // A Chromium window: a toolbar with buttons and the bar, then the page's document (which
    // holds an edit of its own that must never be taken).
    ElementRef Chromium(std::u16string value) {
        const ElementRef root = tree.Add(ElementRole::Other);
        const ElementRef client = tree.Add(ElementRole::Other, root);
        const ElementRef document = tree.Add(ElementRole::Document, client);
        tree.AddBar(document, u"ja.wikipedia.org/wiki/InThePage");
        const ElementRef toolbar = tree.Add(ElementRole::Toolbar, client);
        tree.Add(ElementRole::Other, toolbar);  // back button
        const ElementRef group = tree.Add(ElementRole::Other, toolbar);
        const ElementRef bar = tree.AddBar(group, std::move(value));
        windows.classes.push_back(u"Chrome_WidgetWin_1");
        tree.roots.push_back(root);
        return bar;
    }
    // A Firefox window: the search box first (an edit in the toolbar too), then the bar known
    // by its id.
    ElementRef Firefox(std::u16string value) {
        const ElementRef root = tree.Add(ElementRole::Other);
        const ElementRef toolbar = tree.Add(ElementRole::Toolbar, root);
        const ElementRef search = tree.AddBar(toolbar, u"ja.wikipedia.org/wiki/Searched");
        tree.At(search).id = u"searchbar-input";
        const ElementRef bar = tree.AddBar(toolbar, std::move(value));
        tree.At(bar).id = u"urlbar-input";
        tree.Add(ElementRole::Document, root);
        windows.classes.push_back(u"MozillaWindowClass");
        tree.roots.push_back(root);
        return bar;
    }
    AccessibleSearchFigures figures;
    std::uint64_t budgetMs = kAccessibleBudgetMs;
    bool Scan() {
        return ScanAccessibleBars(windows, tree, clock, state, article, budgetMs, &figures);
    }
    std::u16string Article() const { return article.c_str(); }
};

// ---- Which element is the bar ----

TEST_F(AccessibleBars, ChromiumBarInTheToolbarIsReadAndPrefixed) {
    const ElementRef bar = Chromium(u"ja.wikipedia.org/wiki/Foo");
    EXPECT_TRUE(Scan());
    EXPECT_EQ(Article(), u"Foo");
    EXPECT_EQ(state.bar, bar);
}

TEST_F(AccessibleBars, FirefoxBarIsKnownByItsAutomationId) {
    const ElementRef bar = Firefox(u"https://ja.wikipedia.org/wiki/Bar");
    EXPECT_TRUE(Scan());
    EXPECT_EQ(Article(), u"Bar");
    EXPECT_EQ(state.bar, bar);
}

TEST_F(AccessibleBars, ChromiumRuleWantsEveryFlagAndTheToolbar) {
    const ElementRef bar = Chromium(u"ja.wikipedia.org/wiki/Foo");
    ElementInfo good = tree.At(bar).info;
    EXPECT_TRUE(IsAddressBar(tree, BarRule::Chromium, bar, good, true));
    EXPECT_FALSE(IsAddressBar(tree, BarRule::Chromium, bar, good, false));
    EXPECT_FALSE(IsAddressBar(tree, BarRule::None, bar, good, true));
    for (bool ElementInfo::*flag :
         {&ElementInfo::enabled, &ElementInfo::focusable, &ElementInfo::editable}) {
        ElementInfo info = good;
        info.*flag = false;
        EXPECT_FALSE(IsAddressBar(tree, BarRule::Chromium, bar, info, true));
    }
    ElementInfo other = good;
    other.role = ElementRole::Other;
    EXPECT_FALSE(IsAddressBar(tree, BarRule::Chromium, bar, other, true));
}

TEST_F(AccessibleBars, FirefoxWithoutIdsFallsBackToTheToolbarEdit) {
    const ElementRef bar = Firefox(u"ja.wikipedia.org/wiki/Bar");
    ElementInfo info = tree.At(bar).info;
    tree.At(bar).id = u"urlbar-input-other";
    EXPECT_FALSE(IsAddressBar(tree, BarRule::Firefox, bar, info, true));
    tree.At(bar).id.clear();
    EXPECT_TRUE(IsAddressBar(tree, BarRule::Firefox, bar, info, true));
    EXPECT_FALSE(IsAddressBar(tree, BarRule::Firefox, bar, info, false));
}

TEST_F(AccessibleBars, OnlyTheTwoFrameClassesAreSearched) {
    EXPECT_EQ(BarRuleFor(u"Chrome_WidgetWin_1"), BarRule::Chromium);
    EXPECT_EQ(BarRuleFor(u"MozillaWindowClass"), BarRule::Firefox);
    EXPECT_EQ(BarRuleFor(u"chrome_widgetwin_1"), BarRule::None);
    EXPECT_EQ(BarRuleFor(u"Chrome_WidgetWin_0"), BarRule::None);
    EXPECT_EQ(BarRuleFor(u""), BarRule::None);
    Chromium(u"ja.wikipedia.org/wiki/Foo");
    windows.classes[0] = u"Notepad";
    EXPECT_FALSE(Scan());
    EXPECT_EQ(tree.rootsAsked, 0u);
}

TEST_F(AccessibleBars, DocumentsAreNeverEntered) {
    Chromium(u"example.com/");  // the page's own edit holds an article address
    EXPECT_FALSE(Scan());
    EXPECT_TRUE(article.empty());
    for (const FakeNode& node : tree.nodes) {
        if (node.info.role == ElementRole::Document) {
            EXPECT_EQ(node.value, u"");  // documents hold no value; only the page's edit does
        }
    }
}

TEST_F(AccessibleBars, TheTabStripIsPassedOverWhole) {
    const ElementRef bar = Chromium(u"ja.wikipedia.org/wiki/Foo");
    const ElementRef client = tree.At(tree.roots[0]).children[0];
    const ElementRef tabs = tree.Add(ElementRole::TabList);
    for (int i = 0; i < 500; ++i) {
        tree.AddBar(tabs, u"ja.wikipedia.org/wiki/Tab");  // an edit in a tab is never taken
    }
    auto& children = tree.At(client).children;
    children.insert(children.begin(), tabs);
    EXPECT_TRUE(Scan());
    EXPECT_EQ(state.bar, bar);
    EXPECT_EQ(Article(), u"Foo");
    EXPECT_LT(figures.elements, 20u);
}

TEST_F(AccessibleBars, ABarShowingAnotherSiteEndsThatWindowAndTheNextWindowHits) {
    Chromium(u"example.com/wiki/Foo");
    const ElementRef second = Firefox(u"ja.wikipedia.org/wiki/Bar");
    EXPECT_TRUE(Scan());
    EXPECT_EQ(state.bar, second);
    EXPECT_EQ(Article(), u"Bar");
}

// ---- The focus rule and the prefix ----

TEST_F(AccessibleBars, AFocusedBarIsBeingTypedIntoAndMisses) {
    const ElementRef bar = Chromium(u"ja.wikipedia.org/wiki/Foo");
    tree.At(bar).info.focused = true;
    EXPECT_FALSE(Scan());
    EXPECT_EQ(state.bar, 0u);
    EXPECT_FALSE(ReadAddressBar(tree, bar, article));
    tree.At(bar).info.focused = false;
    EXPECT_TRUE(ReadAddressBar(tree, bar, article));
}

TEST_F(AccessibleBars, AFocusedBarLetsAnotherWindowsBarHit) {
    const ElementRef typing = Chromium(u"ja.wikipedia.org/wiki/Typed");
    tree.At(typing).info.focused = true;
    Chromium(u"ja.wikipedia.org/wiki/Shown");
    EXPECT_TRUE(Scan());
    EXPECT_EQ(Article(), u"Shown");
}

TEST_F(AccessibleBars, ThePrefixFollowsChromesRule) {
    const ElementRef bar = Chromium(u"");
    struct Case {
        std::u16string value;
        bool hit;
    } cases[] = {
        {u"ja.wikipedia.org/wiki/Foo", true},
        {u"http://ja.wikipedia.org/wiki/Foo", true},
        {u"https://ja.wikipedia.org/wiki/Foo", true},
        {u"wikipedia.org/wiki/Foo", false},
        {u"example.com", false},
    };
    for (const Case& c : cases) {
        tree.At(bar).value = c.value;
        EXPECT_EQ(ReadAddressBar(tree, bar, article), c.hit)
            << std::string(c.value.begin(), c.value.end());
    }
    tree.At(bar).value.clear();
    EXPECT_FALSE(ReadAddressBar(tree, bar, article));
    EXPECT_FALSE(ReadAddressBar(tree, 0, article));
}

TEST_F(AccessibleBars, ALongValueIsCutNotOverrun) {
    const ElementRef bar = Chromium(u"ja.wikipedia.org/wiki/" + std::u16string(5000, u'x'));
    EXPECT_TRUE(ReadAddressBar(tree, bar, article));
    const std::u16string name = Article();
    EXPECT_EQ(name.size(),
              kControlTextRoom - 1 - std::u16string_view(u"http://ja.wikipedia.org/wiki/").size());
}

// ---- The remembered bar and the throttle ----

TEST_F(AccessibleBars, TheRememberedBarIsReadAloneWhileItHits) {
    Chromium(u"ja.wikipedia.org/wiki/Foo");
    ASSERT_TRUE(Scan());
    const std::size_t roots = tree.rootsAsked;
    const std::size_t described = tree.described;
    clock.ms += 10;  // within the throttle: only the remembered bar can be read
    EXPECT_TRUE(Scan());
    EXPECT_EQ(tree.rootsAsked, roots);
    EXPECT_EQ(tree.described, described + 1);
}

TEST_F(AccessibleBars, AMissForgetsTheBarAndSearchesAtMostOncePerSecond) {
    const ElementRef bar = Chromium(u"ja.wikipedia.org/wiki/Foo");
    ASSERT_TRUE(Scan());
    tree.At(bar).value = u"example.com";
    clock.ms += 100;  // the last search was 100 ms ago: no search now
    EXPECT_FALSE(Scan());
    EXPECT_EQ(state.bar, 0u);
    EXPECT_EQ(tree.rootsAsked, 1u);
    tree.At(bar).value = u"ja.wikipedia.org/wiki/Back";
    clock.ms += 899;
    EXPECT_FALSE(Scan());
    EXPECT_EQ(tree.rootsAsked, 1u);
    clock.ms += 1;
    EXPECT_TRUE(Scan());
    EXPECT_EQ(tree.rootsAsked, 2u);
    EXPECT_EQ(Article(), u"Back");
}

TEST_F(AccessibleBars, AGoneBarIsForgotten) {
    const ElementRef bar = Chromium(u"ja.wikipedia.org/wiki/Foo");
    ASSERT_TRUE(Scan());
    tree.At(bar).gone = true;
    clock.ms += 2000;
    EXPECT_FALSE(Scan());  // forgotten, then the search finds no bar either
    EXPECT_EQ(state.bar, 0u);
}

TEST_F(AccessibleBars, NoWindowsOrNoRootMissQuietly) {
    EXPECT_FALSE(Scan());
    windows.classes.push_back(u"Chrome_WidgetWin_1");
    tree.roots.push_back(0);
    clock.ms += 1000;
    EXPECT_FALSE(Scan());
    EXPECT_EQ(figures.elements, 0u);
}

// ---- The bounds ----

TEST_F(AccessibleBars, ASlowTreeIsGivenUpAtTheDeadline) {
    const ElementRef root = tree.Add(ElementRole::Other);
    for (int i = 0; i < 60; ++i) {
        tree.Add(ElementRole::Other, root);
    }
    tree.AddBar(tree.Add(ElementRole::Toolbar, root), u"ja.wikipedia.org/wiki/Late");
    windows.classes.push_back(u"Chrome_WidgetWin_1");
    tree.roots.push_back(root);
    tree.clockMs = &clock.ms;
    tree.msPerDescribe = 1;
    const std::uint64_t start = clock.ms;
    EXPECT_FALSE(Scan());
    EXPECT_TRUE(figures.stopped);
    EXPECT_LE(clock.ms - start, kAccessibleBudgetMs + 1);
    // A larger budget reaches the bar.
    state.bar = 0;
    state.searched = false;
    budgetMs = 1000;
    EXPECT_TRUE(Scan());
    EXPECT_EQ(Article(), u"Late");
    state = AccessibleBarState{};
    // A fast tree is searched to the end.
    tree.msPerDescribe = 0;
    clock.ms += kSearchIntervalMs;
    EXPECT_TRUE(Scan());
    EXPECT_FALSE(figures.stopped);
    EXPECT_EQ(Article(), u"Late");
}

TEST_F(AccessibleBars, AHugeTreeIsCutAtTheElementBudget) {
    // A wide, deep tree: every element has kMaxChildren children down to the depth limit.
    const ElementRef root = tree.Add(ElementRole::Other);
    std::vector<ElementRef> level{root};
    while (tree.nodes.size() < kMaxSearchElements * 2) {
        std::vector<ElementRef> next;
        for (ElementRef parent : level) {
            for (std::size_t i = 0; i < 8; ++i) {
                next.push_back(tree.Add(ElementRole::Other, parent));
            }
        }
        level = next;
    }
    windows.classes.push_back(u"Chrome_WidgetWin_1");
    tree.roots.push_back(root);
    EXPECT_FALSE(Scan());
    EXPECT_EQ(figures.elements, kMaxSearchElements);
    EXPECT_TRUE(figures.stopped);
}

TEST_F(AccessibleBars, DepthAndChildCountsAreBounded) {
    // A chain deeper than the limit, with the bar at its foot, is not followed to the bar.
    ElementRef parent = tree.Add(ElementRole::Toolbar);
    const ElementRef root = parent;
    for (std::size_t i = 0; i < kMaxElementDepth + 4; ++i) {
        parent = tree.Add(ElementRole::Other, parent);
    }
    tree.AddBar(parent, u"ja.wikipedia.org/wiki/Deep");
    // A toolbar with more children than are looked at; the bar is the last.
    const ElementRef wide = tree.Add(ElementRole::Toolbar, root);
    for (std::size_t i = 0; i < kMaxChildren + 5; ++i) {
        tree.Add(ElementRole::Other, wide);
    }
    tree.AddBar(wide, u"ja.wikipedia.org/wiki/Wide");
    windows.classes.push_back(u"Chrome_WidgetWin_1");
    tree.roots.push_back(root);
    EXPECT_FALSE(Scan());
    EXPECT_FALSE(figures.stopped);
}

// ---- The reader off the tick's thread ----

struct FakeReader final : AccessibleReader {
    AccessibleVerdict verdict;
    std::vector<WindowList> requests;
    void Request(WindowList windows) override { requests.push_back(std::move(windows)); }
    AccessibleVerdict Latest() override { return verdict; }
};

TEST(AccessibleReaderSample, AVerdictCountsOnlyWhileFreshAndTheNextPassIsAskedForEachTick) {
    FakeReader reader;
    WindowList desktop;
    desktop.Add(1, u"Notepad");
    desktop.Add(2, u"Chrome_WidgetWin_1");
    desktop.Add(3, u"MozillaWindowClass");
    CurrentArticle article;
    constexpr std::uint64_t kNow = 100000;

    // Nothing published yet: a miss, and the browsers (only) are handed over.
    EXPECT_FALSE(SampleAccessibleBars(reader, desktop, kNow, article));
    ASSERT_EQ(reader.requests.size(), 1u);
    ASSERT_EQ(reader.requests[0].size(), 2u);
    EXPECT_EQ(reader.requests[0].WindowAt(0), 2u);
    EXPECT_EQ(reader.requests[0].ClassAt(1), u"MozillaWindowClass");

    reader.verdict.taken = true;
    reader.verdict.hit = true;
    MatchWatchedAddress(u"http://ja.wikipedia.org/wiki/Foo", reader.verdict.article);
    reader.verdict.takenMs = kNow - kFreshVerdictMs;  // a tick and a half old: still fresh
    EXPECT_TRUE(SampleAccessibleBars(reader, desktop, kNow, article));
    EXPECT_EQ(std::u16string(article.c_str()), u"Foo");

    // Older (the reader is slow or stuck): a miss that leaves the article alone.
    MatchWatchedAddress(u"http://ja.wikipedia.org/wiki/Stale", reader.verdict.article);
    reader.verdict.takenMs = kNow - kFreshVerdictMs - 1;
    EXPECT_FALSE(SampleAccessibleBars(reader, desktop, kNow, article));
    EXPECT_EQ(std::u16string(article.c_str()), u"Foo");
    // A fresh miss is a miss; a verdict from the future (a clock gone back) is not trusted.
    reader.verdict.takenMs = kNow - 10;
    reader.verdict.hit = false;
    EXPECT_FALSE(SampleAccessibleBars(reader, desktop, kNow, article));
    reader.verdict.hit = true;
    reader.verdict.takenMs = kNow + 10;
    EXPECT_FALSE(SampleAccessibleBars(reader, desktop, kNow, article));
    EXPECT_EQ(reader.requests.size(), 5u);
}

}  // namespace
