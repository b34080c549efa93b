#pragma once
// ASCII case folding, as the system compares the ASCII names it deals in (class names,
// schemes, file names of the program): letters A-Z fold to a-z, nothing else changes.
#include <cstddef>
#include <string_view>

inline char16_t AsciiLower(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

inline bool EqualsAsciiNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) {
            return false;
        }
    }
    return true;
}
