#include "records/ranking.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::u16string> Lines(const std::u16string& text) {
    std::vector<std::u16string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find(u"\r\n", start)) != std::u16string::npos; start = end + 2) {
        lines.push_back(text.substr(start, end - start));
    }
    EXPECT_EQ(start, text.size()) << "text ends with CR LF";
    return lines;
}

std::vector<RankingCandidate> Candidates(size_t n, uint32_t seconds) {
    return std::vector<RankingCandidate>(n, RankingCandidate{seconds, false});
}

TEST(RankingTrim, NothingGoesUpToTheLimit) {
    EXPECT_TRUE(ChooseRankingTrim(Candidates(110, 5), 110).empty());
    EXPECT_TRUE(ChooseRankingTrim({}, 110).empty());
}

TEST(RankingTrim, TheLeastReadOtherArticleGoesNeverTheCurrentOne) {
    std::vector<RankingCandidate> c = Candidates(111, 50);
    c[40].seconds = 3;
    c[110] = {1, true};  // the new article, just started at 1 second
    EXPECT_EQ(ChooseRankingTrim(c, 110), std::vector<size_t>{40});
}

TEST(RankingTrim, OfEqualsTheOneEnumeratedFirstGoes) {
    std::vector<RankingCandidate> c = Candidates(111, 50);
    c[7].seconds = 2;
    c[90].seconds = 2;
    EXPECT_EQ(ChooseRankingTrim(c, 110), std::vector<size_t>{7});
}

TEST(RankingTrim, ComparesUnsignedAndNeverRemovesSaturatedArticles) {
    std::vector<RankingCandidate> c = Candidates(111, 0x80000000u);  // negative if signed
    c[3].seconds = 0x7FFFFFFFu;
    EXPECT_EQ(ChooseRankingTrim(c, 110), std::vector<size_t>{3});
    c = Candidates(111, UINT32_MAX);
    EXPECT_TRUE(ChooseRankingTrim(c, 110).empty());
    c[110] = {0, true};
    EXPECT_TRUE(ChooseRankingTrim(c, 110).empty());  // only the current one could go
}

TEST(RankingTrim, AnOverfullRankingComesBackToTheLimitAtOnce) {
    std::vector<RankingCandidate> c;
    for (uint32_t i = 0; i < 10000; ++i) {
        c.push_back({10000 - i, i == 5000});
    }
    std::vector<size_t> gone = ChooseRankingTrim(c, 110);
    ASSERT_EQ(gone.size(), 9890u);
    EXPECT_EQ(gone.front(), 9999u);  // fewest seconds first
    for (size_t index : gone) {
        EXPECT_NE(index, 5000u);
        EXPECT_GT(index, 108u);  // the 109 most read stay, with the current one
    }
}

TEST(RankingText, HeaderAndLinesHaveTheExactShape) {
    std::vector<RankingEntry> rows = {{u"猫", 59}, {u"Foo_bar", 3725}, {u"x", 360000}};
    std::vector<std::u16string> lines = Lines(RankingText(rows));
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], u"記事ランキング");
    EXPECT_EQ(lines[1], u"");
    EXPECT_EQ(lines[2], u"第  1位 (100:00:00) x");
    EXPECT_EQ(lines[3], u"第  2位 ( 1:02:05) Foo_bar");
    EXPECT_EQ(lines[4], u"第  3位 ( 0:00:59) 猫");
}

TEST(RankingText, ShowsTheFirstHundredRowsOnly) {
    std::vector<RankingEntry> rows;
    for (uint32_t i = 0; i < 105; ++i) {
        RankingEntry row{u"a", i};
        row.name.push_back(static_cast<char16_t>(u'0' + i % 10));
        rows.push_back(row);
    }
    std::vector<std::u16string> lines = Lines(RankingText(rows));
    ASSERT_EQ(lines.size(), 102u);
    EXPECT_EQ(lines[2].substr(0, 16), u"第  1位 ( 0:01:44)");
    EXPECT_EQ(lines[101].substr(0, 16), u"第100位 ( 0:00:05)");
}

TEST(RankingText, EmptyRankingGivesTheHeaderAloneAndEqualsKeepTheirOrder) {
    std::vector<RankingEntry> rows;
    EXPECT_EQ(RankingText(rows), u"記事ランキング\r\n\r\n");
    rows = {{u"b", 5}, {u"a", 5}, {u"c", 6}};
    std::vector<std::u16string> lines = Lines(RankingText(rows));
    EXPECT_EQ(lines[3], u"第  2位 ( 0:00:05) b");
    EXPECT_EQ(lines[4], u"第  3位 ( 0:00:05) a");
}

TEST(RankingText, RanksPastNineHundredNinetyNineWouldWidenButStopAtAHundred) {
    std::vector<RankingEntry> rows(10000, RankingEntry{u"n", 1});
    rows[9999].seconds = UINT32_MAX;
    std::vector<std::u16string> lines = Lines(RankingText(rows));
    ASSERT_EQ(lines.size(), 102u);
    EXPECT_EQ(lines[2], u"第  1位 (1193046:28:15) n");
}

}  // namespace
