// Firefox's helper host fed any standard input: frames (lengths, bodies, chunking of the
// reads, a reader that claims more than it gave) through to the address files it writes.
//
// Layout: one byte for the reader (low 7 bits: the most bytes one read gives, 0 for no
// limit; top bit: every read claims three bytes more than it gave), one byte for the
// profile folder (which file it holds already, which writes fail), then standard input.
#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "helper/host/helper_file.h"
#include "helper/host/host_session.h"
#include "helper/host/profile_choice.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// prefs.js of the one profile: it maps one identity.
constexpr std::string_view kPrefs =
    "user_pref(\"extensions.webextensions.uuids\", "
    "\"{\\\"ymthelp@example\\\":\\\"0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d\\\"}\");\n";
constexpr std::u16string_view kFolder = u"C:\\p\\abc.default";

// What the folder may hold from an earlier run.
const std::string kEarlierFiles[] = {"",
                                     "\xFF",
                                     "\xFF\xFE",
                                     std::string("\xFF\xFE\x37\0 \0", 6),
                                     std::string("\xFF\xFE\x39\0", 4),
                                     std::string("x\0 \0h\0", 6)};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const size_t chunk = data[0] & 0x7F;
    const bool overclaims = (data[0] & 0x80) != 0;
    const uint8_t folderFlags = data[1];
    const uint8_t* in = data + 2;
    const size_t inSize = size - 2;

    size_t at = 0;
    const ReadBytesFn read = [&](std::span<uint8_t> buffer) -> size_t {
        FUZZ_CHECK(!buffer.empty());
        size_t n = std::min(buffer.size(), inSize - at);
        if (chunk != 0) {
            n = std::min(n, chunk);
        }
        std::memcpy(buffer.data(), in + at, n);
        at += n;
        return n == 0 ? 0 : n + (overclaims ? 3 : 0);
    };

    std::optional<std::string> file;
    if ((folderFlags & 8) != 0) {
        file = kEarlierFiles[(folderFlags & 7) % std::size(kEarlierFiles)];
    }
    int writeCalls = 0;
    uint32_t written = 0;
    uint64_t now = 0;
    HostPorts ports;
    ports.findProfile = [&](std::u16string_view id) -> std::optional<std::u16string> {
        FUZZ_CHECK(IsExtensionIdentity(id));
        if (!PrefsMapIdentity(kPrefs, id)) {
            return std::nullopt;
        }
        return std::u16string(kFolder);
    };
    ports.readHelperFile = [&](std::u16string_view folder) -> std::optional<std::string> {
        FUZZ_CHECK(folder == kFolder);
        return file;
    };
    ports.writeHelperFile = [&](std::u16string_view folder, std::string_view bytes) {
        FUZZ_CHECK(folder == kFolder);
        // Writes fail in the pattern the top bits give.
        if ((folderFlags >> 4 >> (writeCalls++ % 4) & 1) != 0) {
            return false;
        }
        // What the program will read: the mark, a marker of the cycle that differs from
        // the one the file held, the separator, and an address that fits its reading.
        const std::string content(bytes);
        FUZZ_CHECK(content.size() % 2 == 0);
        FUZZ_CHECK(content.size() >= 6 && content.size() <= 2 * kHelperReadUnits);
        FUZZ_CHECK(content.compare(0, 2, "\xFF\xFE") == 0);
        const auto marker = MarkerOfContent(content);
        FUZZ_CHECK(marker &&
                   std::u16string_view(kMarkerCycle).find(*marker) != std::u16string_view::npos);
        FUZZ_CHECK(!file || MarkerOfContent(*file) != marker);
        file = content;
        ++written;
        return true;
    };
    ports.nowMs = [&] { return now += 700; };

    HostSession session;
    const FrameStatus status = RunHost(session, ports, read);
    FUZZ_CHECK(status != FrameStatus::Frame);
    FUZZ_CHECK(session.writes == written);
    FUZZ_CHECK(at <= inSize);

    // The same input read frame by frame under a small limit.
    at = 0;
    for (int frames = 0; frames < 1000; ++frames) {
        const Frame frame = ReadFrame(read, 64);
        if (frame.status != FrameStatus::Frame) {
            FUZZ_CHECK(frame.body.empty());
            break;
        }
        FUZZ_CHECK(frame.body.size() <= 64);
    }
    return 0;
}
