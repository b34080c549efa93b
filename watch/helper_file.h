#pragma once
// The address files that a helper inside Firefox writes into each profile folder. Firefox
// shows its address in no control the window readers could read, so the helper writes it
// to "ymthelp_urltext.txt" and rewrites the file while the page is shown. A file counts only
// when its first character, the change marker, differs from the marker read last, so a file
// nobody rewrites any more (Firefox closed) stops counting after one read.
//
// The separator is skipped unread, and nothing is stripped from the end: a line end after
// the address is part of it.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/helper_file_format.h"
#include "watch/address_match.h"

// LastHelperMarker before any file has been read: no writer uses it.
inline constexpr char16_t kNoHelperMarker = u'\xFFFF';
// Expanded from the environment; ends with the separator.
inline constexpr std::u16string_view kFirefoxProfileRoot =
    u"%APPDATA%\\Mozilla\\Firefox\\Profiles\\";

// What the helper-file reader keeps for the whole run.
struct HelperFileState {
    // The file of the last hit; empty at start and after a miss of its re-read.
    std::u16string RememberedHelperPath;
    // The marker of the last file opened and read: one value for all files and profiles.
    char16_t LastHelperMarker = kNoHelperMarker;
};

// Judges the head of one helper file: bytes as read from its start (only the first
// kHelperReadBytes count; an odd last byte is a unit whose high byte is 0). A marker equal
// to lastMarker is a miss; any other is stored in lastMarker before the address is looked
// at, and the result is MatchWatchedAddress over the address. An empty file has the
// marker U+0000.
bool MatchHelperFileBytes(std::span<const uint8_t> bytes, char16_t& lastMarker,
                          CurrentArticle& article);

// Receives the names of the folders in the profile root; false stops the listing.
class FolderVisitor {
  public:
    virtual bool Visit(std::u16string_view name) = 0;

  protected:
    ~FolderVisitor() = default;
};

// The file system as far as the reader uses it. It only ever reads.
class HelperFileSystem {
  public:
    virtual ~HelperFileSystem() = default;
    // kFirefoxProfileRoot with the environment expanded; empty when it cannot be.
    virtual const std::u16string& ProfileRoot() = 0;
    // Visits every entry of root (which ends with a separator) that is a folder, but "."
    // and ".."; false when the listing cannot start.
    virtual bool ListFolders(const std::u16string& root, FolderVisitor& visitor) = 0;
    // Reads up to bytes.size() bytes from the start of the file at path, which others may
    // read and write meanwhile. Returns the count read, or -1 when the file cannot be opened.
    virtual std::ptrdiff_t ReadHead(const std::u16string& path, std::span<uint8_t> bytes) = 0;
};

// Reads one helper file: path, or the remembered one when path is null (a miss at once
// when there is none). A hit through a given path remembers it; any miss of the remembered
// file's re-read forgets it.
bool ReadHelperFile(HelperFileSystem& files, HelperFileState& state, const std::u16string* path,
                    CurrentArticle& article);

// Reads the helper file of every profile folder, also after a hit, so the last file that
// hits is the one remembered and the one whose article stays. A hit when any file hit.
bool ScanFirefoxProfiles(HelperFileSystem& files, HelperFileState& state, CurrentArticle& article);
