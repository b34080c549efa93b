#include "watch/control_path.h"
#include "watch/window_class_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "tests/support/test_bytes.h"

namespace {

using test::FakeWindowTree;
using Names = std::vector<std::u16string>;

// The classes lowered: they compare without case.
std::u16string Lower(std::u16string_view s) {
    std::u16string out(s);
    for (char16_t& c : out) {
        c += (c >= u'A' && c <= u'Z') ? 32 : 0;
    }
    return out;
}

constexpr char16_t kAddress[] = u"http://ja.wikipedia.org/wiki/Foo";

// Each path of each family, with one class wrong at each level in turn ("" in a path takes
// any class).
TEST(BrowserFamilies, EveryFrameAndPathIsFoundInAnyCaseAndAWrongClassFails) {
    for (const BrowserFamily& family : BrowserFamilies) {
        for (std::u16string_view frame : family.topLevelClasses) {
            EXPECT_EQ(FindBrowserFamily(Lower(frame)), &family);
        }
        for (ControlPath path : family.paths) {
            for (std::size_t wrong = 0; wrong <= path.size(); ++wrong) {  // == size: none
                Names chain;
                for (std::size_t level = 0; level < path.size(); ++level) {
                    chain.push_back(path[level].empty()
                                        ? u"Any"
                                        : Lower(path[level]) + (level == wrong ? u"X" : u""));
                }
                const bool fits = wrong == path.size() || path[wrong].empty();
                FakeWindowTree tree;
                tree.Chain(tree.Add(Lower(family.topLevelClasses.back())), chain, kAddress);
                CachedReader cached;
                CurrentArticle article;
                EXPECT_EQ(ScanBrowsers(tree, cached, article), fits)
                    << &family - &BrowserFamilies[0] << wrong;
                EXPECT_EQ(std::u16string(article.c_str()), fits ? u"Foo" : u"");
            }
        }
    }
    EXPECT_EQ(FindBrowserFamily(u"IEFram"), nullptr);
}

TEST(ReadControlText, AnyClassNeedsAWindowAndAnUnreadableOrSilentWindowFails) {
    const ControlPath comboBox = BrowserFamilies[3].paths[1];  // ComboBox, *, *, ReBar, *
    FakeWindowTree tree;
    const WindowRef control = tree.Chain(0, {u"ComboBox", u"A", u"B", u"ReBarWindow32"}, u"x");
    ControlText text;
    EXPECT_FALSE(ReadControlText(tree, comboBox, control, text));  // nothing above the rebar
    tree.windows[tree.topLevel[0]].parent = tree.Add(u"Lunascape5MainWnd");
    tree.windows[tree.windows[control].parent].classReadable = false;
    EXPECT_TRUE(ReadControlText(tree, comboBox, control, text));
    EXPECT_EQ(std::u16string(text.data()), u"x");
    tree.windows[control].answers = false;
    EXPECT_FALSE(ReadControlText(tree, comboBox, control, text));
    tree.windows[control].classReadable = false;
    EXPECT_FALSE(ReadControlText(tree, comboBox, control, text));
}

// Chrome's later paths show the address without its scheme; its first path never does.
TEST(ReadFamilyControl, ChromesPrefixGoesOnTheLaterPathsOnlyAndALongTextIsCut) {
    for (auto [control, text, hit] :
         {std::tuple{u"Chrome_AutocompleteEditView", u"ja.wikipedia.org/wiki/Foo", true},
          {u"Chrome_AutocompleteEdit", u"ja.wikipedia.org/wiki/Foo", false},
          {u"Chrome_AutocompleteEdit", u"http://ja.wikipedia.org/wiki/Foo", true}}) {
        FakeWindowTree tree;
        CurrentArticle article;
        EXPECT_EQ(ReadFamilyControl(tree, BrowserFamilies[1], tree.Add(control, 0, text), article),
                  hit);
        EXPECT_EQ(std::u16string(article.c_str()), hit ? u"Foo" : u"");
    }
    FakeWindowTree tree;  // "http://" + 2099 units is cut back to 2099
    const std::u16string head = u"ja.wikipedia.org/wiki/";
    const WindowRef control =
        tree.Add(u"Chrome_OmniboxView", 0, head + std::u16string(2099 - head.size(), u'A'));
    tree.windows[control].reports = 100000;  // and a window claiming more is cut at the room
    CurrentArticle article;
    EXPECT_TRUE(ReadFamilyControl(tree, BrowserFamilies[1], control, article));
    EXPECT_EQ(std::u16string(article.c_str()).size(), 2099u - 29);
}

// ---- Scanning the desktop and the cached reader ----

struct Desk : ::testing::Test {
    FakeWindowTree tree;
    CachedReader cached;
    CurrentArticle article;

