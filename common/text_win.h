#pragma once
// UTF-16 text at the Win32 boundary: wchar_t is 16-bit on Windows, so portable char16_t
// text is viewed as wchar_t without conversion.
#include <string>
#include <string_view>

static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline const wchar_t* AsWide(const char16_t* s) {
    return reinterpret_cast<const wchar_t*>(s);
}
inline wchar_t* AsWide(char16_t* s) {
    return reinterpret_cast<wchar_t*>(s);
}
inline const char16_t* AsU16(const wchar_t* s) {
    return reinterpret_cast<const char16_t*>(s);
}
inline char16_t* AsU16(wchar_t* s) {
    return reinterpret_cast<char16_t*>(s);
}
inline std::u16string_view AsU16(std::wstring_view s) {
    return {AsU16(s.data()), s.size()};
}
inline std::wstring_view AsWide(std::u16string_view s) {
    return {AsWide(s.data()), s.size()};
}
