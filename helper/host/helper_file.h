#pragma once
// Writing the address file the program reads in a Firefox profile folder: always with the
// byte-order mark, and nothing after the address.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "common/helper_file_format.h"

// An address is cut to what the program reads after the mark, the marker and the separator.
inline constexpr std::size_t kMaxAddressUnits = kHelperReadUnits - 3;

// The markers written in turn. None of them is U+FEFF (a mark), U+0000 (what an empty
// file reads as) or U+FFFF (what the program holds before its first read).
inline constexpr char16_t kMarkerCycle[] = u"0123456789";

// The marker that follows last in the cycle; the first of the cycle when there was none
// or it is not one of ours.
char16_t NextMarker(std::optional<char16_t> last);

// The marker of a file's content as the program would take it (after an optional mark);
// nullopt for content too short to hold one.
std::optional<char16_t> MarkerOfContent(std::string_view bytes);

// The address cut to kMaxAddressUnits, one unit shorter when the cut would split a
// surrogate pair.
std::u16string_view ClipAddress(std::u16string_view address);

// The whole file: mark, marker, separator, the clipped address, as UTF-16LE bytes.
std::string BuildHelperFileContent(char16_t marker, std::u16string_view address);
