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
    std::uint64_t* clockMs = nullptr;  // advanced by 1 ms on every Describe when set

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

    ElementRef Root(WindowRef window) override { return ++rootsAsked, roots[window - 1]; }
    bool Describe(ElementRef element, ElementInfo& info) override {
        ++described;
        if (clockMs != nullptr) {
            ++*clockMs;
        }
        if (At(element).gone) {
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

struct AccessibleBars : ::testing::Test, MonotonicClock {
    FakeAccessibleTree tree;
    test::FakeWindowTree windows;
    std::uint64_t ms = 5000;
    AccessibleBarState state;
    CurrentArticle article;
    AccessibleSearchFigures figures;
    std::uint64_t budgetMs = kAccessibleBudgetMs;

    std::uint64_t NowMs() override { return ms; }
    ElementRef Window(std::u16string className) {
        windows.Add(std::move(className));
        tree.roots.push_back(tree.Add(ElementRole::Other));
        return tree.roots.back();
    }
    // A browser window: the page's document first, with an input of its own holding an
    // article address (in Firefox with the bar's id too), never to be taken; then a toolbar
    // with the bar.
    ElementRef Browser(std::u16string className, std::u16string value, std::u16string id) {
        const ElementRef root = Window(std::move(className));
        tree.AddBar(tree.Add(ElementRole::Document, root), u"ja.wikipedia.org/wiki/InPage", id);
        const ElementRef toolbar = tree.Add(ElementRole::Toolbar, root);
        if (!id.empty()) {  // Firefox's search box: an edit in the toolbar too
            tree.AddBar(toolbar, u"ja.wikipedia.org/wiki/Searched", u"searchbar-input");
        }
        return tree.AddBar(toolbar, std::move(value), id);
    }
    ElementRef Chromium(std::u16string value) {
        return Browser(u"Chrome_WidgetWin_1", std::move(value), u"");
    }
    bool Scan() {
        return ScanAccessibleBars(windows, tree, *this, state, article, budgetMs, &figures);
    }
    std::u16string Article() const { return article.c_str(); }
};

TEST_F(AccessibleBars, EachRuleFindsItsBarAndNeverAPagesInput) {
    const ElementRef chromium = Chromium(u"ja.wikipedia.org/wiki/Foo");
    tree.At(chromium).info.focused = true;  // being typed into: another window may hit
    EXPECT_FALSE(Scan());
    tree.At(chromium).info.focused = false;
    ms += kSearchIntervalMs;
    EXPECT_TRUE(Scan());
    EXPECT_EQ(Article(), u"Foo");

    tree.At(chromium).value = u"example.com/";  // a bar on another site ends its window
    const ElementRef firefox =
        Browser(u"MozillaWindowClass", u"https://ja.wikipedia.org/wiki/Bar", u"urlbar-input");
    ms += kSearchIntervalMs;
    EXPECT_TRUE(Scan());
    EXPECT_EQ(Article(), u"Bar");
    EXPECT_EQ(state.bar, firefox);

    tree.At(firefox).value = u"example.com/";  // both bars elsewhere: the pages don't count
    ms += kSearchIntervalMs;
    EXPECT_FALSE(Scan());
    EXPECT_TRUE(article.empty());
}

TEST_F(AccessibleBars, TheRulesWantTheFlagsTheToolbarAndTheId) {
    const ElementRef bar = Browser(u"MozillaWindowClass", u"", u"urlbar-input");
    const ElementInfo good = tree.At(bar).info;
    EXPECT_TRUE(IsAddressBar(tree, BarRule::Chromium, bar, good, true));
    EXPECT_FALSE(IsAddressBar(tree, BarRule::Chromium, bar, good, false));
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
    EXPECT_EQ(BarRuleFor(u"MozillaWindowClass"), BarRule::Firefox);
    EXPECT_EQ(BarRuleFor(u"chrome_widgetwin_1"), BarRule::None);
}

TEST_F(AccessibleBars, TheRememberedBarIsReadAloneAndAMissSearchesAtMostOncePerSecond) {
    const ElementRef bar = Chromium(u"ja.wikipedia.org/wiki/Foo");
    ASSERT_TRUE(Scan());
    const std::size_t described = tree.described;
    ms += 10;
    EXPECT_TRUE(Scan());
    EXPECT_EQ(tree.described, described + 1);
    tree.At(bar).value = u"ja.wikipedia.org/wiki/Back";
    tree.At(bar).gone = true;
    ms += 989;  // 999 ms after the last search
    EXPECT_FALSE(Scan());
    EXPECT_EQ(state.bar, 0u);
    tree.At(bar).gone = false;
    EXPECT_FALSE(Scan());
    EXPECT_EQ(tree.rootsAsked, 1u);
    ms += 1;
    EXPECT_TRUE(Scan());
    EXPECT_EQ(Article(), u"Back");
}

TEST_F(AccessibleBars, TabStripsDepthWidthAndTimeBoundTheSearch) {
    const ElementRef root = Window(u"Chrome_WidgetWin_1");
    tree.AddBar(tree.Add(ElementRole::Toolbar, tree.Add(ElementRole::TabList, root)),
                u"ja.wikipedia.org/wiki/Tab");
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

    tree.AddBar(tree.Add(ElementRole::Toolbar, root), u"ja.wikipedia.org/wiki/Late");
    tree.clockMs = &ms;
    ms += kSearchIntervalMs;
    EXPECT_FALSE(Scan());  // a slow tree is given up at the deadline
    EXPECT_TRUE(figures.stopped);
    budgetMs = 1000;
    ms += kSearchIntervalMs;
    EXPECT_TRUE(Scan());
    EXPECT_EQ(Article(), u"Late");
}

TEST_F(AccessibleBars, AHugeTreeIsCutAtTheElementCount) {
    std::vector<ElementRef> level{Window(u"Chrome_WidgetWin_1")};
    while (tree.nodes.size() < 2 * kMaxSearchElements) {
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
    desktop.Add(2, u"MozillaWindowClass");
    CurrentArticle article;
    constexpr std::uint64_t kNow = 100000;
    EXPECT_FALSE(SampleAccessibleBars(reader, desktop, kNow, article));
    ASSERT_EQ(reader.requests.at(0).size(), 1u);
    EXPECT_EQ(reader.requests[0].WindowAt(0), 2u);

    reader.verdict = {true, true, {}, kNow - kFreshVerdictMs};
    MatchWatchedAddress(u"http://ja.wikipedia.org/wiki/Foo", reader.verdict.article);
    EXPECT_TRUE(SampleAccessibleBars(reader, desktop, kNow, article));
    EXPECT_EQ(std::u16string(article.c_str()), u"Foo");
    for (std::uint64_t taken : {kNow - kFreshVerdictMs - 1, kNow + 10}) {  // old, or future
        reader.verdict.takenMs = taken;
        EXPECT_FALSE(SampleAccessibleBars(reader, desktop, kNow, article));
    }
    EXPECT_EQ(reader.requests.size(), 4u);
}

}  // namespace
