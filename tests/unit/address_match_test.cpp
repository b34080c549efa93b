#include "watch/address_match.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
    const char16_t* address;
    bool matches;
    const char16_t* article;
};

class AddressMatch : public ::testing::TestWithParam<Case> {};

TEST_P(AddressMatch, DecidesAndCutsOutTheArticle) {
    const Case& c = GetParam();
    CurrentArticle article;
    article.text[0] = u'x';  // left over from an earlier call
    EXPECT_EQ(MatchWatchedAddress(c.address, article), c.matches);
    EXPECT_EQ(std::u16string(article.c_str()), std::u16string(c.article));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Hosts, AddressMatch, ::testing::Values(
    Case{u"http://ja.wikipedia.org/wiki/Foo", true, u"Foo"},
    Case{u"hTtP://en.WikiPedia.Org/wIkI/Bar", true, u"Bar"},
    Case{u"HTTPS://JA.WIKIPEDIA.ORG/WIKI/Foo", true, u"Foo"},
    Case{u"http://wikipedia.org/anything", false, u""},
    Case{u"http://xx.m.wikipedia.org/wiki/Foo", false, u""},
    Case{u"http://xx.wikipedia.org/w/index.php?title=Foo", true, u""},
    Case{u"http://xx.wikipedia.org", false, u""},
    Case{u"http://xx.wikipedia.orgx/wiki/Foo", false, u""},
    Case{u"http://.wikipedia.org/wiki/A", true, u"A"},
    Case{u"http:/ja.wikipedia.org/wiki/Foo", false, u""},
    Case{u"httpss://ja.wikipedia.org/wiki/Foo", false, u""},
    Case{u"http://", false, u""},
    Case{u"http://upload.wikimedia.org/wikipedia/commons/a.jpg", true, u""},
    Case{u"HTTPS://upload.wikimedia.org/x.png", false, u""},
    Case{u"http://UPLOAD.wikimedia.org/a.jpg", false, u""},
    Case{u"http://wpedia.goo.ne.jp/wiki/Foo", true, u""},
    Case{u"http://wpedia.search.goo.ne.jp/search/x", true, u""},
    Case{u"https://wpedia.mobile.goo.ne.jp/", true, u""},
    Case{u"http://wpedia.goo.ne.jpx/", false, u""}));
INSTANTIATE_TEST_SUITE_P(ArticleNames, AddressMatch, ::testing::Values(
    Case{u"http://ja.wikipedia.org/wiki/Foo#Bar", true, u"Foo"},
    Case{u"http://ja.wikipedia.org/wiki/A+B", true, u"A B"},
    Case{u"http://ja.wikipedia.org/wiki/Foo?action=edit", true, u"Foo?action=edit"},
    Case{u"http://ja.wikipedia.org/wiki/%e7%8c%ab#%E6", true, u"猫"},
    Case{u"http://ja.wikipedia.org/wiki/%4", true, u"@"},
    Case{u"http://ja.wikipedia.org/wiki/%zz1", true, u""},  // a zero byte ends the name
    Case{u"http://ja.wikipedia.org/wiki/%2B+%20", true, u"+  "},
    Case{u"http://ja.wikipedia.org/wiki/caf\u00e9", true, u"caf\ufffd"},
    Case{u"http://ja.wikipedia.org/wiki/%F0%9F%98%80", true, u"\U0001F600"},
    Case{u"http://ja.wikipedia.org/wiki/%C0%AF", true, u"\ufffd\ufffd"},
    Case{u"http://ja.wikipedia.org/wiki/%ED%A0%80", true, u"\ufffd\ufffd\ufffd"},
    Case{u"http://ja.wikipedia.org/wiki/%E3%81%82%E3%81", true, u"\u3042\ufffd\ufffd"},
    Case{u"http://ja.wikipedia.org/wiki/%E3%81%82%E3%81\u3042", true,
         u"%E3%81%82%E3%81\u3042"}));
// clang-format on

TEST(AddressMatchBounds, NoAddressMissesAndTheLongestNameFillsTheBufferAndNoMore) {
    CurrentArticle article;
    EXPECT_FALSE(MatchWatchedAddress(nullptr, article));
    const std::u16string prefix = u"http://ja.wikipedia.org/wiki/";
    ASSERT_TRUE(MatchWatchedAddress((prefix + std::u16string(3000, u'b')).c_str(), article));
    EXPECT_EQ(std::u16string(article.c_str()), std::u16string(kCurrentArticleSize - 1, u'b'));
    // A pair cut at the end leaves nothing of the earlier, longer name.
    for (const std::u16string& pair :
         {std::u16string(u"%F0%9F%98%80"), std::u16string(u"\U0001F600")}) {
        const std::u16string address =
            prefix + std::u16string(kCurrentArticleSize - 2, u'a') + pair;
        ASSERT_TRUE(MatchWatchedAddress(address.c_str(), article));
        EXPECT_EQ(std::u16string(article.c_str()), std::u16string(kCurrentArticleSize - 2, u'a'));
    }
}

}  // namespace
