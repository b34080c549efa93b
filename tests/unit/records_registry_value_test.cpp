#include "records/registry_value.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Utf16Bytes(std::u16string_view text) {
    std::vector<uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return bytes;
}

int32_t FromText(uint32_t type, std::u16string_view text, int32_t fallback = 7) {
    std::vector<uint8_t> bytes = Utf16Bytes(text);
    return IntegerFromRegistryData(type, bytes.data(), bytes.size(), fallback);
}

TEST(IntegerText, AcceptsOnlyASignAndDigits) {
    EXPECT_EQ(ParseIntegerText(u"+12"), 12);
    EXPECT_EQ(ParseIntegerText(u"-12"), -12);
    EXPECT_EQ(ParseIntegerText(u"0"), 0);
    EXPECT_EQ(ParseIntegerText(u"007"), 7);
    EXPECT_EQ(ParseIntegerText(u"-"), 0);  // a sign alone counts
    EXPECT_EQ(ParseIntegerText(u"+"), 0);
    EXPECT_EQ(ParseIntegerText(u""), std::nullopt);
    EXPECT_EQ(ParseIntegerText(u" 12"), std::nullopt);
    EXPECT_EQ(ParseIntegerText(u"12 "), std::nullopt);
    EXPECT_EQ(ParseIntegerText(u"12abc"), std::nullopt);
    EXPECT_EQ(ParseIntegerText(u"+-1"), std::nullopt);
    EXPECT_EQ(ParseIntegerText(u"1-"), std::nullopt);
    EXPECT_EQ(ParseIntegerText(u"0x10"), std::nullopt);
    EXPECT_EQ(ParseIntegerText(u"１２"), std::nullopt);  // full-width digits are not digits
}

TEST(IntegerText, ClampsToTheSigned32BitRange) {
    EXPECT_EQ(ParseIntegerText(u"2147483647"), 2147483647);
    EXPECT_EQ(ParseIntegerText(u"2147483648"), 2147483647);
    EXPECT_EQ(ParseIntegerText(u"99999999999"), 2147483647);  // eleven nines
    EXPECT_EQ(ParseIntegerText(u"-2147483648"), INT32_MIN);
    EXPECT_EQ(ParseIntegerText(u"-2147483649"), INT32_MIN);
    EXPECT_EQ(ParseIntegerText(u"4294967295"), 2147483647);
    EXPECT_EQ(ParseIntegerText(std::u16string(500000, u'9')), 2147483647);
    EXPECT_EQ(ParseIntegerText(u"-" + std::u16string(500000, u'9')), INT32_MIN);
    EXPECT_EQ(ParseIntegerText(std::u16string(500000, u'0') + u"5"), 5);
}

TEST(RegistryText, StopsAtTheFirstNulAndDropsAnOddByte) {
    std::vector<uint8_t> bytes = Utf16Bytes(std::u16string(u"ab\0cd", 5));
    EXPECT_EQ(TextFromRegistryData(bytes.data(), bytes.size()), u"ab");
    bytes = Utf16Bytes(u"xyz");  // unterminated
    EXPECT_EQ(TextFromRegistryData(bytes.data(), bytes.size()), u"xyz");
    bytes.push_back('Q');  // odd length
    EXPECT_EQ(TextFromRegistryData(bytes.data(), bytes.size()), u"xyz");
    EXPECT_EQ(TextFromRegistryData(bytes.data(), 1), u"");
    EXPECT_EQ(TextFromRegistryData(bytes.data(), 0), u"");
    EXPECT_EQ(TextFromRegistryData(nullptr, 10), u"");
    bytes = Utf16Bytes(u"記事");
    EXPECT_EQ(TextFromRegistryData(bytes.data(), bytes.size()), u"記事");
}

TEST(RegistryText, ReadsUnalignedData) {
    std::vector<uint8_t> bytes = Utf16Bytes(u"-42");
    bytes.insert(bytes.begin(), 0xEE);
    EXPECT_EQ(IntegerFromRegistryData(kRegSz, bytes.data() + 1, bytes.size() - 1, 7), -42);
}

TEST(RegistryInteger, TextTypesFollowTheIntegerTextRule) {
    EXPECT_EQ(FromText(kRegSz, u"+12"), 12);
    EXPECT_EQ(FromText(kRegSz, u"-"), 0);
    EXPECT_EQ(FromText(kRegSz, u""), 7);
    EXPECT_EQ(FromText(kRegSz, u" 12"), 7);
    EXPECT_EQ(FromText(kRegSz, u"12abc"), 7);
    EXPECT_EQ(FromText(kRegSz, u"99999999999"), 2147483647);
    EXPECT_EQ(FromText(kRegSz, std::u16string(u"12\0", 3)), 12);
    EXPECT_EQ(FromText(kRegExpandSz, u"%X%"), 7);  // not expanded
    EXPECT_EQ(FromText(kRegExpandSz, u"31"), 31);
    // A multi-string counts by its first string.
    EXPECT_EQ(FromText(kRegMultiSz, std::u16string(u"5\0"
                                                   u"6\0\0",
                                                   6)),
              5);
    EXPECT_EQ(FromText(kRegMultiSz, std::u16string(u"\0"
                                                   u"6\0\0",
                                                   5)),
              7);
}

TEST(RegistryInteger, BinaryTypesGiveTheirFirstFourBytes) {
    const uint8_t ones[] = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(static_cast<uint32_t>(IntegerFromRegistryData(kRegDword, ones, 4, 7)), 4294967295u);
    const uint8_t bytes[] = {0x02, 0x01, 0x00, 0x00, 0x09, 0x09, 0x09, 0x09};
    EXPECT_EQ(IntegerFromRegistryData(kRegDword, bytes, 4, 7), 258);
    EXPECT_EQ(IntegerFromRegistryData(kRegBinary, bytes, 8, 7), 258);
    EXPECT_EQ(IntegerFromRegistryData(kRegQword, bytes, 8, 7), 258);
    const uint8_t big[] = {0x00, 0x00, 0x01, 0x02};
    EXPECT_EQ(IntegerFromRegistryData(kRegDwordBigEndian, big, 4, 7), 258);
}

TEST(RegistryInteger, ShortBinaryDataCountsItsMissingBytesAsZero) {
    const uint8_t bytes[] = {0x34, 0x12, 0x56};
    EXPECT_EQ(IntegerFromRegistryData(kRegDword, bytes, 0, 7), 0);
    EXPECT_EQ(IntegerFromRegistryData(kRegDword, bytes, 1, 7), 0x34);
    EXPECT_EQ(IntegerFromRegistryData(kRegDword, bytes, 2, 7), 0x1234);
    EXPECT_EQ(IntegerFromRegistryData(kRegBinary, bytes, 3, 7), 0x561234);
    EXPECT_EQ(IntegerFromRegistryData(kRegQword, bytes, 3, 7), 0x561234);
    EXPECT_EQ(IntegerFromRegistryData(kRegDwordBigEndian, bytes, 2, 7), 0x34120000);
    EXPECT_EQ(IntegerFromRegistryData(kRegDword, nullptr, 4, 7), 0);
}

TEST(RegistryInteger, OtherTypesGiveTheFallback) {
    const uint8_t bytes[] = {'1', 0, 0, 0};
    for (uint32_t type : {kRegNone, kRegLink, 8u, 9u, 10u, 12u, 0xFFFFFFFFu}) {
        EXPECT_EQ(IntegerFromRegistryData(type, bytes, 4, 7), 7) << type;
    }
}

}  // namespace
