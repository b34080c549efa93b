#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "helper/host/helper_file.h"
#include "helper/host/host_session.h"

namespace {

constexpr char kId[] = "0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d";
constexpr char16_t kFolder[] = u"C:\\p\\abc.default";

std::string Le32(std::uint32_t n) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<char>((n >> (8 * i)) & 0xFF);
    }
    return out;
}
std::string Frame(const std::string& body) {
    return Le32(static_cast<std::uint32_t>(body.size())) + body;
}
std::string Page(const std::string& url) {
    return Frame(std::string("{\"id\":\"") + kId + "\",\"url\":\"" + url + "\"}");
}
std::string NoPage() {
    return Frame(std::string("{\"id\":\"") + kId + "\",\"url\":null}");
}

// A world of profile folders with files, a clock, and a record of every write.
struct FakeWorld {
    std::map<std::u16string, std::string> files;  // folder -> address file
    std::vector<std::string> writes;
    std::u16string profile_of_id = kFolder;
    int lookups = 0;
    bool fail_writes = false;
    std::uint64_t now = 0;

    HostPorts Ports() {
        HostPorts p;
        p.findProfile = [this](std::u16string_view id) -> std::optional<std::u16string> {
            ++lookups;
            if (id.size() != 36 || profile_of_id.empty()) {
                return std::nullopt;
            }
            return profile_of_id;
        };
        p.readHelperFile = [this](std::u16string_view folder) -> std::optional<std::string> {
            auto it = files.find(std::u16string(folder));
            if (it == files.end()) {
                return std::nullopt;
            }
            return it->second;
        };
        p.writeHelperFile = [this](std::u16string_view folder, std::string_view bytes) {
            if (fail_writes) {
                return false;
            }
            files[std::u16string(folder)] = std::string(bytes);
            writes.emplace_back(bytes);
            return true;
        };
        p.nowMs = [this] { return now; };
        return p;
    }
};

ReadBytesFn ReaderOf(const std::string& data) {
    auto pos = std::make_shared<std::size_t>(0);
    return [data, pos](std::span<std::uint8_t> buffer) -> std::size_t {
        const std::size_t n = std::min(buffer.size(), data.size() - *pos);
        std::memcpy(buffer.data(), data.data() + *pos, n);
        *pos += n;
        return n;
    };
}

char16_t MarkerOf(const std::string& bytes) {
    return *MarkerOfContent(bytes);
}

TEST(HelperSession, EveryPageMessageRewritesTheFileWithANewMarker) {
    FakeWorld world;
    HostSession session;
    const FrameStatus end = RunHost(
        session, world.Ports(),
        ReaderOf(Page("https://ja.wikipedia.org/wiki/A") + Page("https://ja.wikipedia.org/wiki/A") +
                 Page("https://ja.wikipedia.org/wiki/B")));
    EXPECT_EQ(end, FrameStatus::End);
    // Three pages, then the end of input clears the address.
    ASSERT_EQ(world.writes.size(), 4u);
    EXPECT_EQ(world.writes[0],
              BuildHelperFileContent(kMarkerCycle[0], u"https://ja.wikipedia.org/wiki/A"));
    EXPECT_EQ(world.writes[1],
              BuildHelperFileContent(kMarkerCycle[1], u"https://ja.wikipedia.org/wiki/A"));
    EXPECT_EQ(world.writes[2],
              BuildHelperFileContent(kMarkerCycle[2], u"https://ja.wikipedia.org/wiki/B"));
    EXPECT_EQ(world.writes[3], BuildHelperFileContent(kMarkerCycle[3], u""));
    EXPECT_EQ(world.lookups, 1);  // the folder is found once
}

TEST(HelperSession, TheFirstWriteChangesTheMarkerLeftByAnEarlierRun) {
    FakeWorld world;
    world.files[kFolder] = BuildHelperFileContent(kMarkerCycle[4], u"old");
    HostSession session;
    HandleFrameBody(session, world.Ports(), Page("x").substr(4));
    ASSERT_EQ(world.writes.size(), 1u);
    EXPECT_EQ(MarkerOf(world.writes[0]), kMarkerCycle[5]);
    // A foreign file with a marker of its own.
    FakeWorld other;
    other.files[kFolder] = std::string(
        "\xFF\xFE"
        "0\0",
        4);
    HostSession s2;
    HandleFrameBody(s2, other.Ports(), Page("x").substr(4));
    EXPECT_NE(MarkerOf(other.writes[0]), u'0');
}

TEST(HelperSession, NoPageIsWrittenOnceAsAnEmptyAddress) {
    FakeWorld world;
    HostSession session;
    RunHost(session, world.Ports(), ReaderOf(Page("a") + NoPage()));
    ASSERT_EQ(world.writes.size(), 2u);  // and no extra write at the end: nothing is shown
    EXPECT_EQ(world.writes[1], BuildHelperFileContent(kMarkerCycle[1], u""));
}

