// The native host inside Firefox's helper: frames in, address file out.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "helper/host/helper_file.h"
#include "helper/host/host_manifest.h"
#include "helper/host/host_message.h"
#include "helper/host/host_session.h"
#include "helper/host/native_frames.h"
#include "helper/host/profile_choice.h"
#include "helper/host/utf8.h"
#include "tests/support/test_bytes.h"

namespace {

using test::Le32;
using test::NativeFrame;

constexpr char kId[] = "0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d";
constexpr char16_t kFolder[] = u"C:\\p\\abc.default";

std::string Body(const std::string& urlJson) {
    return std::string("{\"id\":\"") + kId + "\",\"url\":" + urlJson + "}";
}
std::string Page(const std::string& url) {
    return NativeFrame(Body("\"" + url + "\""));
}

// Input handed out at most `chunk` bytes a read, as a pipe may.
ReadBytesFn ReaderOf(std::string data, std::size_t chunk = 1 << 30) {
    auto pos = std::make_shared<std::size_t>(0);
    return [data, pos, chunk](std::span<std::uint8_t> buffer) -> std::size_t {
        const std::size_t n = std::min({buffer.size(), data.size() - *pos, chunk});
        std::memcpy(buffer.data(), data.data() + *pos, n);
        *pos += n;
        return n;
    };
}

// ---- Frames ----

TEST(HelperFrames, FramesBackToBackWhateverTheChunkingThenTheEnd) {
    for (std::size_t chunk : {1u, 3u, 1000u}) {
        const auto read = ReaderOf(
            NativeFrame("{\"a\":1}") + NativeFrame("") + Le32(257) + std::string(257, 'q'), chunk);
        EXPECT_EQ(ReadFrame(read).body, "{\"a\":1}");
        const Frame empty = ReadFrame(read);
        EXPECT_EQ(empty.status, FrameStatus::Frame);
        EXPECT_EQ(empty.body, "");
        EXPECT_EQ(ReadFrame(read).body.size(), 257u);
        EXPECT_EQ(ReadFrame(read).status, FrameStatus::End);
    }
}

TEST(HelperFrames, TruncatedAndOverlongFramesAreReportedWithoutTheirBody) {
    for (const std::string& data :
         {std::string("\x05\x00", 2), NativeFrame("hello").substr(0, 7)}) {
        const Frame f = ReadFrame(ReaderOf(data));
        EXPECT_EQ(f.status, FrameStatus::Truncated);
        EXPECT_TRUE(f.body.empty());
    }
    for (std::uint32_t length : {std::uint32_t{kMaxFrameBytes + 1}, 0xFFFFFFFFu}) {
        EXPECT_EQ(ReadFrame(ReaderOf(Le32(length) + "{}")).status, FrameStatus::TooLong);
    }
    EXPECT_EQ(ReadFrame(ReaderOf(NativeFrame(std::string(kMaxFrameBytes, 'x')))).status,
              FrameStatus::Frame);
}

TEST(HelperFrames, AReaderClaimingMoreThanTheRoomDoesNotLoseThePlace) {
    // Bytes arrive in two pieces; whenever a read fills what it was asked for, the reader
    // claims a count of 2^64 - 1 (an error code taken for a size).
    const std::vector<std::string> pieces = {std::string("\x04\x00\x00", 3),
                                             std::string("\x00", 1) + "abcd"};
    std::size_t piece = 0, at = 0;
    const ReadBytesFn liar = [&](std::span<std::uint8_t> buffer) -> std::size_t {
        if (piece < pieces.size() && at == pieces[piece].size()) {
            ++piece, at = 0;
        }
        if (piece == pieces.size()) {
            return 0;
        }
        const std::size_t n = std::min(buffer.size(), pieces[piece].size() - at);
        std::memcpy(buffer.data(), pieces[piece].data() + at, n);
        at += n;
        return n == buffer.size() ? SIZE_MAX : n;
    };
    const Frame f = ReadFrame(liar);
    EXPECT_EQ(f.status, FrameStatus::Frame);
    EXPECT_EQ(f.body, "abcd");
}

// ---- Messages ----

TEST(HelperMessage, PagesNoPagesAndEscapesIntoUtf16) {
    auto m =
        ParseHostMessage(Body("\"https://ja.wikipedia.org/wiki/日本\\u8a9e\\ud83d\\ude00\\n\""));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->id, u"0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d");
    EXPECT_TRUE(m->hasPage);
    EXPECT_EQ(m->url, u"https://ja.wikipedia.org/wiki/日本語😀\n");
    for (const std::string& none : {Body("null"), std::string("{\"id\":\"") + kId + "\"}"}) {
        m = ParseHostMessage(none);
        ASSERT_TRUE(m);
        EXPECT_FALSE(m->hasPage);
    }
    m = ParseHostMessage(
        std::string(" {\"v\": [1, -2.5e+3, {\"x\": [true, null]}], \"url\":\"a\",") + "\"id\": \"" +
        kId + "\", \"url\" : \"u\" } \r\n");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->url, u"u");  // other members pass; the last of two counts
}

