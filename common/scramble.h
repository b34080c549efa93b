#pragma once
// Every byte of the character's pictures and voice clips is stored XORed with this key:
// the program unscrambles while reading, and the plug-in build scrambles with the same key
// (tools/scramble includes this header).
#include <cstdint>

inline constexpr uint8_t ScrambleKey = 0x5A;