    WindowRef Chrome(std::u16string text) {
        const WindowRef top = tree.Add(u"Chrome_WidgetWin_0");
        tree.Add(u"Chrome_RenderWidgetHostHWND", top, u"page");
        return tree.Add(u"Chrome_OmniboxView", top, std::move(text));
    }
};

TEST_F(Desk, TheFirstBrowserFrontToBackShowingTheSiteIsCachedAndEndsTheScan) {
    const WindowRef foreign = tree.Add(u"MozillaWindowClass");  // of no family: not entered
    tree.Add(u"Chrome_OmniboxView", foreign, kAddress);
    Chrome(u"example.com/");
    const WindowRef first = Chrome(u"ja.wikipedia.org/wiki/First");
    Chrome(u"ja.wikipedia.org/wiki/Second");
    EXPECT_TRUE(ScanBrowsers(tree, cached, article));
    EXPECT_EQ(cached.control, first);
    EXPECT_EQ(std::u16string(article.c_str()), u"First");
    EXPECT_EQ(tree.textReads, 2);  // only controls that fit a path: example.com, First

    tree.windows[first].text = u"example.com/";  // navigated away: the recheck misses
    EXPECT_FALSE(RecheckCachedReader(tree, cached, article));
    EXPECT_TRUE(cached.empty());
    EXPECT_TRUE(ScanBrowsers(tree, cached, article));
    EXPECT_EQ(std::u16string(article.c_str()), u"Second");
    tree.windows[cached.control].className = u"Chrome_RenderWidgetHostHWND";
    EXPECT_FALSE(RecheckCachedReader(tree, cached, article));
}

TEST_F(Desk, TheRecheckAsksOnlyWhatCanChangeAndFollowsAMove) {
    const ControlPath path = BrowserFamilies[2].paths[2];  // five levels, no any-class
    const Names chain(path.begin(), path.end());
    const WindowRef top = tree.Add(u"SleipnirMainWindow");
    const WindowRef control = tree.Chain(top, chain, kAddress);
    ASSERT_TRUE(ScanBrowsers(tree, cached, article));
    tree.classReads = tree.parentReads = tree.textReads = 0;
    EXPECT_TRUE(RecheckCachedReader(tree, cached, article));
    EXPECT_EQ(tree.classReads + tree.parentReads + tree.textReads, 6);
    // Moved under another chain of the same classes: tested whole again.
    tree.windows[control].parent = tree.windows[tree.Chain(top, chain, kAddress)].parent;
    EXPECT_TRUE(RecheckCachedReader(tree, cached, article));
    tree.windows[control].parent = top;  // the ancestors between have gone
    EXPECT_FALSE(RecheckCachedReader(tree, cached, article));
    EXPECT_TRUE(cached.empty());
}

TEST(WindowClassCache, ANameCountsWhileTheHandleKeepsItsOwnerAndIsLetGoWhenUnused) {
    WindowClassCache cache;
    cache.Store(7, 100, u"Chrome_OmniboxView");
    EXPECT_EQ(*cache.Find(7, 100), u"Chrome_OmniboxView");
    EXPECT_EQ(cache.Find(7, 101), nullptr);  // the handle now names another owner's window
    cache.Store(7, 101, u"Edit");
    cache.Store(8, 100, u"Button");
    for (std::uint32_t round = 0; round < 3 * kClassCacheRounds; ++round) {
        cache.NextRound();
        ASSERT_NE(cache.Find(7, 101), nullptr) << round;
    }
    EXPECT_EQ(cache.size(), 1u);
}

}  // namespace
