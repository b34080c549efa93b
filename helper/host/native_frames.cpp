#include "helper/host/native_frames.h"

namespace {

// Reads exactly buffer.size() bytes; returns how many it got before the input ended.
std::size_t ReadFully(const ReadBytesFn& read, std::span<std::uint8_t> buffer) {
    std::size_t got = 0;
    while (got < buffer.size()) {
        const std::size_t n = read(buffer.subspan(got));
        if (n == 0) {
            break;
        }
        // A reader that claims more than it was given would push us out of bounds.
        got += n < buffer.size() - got ? n : buffer.size() - got;
    }
    return got;
}

}  // namespace

Frame ReadFrame(const ReadBytesFn& read, std::size_t maxBytes) {
    Frame frame;
    std::uint8_t header[4];
    const std::size_t headerGot = ReadFully(read, header);
    if (headerGot == 0) {
        frame.status = FrameStatus::End;
        return frame;
    }
    if (headerGot < sizeof(header)) {
        frame.status = FrameStatus::Truncated;
        return frame;
    }
    const std::uint32_t length = static_cast<std::uint32_t>(header[0]) |
                                 (static_cast<std::uint32_t>(header[1]) << 8) |
                                 (static_cast<std::uint32_t>(header[2]) << 16) |
                                 (static_cast<std::uint32_t>(header[3]) << 24);
    if (length > maxBytes) {
        frame.status = FrameStatus::TooLong;
        return frame;
    }
    frame.body.resize(length);
    const std::size_t got = ReadFully(
        read, std::span(reinterpret_cast<std::uint8_t*>(frame.body.data()), frame.body.size()));
    if (got < length) {
        frame.body.clear();
        frame.status = FrameStatus::Truncated;
        return frame;
    }
    frame.status = FrameStatus::Frame;
    return frame;
}
