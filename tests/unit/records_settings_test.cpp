#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "records/settings_values.h"

namespace {

// A settings key held in a map: integers and texts by name, and what was asked or written.
struct FakeStore : SettingsSource, SettingsSink {
    std::map<std::u16string, int32_t> integers;
    std::map<std::u16string, std::optional<std::u16string>> texts;
    std::vector<std::u16string> order;

    int32_t ReadInteger(const char16_t* name, int32_t fallback) override {
        order.emplace_back(name);
        auto it = integers.find(name);
        return it == integers.end() ? fallback : it->second;
    }
    std::optional<std::u16string> ReadText(const char16_t* name) override {
        order.emplace_back(name);
        auto it = texts.find(name);
        return it == texts.end() ? std::u16string() : it->second;
    }
    void WriteInteger(const char16_t* name, uint32_t value) override {
        order.emplace_back(name);
        integers[name] = static_cast<int32_t>(value);
    }
    void WriteText(const char16_t* name, std::u16string_view text) override {
        order.emplace_back(name);
        texts[name] = std::u16string(text);
    }
};

TEST(SettingsValues, AFirstStartHasTheStartValues) {
    Settings s;
    EXPECT_TRUE(s.NotifyFinish);
    EXPECT_TRUE(s.Voice);
    EXPECT_FALSE(s.NotifyHour || s.NotifyTime || s.HistryEnabled || s.NoTaskbarIcon);
    EXPECT_FALSE(s.Alarm1Enable || s.Alarm2Enable || s.Alarm3Enable);
    EXPECT_FALSE(s.Alarm1Mes || s.Alarm2Mes || s.Alarm3Mes);
    EXPECT_EQ(s.WindowLeft, 0);  // not PositionUnset
    EXPECT_EQ(s.WindowTop, 0);
}

TEST(SettingsValues, AnEmptyKeyGivesTheDefaultsNotTheStartValues) {
    FakeStore store;
    Settings s;
    s.NotifyFinish = false;
    s.Voice = false;
    s.NotifyHour = true;
    ReadSettingsValues(s, store);
    EXPECT_TRUE(s.NotifyFinish);
    EXPECT_TRUE(s.Voice);
    EXPECT_FALSE(s.NotifyHour);
    EXPECT_EQ(s.WindowLeft, PositionUnset);
    EXPECT_EQ(s.WindowTop, PositionUnset);
    EXPECT_EQ(s.SelEdition, 0);
    EXPECT_EQ(s.Alarm1Mes, u"");  // present and empty after a load
}

TEST(SettingsValues, ReadsInTheStoredOrder) {
    FakeStore store;
    Settings s;
    ReadSettingsValues(s, store);
    std::vector<std::u16string> expected = {
        u"NotifyFinish", u"NotifyHour",   u"NotifyTime",   u"HistryEnabled", u"NoTaskbarIcon",
        u"Voice",        u"Alarm1Enable", u"Alarm2Enable", u"Alarm3Enable",  u"Alarm1h",
        u"Alarm2h",      u"Alarm3h",      u"Alarm1m",      u"Alarm2m",       u"Alarm3m",
        u"Alarm1Mes",    u"Alarm2Mes",    u"Alarm3Mes",    u"SelEdition",    u"WindowLeft",
        u"WindowTop"};
    EXPECT_EQ(store.order, expected);
}

TEST(SettingsValues, BooleansAreNonZeroAndHoursKeepTheLow16Bits) {
    FakeStore store;
    store.integers = {{u"NotifyHour", 5},      {u"Voice", 0},          {u"NotifyTime", -1},
                      {u"Alarm1h", 65536 + 5}, {u"Alarm2m", -1},       {u"Alarm3h", 99},
                      {u"SelEdition", 7},      {u"WindowLeft", -1200}, {u"WindowTop", INT32_MIN}};
    store.texts = {{u"Alarm2Mes", u"お茶"}, {u"Alarm3Mes", std::nullopt}};
    Settings s;
    ReadSettingsValues(s, store);
    EXPECT_TRUE(s.NotifyHour);
    EXPECT_FALSE(s.Voice);
    EXPECT_TRUE(s.NotifyTime);
    EXPECT_EQ(s.Alarm1h, 5);
    EXPECT_EQ(s.Alarm2m, 65535);
    EXPECT_EQ(s.Alarm3h, 99);  // no range check
    EXPECT_EQ(s.SelEdition, 7);
    EXPECT_EQ(s.WindowLeft, -1200);
    EXPECT_EQ(s.WindowTop, PositionUnset);
    EXPECT_EQ(s.Alarm2Mes, u"お茶");
    EXPECT_EQ(s.Alarm3Mes, std::nullopt);  // a failed read leaves it absent
}

TEST(SettingsValues, WritesInTheStoredOrderWithoutNoTaskbarIcon) {
    FakeStore store;
    Settings s;
    s.NoTaskbarIcon = true;
    WriteSettingsValues(s, 10, 20, store);
    std::vector<std::u16string> expected = {
        u"NotifyFinish", u"NotifyHour",   u"NotifyTime",   u"HistryEnabled", u"Voice",
        u"Alarm1Enable", u"Alarm2Enable", u"Alarm3Enable", u"Alarm1h",       u"Alarm2h",
        u"Alarm3h",      u"Alarm1m",      u"Alarm2m",      u"Alarm3m",       u"Alarm1Mes",
        u"Alarm2Mes",    u"Alarm3Mes",    u"SelEdition",   u"WindowLeft",    u"WindowTop"};
    EXPECT_EQ(store.order, expected);
}

TEST(SettingsValues, WritesTrueAsOneAndAbsentTextsAsEmpty) {
    FakeStore store;
    Settings s;
    s.NotifyHour = true;
    s.Alarm2h = 23;
    s.Alarm1Mes = u"起きて";
    s.SelEdition = -3;
    WriteSettingsValues(s, PositionUnset, -1, store);
    EXPECT_EQ(store.integers[u"NotifyHour"], 1);
    EXPECT_EQ(store.integers[u"NotifyFinish"], 1);
    EXPECT_EQ(store.integers[u"NotifyTime"], 0);
    EXPECT_EQ(store.integers[u"Alarm2h"], 23);
    EXPECT_EQ(store.integers[u"SelEdition"], -3);
    EXPECT_EQ(store.integers[u"WindowLeft"], PositionUnset);
    EXPECT_EQ(store.integers[u"WindowTop"], -1);
    EXPECT_EQ(store.texts[u"Alarm1Mes"], u"起きて");
    EXPECT_EQ(store.texts[u"Alarm2Mes"], u"");
}

TEST(SettingsValues, ARoundTripKeepsEveryField) {
    Settings s;
    s.NotifyFinish = false;
    s.NotifyHour = s.NotifyTime = s.HistryEnabled = true;
    s.Voice = false;
    s.Alarm1Enable = s.Alarm3Enable = true;
    s.Alarm1h = 7, s.Alarm2h = 8, s.Alarm3h = 65535;
    s.Alarm1m = 1, s.Alarm2m = 2, s.Alarm3m = 59;
    s.Alarm1Mes = u"a", s.Alarm2Mes = u"", s.Alarm3Mes = u"長い文";
    s.SelEdition = 2;
    FakeStore store;
    WriteSettingsValues(s, -5, 7, store);
    Settings back;
    ReadSettingsValues(back, store);
    EXPECT_EQ(back.NotifyFinish, s.NotifyFinish);
    EXPECT_EQ(back.NotifyHour, s.NotifyHour);
    EXPECT_EQ(back.NotifyTime, s.NotifyTime);
    EXPECT_EQ(back.HistryEnabled, s.HistryEnabled);
    EXPECT_EQ(back.Voice, s.Voice);
    EXPECT_EQ(back.Alarm1Enable, s.Alarm1Enable);
    EXPECT_EQ(back.Alarm2Enable, s.Alarm2Enable);
    EXPECT_EQ(back.Alarm3Enable, s.Alarm3Enable);
    EXPECT_EQ(back.Alarm3h, 65535);
    EXPECT_EQ(back.Alarm3m, 59);
    EXPECT_EQ(back.Alarm3Mes, u"長い文");
    EXPECT_EQ(back.SelEdition, 2);
    EXPECT_EQ(back.WindowLeft, -5);
    EXPECT_EQ(back.WindowTop, 7);
}

}  // namespace
