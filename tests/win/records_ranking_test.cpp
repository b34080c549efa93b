// The article ranking in the registry: counting, trimming to 110 articles, and the text.
#include "records/ranking_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/handles_win.h"
#include "common/text_win.h"
#include "records/settings.h"
#include "tests/support/failing_allocation.h"
#include "tests/win/records_fixture_win.h"

namespace {

using records_test::RecordsTest;
using records_test::Utf16Bytes;

std::u16string Article(int i) {
    const std::string s = "Article_" + std::to_string(i);
    return std::u16string(s.begin(), s.end());
}

class RankingTest : public RecordsTest {
  protected:
    // n articles with 100 + i seconds each.
    void Fill(int n) {
        REGW rank;
        ASSERT_TRUE(rank.OpenKey(RankKey, OpenCreate));
        for (int i = 0; i < n; ++i) {
            rank.WriteIntegerW(Article(i).c_str(), 100 + static_cast<uint32_t>(i));
        }
        rank.CloseKey();
    }
    std::u16string Text() {
        REGW rank;
        EXPECT_TRUE(rank.OpenKey(RankKey, OpenReadOnly));
        std::u16string text = RankingTextOf(rank);
        rank.CloseKey();
        return text;
    }
    static size_t LineCount(const std::u16string& text) {
        size_t n = 0;
        for (size_t at = 0; (at = text.find(u"\r\n", at)) != std::u16string::npos; at += 2) {
            ++n;
        }
        return n;
    }
};

TEST_F(RankingTest, TheFirstSecondCreatesTheValueAtOne) {
    AddRankingSecond(u"猫");
    EXPECT_EQ(GetDword(RankKey, u"猫"), 1u);
    AddRankingSecond(u"猫");
    EXPECT_EQ(GetDword(RankKey, u"猫"), 2u);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(RankingTest, ANullOrEmptyNameTouchesNothing) {
    AddRankingSecond(nullptr);
    AddRankingSecond(u"");
    EXPECT_FALSE(KeyExists(RankKey));
}

TEST_F(RankingTest, ASaturatedArticleStaysSaturated) {
    SetDword(RankKey, u"x", 4294967295u);
    AddRankingSecond(u"x");
    EXPECT_EQ(GetDword(RankKey, u"x"), 4294967295u);
    SetDword(RankKey, u"y", 4294967294u);
    AddRankingSecond(u"y");
    AddRankingSecond(u"y");
    EXPECT_EQ(GetDword(RankKey, u"y"), 4294967295u);
}

TEST_F(RankingTest, OtherStoredShapesAreCountedOnAndRewrittenAsNumbers) {
    SetText(RankKey, u"text", u"500");
    Set(RankKey, u"short", REG_DWORD, {7});
    Set(RankKey, u"none", REG_NONE, {1, 2, 3, 4});
    SetText(RankKey, u"words", u"many");
    AddRankingSecond(u"text");
    AddRankingSecond(u"short");
    AddRankingSecond(u"none");
    AddRankingSecond(u"words");
    EXPECT_EQ(GetDword(RankKey, u"text"), 501u);
    EXPECT_EQ(GetDword(RankKey, u"short"), 8u);
    EXPECT_EQ(GetDword(RankKey, u"none"), 1u);
    EXPECT_EQ(GetDword(RankKey, u"words"), 1u);
}

TEST_F(RankingTest, AHundredEleventhArticleRemovesTheLeastReadOfTheOthers) {
    Fill(110);
    SetDword(RankKey, Article(57), 3);
    AddRankingSecond(u"新しい記事");
    std::vector<std::u16string> names = Names(RankKey);
    EXPECT_EQ(names.size(), 110u);
    EXPECT_FALSE(Get(RankKey, Article(57)));
    EXPECT_EQ(GetDword(RankKey, u"新しい記事"), 1u);  // fewer than all, and still there
    // With 110 the next second trims nothing.
    AddRankingSecond(u"新しい記事");
    EXPECT_EQ(Names(RankKey).size(), 110u);
}

TEST_F(RankingTest, OfEqualFewestTheOneEnumeratedFirstGoes) {
    Fill(110);
    SetDword(RankKey, Article(20), 5);
    SetDword(RankKey, Article(90), 5);
    std::vector<std::u16string> order = Names(RankKey);
    const auto at20 = std::find(order.begin(), order.end(), Article(20));
    const auto at90 = std::find(order.begin(), order.end(), Article(90));
    const std::u16string first = at20 < at90 ? Article(20) : Article(90);
    const std::u16string second = at20 < at90 ? Article(90) : Article(20);
    AddRankingSecond(u"new");
    EXPECT_FALSE(Get(RankKey, first));
    EXPECT_EQ(GetDword(RankKey, second), 5u);
}

TEST_F(RankingTest, SecondsAreComparedUnsignedAndSaturatedArticlesStay) {
    REGW rank;
    ASSERT_TRUE(rank.OpenKey(RankKey, OpenCreate));
    for (int i = 0; i < 110; ++i) {
        rank.WriteIntegerW(Article(i).c_str(), i == 33 ? 0x7FFFFFFFu : 0xFFFFFFFFu);
    }
    rank.CloseKey();
    SetDword(RankKey, Article(34), 0x80000000u);  // negative if read signed
    AddRankingSecond(u"new");
    EXPECT_FALSE(Get(RankKey, Article(33)));
    EXPECT_TRUE(Get(RankKey, Article(34)));
    // Only saturated others left to choose from: nothing goes.
    SetDword(RankKey, Article(34), 0xFFFFFFFFu);
    SetDword(RankKey, u"new", 0xFFFFFFFFu);
    AddRankingSecond(u"newer");
    EXPECT_EQ(Names(RankKey).size(), 111u);
}

TEST_F(RankingTest, TheArticleBeingReadStaysUnderAnotherSpellingOfItsName) {
    Fill(110);
    SetDword(RankKey, u"Wiki_ABC", 0);  // the least read of all, stored as "Wiki_ABC"
    AddRankingSecond(u"wiki_abc");      // the registry's names ignore case: same value
    EXPECT_EQ(Names(RankKey).size(), 110u);
    EXPECT_EQ(GetDword(RankKey, u"wiki_abc"), 1u);
    EXPECT_FALSE(Get(RankKey, Article(0)));  // the least read other one went
}

TEST_F(RankingTest, AnOverfullRankingComesBackToTheLimitAtOnce) {
    Fill(10000);
    AddRankingSecond(Article(0).c_str());  // the least read, being read
    std::vector<std::u16string> names = Names(RankKey);
    EXPECT_EQ(names.size(), 110u);
    EXPECT_EQ(GetDword(RankKey, Article(0)), 101u);
    EXPECT_TRUE(Get(RankKey, Article(9999)));
    EXPECT_TRUE(Get(RankKey, Article(9891)));
    EXPECT_FALSE(Get(RankKey, Article(9890)));
}

TEST_F(RankingTest, TheLongestNamesAndLargeValuesTakePart) {
    Fill(110);
    const std::u16string longest(16383, u'L');
    Set(RankKey, u"big", REG_BINARY, std::vector<uint8_t>(1 << 20, 0x01));
    AddRankingSecond(longest.c_str());
    EXPECT_EQ(GetDword(RankKey, longest), 1u);
    EXPECT_EQ(Names(RankKey).size(), 110u);  // 112 values: the two least read others went
    EXPECT_FALSE(Get(RankKey, Article(0)));
    EXPECT_FALSE(Get(RankKey, Article(1)));
    const std::u16string text = Text();
    EXPECT_EQ(text.find(u"第  1位 (4678:36:49) big\r\n"), 11u);
    EXPECT_EQ(text.find(longest), std::u16string::npos);  // 110th of 110: not shown
    SetDword(RankKey, longest, 4999);
    AddRankingSecond(longest.c_str());
    EXPECT_NE(Text().find(u"第  2位 ( 1:23:20) " + longest + u"\r\n"), std::u16string::npos);
}

TEST_F(RankingTest, TextShowsThreeRowsInOrder) {
    SetDword(RankKey, u"b", 59);
    SetDword(RankKey, u"a", 3725);
    SetText(RankKey, u"c", u"61");
    EXPECT_EQ(Text(),
              u"記事ランキング\r\n\r\n"
              u"第  1位 ( 1:02:05) a\r\n"
              u"第  2位 ( 0:01:01) c\r\n"
              u"第  3位 ( 0:00:59) b\r\n");
}

// The enumeration's data buffer (sized for the 8000-byte value) cannot be had: the dialog's
// edit says so, rather than showing an empty ranking.
TEST_F(RankingTest, MemoryForTheTableThatCannotBeHadIsSaidInTheText) {
    SetDword(RankKey, u"a", 3725);
    const std::vector<uint8_t> big(8000, '1');
    UniqueHKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, AsWide(RankKey), 0, KEY_SET_VALUE, key.put()),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExW(key.get(), L"big", 0, REG_BINARY, big.data(), 8000), ERROR_SUCCESS);
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                                nullptr);
    ASSERT_NE(edit, nullptr);
    REGW rank;
    ASSERT_TRUE(rank.OpenKey(RankKey, OpenReadOnly));
    {
        FailingAllocations noBigBlocks(6000);
        BuildRankingText(rank, edit);
    }
    rank.CloseKey();
    wchar_t shown[128] = {};
    GetWindowTextW(edit, shown, 128);
    EXPECT_STREQ(shown, L"メモリ不足のため、ランキングデータのソートができません。");
    DestroyWindow(edit);
}

