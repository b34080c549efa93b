#include "watch/helper_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

// UTF-16LE bytes of text, with the byte-order mark in front when asked.
std::vector<uint8_t> Bytes(std::u16string_view text, bool mark = false) {
    std::vector<uint8_t> bytes;
    if (mark) {
        bytes = {0xFF, 0xFE};
    }
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

constexpr char16_t kArticle[] = u"http://ja.wikipedia.org/wiki/Foo";

// head followed by tail (GCC 12 warns wrongly about "literal" + std::u16string).
std::u16string Cat(std::u16string_view head, std::u16string_view tail = kArticle) {
    return std::u16string(head).append(tail);
}

struct Parse : ::testing::Test {
    char16_t marker = kNoHelperMarker;
    CurrentArticle article;

    bool Read(const std::vector<uint8_t>& bytes) {
        return MatchHelperFileBytes(bytes, marker, article);
    }
    std::u16string Article() const { return article.c_str(); }
};

TEST_F(Parse, AFileWithOrWithoutTheMarkIsReadAlike) {
    EXPECT_TRUE(Read(Bytes(u"a|http://ja.wikipedia.org/wiki/Foo")));
    EXPECT_EQ(marker, u'a');
    EXPECT_EQ(Article(), u"Foo");
    EXPECT_TRUE(Read(Bytes(u"b|http://ja.wikipedia.org/wiki/Bar", true)));
    EXPECT_EQ(marker, u'b');
    EXPECT_EQ(Article(), u"Bar");
}

TEST_F(Parse, TheSeparatorIsSkippedUnreadWhateverItIs) {
    EXPECT_TRUE(Read(Bytes(Cat(u"ah"))));
    EXPECT_TRUE(Read(Bytes(Cat(std::u16string(u"b").append(1, u'\0')))));
    EXPECT_FALSE(Read(Bytes(Cat(u"c"))));  // no separator: "ttp://..."
}

TEST_F(Parse, AnUnchangedMarkerMissesAndStaysStored) {
    EXPECT_TRUE(Read(Bytes(Cat(u"x "))));
    EXPECT_FALSE(Read(Bytes(Cat(u"x "))));
    EXPECT_EQ(marker, u'x');
    EXPECT_FALSE(Read(Bytes(Cat(u"x "), true)));
}

TEST_F(Parse, TheFirstReadCountsWithAnyMarkerButTheStartValue) {
    EXPECT_FALSE(Read(Bytes(Cat(u"\xFFFF "))));
    EXPECT_TRUE(Read(Bytes(Cat(u"\xFFFE "))));
}

TEST_F(Parse, ANewMarkerIsStoredEvenWhenTheAddressIsForeign) {
    EXPECT_FALSE(Read(Bytes(u"q http://example.com/")));
    EXPECT_EQ(marker, u'q');
}

TEST_F(Parse, AnEmptyFileHasTheMarkerZero) {
    EXPECT_FALSE(Read({}));
    EXPECT_EQ(marker, u'\0');
    EXPECT_FALSE(Read({}));
    EXPECT_FALSE(Read(Bytes(u"", true)));  // the mark alone reads the same
    EXPECT_EQ(marker, u'\0');
}

TEST_F(Parse, TwoUnitsOrFewerAfterTheMarkStoreTheMarkerAndMiss) {
    for (std::u16string_view text : {u"m", u"n|"}) {
        for (bool mark : {false, true}) {
            marker = u'z';
            EXPECT_FALSE(Read(Bytes(text, mark))) << mark;
            EXPECT_EQ(marker, text[0]);
        }
    }
}

TEST_F(Parse, ALineEndAfterTheAddressIsPartOfIt) {
    EXPECT_TRUE(Read(Bytes(u"a|http://ja.wikipedia.org/wiki/Foo\r\n", true)));
    EXPECT_EQ(Article(), u"Foo\r\n");
}

TEST_F(Parse, ANulEndsTheAddressBeforeTheEndOfTheFile) {
    EXPECT_TRUE(Read(Bytes(
        Cat(std::u16string(u"a|http://ja.wikipedia.org/wiki/Foo").append(1, u'\0'), u"Bar"))));
    EXPECT_EQ(Article(), u"Foo");
}

TEST_F(Parse, AnOddLastByteIsAUnitOfItsOwn) {
    std::vector<uint8_t> bytes = Bytes(u"a|http://ja.wikipedia.org/wiki/Fo");
    bytes.push_back('o');
    EXPECT_TRUE(Read(bytes));
    EXPECT_EQ(Article(), u"Foo");
    EXPECT_FALSE(Read({'b'}));  // one byte: the marker U+0062, nothing else
    EXPECT_EQ(marker, u'b');
    EXPECT_FALSE(Read({0xFF, 0xFE, 0x63}));
    EXPECT_EQ(marker, u'c');
}

TEST_F(Parse, OnlyTheFirst4198BytesCount) {
    const std::u16string head = u"a|http://ja.wikipedia.org/wiki/";
    for (bool mark : {false, true}) {
        const std::vector<uint8_t> big = Bytes(Cat(head, std::u16string(5000, u'A')), mark);
        // 2099 units are read, the mark among them.
        const std::size_t name = 2099 - (mark ? 1 : 0) - head.size();
        for (std::size_t size :
             {std::size_t{4197}, std::size_t{4198}, std::size_t{4199}, big.size()}) {
            marker = kNoHelperMarker;
            EXPECT_TRUE(Read({big.begin(), big.begin() + static_cast<std::ptrdiff_t>(size)}));
            // An odd 4197th byte is the low half of the last unit read: 'A' all the same.
            EXPECT_EQ(Article(), std::u16string(name, u'A')) << size;
        }
    }
}

TEST_F(Parse, RandomBytesOfAnyLengthGiveAnOutcome) {
    uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<uint8_t>(seed >> 24);
    };
    for (std::size_t size : {0u, 1u, 2u, 3u, 4u, 5u, 100u, 4197u, 4198u, 4199u, 10000u}) {
        for (int round = 0; round < 20; ++round) {
            std::vector<uint8_t> bytes(size);
            std::generate(bytes.begin(), bytes.end(), next);
            if (round % 2 == 1 && size >= 16) {  // a plausible head over random bytes
                const std::vector<uint8_t> head = Bytes(u"r|http://a.wikipedia.org/wiki/");
                std::copy_n(head.begin(), std::min(head.size(), size), bytes.begin());
            }
            Read(bytes);
            EXPECT_LT(std::u16string(article.c_str()).size(), kCurrentArticleSize);
        }
    }
}

