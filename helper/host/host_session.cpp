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
        session.lastMarker.reset();
        session.pageShown = false;
        session.nextLookupMs = 0;
        session.lookupDelayMs = 0;
    }
    if (!session.folder.empty()) {
        return true;
    }
    const std::uint64_t now = ports.nowMs();
    if (session.lookupDelayMs != 0 && now < session.nextLookupMs) {
        return false;
    }
    auto folder = ports.findProfile(identity);
    if (!folder || folder->empty()) {
        session.lookupDelayMs = session.lookupDelayMs == 0
                                    ? kFirstLookupDelayMs
                                    : std::min(session.lookupDelayMs * 2, kMaxLookupDelayMs);
        session.nextLookupMs = now + session.lookupDelayMs;
        return false;
    }
    session.folder = std::move(*folder);
    // Continue the marker cycle after whatever a previous run left in the file, so that
    // the first write of this run changes the marker too.
    if (auto existing = ports.readHelperFile(session.folder)) {
        session.lastMarker = MarkerOfContent(*existing);
    }
    return true;
}

bool WriteAddress(HostSession& session, const HostPorts& ports, std::u16string_view address,
                  bool page) {
    const char16_t marker = NextMarker(session.lastMarker);
    if (!ports.writeHelperFile(session.folder, BuildHelperFileContent(marker, address))) {
        return false;
    }
    session.lastMarker = marker;
    session.pageShown = page;
    ++session.writes;
    return true;
}

}  // namespace

MessageOutcome HandleHostMessage(HostSession& session, const HostPorts& ports,
                                 const HostMessage& message) {
    if (!IsExtensionIdentity(message.id)) {
        ++session.skipped;
        return MessageOutcome::Malformed;
    }
    if (!EnsureFolder(session, ports, message.id)) {
        return MessageOutcome::NoProfile;
    }
    const std::u16string_view address = message.hasPage ? message.url : std::u16string_view();
    return WriteAddress(session, ports, address, message.hasPage) ? MessageOutcome::Written
                                                                  : MessageOutcome::WriteFailed;
}

MessageOutcome HandleFrameBody(HostSession& session, const HostPorts& ports,
                               std::string_view body) {
    const auto message = ParseHostMessage(body);
    if (!message) {
        ++session.skipped;
        return MessageOutcome::Malformed;
    }
    return HandleHostMessage(session, ports, *message);
}

void HandleInputEnd(HostSession& session, const HostPorts& ports) {
    if (!session.folder.empty() && session.pageShown) {
        WriteAddress(session, ports, std::u16string_view(), false);
    }
}

FrameStatus RunHost(HostSession& session, const HostPorts& ports, const ReadBytesFn& read) {
    while (true) {
        const Frame frame = ReadFrame(read);
        if (frame.status != FrameStatus::Frame) {
            HandleInputEnd(session, ports);
            return frame.status;
        }
        HandleFrameBody(session, ports, frame.body);
    }
}
