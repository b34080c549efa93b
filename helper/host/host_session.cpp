#include "helper/host/host_session.h"

#include <algorithm>

#include "helper/host/helper_file.h"
#include "helper/host/profile_choice.h"

namespace {

constexpr std::uint64_t kFirstLookupDelayMs = 1000;

// Finds the folder for identity, or leaves it unknown until the next allowed try.
bool EnsureFolder(HostSession& session, const HostPorts& ports, std::u16string_view identity) {
    if (session.identity != identity) {
        // Another identity is another profile: forget everything about the old one.
        session.identity.assign(identity);
        session.folder.clear();
        session.last_marker.reset();
        session.page_shown = false;
        session.next_lookup_ms = 0;
        session.lookup_delay_ms = 0;
    }
    if (!session.folder.empty()) {
        return true;
    }
    const std::uint64_t now = ports.now_ms();
    if (session.lookup_delay_ms != 0 && now < session.next_lookup_ms) {
        return false;
    }
    auto folder = ports.find_profile(identity);
    if (!folder || folder->empty()) {
        session.lookup_delay_ms = session.lookup_delay_ms == 0
                                      ? kFirstLookupDelayMs
                                      : std::min(session.lookup_delay_ms * 2, kMaxLookupDelayMs);
        session.next_lookup_ms = now + session.lookup_delay_ms;
        return false;
    }
    session.folder = std::move(*folder);
    // Continue the marker cycle after whatever a previous run left in the file, so that
    // the first write of this run changes the marker too.
    if (auto existing = ports.read_helper_file(session.folder)) {
        session.last_marker = MarkerOfContent(*existing);
    }
    return true;
}

bool WriteAddress(HostSession& session, const HostPorts& ports, std::u16string_view address,
                  bool page) {
    const char16_t marker = NextMarker(session.last_marker);
    if (!ports.write_helper_file(session.folder, BuildHelperFileContent(marker, address))) {
        return false;
    }
    session.last_marker = marker;
    session.page_shown = page;
    ++session.writes;
    return true;
}

}  // namespace

MessageOutcome HandleHostMessage(HostSession& session, const HostPorts& ports,
                                 const HostMessage& message) {
    if (!IsExtensionIdentity(message.id)) {
        ++session.skipped;
        return MessageOutcome::kMalformed;
    }
    if (!EnsureFolder(session, ports, message.id)) {
        return MessageOutcome::kNoProfile;
    }
    const std::u16string_view address = message.has_page ? message.url : std::u16string_view();
    return WriteAddress(session, ports, address, message.has_page) ? MessageOutcome::kWritten
                                                                   : MessageOutcome::kWriteFailed;
}

MessageOutcome HandleFrameBody(HostSession& session, const HostPorts& ports,
                               std::string_view body) {
    const auto message = ParseHostMessage(body);
    if (!message) {
        ++session.skipped;
        return MessageOutcome::kMalformed;
    }
    return HandleHostMessage(session, ports, *message);
}

void HandleInputEnd(HostSession& session, const HostPorts& ports) {
    if (!session.folder.empty() && session.page_shown) {
        WriteAddress(session, ports, std::u16string_view(), false);
    }
}

FrameStatus RunHost(HostSession& session, const HostPorts& ports, const ReadBytesFn& read) {
    while (true) {
        const Frame frame = ReadFrame(read);
        if (frame.status != FrameStatus::kFrame) {
            HandleInputEnd(session, ports);
            return frame.status;
        }
        HandleFrameBody(session, ports, frame.body);
    }
}
