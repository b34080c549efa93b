#include "watch/helper_file.h"

#include <algorithm>
#include <array>

namespace {

// The file's head as units, always NUL-terminated: room for kHelperReadBytes and one more
// unit that stays 0.
constexpr std::size_t kHelperUnits = kHelperReadBytes / 2 + 1;

}  // namespace

bool MatchHelperFileBytes(std::span<const uint8_t> bytes, char16_t& lastMarker,
                          CurrentArticle& article) {
    if (bytes.size() > kHelperReadBytes) {
        bytes = bytes.first(kHelperReadBytes);
    }
    std::array<char16_t, kHelperUnits> units{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        // Little-endian whatever the host is.
        units[i / 2] |= static_cast<char16_t>(bytes[i] << (i % 2 == 0 ? 0 : 8));
    }
    const std::size_t markerAt = units[0] == kByteOrderMark ? 1 : 0;
    const char16_t marker = units[markerAt];
    if (marker == lastMarker) {
        return false;
    }
    // Stored whatever the address turns out to be: the writer has moved on either way.
    lastMarker = marker;
    // The separator after the marker is skipped unread; a short file leaves only the
    // buffer's zeros, an empty address.
    return MatchWatchedAddress(units.data() + markerAt + 2, article);
}

bool ReadHelperFile(HelperFileSystem& files, HelperFileState& state, const std::u16string* path,
                    CurrentArticle& article) {
    const bool remembered = path == nullptr;
    if (remembered) {
        if (state.RememberedHelperPath.empty()) {
            return false;
        }
        path = &state.RememberedHelperPath;
    }
    std::array<uint8_t, kHelperReadBytes> bytes;
    const std::ptrdiff_t count = files.ReadHead(*path, bytes);
    const bool hit =
        count >= 0 && MatchHelperFileBytes(std::span<const uint8_t>(bytes).first(std::min(
                                               static_cast<std::size_t>(count), bytes.size())),
                                           state.LastHelperMarker, article);
    if (!hit) {
        if (remembered) {
            state.RememberedHelperPath.clear();
        }
        return false;
    }
    if (!remembered) {
        state.RememberedHelperPath = *path;
    }
    return true;
}

bool ScanFirefoxProfiles(HelperFileSystem& files, HelperFileState& state, CurrentArticle& article) {
    const std::u16string& root = files.ProfileRoot();
    if (root.empty()) {
        return false;
    }
    struct Reader final : FolderVisitor {
        HelperFileSystem& files;
        HelperFileState& state;
        CurrentArticle& article;
        const std::u16string& root;
        std::u16string path;
        bool hit = false;

        Reader(HelperFileSystem& f, HelperFileState& s, CurrentArticle& a, const std::u16string& r)
            : files(f), state(s), article(a), root(r) {}
        bool Visit(std::u16string_view name) override {
            path.assign(root).append(name).append(u"\\").append(kHelperFileName);
            hit = ReadHelperFile(files, state, &path, article) || hit;
            return true;
        }
    } reader(files, state, article, root);
    files.ListFolders(root, reader);
    return reader.hit;
}
