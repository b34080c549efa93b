#include "character/picture_decode.h"
#include "tests/support/pictures_reference.h"

#include <gtest/gtest.h>

#include <array>

#include "common/scramble.h"
#include "tests/unit/media_fixtures.h"

namespace {

using Px = std::array<uint8_t, 4>;

media::Bytes Scrambled(media::Bytes bytes) {
    media::Scramble(bytes, ScrambleKey);
    return bytes;
}

bool Decode(const media::Bytes& bytes, int w, int h, PixelImage& out) {
    return DecodeScrambledPicture(bytes.data(), bytes.size(), ScrambleKey, w, h, out);
}

TEST(Pictures, PremultiplyKeepsOpaqueClearsTransparentAndTruncates) {
    EXPECT_EQ(PremultiplyPixel(200, 100, 51, 255), 0xFFC86433u);
    EXPECT_EQ(PremultiplyPixel(200, 100, 51, 0), 0u);
    EXPECT_EQ(PremultiplyPixel(200, 100, 51, 128), 0x80643219u);  // 100, 50, 25
    EXPECT_EQ(PremultiplyPixel(255, 255, 255, 1), 0x01010101u);
    EXPECT_EQ(PremultiplyPixel(254, 1, 0, 254), 0xFEFD0000u);
}

TEST(Pictures, TheTopRowOfThePngIsTheLastRowInMemory) {
    for (bool interlaced : {false, true}) {
        auto png = Scrambled(media::MakeRgbaPng(
            3, 4,
            [](int x, int y) {
                return Px{static_cast<uint8_t>(x), static_cast<uint8_t>(y), 7, 255};
            },
            interlaced));
        PixelImage image;
        ASSERT_TRUE(Decode(png, 3, 4, image));
        EXPECT_EQ(image.At(0, 3), 0xFF000007u);  // top-left of the picture
        EXPECT_EQ(image.At(2, 0), 0xFF020307u);  // bottom-right
    }
}

TEST(Pictures, ComposedPictureHasTheBalloonLeftAndThePoseRight) {
    auto balloon = Scrambled(media::MakeRgbaPng(BalloonWidth, 2, [](int, int) {
        return Px{255, 255, 255, 255};
    }));
    auto pose = Scrambled(media::MakeRgbaPng(kPoseWidth, 2, [](int x, int) {
        return Px{static_cast<uint8_t>(x), 0, 0, x == 0 ? uint8_t{0} : uint8_t{255}};
    }));
    PixelImage b, p, composed;
    ASSERT_TRUE(Decode(balloon, BalloonWidth, 2, b));
    ASSERT_TRUE(Decode(pose, kPoseWidth, 2, p));
    ASSERT_TRUE(ComposeWithBalloon(b, p, composed));
    EXPECT_EQ(composed.width, 420);
    EXPECT_EQ(composed.At(244, 1), 0xFFFFFFFFu);
    EXPECT_EQ(composed.At(245, 1), 0u);  // pose column 0, transparent
    EXPECT_EQ(composed.At(419, 0), 0xFFAE0000u);
    PixelImage tall;
    ASSERT_TRUE(Decode(Scrambled(media::MakeRgbaPng(kPoseWidth, 3,
                                                    [](int, int) {
                                                        return Px{0, 0, 0, 255};
                                                    })),
                       kPoseWidth, 3, tall));
    EXPECT_FALSE(ComposeWithBalloon(b, tall, composed));
}

TEST(Pictures, AnythingButTheExpectedRgbaPictureIsRefused) {
    auto good = media::MakeRgbaPng(4, 4, [](int, int) { return Px{1, 2, 3, 4}; });
    PixelImage image;
    ASSERT_TRUE(Decode(Scrambled(good), 4, 4, image));
    EXPECT_FALSE(Decode(good, 4, 4, image)) << "not scrambled";
    EXPECT_FALSE(Decode(Scrambled(good), 4, 5, image)) << "wrong size";
    EXPECT_FALSE(Decode(Scrambled(good), 3, 4, image)) << "wider than expected";
    std::vector<media::Bytes> rgbRows(4, media::Bytes(12, 9));
    EXPECT_FALSE(Decode(Scrambled(media::MakePng(4, 4, rgbRows, PNG_COLOR_TYPE_RGB)), 4, 4, image));
    std::vector<media::Bytes> deepRows(4, media::Bytes(32, 9));
    EXPECT_FALSE(
        Decode(Scrambled(media::MakePng(4, 4, deepRows, PNG_COLOR_TYPE_RGBA, 16)), 4, 4, image));
    EXPECT_TRUE(image.pixels.empty());
    EXPECT_FALSE(DecodeScrambledPicture(nullptr, 10, ScrambleKey, 4, 4, image));
}

TEST(Pictures, TruncatedOrDamagedDataFailsWithoutReadingPastTheEnd) {
    const auto good = Scrambled(media::MakeRgbaPng(kPoseWidth, kPictureHeight, [](int x, int y) {
        return Px{uint8_t(x), uint8_t(y), uint8_t(x ^ y), 200};
    }));
    PixelImage image;
    for (size_t cut : {size_t{0}, size_t{1}, size_t{8}, size_t{33}, good.size() / 2,
                       good.size() - 12, good.size() - 1}) {
        // A copy of exactly the cut length, so the sanitizer sees any read beyond it.
        media::Bytes truncated(good.begin(), good.begin() + static_cast<long>(cut));
        EXPECT_FALSE(Decode(truncated, kPoseWidth, kPictureHeight, image)) << cut;
    }
    std::srand(7);
    for (int trial = 0; trial < 50; ++trial) {
        media::Bytes damaged = good;
        for (int k = 0; k < 4; ++k)
            damaged[std::rand() % damaged.size()] ^= 0xFF;
        Decode(damaged, kPoseWidth, kPictureHeight, image);  // either outcome; no crash
        media::Bytes noise(1000 + std::rand() % 5000);
        for (auto& b : noise)
            b = static_cast<uint8_t>(std::rand());
        EXPECT_FALSE(Decode(noise, kPoseWidth, kPictureHeight, image));
    }
}

}  // namespace
