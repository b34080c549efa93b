#include "watch/accessible_bar.h"
#include "watch/accessible_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_bytes.h"

namespace {

// Elements are indices + 1 into nodes.
struct FakeNode {
    ElementInfo info;
    std::u16string value, id;
    std::vector<ElementRef> children;
    bool gone = false;
};

struct FakeAccessibleTree final : AccessibleTree {
    std::vector<FakeNode> nodes;
    std::vector<ElementRef> roots;  // by window
    std::size_t described = 0, rootsAsked = 0;
    std::uint64_t* clockMs = nullptr;  // advanced by msPerDescribe on every Describe
    std::uint64_t msPerDescribe = 0;

    ElementRef Add(ElementRole role, ElementRef parent = 0) {
        nodes.push_back({});
        nodes.back().info.role = role;
        nodes.back().info.enabled = true;
        if (parent != 0) {
            At(parent).children.push_back(nodes.size());
        }
        return nodes.size();
    }
    // An enabled, focusable, editable edit holding value.
    ElementRef AddBar(ElementRef parent, std::u16string value, std::u16string id = u"") {
        const ElementRef bar = Add(ElementRole::Edit, parent);
        At(bar).info.focusable = At(bar).info.editable = true;
        At(bar).value = std::move(value);
        At(bar).id = std::move(id);
        return bar;
    }
    FakeNode& At(ElementRef ref) { return nodes[ref - 1]; }

    ElementRef Root(WindowRef window) override {
        ++rootsAsked;
        return window <= roots.size() ? roots[window - 1] : 0;
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
    std::size_t Value(ElementRef element, char16_t* buffer, std::size_t room) override {
        return At(element).gone ? 0 : test::CopyOut(At(element).value, buffer, room);
    }
    std::size_t AutomationId(ElementRef element, char16_t* buffer, std::size_t room) override {
        return test::CopyOut(At(element).id, buffer, room);
    }
    ElementRef Keep(ElementRef keep) override { return keep; }
};

struct FakeClock final : MonotonicClock {
    std::uint64_t ms = 5000;
    std::uint64_t NowMs() override { return ms; }
};

struct AccessibleBars : ::testing::Test {
    FakeAccessibleTree tree;
    test::FakeWindowTree windows;
    FakeClock clock;
    AccessibleBarState state;
    CurrentArticle article;
    AccessibleSearchFigures figures;
    std::uint64_t budgetMs = kAccessibleBudgetMs;