TEST(HelperMessage, RejectsMalformedJsonBadUtf8AndDeepNesting) {
    const std::string good = Body("\"a\"");
    for (const std::string& bad :
         {std::string(""), std::string("[]"), good.substr(0, good.size() - 1), good + "x",
          std::string("{\"url\":\"a\"}"), std::string("{\"id\":5,\"url\":\"a\"}"), Body("5"),
          Body("\"a\\u12G4\""), Body("\"a\nb\""), Body("\"\\ud83d\""), Body("\"\\ude00x\""),
          Body("\"\xC0\xAF\""), Body("\"\xED\xA0\x80\""), Body("\"\xF4\x90\x80\x80\""),
          Body("\"a\"") + "\xC3", Body("[1,]"),
          Body(std::string(100000, '[') + std::string(100000, ']'))}) {
        EXPECT_FALSE(ParseHostMessage(bad)) << bad;
    }
    const std::string ok =
        std::string(kMaxJsonDepth - 1, '[') + std::string(kMaxJsonDepth - 1, ']');
    EXPECT_TRUE(ParseHostMessage(std::string("{\"id\":\"") + kId + "\",\"x\":" + ok + "}"));
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(u"aé日😀")), u"aé日😀");
    EXPECT_EQ(Utf16ToUtf8(u"\xDC00"
                          u"a"),
              "\xEF\xBF\xBD"
              "a");
}

// ---- The address file, the manifest, the profile ----

TEST(HelperFile, LayoutMarkersAndTheCutAtWhatTheProgramReads) {
    EXPECT_EQ(BuildHelperFileContent(u'7', u"h/é"), test::Utf16Le(u"7 h/é", true));
    std::optional<char16_t> last;
    std::set<char16_t> seen;
    for (int i = 0; i < 25; ++i) {
        const char16_t next = NextMarker(last);
        EXPECT_NE(std::optional<char16_t>(next), last);
        seen.insert(next);
        last = next;
    }
    EXPECT_EQ(seen, std::set<char16_t>(std::begin(kMarkerCycle), std::end(kMarkerCycle) - 1));
    EXPECT_EQ(NextMarker(u'x'), kMarkerCycle[0]);  // a file left by someone else
    EXPECT_EQ(MarkerOfContent(test::Utf16Le(u"4 x", true)), u'4');
    EXPECT_EQ(MarkerOfContent(test::Utf16Le(u"5 ")), u'5');
    EXPECT_EQ(MarkerOfContent("\xFF\xFE"
                              "9"),
              std::nullopt);  // half a unit

    const std::u16string address =
        std::u16string(u"https://ja.wikipedia.org/wiki/").append(100000, u'x');
    EXPECT_EQ(BuildHelperFileContent(u'1', address),
              test::Utf16Le(std::u16string(u"1 ").append(address, 0, kMaxAddressUnits), true));
    EXPECT_EQ(2 + 2 * (2 + kMaxAddressUnits), 2 * kHelperReadUnits);
    std::u16string pair(kMaxAddressUnits - 1, u'a');
    EXPECT_EQ(ClipAddress(pair + u"😀tail"), pair);  // a pair is never split
    pair.pop_back();
    EXPECT_EQ(ClipAddress(pair + u"😀tail"), pair + u"😀");
}

