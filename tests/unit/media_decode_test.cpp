// The plug-ins' scrambled pictures and clips, made by the tests with libpng and libvorbisenc.
#include <gtest/gtest.h>

#include <array>

#include "character/picture_decode.h"
#include "common/scramble.h"
#include "tests/support/failing_allocation.h"
#include "tests/support/pictures_reference.h"
#include "tests/unit/media_fixtures.h"
#include "voice/clip_decode.h"

namespace {

using Px = std::array<uint8_t, 4>;

media::Bytes Scrambled(media::Bytes bytes) {
    for (uint8_t& b : bytes) {
        b ^= ScrambleKey;
    }
    return bytes;
}

bool Decode(const media::Bytes& bytes, int w, int h, PixelImage& out) {
    return DecodeScrambledPicture(bytes.data(), bytes.size(), ScrambleKey, w, h, out);
}

uint32_t Get32(const std::vector<uint8_t>& v, size_t at) {
    return v[at] | v[at + 1] << 8 | v[at + 2] << 16 | uint32_t{v[at + 3]} << 24;
}

TEST(Pictures, PremultipliedTopRowLastAndComposedBesideTheBalloon) {
    EXPECT_EQ(PremultiplyPixel(200, 100, 51, 255), 0xFFC86433u);
    EXPECT_EQ(PremultiplyPixel(200, 100, 51, 0), 0u);
    EXPECT_EQ(PremultiplyPixel(200, 100, 51, 128), 0x80643219u);  // truncated
    for (bool interlaced : {false, true}) {
        PixelImage image;
        ASSERT_TRUE(Decode(Scrambled(media::MakeRgbaPng(
                               3, 4,
                               [](int x, int y) {
                                   return Px{uint8_t(x), uint8_t(y), 7, 255};
                               },
                               interlaced)),
                           3, 4, image));
        EXPECT_EQ(image.At(0, 3), 0xFF000007u);  // the picture's top-left
        EXPECT_EQ(image.At(2, 0), 0xFF020307u);
    }
    PixelImage b, p, composed;
    ASSERT_TRUE(Decode(Scrambled(media::MakeRgbaPng(BalloonWidth, 2,
                                                    [](int, int) {
                                                        return Px{255, 255, 255, 255};
                                                    })),
                       BalloonWidth, 2, b));
    ASSERT_TRUE(Decode(
        Scrambled(media::MakeRgbaPng(kPoseWidth, 2,
                                     [](int x, int) {
                                         return Px{uint8_t(x), 0, 0, uint8_t(x == 0 ? 0 : 255)};
                                     })),
        kPoseWidth, 2, p));
    ASSERT_TRUE(ComposeWithBalloon(b, p, composed));
    EXPECT_EQ(composed.At(244, 1), 0xFFFFFFFFu);
    EXPECT_EQ(composed.At(245, 1), 0u);
    EXPECT_EQ(composed.At(419, 0), 0xFFAE0000u);
}

TEST(Pictures, AnythingButTheExpectedRgbaPictureIsRefused) {
    const auto good = media::MakeRgbaPng(4, 4, [](int, int) { return Px{1, 2, 3, 4}; });
    PixelImage image;
    ASSERT_TRUE(Decode(Scrambled(good), 4, 4, image));
    EXPECT_FALSE(Decode(good, 4, 4, image)) << "not scrambled";
    EXPECT_FALSE(Decode(Scrambled(good), 4, 5, image));
    EXPECT_FALSE(Decode(Scrambled(good), 3, 4, image));
    const std::vector<media::Bytes> rgb(4, media::Bytes(12, 9)), deep(4, media::Bytes(32, 9));
    EXPECT_FALSE(Decode(Scrambled(media::MakePng(4, 4, rgb, PNG_COLOR_TYPE_RGB)), 4, 4, image));
    EXPECT_FALSE(
        Decode(Scrambled(media::MakePng(4, 4, deep, PNG_COLOR_TYPE_RGBA, 16)), 4, 4, image));
    const media::Bytes scrambled = Scrambled(good);
    const media::Bytes half(scrambled.begin(), scrambled.begin() + 40);
    EXPECT_FALSE(Decode(half, 4, 4, image));
    EXPECT_TRUE(image.pixels.empty());
}

TEST(Clips, AScrambledClipBecomesAWaveImageOfItsLength) {
    for (auto [channels, rate] : {std::pair{1, 22050L}, std::pair{2, 44100L}}) {
        const auto ogg = Scrambled(media::MakeOgg(channels, rate, 0.5));
        VoiceBuffers buffers;
        std::vector<uint8_t> wave;
        ASSERT_TRUE(DecodeClipToWave(ogg.data(), ogg.size(), ScrambleKey, buffers, wave));
        const uint32_t bytes = static_cast<uint32_t>(rate / 2) * 2 * channels;
        EXPECT_EQ(wave.size(), 44 + bytes);
        EXPECT_EQ(Get32(wave, 4), 36 + bytes);
        EXPECT_EQ(Get32(wave, 24), static_cast<uint32_t>(rate));
        EXPECT_EQ(Get32(wave, 28), static_cast<uint32_t>(rate * 2 * channels));
        EXPECT_EQ(Get32(wave, 32), 16u << 16 | 2u * channels);  // block align, bits
        EXPECT_EQ(Get32(wave, 40), bytes);
        EXPECT_FALSE(DecodeClipToWave(ogg.data(), ogg.size(), ScrambleKey ^ 1, buffers, wave));
    }
}

TEST(Clips, BuffersThatCannotBeHadMakeASilentClipAndALongClipIsCut) {
    const auto ogg = Scrambled(media::MakeOgg(2, 44100, 120.0));  // about 116 s fit
    VoiceBuffers buffers;
    std::vector<uint8_t> wave{1, 2, 3};
    {
        FailingAllocations noBigBlocks(VoiceBufferSize);
        EXPECT_FALSE(DecodeClipToWave(ogg.data(), ogg.size(), ScrambleKey, buffers, wave));
    }
    EXPECT_TRUE(wave.empty());
    ASSERT_TRUE(DecodeClipToWave(ogg.data(), ogg.size(), ScrambleKey, buffers, wave));
    EXPECT_LT(Get32(wave, 40), VoiceBufferSize);
    EXPECT_GT(Get32(wave, 40), VoiceBufferSize - 4096);
}

TEST(Clips, TheSourceCallbacksReadWholeElementsAndSeekInRange) {
    const uint8_t data[5] = {1 ^ 0x5A, 2 ^ 0x5A, 3 ^ 0x5A, 4 ^ 0x5A, 5 ^ 0x5A};
    VoiceSource s{data, 5, 0, 0x5A};
    uint8_t out[8] = {};
    EXPECT_EQ(ReadVoiceBytes(out, 2, 10, &s), 2u);  // 4 of 5 bytes: whole elements only
    EXPECT_EQ(out[3], 4);
    EXPECT_EQ(ReadVoiceBytes(out, 1, 10, &s), 1u);
    EXPECT_EQ(out[0], 5);
    EXPECT_EQ(ReadVoiceBytes(out, 1, 10, &s), 0u);
    EXPECT_EQ(SeekVoice(&s, -6, 1), -1);
    EXPECT_EQ(SeekVoice(&s, 25, 0), 0);  // past the end is allowed
    EXPECT_EQ(ReadVoiceBytes(out, 1, 4, &s), 0u);
    EXPECT_EQ(SeekVoice(&s, 0x100000002LL, 0), 0);  // the low 32 bits count
    EXPECT_EQ(TellVoice(&s), 2);
    EXPECT_EQ(SeekVoice(&s, -1, 2), 0);
    EXPECT_EQ(TellVoice(&s), 4);
    EXPECT_EQ(SeekVoice(&s, 0, 3), -1);
}

}  // namespace
