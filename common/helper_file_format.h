#pragma once
// The address file that the Firefox helper writes into a profile folder and the program
// reads: the one description both sides build on. UTF-16 little-endian: an optional
// byte-order mark, a change marker, one separator character, then the address up to the
// end of the file or a NUL. A reader counts a file only when its marker differs from the
// marker it read last, so every rewrite carries a marker other than the previous one.
#include <cstddef>

inline constexpr char16_t kHelperFileName[] = u"ymthelp_urltext.txt";
inline constexpr char16_t kByteOrderMark = u'\xFEFF';
inline constexpr char16_t kHelperSeparator = u' ';

// The reader takes at most this many UTF-16 units of a file, mark included, and judges a
// longer file by its head.
inline constexpr std::size_t kHelperReadUnits = 2099;
inline constexpr std::size_t kHelperReadBytes = kHelperReadUnits * 2;
