// The registry wrapper against the real registry: opening and closing, the guards, and
// every shape of stored data.
#include "records/registry_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win/records_fixture_win.h"

namespace {

using records_test::DwordBytes;
using records_test::RecordsTest;
using records_test::Utf16Bytes;

constexpr char16_t kKey[] = u"Software\\YmtRecords\\Test";
constexpr char16_t kOther[] = u"Software\\YmtRecords\\Other";
const std::wstring kReportLine =
    L"このメッセージが表示されたら、現在編集している/していたダイアログの名前を、"
    L"メッセージの内容と共に正確に作者まで報告して下さい。";

class RegistryTest : public RecordsTest {
  protected:
    // Checks that exactly one guard box was shown, with firstLine, and forgets it.
    void ExpectGuard(const std::wstring& firstLine) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, firstLine + L"\n" + kReportLine);
        EXPECT_EQ(boxes[0].caption, L"Registory Class");
        EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONWARNING));
        EXPECT_EQ(boxes[0].owner, nullptr);
        boxes.clear();
    }
    int32_t ReadAs(DWORD type, const std::vector<uint8_t>& bytes) {
        Set(kKey, u"v", type, bytes);
        REGW key;
        EXPECT_TRUE(key.OpenKey(kKey, OpenReadOnly));
        const int32_t value = key.ReadIntegerW(u"v", 7);
        key.CloseKey();
        return value;
    }
    std::optional<std::u16string> TextAs(DWORD type, const std::vector<uint8_t>& bytes) {
        Set(kKey, u"v", type, bytes);
        REGW key;
        EXPECT_TRUE(key.OpenKey(kKey, OpenReadOnly));
        std::optional<std::u16string> text = key.RegReadStringW(u"v");
        key.CloseKey();
        return text;
    }
};

