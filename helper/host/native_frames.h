#pragma once
// Native-messaging frames as Firefox writes them to a host's standard input: a 32-bit
// length in the machine's byte order (little-endian on every Windows machine) followed by
// that many bytes of UTF-8 JSON.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

// Fills the front of buffer; returns how many bytes it read, 0 at the end of the input or
// on a read failure. May return fewer bytes than asked for.
using ReadBytesFn = std::function<std::size_t(std::span<std::uint8_t> buffer)>;

// Our extension's messages are a few hundred bytes (an address and an id); anything far
// larger is not ours, and is not buffered.
inline constexpr std::size_t kMaxFrameBytes = 1u << 20;

enum class FrameStatus {
    Frame,      // body holds one message (possibly empty)
    End,        // the input ended cleanly, between frames
    Truncated,  // the input ended inside a length or a body
    TooLong,    // the length exceeds the limit; what follows cannot be trusted
};

struct Frame {
    FrameStatus status = FrameStatus::End;
    std::string body;
};

// Reads one frame. Never reads past the frame's end, so the next call starts at the next
// frame.
Frame ReadFrame(const ReadBytesFn& read, std::size_t maxBytes = kMaxFrameBytes);