TEST(HelperFile, TheManifestNamesTheHostAndEscapesThePath) {
    const std::string json = BuildHostManifest(u"C:\\Users\\山田\\ymt \"x\"\\ymthelp.exe");
    for (const char* part : {"\"name\": \"ymthelp\"", "\"type\": \"stdio\"",
                             "\"allowed_extensions\": [\"ymthelp@yomitoki\"]",
                             "\"path\": \"C:\\\\Users\\\\山田\\\\ymt \\\"x\\\"\\\\ymthelp.exe\""}) {
        EXPECT_NE(json.find(part), std::string::npos) << part << json;
    }
    EXPECT_EQ(JsonEscape(u"\x01\x1f"), "\\u0001\\u001f");
}

TEST(HelperProfile, IdentityPrefsFolderNamesAndTheChoice) {
    const std::u16string id = u"0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d";
    EXPECT_TRUE(IsExtensionIdentity(id));
    for (std::u16string bad :
         {u"0B1C2D3E-4F50-4A6B-8C7D-9E0F1A2B3C4D", u"..\\..\\x-4f50-4a6b-8c7d-9e0f1a2b3c4d",
          u"0b1c2d3e04f50-4a6b-8c7d-9e0f1a2b3c4d", u""}) {
        EXPECT_FALSE(IsExtensionIdentity(bad)) << bad.size();
    }
    EXPECT_FALSE(IsExtensionIdentity(id + u"d"));
    const std::string pref = "user_pref(\"extensions.webextensions.uuids\", \"{\\\"e\\\":\\\"";
    EXPECT_TRUE(
        PrefsMapIdentity("a\r\n" + pref + "0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d\\\"}\");", id));
    for (const char* other :
         {"99999999-4f50-4a6b-8c7d-9e0f1a2b3c4d", "a0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d"}) {
        EXPECT_FALSE(PrefsMapIdentity(pref + other + "\\\"}\");\n", id));
    }
    EXPECT_FALSE(
        PrefsMapIdentity(std::string("user_pref(\"x\", \"moz-extension://") + kId + "/\");", id));

    EXPECT_TRUE(IsPlainFolderName(u"日本語 abcd1234.default-release"));
    using namespace std::string_view_literals;
    for (std::u16string_view bad :
         {u""sv, u".."sv, u"a\\b"sv, u"a/b"sv, u"x:stream"sv, u"a\0b"sv}) {
        EXPECT_FALSE(IsPlainFolderName(bad));
    }
    using Matches = std::vector<ProfileMatch>;
    EXPECT_EQ(ChooseProfile(Matches{}), std::nullopt);
    EXPECT_EQ(ChooseProfile(Matches{{u"a", false}}), u"a");  // the only one, running or not
    EXPECT_EQ(ChooseProfile(Matches{{u"a", false}, {u"b", true}, {u"c", false}}), u"b");
    EXPECT_EQ(ChooseProfile(Matches{{u"a", false}, {u"b", false}}), std::nullopt);
    EXPECT_EQ(ChooseProfile(Matches{{u"a", true}, {u"b", true}}), std::nullopt);
}

// ---- A whole session over fake ports ----

struct FakeWorld {
    std::map<std::u16string, std::string> files;  // folder -> address file
    std::vector<std::string> writes;
    std::u16string profileOfId = kFolder;
    int lookups = 0;
    bool failWrites = false;
    std::uint64_t now = 0;
    HostPorts Ports() {
        HostPorts p;
        p.findProfile = [this](std::u16string_view) -> std::optional<std::u16string> {
            ++lookups;
            return profileOfId.empty() ? std::nullopt : std::optional(profileOfId);
        };
        p.readHelperFile = [this](std::u16string_view folder) -> std::optional<std::string> {
            auto it = files.find(std::u16string(folder));
            return it == files.end() ? std::nullopt : std::optional(it->second);
        };
        p.writeHelperFile = [this](std::u16string_view folder, std::string_view bytes) {
            if (!failWrites) {
                files[std::u16string(folder)] = std::string(bytes);
                writes.emplace_back(bytes);
            }
            return !failWrites;
        };
        p.nowMs = [this] { return now; };
        return p;
    }
};

