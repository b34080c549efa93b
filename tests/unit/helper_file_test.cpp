#include <gtest/gtest.h>

#include <set>
#include <string>

#include "helper/host/helper_file.h"
#include "helper/host/host_manifest.h"

namespace {

// The file's bytes as the program reads them: at most 4198 bytes, UTF-16LE.
std::u16string AsReadByTheProgram(const std::string& bytes) {
    std::u16string units;
    const std::size_t n = std::min<std::size_t>(bytes.size(), 2 * kHelperReadUnits) / 2;
    for (std::size_t i = 0; i < n; ++i) {
        units += static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return units;
}

TEST(HelperFile, LayoutByteForByte) {
    const std::string bytes = BuildHelperFileContent(u'7', u"http://a/é");
    const std::string expected(
        "\xFF\xFE"
        "7\0"
        " \0"
        "h\0t\0t\0p\0:\0/\0/\0a\0/\0\xE9\0",
        26);
    EXPECT_EQ(bytes, expected);
    // Nothing after the address: no terminator, no line end.
    EXPECT_EQ(BuildHelperFileContent(u'0', u""), std::string("\xFF\xFE"
                                                             "0\0"
                                                             " \0",
                                                             6));
}

TEST(HelperFile, MarkersCycleAndNeverRepeatOrCollideWithReservedUnits) {
    std::set<char16_t> seen;
    std::optional<char16_t> last;
    for (int i = 0; i < 25; ++i) {
        const char16_t next = NextMarker(last);
        EXPECT_NE(std::optional<char16_t>(next), last);
        EXPECT_NE(next, u'\xFEFF');
        EXPECT_NE(next, u'\0');
        EXPECT_NE(next, u'\xFFFF');
        EXPECT_NE(next, kHelperSeparator);
        seen.insert(next);
        last = next;
    }
    EXPECT_EQ(seen.size(), std::u16string_view(kMarkerCycle).size());
    // A file left by someone else: any marker that is not ours is followed by the first.
    EXPECT_EQ(NextMarker(u'x'), kMarkerCycle[0]);
    EXPECT_EQ(NextMarker(u'\xFFFF'), kMarkerCycle[0]);
    EXPECT_NE(NextMarker(kMarkerCycle[0]), kMarkerCycle[0]);
}

TEST(HelperFile, MarkerOfExistingContentWithOrWithoutMark) {
    EXPECT_EQ(MarkerOfContent(BuildHelperFileContent(u'4', u"x")), u'4');
    EXPECT_EQ(MarkerOfContent(std::string("5\0 \0", 4)), u'5');
    EXPECT_EQ(MarkerOfContent(std::string("\xFF\xFE", 2)), std::nullopt);
    EXPECT_EQ(MarkerOfContent(std::string("\xFF\xFE"
                                          "9",
                                          3)),
              std::nullopt);  // half a unit
    EXPECT_EQ(MarkerOfContent(""), std::nullopt);
}

TEST(HelperFile, LongAddressesAreCutToWhatTheProgramReads) {
    const std::u16string address = u"https://ja.wikipedia.org/wiki/" + std::u16string(100000, u'x');
    const std::string bytes = BuildHelperFileContent(u'1', address);
    EXPECT_EQ(bytes.size(), 2 * kHelperReadUnits);  // 4198 bytes: read whole, nothing lost
    const std::u16string read = AsReadByTheProgram(bytes);
    EXPECT_EQ(read.substr(3), address.substr(0, kMaxAddressUnits));
    // At the limit exactly: unchanged.
    const std::u16string exact(kMaxAddressUnits, u'y');
    EXPECT_EQ(ClipAddress(exact).size(), kMaxAddressUnits);
}

TEST(HelperFile, TheCutNeverSplitsASurrogatePair) {
    std::u16string address(kMaxAddressUnits - 1, u'a');
    address += u"😀tail";  // the pair straddles the limit
    EXPECT_EQ(ClipAddress(address).size(), kMaxAddressUnits - 1);
    address = std::u16string(kMaxAddressUnits - 2, u'a') + u"😀tail";  // the pair just fits
    EXPECT_EQ(ClipAddress(address).size(), kMaxAddressUnits);
}

TEST(HelperManifest, NamesTheHostAndEscapesThePath) {
    const std::string json = BuildHostManifest(u"C:\\Users\\山田\\ymt \"x\"\\ymthelp.exe");
    EXPECT_NE(json.find("\"name\": \"ymthelp\""), std::string::npos);
    EXPECT_NE(json.find("\"type\": \"stdio\""), std::string::npos);
    EXPECT_NE(json.find("\"allowed_extensions\": [\"ymthelp@yomitoki\"]"), std::string::npos);
    EXPECT_NE(json.find("\"path\": \"C:\\\\Users\\\\山田\\\\ymt \\\"x\\\"\\\\ymthelp.exe\""),
              std::string::npos)
        << json;
    EXPECT_EQ(JsonEscape(u"\x01\x1f"), "\\u0001\\u001f");
}

}  // namespace
