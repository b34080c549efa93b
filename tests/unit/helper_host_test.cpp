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

// A message with the identity and one more member.
std::string Body(const std::string& json, const char* member = "url") {
    return std::string("{\"id\":\"") + kId + "\",\"" + member + "\":" + json + "}";
}
std::string Page(const std::string& url) {
    return NativeFrame(Body("\"" + url + "\""));
}

// Input handed out at most `chunk` bytes a read, as a pipe may; a lying reader claims
// 2^64 - 1 bytes (an error code taken for a size) whenever it fills what it was asked for.
ReadBytesFn ReaderOf(std::string data, std::size_t chunk = 1 << 30, bool lies = false) {
    auto pos = std::make_shared<std::size_t>(0);
    return [=](std::span<std::uint8_t> buffer) -> std::size_t {
        const std::size_t n = std::min({buffer.size(), data.size() - *pos, chunk});
        std::memcpy(buffer.data(), data.data() + *pos, n);
        *pos += n;
        return lies && n == buffer.size() ? SIZE_MAX : n;
    };
}

TEST(HelperFrames, BackToBackWhateverTheReadsGiveAndCutOrOverlongOnesWithoutTheirBody) {
    for (std::size_t chunk : {1u, 3u, 1000u}) {
        for (bool lies : {false, true}) {
            const auto read = ReaderOf(
                NativeFrame("{\"a\":1}") + NativeFrame("") + Le32(257) + std::string(257, 'q'),
                chunk, lies);
            EXPECT_EQ(ReadFrame(read).body, "{\"a\":1}");
            EXPECT_EQ(ReadFrame(read).status, FrameStatus::Frame);
            EXPECT_EQ(ReadFrame(read).body.size(), 257u);
            EXPECT_EQ(ReadFrame(read).status, FrameStatus::End);
        }
    }
    for (const std::string& cut : {std::string("\x05\x00", 2), NativeFrame("hello").substr(0, 7)}) {
        const Frame f = ReadFrame(ReaderOf(cut));
        EXPECT_EQ(f.status, FrameStatus::Truncated);
        EXPECT_TRUE(f.body.empty());
    }
    EXPECT_EQ(ReadFrame(ReaderOf(Le32(kMaxFrameBytes + 1) + "{}")).status, FrameStatus::TooLong);
    EXPECT_EQ(ReadFrame(ReaderOf(NativeFrame(std::string(kMaxFrameBytes, 'x')))).status,
              FrameStatus::Frame);
}

TEST(HelperMessage, PagesNoPagesEscapesAndNestingUpToTheLimit) {
    auto m =
        ParseHostMessage(Body("\"https://ja.wikipedia.org/wiki/日本\\u8a9e\\ud83d\\ude00\\n\""));
    ASSERT_TRUE(m);
    EXPECT_EQ(m->id, u"0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d");
    EXPECT_EQ(m->url, u"https://ja.wikipedia.org/wiki/日本語😀\n");
    EXPECT_FALSE(ParseHostMessage(Body("null"))->hasPage);
    m = ParseHostMessage(
        std::string(" {\"v\": [1, -2.5e+3, {\"x\": [true, null]}], \"url\":\"a\",") + "\"id\": \"" +
        kId + "\", \"url\" : \"u\" } \r\n");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->url, u"u");  // other members pass; the last of two counts
    const auto nested = [](int depth) {
        return Body(std::string(depth, '[') + std::string(depth, ']'), "x");
    };
    EXPECT_TRUE(ParseHostMessage(nested(kMaxJsonDepth - 1)));
    const std::string good = Body("\"a\"");
    for (const std::string& bad :
         {std::string("[]"), good.substr(0, good.size() - 1), good + "x",
          std::string("{\"url\":\"a\"}"), Body("5"), Body("\"a\\u12G4\""), Body("\"a\nb\""),
          Body("\"\\ud83d\""), Body("\"\\ude00\""), Body("\"\xC0\xAF\""), Body("\"\xED\xA0\x80\""),
          Body("\"\xF4\x90\x80\x80\""), Body("[1,]", "x"), nested(kMaxJsonDepth)}) {
        EXPECT_FALSE(ParseHostMessage(bad)) << bad;
    }
    EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(u"aé日😀")), u"aé日😀");
}

TEST(HelperFile, LayoutMarkersTheCutAtWhatTheProgramReadsAndTheManifest) {
    EXPECT_EQ(BuildHelperFileContent(u'7', u"h/é"), test::Utf16Le(u"7 h/é", true));
    std::optional<char16_t> last;
    std::set<char16_t> seen;
    for (int i = 0; i < 25; ++i) {
        seen.insert(*(last = NextMarker(last)));
    }
    EXPECT_EQ(seen.size(), std::size(kMarkerCycle) - 1);
    EXPECT_EQ(MarkerOfContent(test::Utf16Le(u"4 x", true)), u'4');
    const std::u16string address = std::u16string(u"https://x/").append(100000, u'x');
    EXPECT_EQ(BuildHelperFileContent(u'1', address).size(), 2 * kHelperReadUnits);
    std::u16string pair(kMaxAddressUnits - 1, u'a');
    EXPECT_EQ(ClipAddress(pair + u"😀tail"), pair);  // a pair is never split
    const std::string json = BuildHostManifest(u"C:\\Users\\山田\\ymt \"x\"\\ymthelp.exe");
    for (const char* part : {"\"name\": \"ymthelp\"", "\"type\": \"stdio\"",
                             "\"allowed_extensions\": [\"ymthelp@yomitoki\"]",
                             "\"path\": \"C:\\\\Users\\\\山田\\\\ymt \\\"x\\\"\\\\ymthelp.exe\""}) {
        EXPECT_NE(json.find(part), std::string::npos) << part << json;
    }
}

