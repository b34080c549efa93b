// The records against the real registry: the wrapper's modes, types and guards, and what the
// settings, the ranking and the log leave in it. Their portable rules are the unit tests'.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/handles_win.h"
#include "common/message_box_win.h"
#include "common/text_win.h"
#include "records/daily_log_win.h"
#include "records/ranking_win.h"
#include "records/registry_win.h"
#include "records/settings_win.h"
#include "tests/support/failing_allocation.h"
#include "tests/win/scratch_registry_win.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr char16_t kKey[] = u"Software\\YmtRecords\\Test";
constexpr char16_t kToday[] = u"20261206";

Bytes Text(std::u16string_view text) {
    const auto* p = reinterpret_cast<const uint8_t*>(text.data());
    Bytes bytes(p, p + text.size() * 2);
    bytes.insert(bytes.end(), {0, 0});
    return bytes;
}

Bytes Dword(uint32_t v) {
    return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
            static_cast<uint8_t>(v >> 24)};
}

std::wstring TestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string name = std::string(info->test_suite_name()) + "." + info->name();
    return std::wstring(name.begin(), name.end());
}

// Each test in a registry of its own, message boxes recorded, values read and written raw.
class Records : public ::testing::Test {
  protected:
    Records() : m_scratch(TestName().c_str()) {}
    void SetUp() override {
        ASSERT_TRUE(m_scratch.ok());
        SetMessageBoxHookForTesting([this](const RecordedMessageBox& box) {
            boxes.push_back(box);
            return IDOK;
        });
    }
    void TearDown() override { SetMessageBoxHookForTesting({}); }

