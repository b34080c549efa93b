#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "helper/host/native_frames.h"

namespace {

std::string Le32(std::uint32_t n) {
    std::string out(4, '\0');
    for (int i = 0; i < 4; ++i) {
        out[i] = static_cast<char>((n >> (8 * i)) & 0xFF);
    }
    return out;
}

std::string FrameOf(const std::string& body) {
    return Le32(static_cast<std::uint32_t>(body.size())) + body;
}

// A pipe that hands out at most `chunk` bytes per read, as a real pipe may.
struct FakeInput {
    std::string data;
    std::size_t pos = 0;
    std::size_t chunk = 1 << 30;
    std::size_t reads = 0;
    ReadBytesFn Reader() {
        return [this](std::span<std::uint8_t> buffer) -> std::size_t {
            ++reads;
            const std::size_t n = std::min({buffer.size(), data.size() - pos, chunk});
            std::memcpy(buffer.data(), data.data() + pos, n);
            pos += n;
            return n;
        };
    }
};

TEST(HelperFrames, ReadsFramesBackToBackWhateverTheChunking) {
    for (const std::size_t chunk : {std::size_t{1}, std::size_t{3}, std::size_t{1000}}) {
        FakeInput in;
        in.data = FrameOf("{\"a\":1}") + FrameOf("") + FrameOf("xyz");
        in.chunk = chunk;
        const auto read = in.Reader();
        Frame f = ReadFrame(read);
        EXPECT_EQ(f.status, FrameStatus::Frame);
        EXPECT_EQ(f.body, "{\"a\":1}");
        f = ReadFrame(read);
        EXPECT_EQ(f.status, FrameStatus::Frame);  // a zero length is a frame, empty
        EXPECT_EQ(f.body, "");
        f = ReadFrame(read);
        EXPECT_EQ(f.body, "xyz");
        EXPECT_EQ(ReadFrame(read).status, FrameStatus::End);
        EXPECT_EQ(ReadFrame(read).status, FrameStatus::End);
    }
}

TEST(HelperFrames, TheLengthIsLittleEndian) {
    FakeInput in;
    in.data = std::string("\x01\x01\x00\x00", 4) + std::string(257, 'q');
    const Frame f = ReadFrame(in.Reader());
    EXPECT_EQ(f.status, FrameStatus::Frame);
    EXPECT_EQ(f.body.size(), 257u);
}

TEST(HelperFrames, TruncatedLengthOrBodyIsReportedAndNotReturned) {
    for (const std::string& data : {std::string("\x05\x00", 2), FrameOf("hello").substr(0, 7)}) {
        FakeInput in;
        in.data = data;
        const Frame f = ReadFrame(in.Reader());
        EXPECT_EQ(f.status, FrameStatus::Truncated);
        EXPECT_TRUE(f.body.empty());
    }
}

TEST(HelperFrames, OverlongLengthsStopWithoutReadingOrAllocatingTheBody) {
    for (const std::uint32_t length :
         {std::uint32_t{kMaxFrameBytes + 1}, std::uint32_t{1u << 31}, std::uint32_t{0xFFFFFFFFu}}) {
        FakeInput in;
        in.data = Le32(length) + "{}";
        const Frame f = ReadFrame(in.Reader());
        EXPECT_EQ(f.status, FrameStatus::TooLong);
        EXPECT_EQ(in.pos, 4u);
    }
    FakeInput in;
    in.data = FrameOf(std::string(kMaxFrameBytes, 'x'));
    EXPECT_EQ(ReadFrame(in.Reader()).status, FrameStatus::Frame);  // the limit itself is fine
}

TEST(HelperFrames, AReaderClaimingTooMuchCannotPushPastTheBuffer) {
    std::string source = FrameOf("abcd");
    std::size_t pos = 0;
    const ReadBytesFn liar = [&](std::span<std::uint8_t> buffer) -> std::size_t {
        if (pos >= source.size()) {
            return 0;
        }
        const std::size_t n = std::min(buffer.size(), source.size() - pos);
        std::memcpy(buffer.data(), source.data() + pos, n);
        pos += n;
        return n + 100;  // claims more than it wrote or was asked for
    };
    const Frame f = ReadFrame(liar);
    EXPECT_EQ(f.status, FrameStatus::Frame);
    EXPECT_EQ(f.body, "abcd");
}

}  // namespace