TEST_F(Parse, TenMegabytesAreJudgedByTheirHead) {
    std::vector<uint8_t> bytes(10 * 1024 * 1024, 'A');
    const std::vector<uint8_t> head = Bytes(u"a|http://ja.wikipedia.org/wiki/");
    std::copy(head.begin(), head.end(), bytes.begin());
    EXPECT_TRUE(Read(bytes));
    EXPECT_EQ(Article().size(), 2099 - 31u);
}

// ---- Reading files and scanning the profiles ----

// Profile folders in memory; files are read as they stand at each read.
struct FakeFiles : HelperFileSystem {
    std::u16string root = u"C:\\Users\\u\\AppData\\Roaming\\Mozilla\\Firefox\\Profiles\\";
    std::vector<std::u16string> folders;
    std::map<std::u16string, std::vector<uint8_t>> files;
    std::vector<std::u16string> reads;

    std::u16string PathOf(std::u16string_view folder) {
        return root + std::u16string(folder) + u"\\ymthelp_urltext.txt";
    }
    std::u16string ProfileRoot() override { return root; }
    bool ListFolders(const std::u16string& listed, FolderVisitor& visitor) override {
        EXPECT_EQ(listed, root);
        for (const std::u16string& folder : folders) {
            if (!visitor.Visit(folder)) {
                break;
            }
        }
        return true;
    }
    std::ptrdiff_t ReadHead(const std::u16string& path, std::span<uint8_t> bytes) override {
        reads.push_back(path);
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
        files.files[files.PathOf(folder)] = Bytes(text, true);
    }
    bool Reread() { return ReadHelperFile(files, state, nullptr, article); }
    bool Scan() { return ScanFirefoxProfiles(files, state, article); }
};