    static HKEY Key(const char16_t* path, bool isVolatile = false) {
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, AsWide(path), 0, nullptr,
                        isVolatile ? REG_OPTION_VOLATILE : 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr);
        return key;
    }
    static void Set(const char16_t* path, std::u16string_view name, DWORD type,
                    const Bytes& bytes) {
        UniqueHKey key(Key(path));
        ASSERT_EQ(RegSetValueExW(key.get(), AsWide(std::u16string(name).c_str()), 0, type,
                                 bytes.data(), static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }
    // (type, bytes) of a value, or nothing when it is missing.
    static std::optional<std::pair<DWORD, Bytes>> Get(const char16_t* path,
                                                      std::u16string_view name) {
        UniqueHKey key;
        std::pair<DWORD, Bytes> value{REG_NONE, Bytes(1 << 20)};
        DWORD size = static_cast<DWORD>(value.second.size());
        if (RegOpenKeyExW(HKEY_CURRENT_USER, AsWide(path), 0, KEY_READ, key.put()) !=
                ERROR_SUCCESS ||
            RegQueryValueExW(key.get(), AsWide(std::u16string(name).c_str()), nullptr, &value.first,
                             value.second.data(), &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        value.second.resize(size);
        return value;
    }
    static size_t Count(const char16_t* path) {
        DWORD values = 0;
        UniqueHKey key(Key(path));
        RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr);
        return values;
    }
    static std::wstring EditTextAfter(void (*fill)(HWND)) {
        HWND edit = CreateWindowExW(0, L"EDIT", L"old", WS_POPUP | ES_MULTILINE, 0, 0, 200, 100,
                                    nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        fill(edit);
        wchar_t shown[256] = {};
        GetWindowTextW(edit, shown, 256);
        DestroyWindow(edit);
        return shown;
    }

    std::vector<RecordedMessageBox> boxes;

  private:
    ScratchCurrentUser m_scratch;
};

TEST_F(Records, ReadOnlyOpensCreateNothingAndCannotWrite) {
    REGW key;
    EXPECT_FALSE(key.OpenKey(kKey, OpenReadOnly));
    UniqueHKey missing;
    EXPECT_NE(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\YmtRecords", 0, KEY_READ, missing.put()),
              ERROR_SUCCESS);
    ASSERT_TRUE(key.OpenKey(kKey, OpenCreate | OpenReadOnly));  // a create gets full access
    EXPECT_TRUE(key.WriteIntegerW(u"n", 1));
    key.CloseKey();
    ASSERT_TRUE(key.OpenKey(kKey, OpenReadOnly));
    EXPECT_FALSE(key.WriteIntegerW(u"n", 2));
    EXPECT_EQ(key.ReadIntegerW(u"n", 7), 1);
    key.CloseKey();
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(key.ReadIntegerW(u"n", 7), 7);  // closed: guarded, with a warning
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, L"Registory Class");
}

TEST_F(Records, SettingsAreSavedWithTheDaysTotalAndLoadedBack) {
    Set(SettingsKey, u"Alarm2Mes", REG_SZ, {'a', 0, 'b'});
    Set(SettingsKey, u"Alarm1Mes", REG_EXPAND_SZ, Text(u"%TEMP%会議"));  // kept unexpanded
    Set(SettingsKey, u"Voice", REG_SZ, Text(u"0"));
    for (int i = 0; i < 370; ++i) {
        Set(LogKey,
            std::u16string(u"19990") + char16_t(u'0' + i / 100) + char16_t(u'0' + i / 10 % 10) +
                char16_t(u'0' + i % 10),
            REG_DWORD, Dword(1));
    }
    Settings s;
    uint32_t today = 0;
    LoadSettings(s, today, kToday);
    EXPECT_EQ(s.Alarm2Mes, u"a");
    EXPECT_EQ(s.Alarm1Mes, u"%TEMP%会議");
    EXPECT_FALSE(s.Voice);
    EXPECT_TRUE(SaveSettings(nullptr, s, 3725, kToday, [](RECT& r) {
        r = RECT{-300, 40, 120, 390};
        return true;
    }));
    EXPECT_EQ(Get(LogKey, kToday), (std::pair<DWORD, Bytes>{REG_DWORD, Dword(3725)}));
    EXPECT_EQ(Count(LogKey), 366u);  // pruned to the newest days
    EXPECT_EQ(Get(SettingsKey, u"WindowLeft"),
              (std::pair<DWORD, Bytes>{REG_DWORD, Dword(static_cast<uint32_t>(-300))}));
    EXPECT_EQ(Get(SettingsKey, u"Voice"), (std::pair<DWORD, Bytes>{REG_DWORD, Dword(0)}));
    EXPECT_EQ(Get(SettingsKey, u"Alarm1Mes"),
              (std::pair<DWORD, Bytes>{REG_EXPAND_SZ, Text(u"%TEMP%会議")}));
    EXPECT_EQ(Get(SettingsKey, u"Alarm2Mes"), (std::pair<DWORD, Bytes>{REG_SZ, Text(u"a")}));
    LoadSettings(s, today, kToday);
    EXPECT_EQ(today, 3725u);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(Records, KeysThatCannotBeCreatedAreReportedAndWriteTodayTotalStaysSilent) {
    RegCloseKey(Key(u"Software\\Torvenal\\Yomitoki", true));  // no lasting key under it
    EXPECT_FALSE(WriteTodayTotal(kToday, 5));
    EXPECT_TRUE(boxes.empty());
    const HWND owner = reinterpret_cast<HWND>(static_cast<intptr_t>(0x1234));
    EXPECT_FALSE(SaveSettings(owner, Settings{}, 5, kToday, WindowRectPort()));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, L"本日の閲覧時間合計をログへ書き込めませんでした。");
    EXPECT_EQ(boxes[1].text, L"設定をレジストリへ書き込めませんでした。");
    EXPECT_EQ(boxes[1].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(boxes[1].owner, owner);
}

TEST_F(Records, TheRankingCountsSaturatesAndTrimsToAHundredTenUnderAnySpelling) {
    REGW rank;
    ASSERT_TRUE(rank.OpenKey(RankKey, OpenCreate));
    for (int i = 0; i < 109; ++i) {
        rank.WriteIntegerW((u"Article_" + std::u16string(1, char16_t(0x4E00 + i))).c_str(), 100);
    }
    rank.WriteIntegerW(u"Wiki_ABC", 0);  // the least read, stored under another spelling
    rank.WriteIntegerW(u"Full", 4294967295u);
    rank.CloseKey();
    AddRankingSecond(u"wiki_abc");  // 111 values: the least read other one goes
    AddRankingSecond(u"Full");
    EXPECT_EQ(Count(RankKey), 110u);
    EXPECT_EQ(Get(RankKey, u"Wiki_ABC"), (std::pair<DWORD, Bytes>{REG_DWORD, Dword(1)}));
    EXPECT_EQ(Get(RankKey, u"Full"), (std::pair<DWORD, Bytes>{REG_DWORD, Dword(4294967295u)}));
    EXPECT_NE(EditTextAfter([](HWND edit) {
                  REGW r;
                  r.OpenKey(RankKey, OpenReadOnly);
                  BuildRankingText(r, edit);
                  r.CloseKey();
              }).find(L"記事ランキング\r\n\r\n第  1位 (1193046:28:15) Full\r\n"),
              std::wstring::npos);
}

TEST_F(Records, RankingMemoryThatCannotBeHadIsSaidInTheText) {
    Set(RankKey, u"big", REG_BINARY, Bytes(8000, '1'));
    EXPECT_EQ(EditTextAfter([](HWND edit) {
                  REGW rank;
                  rank.OpenKey(RankKey, OpenReadOnly);
                  FailingAllocations noBigBlocks(6000);
                  BuildRankingText(rank, edit);
                  rank.CloseKey();
              }),
              L"メモリ不足のため、ランキングデータのソートができません。");
}

}  // namespace