TEST(HelperProfile, IdentityPrefsFolderNamesAndTheChoice) {
    const std::u16string id = u"0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d";
    EXPECT_TRUE(IsExtensionIdentity(id));
    for (const std::u16string& bad :
         {std::u16string(u"0B1C2D3E-4F50-4A6B-8C7D-9E0F1A2B3C4D"),
          std::u16string(u"..\\..\\x-4f50-4a6b-8c7d-9e0f1a2b3c4d"), id + u"d"}) {
        EXPECT_FALSE(IsExtensionIdentity(bad)) << bad.size();
    }
    const std::string pref = "user_pref(\"extensions.webextensions.uuids\", \"{\\\"e\\\":\\\"";
    EXPECT_TRUE(PrefsMapIdentity("a\r\n" + pref + kId + "\\\"}\");", id));
    EXPECT_FALSE(PrefsMapIdentity(pref + "a" + kId + "\\\"}\");\n", id));
    EXPECT_TRUE(IsPlainFolderName(u"日本語 abcd1234.default-release"));
    for (std::u16string_view bad : {u"", u"..", u"a\\b", u"a/b", u"x:stream"}) {
        EXPECT_FALSE(IsPlainFolderName(bad));
    }
    using Matches = std::vector<ProfileMatch>;
    EXPECT_EQ(ChooseProfile(Matches{{u"a", false}}), u"a");  // the only one, running or not
    EXPECT_EQ(ChooseProfile(Matches{{u"a", false}, {u"b", true}, {u"c", false}}), u"b");
    EXPECT_EQ(ChooseProfile(Matches{{u"a", false}, {u"b", false}}), std::nullopt);
    EXPECT_EQ(ChooseProfile(Matches{{u"a", true}, {u"b", true}}), std::nullopt);
}

// ---- A whole session over fake ports ----

struct FakeWorld {
    std::map<std::u16string, std::string> files;  // folder -> address file
    std::vector<std::string> writes;
    bool profileKnown = true, failWrites = false;
    int lookups = 0;
    std::uint64_t now = 0;
    HostSession session;
    HostPorts Ports() {
        HostPorts p;
        p.findProfile = [this](std::u16string_view) -> std::optional<std::u16string> {
            ++lookups;
            return profileKnown ? std::optional<std::u16string>(kFolder) : std::nullopt;
        };
        p.readHelperFile = [this](std::u16string_view folder) -> std::optional<std::string> {
            auto it = files.find(std::u16string(folder));
            return it == files.end() ? std::nullopt : std::optional(it->second);
        };
        p.writeHelperFile = [this](std::u16string_view folder, std::string_view bytes) {
            if (!failWrites) {
                writes.emplace_back(files[std::u16string(folder)] = bytes);
            }
            return !failWrites;
        };
        p.nowMs = [this] { return now; };
        return p;
    }
    MessageOutcome Send(const std::string& url) {
        return HandleFrameBody(session, Ports(), Body("\"" + url + "\""));
    }
};

std::string File(int marker, std::u16string_view address) {
    return BuildHelperFileContent(kMarkerCycle[marker], address);
}

TEST(HelperSession, EveryMessageRewritesTheFileWithTheNextMarkerAndTheEndClearsIt) {
    FakeWorld world;
    const std::string input = Page("https://a/A") + Page("https://a/A") + NativeFrame("{") +
                              NativeFrame(Body("null")) + Page("https://a/B");
    EXPECT_EQ(RunHost(world.session, world.Ports(), ReaderOf(input)), FrameStatus::End);
    EXPECT_EQ(world.writes,
              (std::vector<std::string>{File(0, u"https://a/A"), File(1, u"https://a/A"),
                                        File(2, u""), File(3, u"https://a/B"), File(4, u"")}));
    EXPECT_EQ(world.lookups, 1);
    FakeWorld broken;  // a broken stream ends the run and clears the address too
    EXPECT_EQ(RunHost(world.session, broken.Ports(), ReaderOf(Page("a") + Le32(1u << 31))),
              FrameStatus::TooLong);
    EXPECT_EQ(broken.writes.back(), File(6, u""));
}

TEST(HelperSession, TheFirstWriteChangesTheMarkerLeftByAnEarlierRunAndAFailureKeepsIt) {
    FakeWorld world;
    world.files[kFolder] = File(4, u"old");
    world.Send("x");
    world.failWrites = true;
    EXPECT_EQ(world.Send("y"), MessageOutcome::WriteFailed);
    world.failWrites = false;
    world.Send("z");
    EXPECT_EQ(world.writes, (std::vector<std::string>{File(5, u"x"), File(6, u"z")}));
}

TEST(HelperSession, AnUnknownProfileIsLookedUpAgainAfterPausesThatDoubleUpToAMinute) {
    FakeWorld world;
    world.profileKnown = false;
    std::vector<std::uint64_t> lookupTimes;
    for (; world.now <= 250'000; world.now += 500) {
        const int before = world.lookups;
        EXPECT_EQ(world.Send("a"), MessageOutcome::NoProfile);
        if (world.lookups != before) {
            lookupTimes.push_back(world.now);
        }
    }
    EXPECT_EQ(lookupTimes, (std::vector<std::uint64_t>{0, 1000, 3000, 7000, 15000, 31000, 63000,
                                                       123000, 183000, 243000}));
}

}  // namespace
