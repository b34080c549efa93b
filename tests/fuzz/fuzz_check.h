#pragma once
// What the fuzz targets share: a property check that libFuzzer reports as a crash, and the
// widening of raw input into the UTF-16 text the program's readers deliver.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

// A broken promise is a finding like a sanitizer report: say which, and stop.
#define FUZZ_CHECK(condition)                                                                  \
    do {                                                                                       \
        if (!(condition)) {                                                                    \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                      \
        }                                                                                      \
    } while (0)

namespace fuzz {

// The input XORed with key in an allocation of exactly its size: a read past its end lands
// outside it, where AddressSanitizer sees it.
inline std::unique_ptr<uint8_t[]> ExactCopy(const uint8_t* data, size_t size, uint8_t key = 0) {
    auto copy = std::make_unique<uint8_t[]>(size);
    for (size_t i = 0; i < size; ++i) {
        copy[i] = data[i] ^ key;
    }
    return copy;
}

// Text from bytes. An odd first byte takes every following byte as one unit up to U+00FF,
// so that mutations of ASCII seeds stay ASCII; an even one reads the rest as UTF-16LE, to
// reach every unit. No terminator is added.
inline std::u16string UnitsFromBytes(const uint8_t* data, size_t size) {
    std::u16string text;
    if (size == 0) {
        return text;
    }
    if (data[0] & 1) {
        text.assign(data + 1, data + size);
    } else {
        for (size_t i = 1; i + 1 < size; i += 2) {
            text.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
        }
    }
    return text;
}

}  // namespace fuzz
