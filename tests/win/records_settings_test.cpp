// Loading and saving the settings with the day's total, against the real registry.
#include "records/settings_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "records/daily_log_win.h"
#include "tests/win/records_fixture_win.h"

namespace {

using records_test::RecordsTest;
using records_test::Utf16Bytes;

constexpr char16_t kToday[] = u"20261206";
const HWND kOwner = reinterpret_cast<HWND>(static_cast<intptr_t>(0x1234));

WindowRectPort PlacedAt(LONG left, LONG top) {
    return [=](RECT& r) {
        r = RECT{left, top, left + 420, top + 350};
        return true;
    };
}

class SettingsTest : public RecordsTest {
  protected:
    bool Save(const Settings& s, uint32_t today, const WindowRectPort& port = PlacedAt(10, 20)) {
        return SaveSettings(kOwner, s, today, kToday, port);
    }
    Settings Load(uint32_t* today = nullptr) {
        Settings s;
        uint32_t seconds = 99;
        LoadSettings(s, seconds, kToday);
        if (today != nullptr) {
            *today = seconds;
        }
        return s;
    }
};

TEST_F(SettingsTest, AFirstStartKeepsTheStartValuesAndCreatesNothing) {
    uint32_t today = 0;
    Settings s = Load(&today);
    EXPECT_EQ(today, 99u);  // no log: the clock keeps what it had
    EXPECT_TRUE(s.NotifyFinish);
    EXPECT_TRUE(s.Voice);
    EXPECT_FALSE(s.NotifyHour || s.NotifyTime || s.HistryEnabled || s.NoTaskbarIcon);
    EXPECT_FALSE(s.Alarm1Mes || s.Alarm2Mes || s.Alarm3Mes);
    EXPECT_EQ(s.WindowLeft, 0);
    EXPECT_EQ(s.WindowTop, 0);
    EXPECT_FALSE(KeyExists(u"Software\\Torvenal"));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SettingsTest, TheFirstSaveCreatesBothKeysWithEveryValueButNoTaskbarIcon) {
    Settings s;
    s.Alarm2Mes = u"お茶";
    EXPECT_TRUE(Save(s, 3725, PlacedAt(-300, 40)));
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(GetDword(LogKey, kToday), 3725u);
    EXPECT_EQ(Names(LogKey).size(), 1u);
    EXPECT_EQ(GetDword(SettingsKey, u"NotifyFinish"), 1u);
    EXPECT_EQ(GetDword(SettingsKey, u"NotifyHour"), 0u);
    EXPECT_EQ(GetDword(SettingsKey, u"Voice"), 1u);
    EXPECT_EQ(GetDword(SettingsKey, u"Alarm3m"), 0u);
    EXPECT_EQ(GetDword(SettingsKey, u"SelEdition"), 0u);
    EXPECT_EQ(GetDword(SettingsKey, u"WindowLeft"), static_cast<uint32_t>(-300));
    EXPECT_EQ(GetDword(SettingsKey, u"WindowTop"), 40u);
    EXPECT_EQ(Get(SettingsKey, u"Alarm1Mes")->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Get(SettingsKey, u"Alarm1Mes")->bytes, Utf16Bytes(u""));
    EXPECT_EQ(Get(SettingsKey, u"Alarm2Mes")->bytes, Utf16Bytes(u"お茶"));
    EXPECT_FALSE(Get(SettingsKey, u"NoTaskbarIcon"));
    EXPECT_EQ(Names(SettingsKey).size(), 20u);
}

TEST_F(SettingsTest, MissingValuesLoadTheirDefaults) {
    SetDword(SettingsKey, u"WindowTop", 77);
    Settings s = Load();
    EXPECT_EQ(s.WindowLeft, PositionUnset);
    EXPECT_EQ(s.WindowTop, 77);
    EXPECT_TRUE(s.NotifyFinish);
    EXPECT_TRUE(s.Voice);
    EXPECT_EQ(s.Alarm1Mes, u"");  // present and empty
}

TEST_F(SettingsTest, StoredNumbersFollowTheFieldRulesAndSaveBackNormalised) {
    SetDword(SettingsKey, u"NotifyHour", 5);
    SetDword(SettingsKey, u"Alarm1h", 65541);
    SetDword(SettingsKey, u"Alarm2m", 0xFFFFFFFF);
    SetDword(SettingsKey, u"SelEdition", 9);
    Settings s = Load();
    EXPECT_TRUE(s.NotifyHour);
    EXPECT_EQ(s.Alarm1h, 5);
    EXPECT_EQ(s.Alarm2m, 65535);
    EXPECT_EQ(s.SelEdition, 9);  // kept; its users read it as 0
    Save(s, 0);
    EXPECT_EQ(GetDword(SettingsKey, u"NotifyHour"), 1u);
    EXPECT_EQ(GetDword(SettingsKey, u"Alarm1h"), 5u);
    EXPECT_EQ(GetDword(SettingsKey, u"Alarm2m"), 65535u);
}

TEST_F(SettingsTest, TextValuesForVoiceCountByTheIntegerTextRule) {
    struct Case {
        const char16_t* text;
        bool voice;
    } cases[] = {{u"1", true}, {u"yes", true}, {u"0", false}, {u"", true}, {u"-0", false}};
    for (const Case& c : cases) {
        SetText(SettingsKey, u"Voice", c.text);
        EXPECT_EQ(Load().Voice, c.voice);
    }
    Set(SettingsKey, u"Voice", REG_NONE, {1, 0, 0, 0});
    EXPECT_TRUE(Load().Voice);
    Set(SettingsKey, u"Voice", REG_BINARY, {});
    EXPECT_FALSE(Load().Voice);
}

TEST_F(SettingsTest, NoTaskbarIconSetByHandSurvivesEverySave) {
    SetDword(SettingsKey, u"NoTaskbarIcon", 1);
    for (int i = 0; i < 3; ++i) {
        Settings s = Load();
        EXPECT_TRUE(s.NoTaskbarIcon);
        s.NoTaskbarIcon = false;  // even a changed record does not write it
        Save(s, 0);
    }
    EXPECT_EQ(GetDword(SettingsKey, u"NoTaskbarIcon"), 1u);
}

TEST_F(SettingsTest, ARestartTheSameDayContinuesTheDaysTotal) {
    Save(Settings{}, 4000);
    uint32_t today = 0;
    Load(&today);
    EXPECT_EQ(today, 4000u);
    SetText(LogKey, kToday, u"12");  // edited by hand into a text
    Load(&today);
    EXPECT_EQ(today, 12u);
    Set(LogKey, kToday, REG_NONE, {});
    Load(&today);
    EXPECT_EQ(today, 0u);
    EXPECT_FALSE(KeyExists(RankKey));
}

TEST_F(SettingsTest, AlarmTextsRoundTripAndAnExpandTypeIsKept) {
    SetText(SettingsKey, u"Alarm1Mes", u"会議", REG_EXPAND_SZ);
    Set(SettingsKey, u"Alarm2Mes", REG_SZ, {'a', 0, 'b'});  // odd length
    Settings s = Load();
    EXPECT_EQ(s.Alarm1Mes, u"会議");
    EXPECT_EQ(s.Alarm2Mes, u"a");
    EXPECT_EQ(s.Alarm3Mes, u"");
    Save(s, 0);
    EXPECT_EQ(Get(SettingsKey, u"Alarm1Mes")->type, static_cast<DWORD>(REG_EXPAND_SZ));
    // Saved texts never grow a second terminator, however often they are saved.
    for (int i = 0; i < 3; ++i) {
        Save(Load(), 0);
    }
    EXPECT_EQ(Get(SettingsKey, u"Alarm2Mes")->bytes, Utf16Bytes(u"a"));
}

TEST_F(SettingsTest, TheDaysTotalIsLoggedWhateverHistryEnabledSays) {
    Settings s;
    s.HistryEnabled = false;
    Save(s, 61);
    EXPECT_EQ(GetDword(LogKey, kToday), 61u);
    EXPECT_FALSE(KeyExists(RankKey));
}

TEST_F(SettingsTest, ADeletedLogIsRecreatedWithTodaysRunningTotal) {
    Save(Settings{}, 10);
    ASSERT_EQ(RegDeleteKeyW(HKEY_CURRENT_USER, AsWide(LogKey)), ERROR_SUCCESS);
    Save(Settings{}, 11);
    EXPECT_EQ(GetDword(LogKey, kToday), 11u);
}

TEST_F(SettingsTest, AnUnknownWindowPlaceWritesTheRecordsPlace) {
    Settings s;
    s.WindowLeft = PositionUnset;
    s.WindowTop = 5;
    Save(s, 0, [](RECT&) { return false; });
    EXPECT_EQ(GetDword(SettingsKey, u"WindowLeft"), 0x80000000u);
    EXPECT_EQ(GetDword(SettingsKey, u"WindowTop"), 5u);
    Save(s, 0, WindowRectPort());
    EXPECT_EQ(GetDword(SettingsKey, u"WindowTop"), 5u);
}

TEST_F(SettingsTest, ALogThatCannotBeCreatedIsReportedAndTheSettingsStillWritten) {
    // No lasting key can be created under a volatile one.
    MakeKey(u"Software\\Torvenal\\Yomitoki\\CurrentVersion", true);
    Settings s;
    s.NotifyHour = true;
    EXPECT_FALSE(Save(s, 5));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, L"本日の閲覧時間合計をログへ書き込めませんでした。");
    EXPECT_EQ(boxes[0].caption, L"ヨミトキ");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(boxes[0].owner, kOwner);
    EXPECT_EQ(GetDword(SettingsKey, u"NotifyHour"), 1u);
    EXPECT_FALSE(KeyExists(LogKey));
}

