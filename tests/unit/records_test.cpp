// The records' portable rules: registry values, settings, the ranking.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "records/ranking.h"
#include "records/registry_value.h"
#include "records/settings_values.h"
#include "tests/support/test_bytes.h"

namespace {

int32_t FromText(uint32_t type, std::u16string_view text) {
    const std::string bytes = test::Utf16Le(text);
    return IntegerFromRegistryData(type, test::Bytes(bytes).data(), bytes.size(), 7);
}

TEST(RegistryValues, TextsAreASignAndDigitsClampedTo32Bits) {
    for (auto [text, number] : {std::pair{u"+12", 12},
                                {u"-", 0},
                                {u"2147483648", INT32_MAX},
                                {u"-2147483649", INT32_MIN},
                                {u"99999999999", INT32_MAX}}) {
        EXPECT_EQ(FromText(kRegSz, text), number);
        EXPECT_EQ(FromText(kRegExpandSz, text), number);
    }
    for (const char16_t* bad : {u"", u" 12", u"12abc", u"+-1", u"１２"}) {
        EXPECT_EQ(FromText(kRegSz, bad), 7);
    }
    EXPECT_EQ(FromText(kRegMultiSz, std::u16string(u"5\0"
                                                   u"6\0\0",
                                                   6)),
              5);  // the first string counts
    const std::string text = test::Utf16Le(std::u16string(u"ab\0cd", 5)) + "Q";
    EXPECT_EQ(TextFromRegistryData(test::Bytes(text).data(), text.size()), u"ab");
    EXPECT_EQ(TextFromRegistryData(test::Bytes(text).data() + 6, 5), u"cd");  // an odd byte
}

TEST(RegistryValues, BinaryTypesGiveTheirFirstFourBytesAndOtherTypesTheFallback) {
    const uint8_t bytes[] = {0x02, 0x01, 0x00, 0x00, 0x09, 0x09, 0x09, 0x09};
    for (uint32_t type : {kRegDword, kRegBinary, kRegQword}) {
        EXPECT_EQ(IntegerFromRegistryData(type, bytes, 8, 7), 258) << type;
        EXPECT_EQ(IntegerFromRegistryData(type, bytes, 1, 7), 2) << type;  // short: zeros
    }
    const uint8_t big[] = {0x00, 0x00, 0x01, 0x02};
    EXPECT_EQ(IntegerFromRegistryData(kRegDwordBigEndian, big, 4, 7), 258);
    for (uint32_t type : {kRegNone, kRegLink, 0xFFFFFFFFu}) {
        EXPECT_EQ(IntegerFromRegistryData(type, bytes, 4, 7), 7) << type;
    }
}

// A settings key held in a map.
struct FakeStore : SettingsSource, SettingsSink {
    std::map<std::u16string, int32_t> integers;
    std::map<std::u16string, std::optional<std::u16string>> texts;
    int32_t ReadInteger(const char16_t* name, int32_t fallback) override {
        auto it = integers.find(name);
        return it == integers.end() ? fallback : it->second;
    }
    std::optional<std::u16string> ReadText(const char16_t* name) override {
        auto it = texts.find(name);
        return it == texts.end() ? std::u16string() : it->second;
    }
    void WriteInteger(const char16_t* name, uint32_t value) override {
        integers[name] = static_cast<int32_t>(value);
    }
    void WriteText(const char16_t* name, std::u16string_view text) override {
        texts[name] = std::u16string(text);
    }
};

TEST(SettingsValues, MissingValuesGiveTheDefaultsAndStoredOnesAreCoerced) {
    FakeStore store;
    Settings s;
    s.NotifyFinish = s.Voice = false;
    s.NotifyHour = true;
    ReadSettingsValues(s, store);
    EXPECT_TRUE(s.NotifyFinish && s.Voice);
    EXPECT_FALSE(s.NotifyHour || s.NoTaskbarIcon);
    EXPECT_EQ(s.WindowLeft, PositionUnset);
    store.integers = {{u"NotifyHour", 5},
                      {u"Alarm1h", 65536 + 5},
                      {u"Alarm2m", -1},
                      {u"WindowLeft", -1200},
                      {u"WindowTop", INT32_MIN}};
    store.texts = {{u"Alarm2Mes", u"お茶"}, {u"Alarm3Mes", std::nullopt}};
    ReadSettingsValues(s, store);
    EXPECT_TRUE(s.NotifyHour);
    EXPECT_EQ(s.Alarm1h, 5);
    EXPECT_EQ(s.Alarm2m, 65535);
    EXPECT_EQ(s.WindowLeft, -1200);
    EXPECT_EQ(s.WindowTop, PositionUnset);
    EXPECT_EQ(s.Alarm2Mes, u"お茶");
    EXPECT_EQ(s.Alarm3Mes, std::nullopt);  // a failed read leaves it absent
}

TEST(SettingsValues, ARoundTripKeepsTheFieldsButTheTrayChoice) {
    Settings s;
    s.Voice = false;
    s.NotifyTime = s.NoTaskbarIcon = s.Alarm3Enable = true;
    s.Alarm3h = 65535, s.Alarm3m = 59, s.Alarm3Mes = u"長い文", s.SelEdition = -3;
    FakeStore store;
    WriteSettingsValues(s, -5, 7, store);
    EXPECT_EQ(store.integers.count(u"NoTaskbarIcon"), 0u);
    Settings back;
    ReadSettingsValues(back, store);
    EXPECT_EQ(std::tie(back.Voice, back.NotifyTime, back.Alarm3Enable, back.Alarm3h, back.Alarm3m,
                       back.Alarm3Mes, back.SelEdition),
              std::tie(s.Voice, s.NotifyTime, s.Alarm3Enable, s.Alarm3h, s.Alarm3m, s.Alarm3Mes,
                       s.SelEdition));
    EXPECT_EQ(back.WindowLeft, -5);
    EXPECT_EQ(back.WindowTop, 7);
}

TEST(Ranking, TheLeastReadOtherArticleGoesNeverTheCurrentOrASaturatedOne) {
    std::vector<RankingCandidate> c(111, RankingCandidate{0x80000000u, false});  // < 0 if signed
    c[40].seconds = c[90].seconds = 0x7FFFFFFFu;
    c[110] = {1, true};                                             // the new article, just started
    EXPECT_EQ(ChooseRankingTrim(c, 110), std::vector<size_t>{40});  // of equals, the first
    c.assign(111, RankingCandidate{UINT32_MAX, false});
    EXPECT_TRUE(ChooseRankingTrim(c, 110).empty());
    c.assign(200, RankingCandidate{5, false});
    EXPECT_EQ(ChooseRankingTrim(c, 110).size(), 90u);  // back to the limit at once
}

TEST(Ranking, TheTextRanksTheFirstHundredMostReadFirst) {
    std::vector<RankingEntry> rows = {{u"猫", 59}, {u"b", 3725}, {u"a", 3725}, {u"x", 360000}};
    EXPECT_EQ(test::SplitCrlf(RankingText(rows)),
              (std::vector<std::u16string>{u"記事ランキング", u"", u"第  1位 (100:00:00) x",
                                           u"第  2位 ( 1:02:05) b", u"第  3位 ( 1:02:05) a",
                                           u"第  4位 ( 0:00:59) 猫"}));
    rows.assign(105, RankingEntry{u"n", 1});
    const auto lines = test::SplitCrlf(RankingText(rows));
    ASSERT_EQ(lines.size(), 102u);
    EXPECT_EQ(lines.back(), u"第100位 ( 0:00:01) n");
}

}  // namespace
