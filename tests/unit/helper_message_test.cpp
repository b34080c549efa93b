#include <gtest/gtest.h>

#include <string>

#include "helper/host/host_message.h"
#include "helper/host/utf8.h"

namespace {

constexpr char kId[] = "0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d";

std::string Msg(const std::string& url_json) {
    return std::string("{\"id\":\"") + kId + "\",\"url\":" + url_json + "}";
}

TEST(HelperMessage, PageAndNoPage) {
    auto m = ParseHostMessage(Msg("\"https://ja.wikipedia.org/wiki/A\""));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->id, u"0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d");
    EXPECT_TRUE(m->hasPage);
    EXPECT_EQ(m->url, u"https://ja.wikipedia.org/wiki/A");

    m = ParseHostMessage(Msg("null"));
    ASSERT_TRUE(m);
    EXPECT_FALSE(m->hasPage);

    m = ParseHostMessage(std::string("{\"id\":\"") + kId + "\"}");
    ASSERT_TRUE(m);
    EXPECT_FALSE(m->hasPage);  // no url at all: no page

    m = ParseHostMessage(Msg("\"\""));
    ASSERT_TRUE(m);
    EXPECT_TRUE(m->hasPage);
    EXPECT_EQ(m->url, u"");
}

TEST(HelperMessage, DecodesUtf8AndEscapesIntoUtf16) {
    auto m = ParseHostMessage(
        Msg("\"https://ja.wikipedia.org/wiki/日本\\u8a9e\\ud83d\\ude00😀\\n\\t\\\"\\\\\\/\""));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->url, u"https://ja.wikipedia.org/wiki/日本語😀😀\n\t\"\\/");
}

TEST(HelperMessage, IgnoresOtherMembersOfAnyShapeAndOrder) {
    auto m = ParseHostMessage(
        std::string(" {\"v\": [1, -2.5e+3, {\"x\": [true, false, null]}], \"url\" : \"u\", ") +
        "\"extra\": {}, \"id\": \"" + kId + "\" } \r\n");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->url, u"u");
    // The last of duplicate members counts.
    m = ParseHostMessage(std::string("{\"url\":\"zero\",\"id\":\"") + kId +
                         "\",\"url\":\"first\"}");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->url, u"first");
}

TEST(HelperMessage, RejectsMalformedJson) {
    const std::string good = Msg("\"a\"");
    for (const std::string& bad : {
             std::string(""),
             std::string("   "),
             std::string("[]"),
             std::string("\"id\""),
             std::string("{"),
             good.substr(0, good.size() - 1),
             good + "x",
             good + "{}",
             std::string("{\"url\":\"a\"}"),           // no id
             std::string("{\"id\":5,\"url\":\"a\"}"),  // id not a string
             Msg("5"),
             Msg("true"),
             Msg("[\"a\"]"),  // url of another type
             Msg("\"a\\x\""),
             Msg("\"a\\u12\""),
             Msg("\"a\\u12G4\""),  // bad escapes
             Msg("\"a\nb\""),      // raw control character
             Msg("\"\\ud83d\""),
             Msg("\"\\ude00x\""),
             Msg("\"\\ud83dx\""),  // lone surrogates
             Msg("\"\\ud83d\\u0041\""),
             std::string("{\"id\":\"") + kId + "\",,\"url\":\"a\"}",
             std::string("{\"id\":\"") + kId + "\" \"url\":\"a\"}",
             std::string("{\"id\":\"") + kId + "\",\"x\":01x}",
             std::string("{\"id\":\"") + kId + "\",\"x\":-}",
             std::string("{\"id\":\"") + kId + "\",\"x\":1.}",
             std::string("{\"id\":\"") + kId + "\",\"x\":1e}",
             std::string("{\"id\":\"") + kId + "\",\"x\":tru}",
             std::string("{\"id\":\"") + kId + "\",\"x\":[1,]}",
         }) {
        EXPECT_FALSE(ParseHostMessage(bad)) << bad;
    }
}

TEST(HelperMessage, RejectsInvalidUtf8Anywhere) {
    for (const std::string& bytes :
         {std::string("\xC3"), std::string("\xC0\xAF"),  // truncated, overlong
          std::string("\xED\xA0\x80"),                   // encoded surrogate
          std::string("\xF4\x90\x80\x80"),               // above U+10FFFF
          std::string("\x80"), std::string("\xFF")}) {
        EXPECT_FALSE(ParseHostMessage(Msg("\"a" + bytes + "b\""))) << bytes.size();
        EXPECT_FALSE(ParseHostMessage(Msg("\"a\"") + bytes));
    }
}

TEST(HelperMessage, DeepNestingIsRejectedWithoutExhaustingTheStack) {
    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_FALSE(ParseHostMessage(std::string("{\"id\":\"") + kId + "\",\"x\":" + deep + "}"));
    std::string ok(kMaxJsonDepth - 1, '[');
    ok += std::string(kMaxJsonDepth - 1, ']');
    EXPECT_TRUE(ParseHostMessage(std::string("{\"id\":\"") + kId + "\",\"x\":" + ok + "}"));
}

TEST(HelperMessage, LongAddressesComeThroughWhole) {
    const std::string url = "https://ja.wikipedia.org/wiki/" + std::string(100000, 'x');
    const auto m = ParseHostMessage(Msg("\"" + url + "\""));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->url.size(), url.size());
}

TEST(HelperUtf8, RoundTripsAndReplacesLoneSurrogates) {
    const std::u16string text = u"aé日😀";
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
    EXPECT_EQ(Utf16ToUtf8(std::u16string(1, u'\xD800')), "\xEF\xBF\xBD");
    EXPECT_EQ(Utf16ToUtf8(u"\xDC00"
                          u"a"),
              "\xEF\xBF\xBD"
              "a");
}

}  // namespace
