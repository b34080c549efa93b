#include "watch/helper_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/test_bytes.h"

namespace {

using test::Utf16Le;

constexpr char16_t kArticle[] = u"http://ja.wikipedia.org/wiki/Foo";

TEST(HelperFileBytes, MarkerSeparatorAndAddressAsTheProgramReadsThem) {
    const std::u16string article = kArticle;
    const struct {
        std::string bytes;
        char16_t marker;  // after the read
        const char16_t* article;
    } cases[] = {
        {Utf16Le(u"b|" + article + u"\r\n", true), u'b', u"Foo\r\n"},
        {Utf16Le(std::u16string(u"c") + u'\0' + article + u'\0' + u"Bar"), u'c',
         u"Foo"},                                        // any separator
        {Utf16Le(u"d" + article), u'd', u""},            // none: "ttp://..."
        {Utf16Le(u"q http://example.com/"), u'q', u""},  // stored though foreign
        {Utf16Le(u"f|http://ja.wikipedia.org/wiki/Fo") + "o", u'f', u"Foo"},  // an odd last byte
        {Utf16Le(u"", true), u'\0', u""},
        {"g", u'g', u""},
    };
    for (const auto& c : cases) {
        char16_t marker = kNoHelperMarker;
        CurrentArticle read;
        EXPECT_EQ(MatchHelperFileBytes(test::Bytes(c.bytes), marker, read), *c.article != u'\0');
        EXPECT_EQ(marker, c.marker);
        EXPECT_EQ(std::u16string(read.c_str()), c.article);
        EXPECT_FALSE(MatchHelperFileBytes(test::Bytes(c.bytes), marker, read));  // unchanged
    }
}

TEST(HelperFileBytes, OnlyTheFirst4198BytesCount) {
    const std::u16string head = u"a|http://ja.wikipedia.org/wiki/";
    for (bool mark : {false, true}) {
        const std::string big = Utf16Le(head + std::u16string(5000, u'A'), mark);
        const std::size_t name = 2099 - (mark ? 1 : 0) - head.size();
        for (std::size_t size : {4197u, 4199u}) {
            char16_t marker = kNoHelperMarker;
            CurrentArticle article;
            EXPECT_TRUE(MatchHelperFileBytes(test::Bytes(big.substr(0, size)), marker, article));
            EXPECT_EQ(std::u16string(article.c_str()), std::u16string(name, u'A')) << size;
        }
    }
}

struct Profiles : ::testing::Test, test::FakeProfiles {
    HelperFileState state;
    CurrentArticle article;

    void Write(std::u16string_view folder, std::u16string_view text) {
        files[std::u16string(folder)] = Utf16Le(text, true);
    }
    bool Reread() { return ReadHelperFile(*this, state, nullptr, article); }
    bool Scan() { return ScanFirefoxProfiles(*this, state, article); }
};

TEST_F(Profiles, AHitIsRememberedAndItsReReadForgetsItOnAnyMiss) {
    EXPECT_FALSE(Reread());
    folders = {u"p"};
    Write(u"p", u"1|http://ja.wikipedia.org/wiki/Foo");
    EXPECT_TRUE(Scan());
    EXPECT_EQ(state.RememberedHelperPath, PathOf(u"p"));
    Write(u"p", u"2|http://ja.wikipedia.org/wiki/Bar");
    EXPECT_TRUE(Reread());
    EXPECT_EQ(std::u16string(article.c_str()), u"Bar");
    char16_t marker = u'4';
    for (const char16_t* next : {u"2|http://ja.wikipedia.org/wiki/Bar", u"3|http://example.com/",
                                 u""}) {  // same marker, another site, file gone
        if (*next == u'\0') {
            files.clear();
        } else {
            Write(u"p", next);
        }
        EXPECT_FALSE(Reread());
        EXPECT_TRUE(state.RememberedHelperPath.empty());
        Write(u"p", std::u16string(1, marker++) + u"|http://ja.wikipedia.org/wiki/Foo");
        ASSERT_TRUE(Scan());
    }
}

TEST_F(Profiles, EveryFolderIsReadAndTheLastHitIsRemembered) {
    folders = {u"a", u"b", u"c", u"d"};
    Write(u"a", u"1|http://ja.wikipedia.org/wiki/Early");
    Write(u"b", u"2|http://ja.wikipedia.org/w/index.php");  // a hit, but no article page
    Write(u"c", u"2|http://ja.wikipedia.org/wiki/Late");    // b's marker: not matched
    EXPECT_TRUE(Scan());
    EXPECT_EQ(reads, 4);
    EXPECT_EQ(state.RememberedHelperPath, PathOf(u"b"));
    EXPECT_TRUE(article.empty());
}

}  // namespace