TEST(HelperSession, MalformedFramesAreSkippedAndTheRestStillHandled) {
    FakeWorld world;
    HostSession session;
    const std::string input = Frame("") + Frame("{") + Frame("{\"id\":\"x\",\"url\":\"a\"}") +
                              Frame(std::string("{\"id\":\"") + kId + "\",\"url\":\"\xC3\"}") +
                              Frame(std::string("{\"url\":\"a\"}")) + Page("good");
    EXPECT_EQ(RunHost(session, world.Ports(), ReaderOf(input)), FrameStatus::End);
    EXPECT_EQ(session.skipped, 5u);
    ASSERT_EQ(world.writes.size(), 2u);
    EXPECT_EQ(world.writes[0], BuildHelperFileContent(kMarkerCycle[0], u"good"));
    EXPECT_EQ(world.lookups, 1);  // a bad identity is never looked up
}

TEST(HelperSession, BrokenStreamsEndTheRunAndClearTheAddress) {
    struct Case {
        std::string tail;  // where the input goes wrong; a good frame follows a length too long
        FrameStatus end;
    };
    for (const Case& c : {Case{Le32(1u << 31) + Page("after"), FrameStatus::TooLong},
                          Case{Le32(0xFFFFFFFFu) + Page("after"), FrameStatus::TooLong},
                          Case{Page("next").substr(0, 10), FrameStatus::Truncated},
                          Case{"\x01", FrameStatus::Truncated}}) {
        FakeWorld world;
        HostSession session;
        EXPECT_EQ(RunHost(session, world.Ports(), ReaderOf(Page("a") + c.tail)), c.end);
        ASSERT_EQ(world.writes.size(), 2u);
        EXPECT_EQ(world.writes[1], BuildHelperFileContent(kMarkerCycle[1], u""));
    }
}

TEST(HelperSession, AVeryLongAddressIsWrittenCutAndNeverPastTheReadLimit) {
    FakeWorld world;
    HostSession session;
    const std::string url = "https://ja.wikipedia.org/wiki/" + std::string(100000, 'x');
    HandleFrameBody(session, world.Ports(), Page(url).substr(4));
    ASSERT_EQ(world.writes.size(), 1u);
    EXPECT_EQ(world.writes[0].size(), 2 * kHelperReadUnits);
}

TEST(HelperSession, UnknownProfileIsLookedUpAgainWithGrowingPauses) {
    FakeWorld world;
    world.profile_of_id.clear();
    HostSession session;
    const auto ports = world.Ports();
    const std::string body = Page("a").substr(4);
    EXPECT_EQ(HandleFrameBody(session, ports, body), MessageOutcome::NoProfile);
    EXPECT_EQ(world.lookups, 1);
    world.now = 999;
    EXPECT_EQ(HandleFrameBody(session, ports, body), MessageOutcome::NoProfile);
    EXPECT_EQ(world.lookups, 1);  // too soon
    world.now = 1000;
    HandleFrameBody(session, ports, body);
    EXPECT_EQ(world.lookups, 2);
    world.now = 2999;
    HandleFrameBody(session, ports, body);
    EXPECT_EQ(world.lookups, 2);  // the pause doubled to 2 s
    // Pauses stop growing at the maximum.
    for (int i = 0; i < 30; ++i) {
        world.now += kMaxLookupDelayMs;
        HandleFrameBody(session, ports, body);
    }
    EXPECT_EQ(world.lookups, 32);
    EXPECT_TRUE(world.writes.empty());
    // Firefox has written its prefs by now.
    world.profile_of_id = kFolder;
    world.now += kMaxLookupDelayMs;
    EXPECT_EQ(HandleFrameBody(session, ports, body), MessageOutcome::Written);
}

TEST(HelperSession, AFailedWriteKeepsTheMarkerSoTheNextOneStillDiffersFromTheFile) {
    FakeWorld world;
    HostSession session;
    const auto ports = world.Ports();
    HandleFrameBody(session, ports, Page("a").substr(4));
    world.fail_writes = true;
    EXPECT_EQ(HandleFrameBody(session, ports, Page("b").substr(4)), MessageOutcome::WriteFailed);
    world.fail_writes = false;
    HandleFrameBody(session, ports, Page("c").substr(4));
    ASSERT_EQ(world.writes.size(), 2u);
    EXPECT_NE(MarkerOf(world.writes[1]), MarkerOf(world.writes[0]));
}

TEST(HelperSession, AnotherIdentityIsAnotherProfile) {
    FakeWorld world;
    HostSession session;
    const auto ports = world.Ports();
    HandleFrameBody(session, ports, Page("a").substr(4));
    world.profile_of_id = u"C:\\p\\other";
    HandleFrameBody(session, ports,
                    std::string("{\"id\":\"11111111-2222-3333-4444-555555555555\",\"url\":\"b\"}"));
    EXPECT_EQ(world.lookups, 2);
    EXPECT_EQ(world.files[u"C:\\p\\other"], BuildHelperFileContent(kMarkerCycle[0], u"b"));
}

}  // namespace