    ElementRef Window(std::u16string className) {
        windows.Add(std::move(className));
        tree.roots.push_back(tree.Add(ElementRole::Other));
        return tree.roots.back();
    }
    // A Chromium window: the page's document first (with an edit of its own holding an
    // article address, never to be taken), then a toolbar with a button and the bar.
    ElementRef Chromium(std::u16string value) {
        const ElementRef root = Window(u"Chrome_WidgetWin_1");
        tree.AddBar(tree.Add(ElementRole::Document, root), u"ja.wikipedia.org/wiki/InThePage");
        const ElementRef toolbar = tree.Add(ElementRole::Toolbar, root);
        tree.Add(ElementRole::Other, toolbar);
        return tree.AddBar(tree.Add(ElementRole::Other, toolbar), std::move(value));
    }
    // A Firefox window: the page first, whose input calls itself "urlbar-input" too; then
    // the search box (an edit in the toolbar) and the bar known by its id.
    ElementRef Firefox(std::u16string value) {
        const ElementRef root = Window(u"MozillaWindowClass");
        tree.AddBar(tree.Add(ElementRole::Document, root), u"ja.wikipedia.org/wiki/InThePage",
                    u"urlbar-input");
        const ElementRef toolbar = tree.Add(ElementRole::Toolbar, root);
        tree.AddBar(toolbar, u"ja.wikipedia.org/wiki/Searched", u"searchbar-input");
        return tree.AddBar(toolbar, std::move(value), u"urlbar-input");
    }
    bool Scan() {
        return ScanAccessibleBars(windows, tree, clock, state, article, budgetMs, &figures);
    }
    std::u16string Article() const { return article.c_str(); }
};

TEST_F(AccessibleBars, EachRuleFindsItsBarAndNeverAPagesInput) {
    const ElementRef chromium = Chromium(u"ja.wikipedia.org/wiki/Foo");
    EXPECT_TRUE(Scan());
    EXPECT_EQ(Article(), u"Foo");
    EXPECT_EQ(state.bar, chromium);

    tree.At(chromium).value = u"example.com/";  // a bar on another site ends its window
    const ElementRef firefox = Firefox(u"https://ja.wikipedia.org/wiki/Bar");
    clock.ms += kSearchIntervalMs;
    EXPECT_TRUE(Scan());
    EXPECT_EQ(Article(), u"Bar");
    EXPECT_EQ(state.bar, firefox);

    tree.At(firefox).value = u"example.com/";  // both bars elsewhere: the pages don't count
    clock.ms += kSearchIntervalMs;
    EXPECT_FALSE(Scan());
    EXPECT_TRUE(article.empty());
}

TEST_F(AccessibleBars, TheRulesWantTheFlagsTheToolbarAndTheId) {
    const ElementRef bar = Firefox(u"");
    const ElementInfo good = tree.At(bar).info;
    EXPECT_TRUE(IsAddressBar(tree, BarRule::Chromium, bar, good, true));
    EXPECT_FALSE(IsAddressBar(tree, BarRule::Chromium, bar, good, false));
    EXPECT_FALSE(IsAddressBar(tree, BarRule::None, bar, good, true));
    for (bool ElementInfo::*flag :
         {&ElementInfo::enabled, &ElementInfo::focusable, &ElementInfo::editable}) {
        ElementInfo info = good;
        info.*flag = false;
        EXPECT_FALSE(IsAddressBar(tree, BarRule::Chromium, bar, info, true));
    }
    EXPECT_TRUE(IsAddressBar(tree, BarRule::Firefox, bar, good, false));
    tree.At(bar).id = u"urlbar-input-other";
    EXPECT_FALSE(IsAddressBar(tree, BarRule::Firefox, bar, good, true));
    tree.At(bar).id.clear();  // no ids (MSAA): the Chromium rule
    EXPECT_TRUE(IsAddressBar(tree, BarRule::Firefox, bar, good, true));
    EXPECT_FALSE(IsAddressBar(tree, BarRule::Firefox, bar, good, false));

    EXPECT_EQ(BarRuleFor(u"Chrome_WidgetWin_1"), BarRule::Chromium);
    EXPECT_EQ(BarRuleFor(u"MozillaWindowClass"), BarRule::Firefox);
    EXPECT_EQ(BarRuleFor(u"chrome_widgetwin_1"), BarRule::None);
    EXPECT_EQ(BarRuleFor(u"Chrome_WidgetWin_0"), BarRule::None);
}

TEST_F(AccessibleBars, AFocusedBarIsBeingTypedIntoAndLetsAnotherWindowHit) {
    const ElementRef typing = Chromium(u"ja.wikipedia.org/wiki/Typed");
    tree.At(typing).info.focused = true;
    EXPECT_FALSE(ReadAddressBar(tree, typing, article));
    Chromium(u"ja.wikipedia.org/wiki/Shown");
    EXPECT_TRUE(Scan());
    EXPECT_EQ(Article(), u"Shown");
}

TEST_F(AccessibleBars, ValuesTakeChromesPrefixAndALongOneIsCut) {
    const ElementRef bar = Chromium(u"");
    const std::pair<const char16_t*, bool> cases[] = {{u"ja.wikipedia.org/wiki/Foo", true},
                                                      {u"https://ja.wikipedia.org/wiki/Foo", true},
                                                      {u"wikipedia.org/wiki/Foo", false},
                                                      {u"", false}};
    for (auto [value, hit] : cases) {
        tree.At(bar).value = value;
        EXPECT_EQ(ReadAddressBar(tree, bar, article), hit);
    }
    tree.At(bar).value = std::u16string(u"ja.wikipedia.org/wiki/").append(5000, u'x');
    EXPECT_TRUE(ReadAddressBar(tree, bar, article));
    EXPECT_EQ(Article().size(), kControlTextRoom - 1 - 29);
}

TEST_F(AccessibleBars, TheRememberedBarIsReadAloneAndAMissSearchesAtMostOncePerSecond) {
    const ElementRef bar = Chromium(u"ja.wikipedia.org/wiki/Foo");
    ASSERT_TRUE(Scan());
    const std::size_t described = tree.described;
    clock.ms += 10;
    EXPECT_TRUE(Scan());
    EXPECT_EQ(tree.rootsAsked, 1u);
    EXPECT_EQ(tree.described, described + 1);
    tree.At(bar).value = u"example.com";
    clock.ms += 90;
    EXPECT_FALSE(Scan());
    EXPECT_EQ(state.bar, 0u);
    tree.At(bar).value = u"ja.wikipedia.org/wiki/Back";
    clock.ms += 899;  // 999 ms after the last search
    EXPECT_FALSE(Scan());
    EXPECT_EQ(tree.rootsAsked, 1u);
    clock.ms += 1;
    EXPECT_TRUE(Scan());
    EXPECT_EQ(tree.rootsAsked, 2u);
    EXPECT_EQ(Article(), u"Back");
    tree.At(bar).gone = true;
    clock.ms += 2000;
    EXPECT_FALSE(Scan());
    EXPECT_EQ(state.bar, 0u);
}

TEST_F(AccessibleBars, TabStripsDepthWidthTimeAndElementCountBoundTheSearch) {
    const ElementRef root = Window(u"Chrome_WidgetWin_1");
    const ElementRef tabs = tree.Add(ElementRole::TabList, root);
    for (int i = 0; i < 100; ++i) {
        tree.AddBar(tree.Add(ElementRole::Toolbar, tabs), u"ja.wikipedia.org/wiki/Tab");
    }
    ElementRef deep = tree.Add(ElementRole::Toolbar, root);
    for (std::size_t i = 0; i < kMaxElementDepth; ++i) {
        deep = tree.Add(ElementRole::Other, deep);
    }
    tree.AddBar(deep, u"ja.wikipedia.org/wiki/Deep");
    const ElementRef wide = tree.Add(ElementRole::Toolbar, root);
    for (std::size_t i = 0; i < kMaxChildren; ++i) {
        tree.Add(ElementRole::Other, wide);
    }
    tree.AddBar(wide, u"ja.wikipedia.org/wiki/Wide");
    EXPECT_FALSE(Scan());
    EXPECT_FALSE(figures.stopped);
    EXPECT_LT(figures.elements, 100u + kMaxElementDepth + kMaxChildren);

    tree.AddBar(tree.Add(ElementRole::Toolbar, root), u"ja.wikipedia.org/wiki/Late");
    tree.clockMs = &clock.ms;
    tree.msPerDescribe = 1;
    clock.ms += kSearchIntervalMs;
    const std::uint64_t start = clock.ms;
    EXPECT_FALSE(Scan());  // a slow tree is given up at the deadline
    EXPECT_TRUE(figures.stopped);
    EXPECT_LE(clock.ms - start, kAccessibleBudgetMs + 1);
    budgetMs = 1000;
    clock.ms += kSearchIntervalMs;
    EXPECT_TRUE(Scan());
    EXPECT_EQ(Article(), u"Late");
}

TEST_F(AccessibleBars, AHugeTreeIsCutAtTheElementCount) {
    std::vector<ElementRef> level{Window(u"Chrome_WidgetWin_1")};
    while (tree.nodes.size() < 2 * kMaxSearchElements) {  // a huge tree: cut at the count
        std::vector<ElementRef> next;
        for (ElementRef parent : level) {
            for (int i = 0; i < 8; ++i) {
                next.push_back(tree.Add(ElementRole::Other, parent));
            }
        }
        level = next;
    }
    EXPECT_FALSE(Scan());
    EXPECT_EQ(figures.elements, kMaxSearchElements);
    EXPECT_TRUE(figures.stopped);
}

struct FakeReader final : AccessibleReader {
    AccessibleVerdict verdict;
    std::vector<WindowList> requests;
    void Request(WindowList windows) override { requests.push_back(std::move(windows)); }
    AccessibleVerdict Latest() override { return verdict; }
};

TEST(AccessibleReaderSample, AVerdictCountsWhileFreshAndEachTickAsksForTheBrowsersAgain) {
    FakeReader reader;
    WindowList desktop;
    desktop.Add(1, u"Notepad");
    desktop.Add(2, u"Chrome_WidgetWin_1");
    desktop.Add(3, u"MozillaWindowClass");
    CurrentArticle article;
    constexpr std::uint64_t kNow = 100000;
    EXPECT_FALSE(SampleAccessibleBars(reader, desktop, kNow, article));
    ASSERT_EQ(reader.requests.size(), 1u);
    ASSERT_EQ(reader.requests[0].size(), 2u);
    EXPECT_EQ(reader.requests[0].WindowAt(0), 2u);
    EXPECT_EQ(reader.requests[0].ClassAt(1), u"MozillaWindowClass");

    reader.verdict = {true, true, {}, kNow - kFreshVerdictMs};
    MatchWatchedAddress(u"http://ja.wikipedia.org/wiki/Foo", reader.verdict.article);
    EXPECT_TRUE(SampleAccessibleBars(reader, desktop, kNow, article));
    EXPECT_EQ(std::u16string(article.c_str()), u"Foo");
    MatchWatchedAddress(u"http://ja.wikipedia.org/wiki/Stale", reader.verdict.article);
    for (std::uint64_t taken : {kNow - kFreshVerdictMs - 1, kNow + 10}) {  // old, or future
        reader.verdict.takenMs = taken;
        EXPECT_FALSE(SampleAccessibleBars(reader, desktop, kNow, article));
    }
    reader.verdict.takenMs = kNow;
    reader.verdict.hit = false;
    EXPECT_FALSE(SampleAccessibleBars(reader, desktop, kNow, article));
    EXPECT_EQ(std::u16string(article.c_str()), u"Foo");
    EXPECT_EQ(reader.requests.size(), 5u);
}

}  // namespace