std::string File(int marker, std::u16string_view address) {
    return BuildHelperFileContent(kMarkerCycle[marker], address);
}

TEST(HelperSession, EveryMessageRewritesTheFileWithTheNextMarkerAndTheEndClearsIt) {
    FakeWorld world;
    HostSession session;
    const std::string input = Page("https://a/A") + Page("https://a/A") + NativeFrame("{") +
                              NativeFrame(Body("null")) + Page("https://a/B");
    EXPECT_EQ(RunHost(session, world.Ports(), ReaderOf(input)), FrameStatus::End);
    EXPECT_EQ(world.writes,
              (std::vector<std::string>{File(0, u"https://a/A"), File(1, u"https://a/A"),
                                        File(2, u""), File(3, u"https://a/B"), File(4, u"")}));
    EXPECT_EQ(session.skipped, 1u);
    EXPECT_EQ(world.lookups, 1);

    FakeWorld again;  // no page shown at the end: nothing to clear
    HostSession second;
    RunHost(second, again.Ports(), ReaderOf(Page("a") + NativeFrame(Body("null"))));
    EXPECT_EQ(again.writes.size(), 2u);
}

TEST(HelperSession, ABrokenStreamEndsTheRunAndClearsTheAddress) {
    for (auto [tail, end] : {std::pair{Le32(1u << 31) + Page("after"), FrameStatus::TooLong},
                             std::pair{Page("next").substr(0, 10), FrameStatus::Truncated}}) {
        FakeWorld world;
        HostSession session;
        EXPECT_EQ(RunHost(session, world.Ports(), ReaderOf(Page("a") + tail)), end);
        EXPECT_EQ(world.writes.back(), File(1, u""));
    }
}

TEST(HelperSession, TheFirstWriteChangesTheMarkerLeftByAnEarlierRun) {
    FakeWorld world;
    world.files[kFolder] = File(4, u"old");
    HostSession session;
    HandleFrameBody(session, world.Ports(), Body("\"x\""));
    EXPECT_EQ(world.writes[0], File(5, u"x"));
    world.failWrites = true;  // a failed write keeps the marker the file still has
    EXPECT_EQ(HandleFrameBody(session, world.Ports(), Body("\"y\"")), MessageOutcome::WriteFailed);
    world.failWrites = false;
    HandleFrameBody(session, world.Ports(), Body("\"z\""));
    EXPECT_EQ(world.writes[1], File(6, u"z"));
}

TEST(HelperSession, AnUnknownProfileIsLookedUpAgainAfterPausesThatDoubleUpToAMinute) {
    FakeWorld world;
    world.profileOfId.clear();
    HostSession session;
    const auto ports = world.Ports();
    std::vector<std::uint64_t> lookupTimes;
    for (world.now = 0; world.now <= 400'000; world.now += 500) {
        const int before = world.lookups;
        EXPECT_EQ(HandleFrameBody(session, ports, Body("\"a\"")), MessageOutcome::NoProfile);
        if (world.lookups != before) {
            lookupTimes.push_back(world.now);
        }
    }
    EXPECT_EQ(lookupTimes, (std::vector<std::uint64_t>{0, 1000, 3000, 7000, 15000, 31000, 63000,
                                                       123000, 183000, 243000, 303000, 363000}));
    world.profileOfId = kFolder;
    world.now += kMaxLookupDelayMs;
    EXPECT_EQ(HandleFrameBody(session, ports, Body("\"a\"")), MessageOutcome::Written);
}

}  // namespace