TEST_F(RegistryTest, ReadOnlyOpenOfAMissingKeyFailsAndCreatesNothing) {
    REGW key;
    EXPECT_FALSE(key.OpenKey(kKey, OpenReadOnly));
    EXPECT_EQ(key.Key(), nullptr);
    EXPECT_FALSE(KeyExists(kKey));
    EXPECT_FALSE(KeyExists(u"Software\\YmtRecords"));
    EXPECT_FALSE(key.OpenKey(kKey, 0));
    EXPECT_FALSE(KeyExists(kKey));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(RegistryTest, CreateOpensAMissingKeyWithFullAccessEvenWhenReadOnlyIsAsked) {
    REGW key;
    ASSERT_TRUE(key.OpenKey(kKey, OpenCreate | OpenReadOnly));
    EXPECT_TRUE(KeyExists(kKey));
    EXPECT_TRUE(key.WriteIntegerW(u"n", 5));  // the create asked for full access
    EXPECT_TRUE(key.CloseKey());
    EXPECT_EQ(GetDword(kKey, u"n"), 5u);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(RegistryTest, ReadOnlyOpenOfAnExistingKeyCannotWrite) {
    SetDword(kKey, u"n", 1);
    REGW key;
    ASSERT_TRUE(key.OpenKey(kKey, OpenReadOnly | OpenCreate));
    EXPECT_EQ(key.ReadIntegerW(u"n", 7), 1);
    EXPECT_FALSE(key.WriteIntegerW(u"n", 2));
    EXPECT_FALSE(key.DeleteValue(u"n"));
    EXPECT_TRUE(key.CloseKey());
    EXPECT_EQ(GetDword(kKey, u"n"), 1u);
    ASSERT_TRUE(key.OpenKey(kKey, 0));
    EXPECT_TRUE(key.WriteIntegerW(u"n", 2));
    EXPECT_TRUE(key.CloseKey());
    EXPECT_EQ(GetDword(kKey, u"n"), 2u);
}

TEST_F(RegistryTest, ANullPathOpensNothing) {
    REGW key;
    EXPECT_FALSE(key.OpenKey(nullptr, OpenCreate));
    EXPECT_EQ(key.Key(), nullptr);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(RegistryTest, OpeningAnOpenWrapperClosesTheOldKeyWarnsAndOpensTheNewOne) {
    SetDword(kOther, u"which", 2);
    REGW key;
    ASSERT_TRUE(key.OpenKey(kKey, OpenCreate));
    ASSERT_TRUE(key.OpenKey(kOther, 0));
    ExpectGuard(L"レジストリキーを多重オープンしようとしたので保護しました(REGW::OpenKey())。");
    EXPECT_EQ(key.ReadIntegerW(u"which", 7), 2);
    // A failing second open leaves it closed.
    EXPECT_FALSE(key.OpenKey(u"Software\\YmtRecords\\Missing", OpenReadOnly));
    ExpectGuard(L"レジストリキーを多重オープンしようとしたので保護しました(REGW::OpenKey())。");
    EXPECT_EQ(key.Key(), nullptr);
    EXPECT_FALSE(key.CloseKey());
    ExpectGuard(L"レジストリを多重クローズしようとしたので保護しました(REGW::CloseKey)。");
}

TEST_F(RegistryTest, EveryOperationOnAClosedWrapperWarnsAndGivesItsSoftResult) {
    SetText(kKey, u"t", u"text");
    REGW key;
    EXPECT_FALSE(key.CloseKey());
    ExpectGuard(L"レジストリを多重クローズしようとしたので保護しました(REGW::CloseKey)。");
    EXPECT_EQ(key.ValueExistW(u"t"), -1);
    ExpectGuard(L"開かれていないキーを対象に ValueExistW が行われようとしたので保護します。");
    EXPECT_EQ(key.ReadIntegerW(u"t", 7), 7);
    ExpectGuard(L"開かれていないキーを対象に ReadIntegerW が行われようとしたので保護します。");
    EXPECT_FALSE(key.WriteStringW(u"t", u"x"));
    ExpectGuard(L"開かれていないキーを対象に WriteStringW が行われようとしたので保護します。");
    EXPECT_FALSE(key.WriteIntegerW(u"t", 1));
    ExpectGuard(L"開かれていないキーを対象に WriteIntegerW が行われようとしたので保護します。");
    EXPECT_FALSE(key.DeleteValue(u"t"));
    ExpectGuard(L"開かれていないキーを対象に REGW::DeleteValue が行われようとしたので保護します。");
    EXPECT_EQ(key.RegReadStringW(u"t"), u"");
    ExpectGuard(
        L"開かれていないキーを対象に (new)RegReadStringW が行われようとしたので保護します。");
    // Nothing reached the registry.
    ASSERT_TRUE(Get(kKey, u"t"));
    EXPECT_EQ(Get(kKey, u"t")->bytes, Utf16Bytes(u"text"));
}

TEST_F(RegistryTest, DestroyingAnOpenWrapperWarnsAndAClosedOneGoesQuietly) {
    {
        REGW key;
        ASSERT_TRUE(key.OpenKey(kKey, OpenCreate));
    }
    ExpectGuard(L"レジストリを自動クローズしました。");
    {
        REGW closed;
        ASSERT_TRUE(closed.OpenKey(kKey, 0));
        closed.CloseKey();
    }
    EXPECT_TRUE(boxes.empty());
}

TEST_F(RegistryTest, IntegerTextsFollowTheTextRule) {
    EXPECT_EQ(ReadAs(REG_SZ, Utf16Bytes(u"+12")), 12);
    EXPECT_EQ(ReadAs(REG_SZ, Utf16Bytes(u"-")), 0);
    EXPECT_EQ(ReadAs(REG_SZ, Utf16Bytes(u"")), 7);
    EXPECT_EQ(ReadAs(REG_SZ, Utf16Bytes(u" 12")), 7);
    EXPECT_EQ(ReadAs(REG_SZ, Utf16Bytes(u"12abc")), 7);
    EXPECT_EQ(ReadAs(REG_SZ, Utf16Bytes(u"99999999999")), 2147483647);
    EXPECT_EQ(ReadAs(REG_SZ, Utf16Bytes(u"-99999999999")), INT32_MIN);
    EXPECT_EQ(ReadAs(REG_EXPAND_SZ, Utf16Bytes(u"-40")), -40);
    EXPECT_EQ(ReadAs(REG_MULTI_SZ, Utf16Bytes(std::u16string(u"8\0"
                                                             u"9\0",
                                                             4))),
              8);
    EXPECT_EQ(ReadAs(REG_SZ, Utf16Bytes(u"12", false)), 12);  // unterminated
    EXPECT_EQ(ReadAs(REG_SZ, {'1', 0, '2', 0, '3'}), 12);     // odd length
    EXPECT_EQ(ReadAs(REG_SZ, {}), 7);                         // no data at all
    EXPECT_EQ(ReadAs(REG_SZ, Utf16Bytes(std::u16string(524288, u'5'))), 2147483647);  // 1 MB
    EXPECT_EQ(ReadAs(REG_SZ, Utf16Bytes(std::u16string(524287, u'0') + u"x")), 7);
}

TEST_F(RegistryTest, NumbersByTypeAndMissingValues) {
    EXPECT_EQ(static_cast<uint32_t>(ReadAs(REG_DWORD, DwordBytes(0xFFFFFFFF))), 4294967295u);
    EXPECT_EQ(ReadAs(REG_DWORD_BIG_ENDIAN, {0x00, 0x00, 0x01, 0x02}), 258);
    EXPECT_EQ(ReadAs(REG_BINARY, {0x02, 0x01, 0, 0, 0xAA, 0xBB}), 258);
    EXPECT_EQ(ReadAs(REG_QWORD, {0x02, 0x01, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}), 258);
    EXPECT_EQ(ReadAs(REG_NONE, DwordBytes(5)), 7);
    EXPECT_EQ(ReadAs(REG_LINK, Utf16Bytes(u"5")), 7);
    EXPECT_EQ(ReadAs(REG_RESOURCE_LIST, DwordBytes(5)), 7);
    EXPECT_EQ(ReadAs(REG_FULL_RESOURCE_DESCRIPTOR, DwordBytes(5)), 7);
    EXPECT_EQ(ReadAs(REG_RESOURCE_REQUIREMENTS_LIST, DwordBytes(5)), 7);
    EXPECT_EQ(ReadAs(0x12345, DwordBytes(5)), 7);
    REGW key;
    ASSERT_TRUE(key.OpenKey(kKey, OpenReadOnly));
    EXPECT_EQ(key.ReadIntegerW(u"missing", 7), 7);
    key.CloseKey();
    EXPECT_TRUE(boxes.empty());
}

TEST_F(RegistryTest, ShortNumbersCountTheirMissingBytesAsZero) {
    const std::vector<uint8_t> bytes = {0x34, 0x12, 0x56};
    for (DWORD type : {REG_DWORD, REG_BINARY, REG_QWORD, REG_DWORD_BIG_ENDIAN}) {
        for (size_t size = 0; size < 4; ++size) {
            const std::vector<uint8_t> part(bytes.begin(), bytes.begin() + size);
            uint32_t expected = 0;
            for (size_t i = 0; i < size; ++i) {
                expected |= uint32_t{part[i]}
                            << (type == REG_DWORD_BIG_ENDIAN ? 24 - 8 * i : 8 * i);
            }
            EXPECT_EQ(static_cast<uint32_t>(ReadAs(type, part)), expected)
                << "type " << type << " size " << size;
        }
    }
}

TEST_F(RegistryTest, ValueExistGivesTheDataSize) {
    Set(kKey, u"empty", REG_SZ, {});
    SetText(kKey, u"t", u"abc");
    REGW key;
    ASSERT_TRUE(key.OpenKey(kKey, 0));
    EXPECT_EQ(key.ValueExistW(u"empty"), 0);
    EXPECT_EQ(key.RegReadStringW(u"empty"), u"");
    EXPECT_EQ(key.ValueExistW(u"t"), 8);
    EXPECT_EQ(key.ValueExistW(u"missing"), -1);
    EXPECT_EQ(key.RegReadStringW(u"missing"), u"");
    key.CloseKey();
}

TEST_F(RegistryTest, TextsAreReadAsTheyAreStoredUpToTheFirstNul) {
    EXPECT_EQ(TextAs(REG_SZ, Utf16Bytes(u"お茶の時間")), u"お茶の時間");
    EXPECT_EQ(TextAs(REG_SZ, Utf16Bytes(u"abc", false)), u"abc");
    EXPECT_EQ(TextAs(REG_SZ, {'a', 0, 'b', 0, 'c'}), u"ab");
    EXPECT_EQ(TextAs(REG_SZ, {'a'}), u"");
    EXPECT_EQ(TextAs(REG_SZ, Utf16Bytes(std::u16string(u"ab\0cd", 5))), u"ab");
    EXPECT_EQ(TextAs(REG_EXPAND_SZ, Utf16Bytes(u"%PATH%")), u"%PATH%");  // not expanded
    EXPECT_EQ(TextAs(REG_DWORD, DwordBytes(0x00420041)), u"AB");
    EXPECT_EQ(TextAs(REG_NONE, {}), u"");
    const std::u16string big(524288, u'字');  // 1 MB of text
    EXPECT_EQ(TextAs(REG_SZ, Utf16Bytes(big)), big);
}

TEST_F(RegistryTest, WrittenTextsKeepAnExpandTypeAndReplaceOtherTypes) {
    SetText(kKey, u"expand", u"%TEMP%", REG_EXPAND_SZ);
    SetDword(kKey, u"number", 5);
    REGW key;
    ASSERT_TRUE(key.OpenKey(kKey, 0));
    EXPECT_TRUE(key.WriteStringW(u"expand", u"%APPDATA%\\x"));
    EXPECT_TRUE(key.WriteStringW(u"number", u"五"));
    EXPECT_TRUE(key.WriteStringW(u"new", u""));
    EXPECT_TRUE(key.WriteIntegerW(u"int", 0x80000000u));
    key.CloseKey();
    EXPECT_EQ(Get(kKey, u"expand")->type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(Get(kKey, u"expand")->bytes, Utf16Bytes(u"%APPDATA%\\x"));
    EXPECT_EQ(Get(kKey, u"number")->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(Get(kKey, u"number")->bytes, Utf16Bytes(u"五"));
    EXPECT_EQ(Get(kKey, u"new")->bytes, Utf16Bytes(u""));  // just the NUL
    EXPECT_EQ(Get(kKey, u"int")->type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(Get(kKey, u"int")->bytes, DwordBytes(0x80000000u));
}

TEST_F(RegistryTest, ViewedTextsAreWrittenToTheirEndOnly) {
    const std::u16string whole = u"abcdef";
    REGW key;
    ASSERT_TRUE(key.OpenKey(kKey, OpenCreate));
    EXPECT_TRUE(key.WriteStringW(u"part", std::u16string_view(whole).substr(0, 3)));
    key.CloseKey();
    EXPECT_EQ(Get(kKey, u"part")->bytes, Utf16Bytes(u"abc"));
}

TEST_F(RegistryTest, DeleteValueRemovesOneValue) {
    SetDword(kKey, u"a", 1);
    SetDword(kKey, u"b", 2);
    REGW key;
    ASSERT_TRUE(key.OpenKey(kKey, 0));
    EXPECT_TRUE(key.DeleteValue(u"a"));
    EXPECT_FALSE(key.DeleteValue(u"a"));
    key.CloseKey();
    EXPECT_FALSE(Get(kKey, u"a"));
    EXPECT_EQ(GetDword(kKey, u"b"), 2u);
}

TEST_F(RegistryTest, TheLongestValueNamesWorkAndLongerOnesFailQuietly) {
    const std::u16string longest(16383, u'n');
    const std::u16string tooLong(16384, u'n');
    REGW key;
    ASSERT_TRUE(key.OpenKey(kKey, OpenCreate));
    EXPECT_TRUE(key.WriteIntegerW(longest.c_str(), 9));
    EXPECT_EQ(key.ReadIntegerW(longest.c_str(), 7), 9);
    EXPECT_EQ(key.ValueExistW(longest.c_str()), 4);
    EXPECT_TRUE(key.WriteStringW(longest.c_str(), u"12"));
    EXPECT_EQ(key.RegReadStringW(longest.c_str()), u"12");
    EXPECT_FALSE(key.WriteIntegerW(tooLong.c_str(), 9));
    EXPECT_EQ(key.ReadIntegerW(tooLong.c_str(), 7), 7);
    EXPECT_EQ(key.ValueExistW(tooLong.c_str()), -1);
    EXPECT_TRUE(key.DeleteValue(longest.c_str()));
    key.CloseKey();
    EXPECT_TRUE(boxes.empty());
}

TEST_F(RegistryTest, EnumerationSeesEveryValueWithItsData) {
    SetDword(kKey, u"a", 1);
    SetText(kKey, u"b", u"22");
    Set(kKey, u"c", REG_BINARY, {});
    const std::u16string longest(16383, u'z');
    SetDword(kKey, longest, 4);
    REGW key;
    ASSERT_TRUE(key.OpenKey(kKey, OpenReadOnly));
    std::vector<std::u16string> names;
    std::vector<size_t> sizes;
    EXPECT_TRUE(ForEachRegistryValue(key.Key(), true, [&](const RegistryValueView& v) {
        names.emplace_back(v.name);
        sizes.push_back(v.size);
    }));
    key.CloseKey();
    EXPECT_EQ(names, Names(kKey));
    ASSERT_EQ(names.size(), 4u);
    for (size_t i = 0; i < names.size(); ++i) {
        const size_t expected = names[i] == u"b" ? 6 : names[i] == u"c" ? 0 : 4;
        EXPECT_EQ(sizes[i], expected) << i;
    }
    EXPECT_FALSE(ForEachRegistryValue(nullptr, true, [](const RegistryValueView&) {}));
}

}  // namespace