TEST_F(SettingsTest, SettingsThatCannotBeCreatedAreReportedAfterTheLog) {
    MakeKey(u"Software\\Torvenal\\Yomitoki", true);
    EXPECT_FALSE(Save(Settings{}, 5));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, L"本日の閲覧時間合計をログへ書き込めませんでした。");
    EXPECT_EQ(boxes[1].text, L"設定をレジストリへ書き込めませんでした。");
    EXPECT_EQ(boxes[1].caption, L"ヨミトキ");
    EXPECT_EQ(boxes[1].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(boxes[1].owner, kOwner);
    EXPECT_FALSE(KeyExists(SettingsKey));
}

TEST_F(SettingsTest, EverySavePrunesTheLog) {
    for (int i = 0; i < 370; ++i) {
        const std::string name = std::to_string(1999000 + i);
        SetDword(LogKey, std::u16string(name.begin(), name.end()), 1);
    }
    Save(Settings{}, 7);
    EXPECT_EQ(Names(LogKey).size(), 366u);
    EXPECT_EQ(GetDword(LogKey, kToday), 7u);  // today is the newest
    EXPECT_FALSE(Get(LogKey, u"1999000"));
    EXPECT_FALSE(Get(LogKey, u"1999004"));
    EXPECT_TRUE(Get(LogKey, u"1999005"));
}

TEST_F(SettingsTest, WriteTodayTotalWritesOnlyTheDaysValueAndStaysSilent) {
    EXPECT_TRUE(WriteTodayTotal(kToday, 42));
    EXPECT_EQ(GetDword(LogKey, kToday), 42u);
    EXPECT_TRUE(Names(SettingsKey).empty());
    EXPECT_TRUE(WriteTodayTotal(kToday, 4294967295u));
    EXPECT_EQ(GetDword(LogKey, kToday), 4294967295u);
    EXPECT_EQ(Names(LogKey).size(), 1u);
    EXPECT_FALSE(WriteTodayTotal(u"", 5));
    EXPECT_EQ(Names(LogKey).size(), 1u);
    // A killed program's next start continues from the last written total.
    uint32_t today = 0;
    Load(&today);
    EXPECT_EQ(today, 4294967295u);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(SettingsTest, WriteTodayTotalFailsQuietlyWhenTheLogCannotBeCreated) {
    MakeKey(u"Software\\Torvenal\\Yomitoki\\CurrentVersion", true);
    EXPECT_FALSE(WriteTodayTotal(kToday, 5));
    EXPECT_TRUE(boxes.empty());
}

}  // namespace
