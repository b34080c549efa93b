#pragma once
// Number formatting into UTF-16 text, in the few printf shapes the program shows.
#include <cstdint>
#include <string>

// Appends value in decimal, padded on the left with pad up to width characters
// ("%2u" is width 2 with spaces, "%02u" width 2 with zeros).
void AppendUnsigned(std::u16string& out, uint32_t value, int width = 0, char16_t pad = u' ');

// Appends a duration as "%2u:%02u:%02u": hours (not capped at 24), minutes, seconds.
void AppendHms(std::u16string& out, uint32_t seconds);
