#pragma once
// The native host's work: frames in, address file out. Windows is reached only through
// HostPorts, so the whole conversation runs in tests with fakes.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "helper/host/host_message.h"
#include "helper/host/native_frames.h"

struct HostPorts {
    // The full path of the one profile folder whose prefs map the identity (already
    // checked by IsExtensionIdentity), or nullopt.
    std::function<std::optional<std::u16string>(std::u16string_view identity)> findProfile;
    // The current address file of a profile folder, or nullopt when there is none.
    std::function<std::optional<std::string>(std::u16string_view folder)> readHelperFile;
    // Replaces the address file of a profile folder as a whole; false when it could not.
    std::function<bool(std::u16string_view folder, std::string_view bytes)> writeHelperFile;
    // A monotonic clock in milliseconds.
    std::function<std::uint64_t()> nowMs;
};

// A failed search is repeated after 1 s, then after twice the previous wait, up to this.
// Firefox writes prefs.js shortly after it maps a newly installed extension, so the first
// retries usually find it.
inline constexpr std::uint64_t kMaxLookupDelayMs = 60'000;

struct HostSession {
    std::u16string identity;  // the identity the folder was searched for
    std::u16string folder;    // empty until found
    std::optional<char16_t> lastMarker;
    bool pageShown = false;  // the file last written shows a page
    std::uint64_t nextLookupMs = 0;
    std::uint64_t lookupDelayMs = 0;
    // Counts, for the curious and for tests.
    std::uint32_t writes = 0;
    std::uint32_t skipped = 0;
};

enum class MessageOutcome {
    Written,
    Malformed,    // not a message of ours; skipped
    NoProfile,    // the profile folder is not known (yet)
    WriteFailed,  // the file keeps its previous content
};

// One frame body.
MessageOutcome HandleFrameBody(HostSession& session, const HostPorts& ports, std::string_view body);

// One parsed message: writes the page's address, or an empty address for "no page", with
// a marker other than the one in the file.
MessageOutcome HandleHostMessage(HostSession& session, const HostPorts& ports,
                                 const HostMessage& message);

// Firefox has gone (or spoke gibberish): a file that still shows a page is rewritten with
// an empty address, so that the program stops counting at its next read.
void HandleInputEnd(HostSession& session, const HostPorts& ports);

// Reads frames until the input ends or cannot be followed, handling each, then
// HandleInputEnd. Returns how the input ended.
FrameStatus RunHost(HostSession& session, const HostPorts& ports, const ReadBytesFn& read);
