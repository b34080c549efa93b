// The character's pictures as a damaged or foreign plug-in could hold them. The input is
// the picture as a plain PNG file; it is scrambled with the program's key here, so that the
// fuzzer mutates PNG structure rather than XORed bytes (the XOR is a bijection: every key
// reaches the same decoder paths, and the unit tests cover the key itself).
//
// Layout: one byte of flags, then the PNG. The size asked for is the one the PNG's header
// states when it is small enough, so that mutated pictures still get decoded, unless a
// flag asks for one pixel more (the picture is then refused).
#include <algorithm>
#include <memory>
#include <vector>

#include "character/picture_decode.h"
#include "common/scramble.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/pictures_reference.h"

namespace {

constexpr uint32_t kMaxSide = 512;
constexpr uint32_t kMaxArea = 1u << 18;

uint32_t BigEndian32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

bool IsPremultiplied(uint32_t pixel) {
    const uint32_t a = pixel >> 24;
    return (pixel >> 16 & 0xFF) <= a && (pixel >> 8 & 0xFF) <= a && (pixel & 0xFF) <= a;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const uint8_t flags = data[0];
    const size_t length = size - 1;
    const auto scrambled = fuzz::ExactCopy(data + 1, length, ScrambleKey);

    uint32_t width = 4, height = 4;
    if (length >= 24) {
        const uint32_t w = BigEndian32(data + 1 + 16), h = BigEndian32(data + 1 + 20);
        if (w >= 1 && h >= 1 && w <= kMaxSide && h <= kMaxSide && w * h <= kMaxArea) {
            width = w;
            height = h;
        }
    }
    width += flags & 1;
    height += flags >> 1 & 1;
    const int w = static_cast<int>(width), h = static_cast<int>(height);

    PixelImage image;
    image.width = 99;  // left over from an earlier call
    const bool decoded = DecodeScrambledPicture(scrambled.get(), length, ScrambleKey, w, h, image);
    if (decoded) {
        FUZZ_CHECK(image.width == w && image.height == h);
        FUZZ_CHECK(image.pixels.size() == static_cast<size_t>(w) * h);
        FUZZ_CHECK(std::all_of(image.pixels.begin(), image.pixels.end(), IsPremultiplied));
    } else {
        FUZZ_CHECK(image.width == 0 && image.height == 0 && image.pixels.empty());
    }

    // Into caller memory with a wider stride: what lies between the rows stays untouched,
    // and nothing is written past the last row's pixels.
    const size_t stride = width + 3;
    const size_t cells = (height - 1) * stride + width;
    const auto target = std::make_unique<uint32_t[]>(cells);
    std::fill_n(target.get(), cells, 0xDEADBEEFu);
    const bool into = DecodeScrambledPictureInto(scrambled.get(), length, ScrambleKey, w, h,
                                                 target.get(), stride);
    FUZZ_CHECK(into == decoded);
    for (uint32_t row = 0; row + 1 < height; ++row) {
        for (size_t gap = width; gap < stride; ++gap) {
            FUZZ_CHECK(target[row * stride + gap] == 0xDEADBEEFu);
        }
    }
    if (decoded) {
        for (int row = 0; row < h; ++row) {
            FUZZ_CHECK(std::equal(image.pixels.begin() + static_cast<ptrdiff_t>(row) * w,
                                  image.pixels.begin() + static_cast<ptrdiff_t>(row + 1) * w,
                                  target.get() + row * stride));
        }
    }

    return 0;
}