TEST_F(RankingTest, TextShowsTheFirstHundredOfAHundredFiveAndOfTenThousand) {
    Fill(105);
    std::u16string text = Text();
    EXPECT_EQ(LineCount(text), 102u);
    EXPECT_NE(text.find(u"第  1位 ( 0:03:24) Article_104\r\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"第100位 ( 0:01:45) Article_5\r\n"), std::u16string::npos);
    ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, AsWide(RankKey)), ERROR_SUCCESS);
    Fill(10000);
    text = Text();
    EXPECT_EQ(LineCount(text), 102u);
    EXPECT_NE(text.find(u"第  1位 ( 2:48:19) Article_9999\r\n"), std::u16string::npos);
    EXPECT_NE(text.find(u"第100位 ( 2:46:40) Article_9900\r\n"), std::u16string::npos);
}

TEST_F(RankingTest, AnEmptyKeyGivesTheHeaderAlone) {
    ASSERT_NO_FATAL_FAILURE(MakeKey(RankKey));
    EXPECT_EQ(Text(), u"記事ランキング\r\n\r\n");
}

TEST_F(RankingTest, BuildRankingTextReplacesTheEditText) {
    SetDword(RankKey, u"記事", 3725);
    HWND edit = CreateWindowExW(0, L"EDIT", L"old", WS_POPUP | ES_MULTILINE, 0, 0, 200, 100,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    REGW rank;
    ASSERT_TRUE(rank.OpenKey(RankKey, OpenReadOnly));
    BuildRankingText(rank, edit);
    rank.CloseKey();
    wchar_t shown[256] = {};
    GetWindowTextW(edit, shown, 256);
    DestroyWindow(edit);
    EXPECT_EQ(std::wstring(shown), L"記事ランキング\r\n\r\n第  1位 ( 1:02:05) 記事\r\n");
}

}  // namespace
