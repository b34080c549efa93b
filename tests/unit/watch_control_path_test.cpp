#include "watch/control_path.h"
#include "watch/window_class_cache.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_bytes.h"

namespace {

using test::FakeWindowTree;
using Names = std::vector<std::u16string>;

// The names the browsers register (fixed outside the program): each family's top-level
// classes ('|' between), then each address control's class chain from the control upward
// ('<' between; "" takes any class).
const std::vector<Names> kFamilies = {
    {u"ExploreWClass|IEFrame", u"ComboBoxEx32", u"Edit<Address Band Root<ReBarWindow32<WorkerW"},
    {u"Chrome_XPFrame|Chrome_VistaFrame|Chrome_WidgetWin_0|Chrome_WindowImpl_0",
     u"Chrome_AutocompleteEdit", u"Chrome_AutocompleteEditView", u"Chrome_OmniboxView"},
    {u"SleipnirMainWindow|GraniMainWindow",
     u"Edit<FenrirComboBoxCtrl<FenrirAdressBarCtrl<ReBarWindow32",
     u"Edit<FenrirComboBoxCtrl<FenrirAdressBarCtrl<FenrirEmbeddedToolBar<ReBarWindow32",
     u"Edit<FenrirComboBoxCtrlEx<FenrirAdressBarCtrl<FenrirEmbeddedToolBar<ReBarWindow32",
     u"Edit<FenrirComboBoxCtrlEx<FenrirAdressBarCtrl<ReBarWindow32"},
    {u"Lunascape3MainWnd|Lunascape4MainWnd|Lunascape5MainWnd|Lunascape6MainWnd|"
     u"Lunascape7MainWnd|Lunascape8MainWnd|Lunascape3LiteMainWnd|Lunascape4LiteMainWnd|"
     u"Lunascape5LiteMainWnd|Lunascape6LiteMainWnd|Lunascape7LiteMainWnd|Lunascape8LiteMainWnd",
     u"ComboBoxEx32<<ReBarWindow32<", u"ComboBox<<<ReBarWindow32<"},
    {u"WTL:DonutRAPT|WTL:DonutL|WTL:DonutQ", u"Donut_AddressBar<ReBarWindow32<"},
    {u"TFMain", u"TComboBox<TPanel<TCoolBar<TFMain"},
    {u"wndclass_desked_gsk", u"Edit<MsoCommandBar<MsoCommandBarDock<",
     u"RichEdit20W<MsoCommandBar<MsoCommandBarDock<"},
};

// The parts of s between the separators; the classes lowered (they compare without case).
Names Split(const std::u16string& s, char16_t separator) {
    Names parts{u""};
    for (char16_t c : s) {
        if (c == separator) {
            parts.emplace_back();
        } else {
            parts.back() += (c >= u'A' && c <= u'Z') ? c + 32 : c;
        }
    }
    return parts;
}

constexpr char16_t kAddress[] = u"http://ja.wikipedia.org/wiki/Foo";

TEST(BrowserFamilies, EveryFrameAndPathIsFoundInAnyCaseAndAWrongClassFails) {
    for (std::size_t f = 0; f < kFamilies.size(); ++f) {
        const Names frames = Split(kFamilies[f][0], u'|');
        for (const std::u16string& frame : frames) {
            EXPECT_EQ(FindBrowserFamily(frame), &BrowserFamilies[f]);
        }
        for (std::size_t p = 1; p < kFamilies[f].size(); ++p) {
            const Names path = Split(kFamilies[f][p], u'<');
            for (std::size_t wrong = 0; wrong <= path.size(); ++wrong) {  // == size: none
                Names chain = path;
                for (std::size_t level = 0; level < path.size(); ++level) {
                    chain[level] += path[level].empty() ? u"Any" : level == wrong ? u"X" : u"";
                }
                const bool fits = wrong == path.size() || path[wrong].empty();
                FakeWindowTree tree;
                tree.Chain(tree.Add(frames.back()), chain, kAddress);
                CachedReader cached;
                CurrentArticle article;
                EXPECT_EQ(ScanBrowsers(tree, cached, article), fits) << f << " " << wrong;
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
    const struct {
        const char16_t* control;
        const char16_t* text;
        bool hit;
    } cases[] = {
        {u"Chrome_AutocompleteEditView", u"ja.wikipedia.org/wiki/Foo", true},
        {u"Chrome_AutocompleteEdit", u"ja.wikipedia.org/wiki/Foo", false},
        {u"Chrome_AutocompleteEdit", u"http://ja.wikipedia.org/wiki/Foo", true},
    };
    for (const auto& c : cases) {
        FakeWindowTree tree;
        CurrentArticle article;
        EXPECT_EQ(
            ReadFamilyControl(tree, BrowserFamilies[1], tree.Add(c.control, 0, c.text), article),
            c.hit);
        EXPECT_EQ(std::u16string(article.c_str()), c.hit ? u"Foo" : u"");
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
    const Names chain = Split(kFamilies[2][3], u'<');
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
