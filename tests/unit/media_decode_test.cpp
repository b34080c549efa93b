// The plug-ins' scrambled pictures (made here with libpng) and clips.
#include <gtest/gtest.h>
#include <png.h>

#include <array>

#include "character/picture_decode.h"
#include "common/scramble.h"
#include "seed_clip.h"  // made by CMake from the fuzzer's seed
#include "tests/support/failing_allocation.h"
#include "tests/support/pictures_reference.h"
#include "tests/support/test_bytes.h"
#include "voice/clip_decode.h"

namespace {

using test::Get32;
using Bytes = std::vector<uint8_t>;

Bytes Scrambled(Bytes bytes) {
    for (uint8_t& b : bytes) {
        b ^= ScrambleKey;
    }
    return bytes;
}

// A scrambled PNG whose pixel (x, y from the top) is f(x, y) as {r, g, b, a} (channels and
// depth as libpng names them; the rows are f's bytes repeated when there are more).
template <class F>
Bytes Png(int width, int height, F f, bool interlaced = false, int type = PNG_COLOR_TYPE_RGBA,
          int depth = 8) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(
        png, &out,
        [](png_structp p, png_bytep data, size_t n) {
            auto* o = static_cast<Bytes*>(png_get_io_ptr(p));
            o->insert(o->end(), data, data + n);
        },
        nullptr);
    png_set_IHDR(png, info, width, height, depth, type,
                 interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<Bytes> rows(height, Bytes(width * 8));
    std::vector<png_bytep> pointers;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width * 8; ++x) {
            rows[y][x] = f(x / 4, y)[x % 4];
        }
        pointers.push_back(rows[y].data());
    }
    png_set_rows(png, info, pointers.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return Scrambled(out);
}

using Px = std::array<uint8_t, 4>;

bool Decode(const Bytes& bytes, int w, int h, PixelImage& out) {
    return DecodeScrambledPicture(bytes.data(), bytes.size(), ScrambleKey, w, h, out);
}

// Colours premultiplied by alpha and truncated; row 0 is the picture's bottom row.
TEST(Pictures, PremultipliedWithTheTopRowLast) {
    const auto f = [](int x, int y) {
        return Px{uint8_t(100 * x), uint8_t(y), 7, uint8_t(x == 2 ? 128 : 255)};
    };
    for (bool interlaced : {false, true}) {
        PixelImage image;
        ASSERT_TRUE(Decode(Png(3, 4, f, interlaced), 3, 4, image));
        EXPECT_EQ(image.At(0, 3), 0xFF000007u);  // the picture's top-left
        EXPECT_EQ(image.At(2, 0), 0x80640103u);
    }
}

TEST(Pictures, AnythingButTheExpectedRgbaPictureIsRefused) {
    const auto f = [](int, int) { return Px{1, 2, 3, 4}; };
    const Bytes good = Png(4, 4, f);
    PixelImage image;
    ASSERT_TRUE(Decode(good, 4, 4, image));
    EXPECT_FALSE(Decode(Scrambled(good), 4, 4, image)) << "not scrambled";
    EXPECT_FALSE(Decode(good, 4, 5, image));
    EXPECT_FALSE(Decode(Png(4, 4, f, false, PNG_COLOR_TYPE_RGB), 4, 4, image));
    EXPECT_FALSE(Decode(Png(4, 4, f, false, PNG_COLOR_TYPE_RGBA, 16), 4, 4, image));
    EXPECT_FALSE(Decode(Bytes(good.begin(), good.begin() + 40), 4, 4, image));
    EXPECT_TRUE(image.pixels.empty());
}

// The fuzzer's stereo seed clip (11025 Hz), scrambled as a plug-in holds it.
TEST(Clips, AScrambledClipBecomesAWaveImageAndBuffersThatCannotBeHadASilentOne) {
    const Bytes ogg = Scrambled(Bytes(std::begin(kSeedClip), std::end(kSeedClip)));
    VoiceBuffers buffers;
    std::vector<uint8_t> wave{1, 2, 3};
    {
        FailingAllocations noBigBlocks(VoiceBufferSize);
        EXPECT_FALSE(DecodeClipToWave(ogg.data(), ogg.size(), ScrambleKey, buffers, wave));
    }
    EXPECT_TRUE(wave.empty());
    ASSERT_TRUE(DecodeClipToWave(ogg.data(), ogg.size(), ScrambleKey, buffers, wave));
    EXPECT_EQ(Get32(wave, 24), 11025u);
    EXPECT_EQ(Get32(wave, 28), 11025u * 2 * 2);
    EXPECT_EQ(Get32(wave, 40), wave.size() - 44);
    EXPECT_EQ(wave.size(), 4456u);  // 0.1 s
    EXPECT_FALSE(DecodeClipToWave(ogg.data(), ogg.size(), ScrambleKey ^ 1, buffers, wave));
}

TEST(Clips, TheSourceCallbacksReadWholeElementsAndSeekInRange) {
    const uint8_t data[5] = {1 ^ 0x5A, 2 ^ 0x5A, 3 ^ 0x5A, 4 ^ 0x5A, 5 ^ 0x5A};
    VoiceSource s{data, 5, 0, 0x5A};
    uint8_t out[8] = {};
    EXPECT_EQ(ReadVoiceBytes(out, 2, 10, &s), 2u);  // 4 of 5 bytes: whole elements only
    EXPECT_EQ(out[3], 4);
    EXPECT_EQ(SeekVoice(&s, -6, 1), -1);
    EXPECT_EQ(SeekVoice(&s, 25, 0), 0);  // past the end is allowed
    EXPECT_EQ(ReadVoiceBytes(out, 1, 4, &s), 0u);
    EXPECT_EQ(SeekVoice(&s, 0x100000002LL, 0), 0);  // the low 32 bits count
    EXPECT_EQ(TellVoice(&s), 2);
    EXPECT_EQ(SeekVoice(&s, -1, 2), 0);
    EXPECT_EQ(TellVoice(&s), 4);
}

}  // namespace
