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
INSTANTIATE_TEST_SUITE_P(MainDomain, AddressMatch, ::testing::Values(
    Case{u"http://ja.wikipedia.org/wiki/Foo", true, u"Foo"},
    Case{u"HTTP://JA.WIKIPEDIA.ORG/WIKI/Foo", true, u"Foo"},
    Case{u"hTtP://en.WikiPedia.Org/wIkI/Bar", true, u"Bar"},
    Case{u"http://wikipedia.org/anything", false, u""},
    Case{u"http://xx.m.wikipedia.org/wiki/Foo", false, u""},
    Case{u"http://xx.wikipedia.org/w/index.php?title=Foo", true, u""},
    Case{u"http://xx.wikipedia.org/wiki/", true, u""},
    Case{u"http://xx.wikipedia.org/wiki", true, u""},
    Case{u"http://xx.wikipedia.org", false, u""},
    Case{u"http://xx.wikipedia.orgx/wiki/Foo", false, u""},
    Case{u"http://xx.wikipedia.org\\wiki/Foo", false, u""},
    Case{u"http://x/y.wikipedia.org/", true, u""},
    Case{u"http://.wikipedia.org/wiki/A", true, u"A"},
    Case{u"http:/ja.wikipedia.org/wiki/Foo", false, u""},
    Case{u"ftp://ja.wikipedia.org/wiki/Foo", false, u""},
    Case{u"", false, u""},
    Case{u"http:/", false, u""},
    Case{u"http://", false, u""},
    Case{u"http://nodot", false, u""}));

// The site has long been served only over https: it counts the same, under the same rules.
INSTANTIATE_TEST_SUITE_P(Https, AddressMatch, ::testing::Values(
    Case{u"https://ja.wikipedia.org/wiki/Foo", true, u"Foo"},
    Case{u"HTTPS://JA.WIKIPEDIA.ORG/WIKI/Foo", true, u"Foo"},
    Case{u"https://xx.m.wikipedia.org/wiki/Foo", false, u""},
    Case{u"https://upload.wikimedia.org/x.png", true, u""},
    Case{u"HTTPS://upload.wikimedia.org/x.png", false, u""},
    Case{u"httpss://ja.wikipedia.org/wiki/Foo", false, u""},
    Case{u"https:/ja.wikipedia.org/wiki/Foo", false, u""},
    Case{u"https://wpedia.goo.ne.jp/", true, u""}));

INSTANTIATE_TEST_SUITE_P(OtherHosts, AddressMatch, ::testing::Values(
    Case{u"http://upload.wikimedia.org/wikipedia/commons/a.jpg", true, u""},
    Case{u"HTTP://upload.wikimedia.org/a.jpg", false, u""},
    Case{u"http://UPLOAD.wikimedia.org/a.jpg", false, u""},
    Case{u"http://upload.wikimedia.org", false, u""},
    Case{u"http://wpedia.goo.ne.jp/wiki/Foo", true, u""},
    Case{u"http://wpedia.search.goo.ne.jp/search/x", true, u""},
    Case{u"http://wpedia.mobile.goo.ne.jp/", true, u""},
    Case{u"http://wpedia.goo.ne.jpx/", false, u""}));

