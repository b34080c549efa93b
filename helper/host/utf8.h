#pragma once
// UTF-8 <-> UTF-16 for the native host: Firefox speaks UTF-8 JSON, the address file and
// Win32 speak UTF-16.
#include <optional>
#include <string>
#include <string_view>

// Strict decoding: overlong forms, encoded surrogates, code points above U+10FFFF and
// truncated sequences make the whole text invalid.
std::optional<std::u16string> Utf8ToUtf16(std::string_view utf8);

// Lone surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// Appends one code point (at most U+10FFFF, not a surrogate) as UTF-16.
void AppendCodePoint(std::u16string& out, char32_t codePoint);
