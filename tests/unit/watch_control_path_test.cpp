#include "watch/control_path.h"
#include "watch/window_class_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_bytes.h"

namespace {

using test::FakeWindowTree;

// The names the browsers register (fixed outside the program): each family's top-level
// classes, and each address control's class chain from the control upward ("" takes any).
struct Family {
    std::vector<std::u16string> frames;
    std::vector<std::vector<std::u16string>> paths;
};
const std::vector<Family> kFamilies = {
    {{u"ExploreWClass", u"IEFrame"},
     {{u"ComboBoxEx32"}, {u"Edit", u"Address Band Root", u"ReBarWindow32", u"WorkerW"}}},
    {{u"Chrome_XPFrame", u"Chrome_VistaFrame", u"Chrome_WidgetWin_0", u"Chrome_WindowImpl_0"},
     {{u"Chrome_AutocompleteEdit"}, {u"Chrome_AutocompleteEditView"}, {u"Chrome_OmniboxView"}}},
    {{u"SleipnirMainWindow", u"GraniMainWindow"},
     {{u"Edit", u"FenrirComboBoxCtrl", u"FenrirAdressBarCtrl", u"ReBarWindow32"},
      {u"Edit", u"FenrirComboBoxCtrl", u"FenrirAdressBarCtrl", u"FenrirEmbeddedToolBar",
       u"ReBarWindow32"},
      {u"Edit", u"FenrirComboBoxCtrlEx", u"FenrirAdressBarCtrl", u"FenrirEmbeddedToolBar",
       u"ReBarWindow32"},
      {u"Edit", u"FenrirComboBoxCtrlEx", u"FenrirAdressBarCtrl", u"ReBarWindow32"}}},
    {{u"Lunascape3MainWnd", u"Lunascape4MainWnd", u"Lunascape5MainWnd", u"Lunascape6MainWnd",
      u"Lunascape7MainWnd", u"Lunascape8MainWnd", u"Lunascape3LiteMainWnd",
      u"Lunascape4LiteMainWnd", u"Lunascape5LiteMainWnd", u"Lunascape6LiteMainWnd",
      u"Lunascape7LiteMainWnd", u"Lunascape8LiteMainWnd"},
     {{u"ComboBoxEx32", u"", u"ReBarWindow32", u""},
      {u"ComboBox", u"", u"", u"ReBarWindow32", u""}}},
    {{u"WTL:DonutRAPT", u"WTL:DonutL", u"WTL:DonutQ"},
     {{u"Donut_AddressBar", u"ReBarWindow32", u""}}},
    {{u"TFMain"}, {{u"TComboBox", u"TPanel", u"TCoolBar", u"TFMain"}}},
    {{u"wndclass_desked_gsk"},
     {{u"Edit", u"MsoCommandBar", u"MsoCommandBarDock", u""},
      {u"RichEdit20W", u"MsoCommandBar", u"MsoCommandBarDock", u""}}},
};

constexpr char16_t kAddress[] = u"http://ja.wikipedia.org/wiki/Foo";

std::u16string Lower(std::u16string s) {
    for (char16_t& c : s) {
        c = (c >= u'A' && c <= u'Z') ? c + 32 : c;
    }
    return s;
}

TEST(BrowserFamilies, EveryFrameAndPathIsFoundInAnyCaseAndAWrongClassFails) {
    for (std::size_t f = 0; f < kFamilies.size(); ++f) {
        for (const std::u16string& frame : kFamilies[f].frames) {
            EXPECT_EQ(FindBrowserFamily(Lower(frame)), &BrowserFamilies[f]);
        }
        for (const auto& path : kFamilies[f].paths) {
            for (std::size_t wrong = 0; wrong <= path.size(); ++wrong) {  // == size: none
                FakeWindowTree tree;
                std::vector<std::u16string> chain;
                for (std::size_t level = 0; level < path.size(); ++level) {
                    chain.push_back(path[level].empty() ? u"Any" : Lower(path[level]));
                    if (level == wrong && !path[level].empty()) {
                        chain.back() += u"X";
                    }
                }
                const bool fits = wrong == path.size() || path[wrong].empty();
                tree.Chain(tree.Add(Lower(kFamilies[f].frames.back())), chain, kAddress);
                CachedReader cached;
                CurrentArticle article;
                EXPECT_EQ(ScanBrowsers(tree, cached, article), fits) << f << " " << wrong;
                EXPECT_EQ(std::u16string(article.c_str()), fits ? u"Foo" : u"");
            }
        }
    }
    EXPECT_EQ(FindBrowserFamily(u"IEFram"), nullptr);
    EXPECT_EQ(FindBrowserFamily(u"MozillaWindowClass"), nullptr);
}

TEST(ReadControlText, AnyClassNeedsAWindowAndAnUnreadableNamedLevelFails) {
    const ControlPath comboBox = BrowserFamilies[3].paths[1];  // ComboBox, *, *, ReBar, *
    FakeWindowTree tree;
    const WindowRef control = tree.Chain(0, {u"ComboBox", u"A", u"B", u"ReBarWindow32"}, u"x");
    ControlText text;
    EXPECT_FALSE(ReadControlText(tree, comboBox, control, text));  // nothing above the rebar
    tree.windows[tree.topLevel[0]].parent = tree.Add(u"Lunascape5MainWnd");
    tree.windows[tree.windows[control].parent].classReadable = false;
    EXPECT_TRUE(ReadControlText(tree, comboBox, control, text));
    EXPECT_EQ(std::u16string(text.data()), u"x");
    tree.windows[control].classReadable = false;
    EXPECT_FALSE(ReadControlText(tree, comboBox, control, text));
}

TEST(ReadControlText, NoWindowNoTextOrNoAnswerFails) {
    FakeWindowTree tree;
    ControlText text;
    const ControlPath chrome = BrowserFamilies[1].paths[0];
    EXPECT_FALSE(ReadControlText(tree, chrome, 42, text));
    EXPECT_FALSE(ReadControlText(tree, chrome, tree.Add(u"Chrome_AutocompleteEdit"), text));
    const WindowRef hung = tree.Add(u"Chrome_AutocompleteEdit", 0, u"abc");
    tree.windows[hung].answers = false;
    EXPECT_FALSE(ReadControlText(tree, chrome, hung, text));
}

// Chrome's later paths show the address without its scheme; its first path never does.
TEST(ReadFamilyControl, ChromesPrefixGoesOnTheLaterPathsOnly) {
    struct Case {
        const char16_t* control;
        const char16_t* text;
        bool hit;
        const char16_t* article;
    } cases[] = {
        {u"Chrome_OmniboxView", u"ja.wikipedia.org/wiki/Foo", true, u"Foo"},
        {u"Chrome_AutocompleteEditView", u"ja.wikipedia.org/wiki/Foo", true, u"Foo"},
        {u"Chrome_AutocompleteEdit", u"ja.wikipedia.org/wiki/Foo", false, u""},
        {u"Chrome_AutocompleteEdit", u"http://ja.wikipedia.org/wiki/Foo", true, u"Foo"},
        {u"Chrome_OmniboxView", u"https://upload.wikimedia.org/a.png", true, u""},
        {u"Chrome_OmniboxView", u"HTTP://upload.wikimedia.org/a.png", false, u""},
        {u"Chrome_AutocompleteEdit", u"upload.wikimedia.org/a.png", false, u""},
    };
    for (const Case& c : cases) {
        FakeWindowTree tree;
        const WindowRef control = tree.Add(c.control, 0, c.text);
        CurrentArticle article;
        EXPECT_EQ(ReadFamilyControl(tree, BrowserFamilies[1], control, article), c.hit);
        EXPECT_EQ(std::u16string(article.c_str()), c.article);
    }
    FakeWindowTree tree;  // "http://" + 2099 units is cut back to 2099
    const std::u16string head = u"ja.wikipedia.org/wiki/";
    const WindowRef control =
        tree.Add(u"Chrome_OmniboxView", 0, head + std::u16string(2099 - head.size(), u'A'));
    CurrentArticle article;
    EXPECT_TRUE(ReadFamilyControl(tree, BrowserFamilies[1], control, article));
    EXPECT_EQ(std::u16string(article.c_str()).size(), 2099u - 29);
}

TEST(ReadFamilyControl, AWindowClaimingMoreThanTheRoomIsCutAtTheRoom) {
    FakeWindowTree tree;
    const WindowRef control = tree.Add(u"Chrome_OmniboxView", 0, u"ja.wikipedia.org/wiki/A");
    tree.windows[control].reports = 100000;
    ControlText text;
    EXPECT_TRUE(ReadControlText(tree, BrowserFamilies[1].paths[2], control, text));
    EXPECT_EQ(text[kControlTextRoom - 1], u'\0');
    CurrentArticle article;
    EXPECT_TRUE(ReadFamilyControl(tree, BrowserFamilies[1], control, article));
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
    EXPECT_EQ(cached.family, &BrowserFamilies[1]);
    EXPECT_EQ(std::u16string(article.c_str()), u"First");
    EXPECT_EQ(tree.descendantWalks, 2);
    EXPECT_EQ(tree.textReads, 2);  // only controls that fit a path: example.com, First

    tree.windows[first].text = u"example.com/";  // navigated away: the recheck misses
    EXPECT_FALSE(RecheckCachedReader(tree, cached, article));
    EXPECT_TRUE(cached.empty());
    EXPECT_TRUE(ScanBrowsers(tree, cached, article));
    EXPECT_EQ(std::u16string(article.c_str()), u"Second");
}

TEST_F(Desk, TheRecheckAsksOnlyWhatCanChangeAndFollowsAMove) {
    const std::vector<std::u16string> chain(kFamilies[2].paths[2]);
    const WindowRef top = tree.Add(u"SleipnirMainWindow");
    const WindowRef control = tree.Chain(top, chain, kAddress);
    ASSERT_TRUE(ScanBrowsers(tree, cached, article));
    ASSERT_EQ(cached.path, 2u);
    tree.classReads = tree.parentReads = tree.textReads = 0;
    EXPECT_TRUE(RecheckCachedReader(tree, cached, article));
    EXPECT_EQ(tree.classReads, 1);
    EXPECT_EQ(tree.parentReads, 4);
    EXPECT_EQ(tree.textReads, 1);
    // Moved under another chain of the same classes: tested whole again, then cheap again.
    tree.windows[control].parent = tree.windows[tree.Chain(top, chain, kAddress)].parent;
    tree.classReads = 0;
    EXPECT_TRUE(RecheckCachedReader(tree, cached, article));
    EXPECT_GT(tree.classReads, 1);
    tree.classReads = 0;
    EXPECT_TRUE(RecheckCachedReader(tree, cached, article));
    EXPECT_EQ(tree.classReads, 1);
    tree.windows[control].parent = top;  // the ancestors between have gone
    EXPECT_FALSE(RecheckCachedReader(tree, cached, article));
    EXPECT_TRUE(cached.empty());
    EXPECT_FALSE(RecheckCachedReader(tree, cached, article));
}

TEST_F(Desk, ARecheckOfAChangedOrSilentControlMissesAndEmptiesTheCache) {
    const WindowRef control = Chrome(u"ja.wikipedia.org/wiki/A");
    for (int change = 0; change < 3; ++change) {
        cached = {control, &BrowserFamilies[1]};
        FakeWindowTree::Window& w = tree.windows[control];
        w.className = change == 0 ? u"Chrome_RenderWidgetHostHWND" : u"Chrome_OmniboxView";
        w.answers = change != 1;
        if (change == 2) {
            tree.windows.erase(control);
        }
        EXPECT_FALSE(RecheckCachedReader(tree, cached, article)) << change;
        EXPECT_TRUE(cached.empty());
    }
}

TEST(WindowClassCache, ANameCountsWhileTheHandleKeepsItsOwnerAndIsLetGoWhenUnused) {
    WindowClassCache cache;
    cache.Store(7, 100, u"Chrome_OmniboxView");
    ASSERT_NE(cache.Find(7, 100), nullptr);
    EXPECT_EQ(*cache.Find(7, 100), u"Chrome_OmniboxView");
    EXPECT_EQ(cache.Find(7, 101), nullptr);  // the handle now names another owner's window
    EXPECT_EQ(cache.Find(7, 100), nullptr);
    cache.Store(7, 101, u"Edit");
    cache.Store(8, 100, u"Button");
    for (std::uint32_t round = 0; round < 3 * kClassCacheRounds; ++round) {
        cache.NextRound();
        ASSERT_NE(cache.Find(7, 101), nullptr) << round;
    }
    EXPECT_EQ(cache.Find(8, 100), nullptr);
    EXPECT_EQ(cache.size(), 1u);
    cache.Forget(7);
    EXPECT_EQ(cache.size(), 0u);
}

}  // namespace
