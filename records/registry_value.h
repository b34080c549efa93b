#pragma once
// How the program turns stored registry data into numbers and texts. The registry calls
// live in registry_win; the decisions about the bytes they return live here, so that every
// shape of data (any type, any size, any text) can be tested without a registry.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The registry's value types, as the Windows headers number them.
inline constexpr uint32_t kRegNone = 0;
inline constexpr uint32_t kRegSz = 1;
inline constexpr uint32_t kRegExpandSz = 2;
inline constexpr uint32_t kRegBinary = 3;
inline constexpr uint32_t kRegDword = 4;
inline constexpr uint32_t kRegDwordBigEndian = 5;
inline constexpr uint32_t kRegLink = 6;
inline constexpr uint32_t kRegMultiSz = 7;
inline constexpr uint32_t kRegQword = 11;

// The number an integer text spells: an optional '+' or '-' followed by decimal digits and
// nothing else (no blanks). A sign alone gives 0; an empty text or any other text gives
// nothing. Numbers outside the signed 32-bit range are clamped to it.
std::optional<int32_t> ParseIntegerText(std::u16string_view text);

// Registry text data as text: size / 2 UTF-16 units (an odd last byte is dropped), up to
// the first NUL. The data need not be aligned or terminated.
std::u16string TextFromRegistryData(const uint8_t* data, size_t size);

// The integer a value holds, by its type:
// - REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ: the text (up to its first NUL, not expanded) when
//   it is an integer text, else fallback;
// - REG_DWORD, REG_BINARY, REG_QWORD: the first four bytes, little-endian;
// - REG_DWORD_BIG_ENDIAN: the four bytes, most significant first;
// - every other type: fallback.
// Binary data shorter than four bytes counts its missing bytes as zero, as a zeroed
// four-byte buffer that the read filled only in part would hold them.
int32_t IntegerFromRegistryData(uint32_t type, const uint8_t* data, size_t size, int32_t fallback);