TEST_F(Profiles, NothingRememberedIsAMissWithoutARead) {
    EXPECT_FALSE(Reread());
    EXPECT_TRUE(files.reads.empty());
    EXPECT_EQ(state.LastHelperMarker, kNoHelperMarker);
}

TEST_F(Profiles, AHitRemembersTheFileAndItsReReadsForgetItOnTheFirstMiss) {
    files.folders = {u"abc.default"};
    Write(u"abc.default", u"1|http://ja.wikipedia.org/wiki/Foo");
    EXPECT_TRUE(Scan());
    EXPECT_EQ(state.RememberedHelperPath, files.PathOf(u"abc.default"));
    Write(u"abc.default", u"2|http://ja.wikipedia.org/wiki/Bar");
    EXPECT_TRUE(Reread());
    EXPECT_EQ(std::u16string(article.c_str()), u"Bar");
    // Same marker again: a miss, forgotten; the scan of the same sample misses again.
    EXPECT_FALSE(Reread());
    EXPECT_TRUE(state.RememberedHelperPath.empty());
    EXPECT_FALSE(Scan());
    EXPECT_TRUE(state.RememberedHelperPath.empty());
    // The writer moves on: the scan finds it again.
    Write(u"abc.default", u"3|http://ja.wikipedia.org/wiki/Baz");
    EXPECT_TRUE(Scan());
    EXPECT_FALSE(state.RememberedHelperPath.empty());
}

TEST_F(Profiles, AVanishedOrForeignRememberedFileIsForgotten) {
    files.folders = {u"p"};
    Write(u"p", u"1|http://ja.wikipedia.org/wiki/Foo");
    ASSERT_TRUE(Scan());
    files.files.clear();
    EXPECT_FALSE(Reread());
    EXPECT_TRUE(state.RememberedHelperPath.empty());

    Write(u"p", u"2|http://ja.wikipedia.org/wiki/Foo");
    ASSERT_TRUE(Scan());
    Write(u"p", u"3|http://example.com/");
    EXPECT_FALSE(Reread());
    EXPECT_TRUE(state.RememberedHelperPath.empty());
    EXPECT_EQ(state.LastHelperMarker, u'3');
}

TEST_F(Profiles, AMissThroughAGivenPathLeavesTheRememberedFile) {
    files.folders = {u"p"};
    Write(u"p", u"1|http://ja.wikipedia.org/wiki/Foo");
    ASSERT_TRUE(Scan());
    const std::u16string other = files.PathOf(u"q");
    EXPECT_FALSE(ReadHelperFile(files, state, &other, article));
    EXPECT_EQ(state.RememberedHelperPath, files.PathOf(u"p"));
}

TEST_F(Profiles, EveryFolderIsReadAndTheLastHitIsRemembered) {
    files.folders = {u"a", u"b", u"c", u"d"};
    Write(u"a", u"1|http://ja.wikipedia.org/wiki/Early");
    Write(u"b", u"2|http://ja.wikipedia.org/w/index.php");  // a hit, but no article page
    Write(u"c", u"2|http://ja.wikipedia.org/wiki/Late");    // b's marker: not matched
    EXPECT_TRUE(Scan());
    EXPECT_EQ(files.reads.size(), 4u);  // "d" has no file: read and missed
    EXPECT_EQ(state.RememberedHelperPath, files.PathOf(u"b"));
    EXPECT_TRUE(article.empty());  // that of the last file matched, b
    EXPECT_EQ(state.LastHelperMarker, u'2');
}

TEST_F(Profiles, TwoProfilesWithDifferentMarkersCountForEachOther) {
    files.folders = {u"a", u"b"};
    Write(u"a", u"x|http://ja.wikipedia.org/wiki/A");
    Write(u"b", u"y|http://ja.wikipedia.org/wiki/B");
    for (int sample = 0; sample < 3; ++sample) {
        EXPECT_TRUE(Scan());
        EXPECT_EQ(state.RememberedHelperPath, files.PathOf(u"b"));
        EXPECT_EQ(std::u16string(article.c_str()), u"B");
    }
}

TEST_F(Profiles, NoProfileRootIsAMiss) {
    files.root.clear();
    files.folders = {u"a"};
    EXPECT_FALSE(Scan());
    EXPECT_TRUE(files.reads.empty());
}

}  // namespace
