#include "watch/helper_file.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/support/test_bytes.h"

namespace {

using test::Utf16Le;

constexpr char16_t kArticle[] = u"http://ja.wikipedia.org/wiki/Foo";

TEST(HelperFileBytes, MarkerSeparatorAndAddressAsTheProgramReadsThem) {
    struct Case {
        std::string bytes;
        bool hit;
        char16_t marker;  // after the read
        std::u16string article;
    } cases[] = {
        {Utf16Le(u"a|http://ja.wikipedia.org/wiki/Foo"), true, u'a', u"Foo"},
        {Utf16Le(u"b|http://ja.wikipedia.org/wiki/Foo\r\n", true), true, u'b', u"Foo\r\n"},
        {Utf16Le(std::u16string(u"c") + u'\0' + kArticle), true, u'c', u"Foo"},  // any separator
        {Utf16Le(std::u16string(u"d") + kArticle), false, u'd', u""},  // none: "ttp://..."
        {Utf16Le(u"q http://example.com/"), false, u'q', u""},         // stored though foreign
        {Utf16Le(std::u16string(u"e|http://ja.wikipedia.org/wiki/Foo") + u'\0' + u"Bar"), true,
         u'e', u"Foo"},
        {Utf16Le(u"f|http://ja.wikipedia.org/wiki/Fo") + "o", true, u'f', u"Foo"},  // odd byte
        {"", false, u'\0', u""},
        {Utf16Le(u"", true), false, u'\0', u""},
        {"g", false, u'g', u""},
        {Utf16Le(u"h|", true), false, u'h', u""},
        {Utf16Le(std::u16string(u"\xFFFF ") + kArticle), false, u'\xFFFF', u""},
    };
    for (const Case& c : cases) {
        char16_t marker = kNoHelperMarker;
        CurrentArticle article;
        EXPECT_EQ(MatchHelperFileBytes(test::Bytes(c.bytes), marker, article), c.hit) << c.bytes;
        EXPECT_EQ(marker, c.marker);
        EXPECT_EQ(std::u16string(article.c_str()), c.article);
        EXPECT_FALSE(MatchHelperFileBytes(test::Bytes(c.bytes), marker, article));  // unchanged
    }
}

TEST(HelperFileBytes, OnlyTheFirst4198BytesCount) {
    const std::u16string head = u"a|http://ja.wikipedia.org/wiki/";
    for (bool mark : {false, true}) {
        const std::string big = Utf16Le(head + std::u16string(5000, u'A'), mark);
        const std::size_t name = 2099 - (mark ? 1 : 0) - head.size();
        for (std::size_t size : {4197u, 4198u, 4199u, 10000u}) {
            char16_t marker = kNoHelperMarker;
            CurrentArticle article;
            EXPECT_TRUE(MatchHelperFileBytes(test::Bytes(big.substr(0, size)), marker, article));
            EXPECT_EQ(std::u16string(article.c_str()), std::u16string(name, u'A')) << size;
        }
    }
}

// Profile folders in memory; files are read as they stand at each read.
struct FakeFiles : HelperFileSystem {
    std::u16string root = u"C:\\Users\\u\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\";
    std::vector<std::u16string> folders;
    std::map<std::u16string, std::string> files;
    int reads = 0;
    std::u16string PathOf(std::u16string_view folder) {
        return root + std::u16string(folder) + u"\\ymthelp_urltext.txt";
    }
    std::u16string ProfileRoot() override { return root; }
    bool ListFolders(const std::u16string& listed, FolderVisitor& visitor) override {
        for (const std::u16string& folder : folders) {
            if (listed != root || !visitor.Visit(folder)) {
                break;
            }
        }
        return true;
    }
    std::ptrdiff_t ReadHead(const std::u16string& path, std::span<uint8_t> bytes) override {
        ++reads;
        auto it = files.find(path);
        if (it == files.end()) {
            return -1;
        }
        const std::size_t n = std::min(bytes.size(), it->second.size());
        std::copy_n(it->second.begin(), n, bytes.begin());
        return static_cast<std::ptrdiff_t>(n);
    }
};

struct Profiles : ::testing::Test {
    FakeFiles files;
    HelperFileState state;
    CurrentArticle article;
    void Write(std::u16string_view folder, std::u16string_view text) {
        files.files[files.PathOf(folder)] = Utf16Le(text, true);
    }
    bool Reread() { return ReadHelperFile(files, state, nullptr, article); }
    bool Scan() { return ScanFirefoxProfiles(files, state, article); }
};

TEST_F(Profiles, AHitIsRememberedAndItsReReadForgetsItOnAnyMiss) {
    EXPECT_FALSE(Reread());
    EXPECT_EQ(files.reads, 0);
    files.folders = {u"p"};
    Write(u"p", u"1|http://ja.wikipedia.org/wiki/Foo");
    EXPECT_TRUE(Scan());
    EXPECT_EQ(state.RememberedHelperPath, files.PathOf(u"p"));
    const std::u16string other = files.PathOf(u"q");  // a miss through another path: kept
    EXPECT_FALSE(ReadHelperFile(files, state, &other, article));
    Write(u"p", u"2|http://ja.wikipedia.org/wiki/Bar");
    EXPECT_TRUE(Reread());
    EXPECT_EQ(std::u16string(article.c_str()), u"Bar");
    char16_t marker = u'4';
    for (const char16_t* next : {u"2|http://ja.wikipedia.org/wiki/Bar", u"3|http://example.com/",
                                 u""}) {  // same marker, another site, file gone
        if (*next == u'\0') {
            files.files.clear();
        } else {
            Write(u"p", next);
        }
        EXPECT_FALSE(Reread());
        EXPECT_TRUE(state.RememberedHelperPath.empty());
        EXPECT_FALSE(Scan());
        Write(u"p", std::u16string(1, marker++) + u"|http://ja.wikipedia.org/wiki/Foo");
        ASSERT_TRUE(Scan());
    }
}

TEST_F(Profiles, EveryFolderIsReadAndTheLastHitIsRemembered) {
    files.folders = {u"a", u"b", u"c", u"d"};
    Write(u"a", u"1|http://ja.wikipedia.org/wiki/Early");
    Write(u"b", u"2|http://ja.wikipedia.org/w/index.php");  // a hit, but no article page
    Write(u"c", u"2|http://ja.wikipedia.org/wiki/Late");    // b's marker: not matched
    EXPECT_TRUE(Scan());
    EXPECT_EQ(files.reads, 4);
    EXPECT_EQ(state.RememberedHelperPath, files.PathOf(u"b"));
    EXPECT_TRUE(article.empty());
    files.root.clear();  // no profile root: a miss without reads
    EXPECT_FALSE(Scan());
    EXPECT_EQ(files.reads, 4);
}

}  // namespace