INSTANTIATE_TEST_SUITE_P(ArticleNames, AddressMatch, ::testing::Values(
    Case{u"http://ja.wikipedia.org/wiki/Foo#Bar", true, u"Foo"},
    Case{u"http://ja.wikipedia.org/wiki/A+B", true, u"A B"},
    Case{u"http://ja.wikipedia.org/wiki/Foo?action=edit", true, u"Foo?action=edit"},
    Case{u"http://ja.wikipedia.org/wiki/%E7%8C%AB", true, u"猫"},
    Case{u"http://ja.wikipedia.org/wiki/%e7%8c%ab", true, u"猫"},
    Case{u"http://ja.wikipedia.org/wiki/猫#歴史", true, u"猫#歴史"},
    Case{u"http://ja.wikipedia.org/wiki/%E7%8C%AB#%E6", true, u"猫"},
    Case{u"http://ja.wikipedia.org/wiki/%4", true, u"@"},
    Case{u"http://ja.wikipedia.org/wiki/%", true, u""},
    Case{u"http://ja.wikipedia.org/wiki/%zz1", true, u""},  // a zero byte ends the name
    Case{u"http://ja.wikipedia.org/wiki/%41%4g%g4", true, u"A@\u0004"},
    Case{u"http://ja.wikipedia.org/wiki/%2B+%20", true, u"+  "},
    Case{u"http://ja.wikipedia.org/wiki/#top", true, u""},
    Case{u"http://ja.wikipedia.org/wiki/caf\u00e9", true, u"caf\ufffd"},
    Case{u"http://ja.wikipedia.org/wiki/%F0%9F%98%80", true, u"\U0001F600"},
    Case{u"http://ja.wikipedia.org/wiki/%C0%AF", true, u"\ufffd\ufffd"},
    Case{u"http://ja.wikipedia.org/wiki/%E7%8C", true, u"\ufffd\ufffd"},
    Case{u"http://ja.wikipedia.org/wiki/%ED%A0%80", true, u"\ufffd\ufffd\ufffd"},
    Case{u"http://ja.wikipedia.org/wiki/a%\u3042b", true, u"a%\u3042b"},
    Case{u"http://ja.wikipedia.org/wiki/%E3%81%82x", true, u"\u3042x"},
    Case{u"http://ja.wikipedia.org/wiki/%E3%81%82%E3%81", true, u"\u3042\ufffd\ufffd"},
    Case{u"http://ja.wikipedia.org/wiki/%E0%80%80", true, u"\ufffd\ufffd\ufffd"},
    Case{u"http://ja.wikipedia.org/wiki/%E3%81+", true, u"\ufffd\ufffd "},
    Case{u"http://ja.wikipedia.org/wiki/%E3%81%8", true, u"\u3040"},
    Case{u"http://ja.wikipedia.org/wiki/%E3%81%82%E3%81\u3042", true,
         u"%E3%81%82%E3%81\u3042"}));
// clang-format on

TEST(AddressMatchBounds, NullAddressIsAMiss) {
    CurrentArticle article;
    EXPECT_FALSE(MatchWatchedAddress(nullptr, article));
    EXPECT_TRUE(article.empty());
}

TEST(AddressMatchBounds, LongestArticleFillsTheBufferExactly) {
    const std::u16string prefix = u"http://ja.wikipedia.org/wiki/";
    CurrentArticle article;
    // An article part of 2099 units (longer than any reader delivers) still fits.
    std::u16string address = prefix + std::u16string(kCurrentArticleSize - 1, u'a');
    EXPECT_TRUE(MatchWatchedAddress(address.c_str(), article));
    EXPECT_EQ(std::u16string(article.c_str()).size(), kCurrentArticleSize - 1);
}

TEST(AddressMatchBounds, OverlongAddressesAreCutNotOverrun) {
    const std::u16string prefix = u"http://ja.wikipedia.org/wiki/";
    CurrentArticle article;
    for (std::u16string part :
         {std::u16string(10000, u'a'), std::u16string(10000, u'\u3042'),
          std::u16string(5000, u'%') + u"E3", std::u16string(u"%F0%9F%98%80")}) {
        if (part.size() < 100) {
            // Surrogate pairs at the very end of the buffer never leave half a pair.
            std::u16string many;
            for (int i = 0; i < 600; ++i)
                many += part;
            part = u"x" + many;
        }
        std::u16string address = prefix + part;
        EXPECT_TRUE(MatchWatchedAddress(address.c_str(), article));
        std::u16string name = article.c_str();
        EXPECT_LE(name.size(), kCurrentArticleSize - 1);
        if (!name.empty()) {
            EXPECT_FALSE(name.back() >= 0xD800 && name.back() <= 0xDBFF);
        }
    }
}

TEST(AddressMatchBounds, APairCutAtTheEndLeavesNothingOfAnEarlierName) {
    // The readers reuse one article buffer: a name that ends one unit short of the room,
    // because the pair that would end it has no room, must not keep the unit that an
    // earlier, longer name left there (a fuzzer's find).
    const std::u16string prefix = u"http://ja.wikipedia.org/wiki/";
    CurrentArticle article;
    ASSERT_TRUE(MatchWatchedAddress((prefix + std::u16string(3000, u'b')).c_str(), article));
    for (const std::u16string& pair :
         {std::u16string(u"%F0%9F%98%80"), std::u16string(u"\U0001F600")}) {
        const std::u16string address =
            prefix + std::u16string(kCurrentArticleSize - 2, u'a') + pair;
        ASSERT_TRUE(MatchWatchedAddress(address.c_str(), article));
        EXPECT_EQ(std::u16string(article.c_str()), std::u16string(kCurrentArticleSize - 2, u'a'));
    }
}

}  // namespace
