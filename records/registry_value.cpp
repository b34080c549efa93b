#include "records/registry_value.h"

#include <cstring>

std::optional<int32_t> ParseIntegerText(std::u16string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    bool negative = false;
    size_t i = 0;
    if (text[0] == u'+' || text[0] == u'-') {
        negative = text[0] == u'-';
        i = 1;
    }
    // The magnitude is kept at most one past the largest negative number, so that any
    // number of digits costs one pass and never overflows.
    constexpr int64_t kLimit = int64_t{INT32_MAX} + 1;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        if (magnitude < kLimit) {
            magnitude = magnitude * 10 + (c - u'0');
            if (magnitude > kLimit) {
                magnitude = kLimit;
            }
        }
    }
    if (negative) {
        return static_cast<int32_t>(-magnitude);
    }
    return static_cast<int32_t>(magnitude > INT32_MAX ? INT32_MAX : magnitude);
}

std::u16string TextFromRegistryData(const uint8_t* data, size_t size) {
    std::u16string text;
    if (data == nullptr) {
        return text;
    }
    // Byte-wise and little-endian, because registry data carries no alignment promise.
    const size_t units = size / 2;
    for (size_t i = 0; i < units; ++i) {
        const auto unit = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
        if (unit == u'\0') {
            break;
        }
        text.push_back(unit);
    }
    return text;
}

int32_t IntegerFromRegistryData(uint32_t type, const uint8_t* data, size_t size, int32_t fallback) {
    uint8_t b[4] = {0, 0, 0, 0};
    if (data != nullptr) {
        std::memcpy(b, data, size < 4 ? size : 4);
    }
    switch (type) {
        case kRegSz:
        case kRegExpandSz:
        case kRegMultiSz:
            return ParseIntegerText(TextFromRegistryData(data, size)).value_or(fallback);
        case kRegDword:
        case kRegBinary:
        case kRegQword:
            return static_cast<int32_t>(uint32_t{b[0]} | uint32_t{b[1]} << 8 |
                                        uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24);
        case kRegDwordBigEndian:
            return static_cast<int32_t>(uint32_t{b[3]} | uint32_t{b[2]} << 8 |
                                        uint32_t{b[1]} << 16 | uint32_t{b[0]} << 24);
        default:
            return fallback;
    }
}
