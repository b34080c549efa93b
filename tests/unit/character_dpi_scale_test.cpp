// The character at every display scale: the layout's arithmetic, the stored position's two
// coordinate spaces, and the scaling of the pictures.
#include "character/dpi_scale.h"
#include "character/picture_scale.h"
#include "character/quick_choice.h"
#include "tests/support/pictures_reference.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <vector>

namespace {

// Halves round away from zero: 437.5 -> 438, 313.5 -> 314.
TEST(DpiLayout, PlacesAndSizesScaleByTheirEdgesAndTheListRowsNeverOverlap) {
    const CharacterLayout at144 = LayoutForDpi(144);
    EXPECT_EQ(at144.width, 630);
    EXPECT_EQ(at144.height, 525);
    EXPECT_EQ(at144.balloonWidth, 368);
    EXPECT_EQ(at144.text, (PixelRect{42, 90, 314, 356}));
    EXPECT_EQ(at144.clearStrip, (PixelRect{266, 90, 314, 356}));
    EXPECT_EQ(at144.fontHeight, 18);
    EXPECT_EQ(LayoutForDpi(0), LayoutForDpi(96));  // no DPI told: the 96-DPI layout
    for (int dpi = 72; dpi <= 288; ++dpi) {
        const CharacterLayout l = LayoutForDpi(dpi);
        EXPECT_LE(std::abs(l.width - l.balloonWidth - 175 * dpi / 96), 1) << dpi;
        EXPECT_EQ(l.balloonWidth, ScaleToDpi(245, dpi)) << dpi;
        EXPECT_EQ(l.clearStrip.right, l.text.right);
        EXPECT_LT(l.text.right, l.balloonWidth);
        EXPECT_GT(l.dragHandleLeft, l.balloonWidth);
    }
    for (int dpi : {96, 120, 144, 168, 192}) {  // the list's rows never overlap at the font
        const QuickChoiceList list = MakeQuickChoiceList(dpi);
        for (size_t i = 0; i + 1 < kQuickChoiceCount; ++i) {
            for (size_t j = i + 1; j < kQuickChoiceCount; ++j) {
                if (list[j].left == list[i].left && list[j].top > list[i].top) {
                    EXPECT_GE(list[j].top - list[i].top, LayoutForDpi(dpi).fontHeight) << dpi;
                    break;
                }
            }
        }
    }
}

// One monitor of 1280 x 1024 at 150 %: a program without DPI awareness sees 853 x 683.
const MonitorSpaces kSingle144[] = {{{0, 0, 1280, 1024}, {0, 0, 853, 683}, 144}};
// A 96-DPI primary and a 200 % monitor on its right.
const MonitorSpaces kPair[] = {
    {{0, 0, 1920, 1080}, {0, 0, 1920, 1080}, 96},
    {{1920, 0, 4480, 1440}, {1920, 0, 3200, 720}, 192},
};

TEST(StoredPosition, AStoredPositionIsCarriedIntoPhysicalPixelsByItsMonitor) {
    const PixelRect work{0, 0, 1280, 1024};
    StartPlacement p = PlaceAtStart(PixelPoint{100, 200}, kSingle144, work, 144);
    EXPECT_EQ(p.topLeft, (PixelPoint{150, 300}));
    EXPECT_FALSE(p.defaultStored);
    // The top-right pixel lies beyond the 853 unaware columns: the default corner.
    p = PlaceAtStart(PixelPoint{600, 0}, kSingle144, work, 144);
    EXPECT_EQ(p.topLeft, (PixelPoint{1280 - 630, 1024 - 525}));
    ASSERT_TRUE(p.defaultStored);
    EXPECT_EQ(*p.defaultStored, (PixelPoint{433, 333}));
    p = PlaceAtStart(PixelPoint{2000, 300}, kPair, {0, 0, 1920, 1040}, 96);
    EXPECT_EQ(p.topLeft, (PixelPoint{1920 + 160, 600}));
    EXPECT_EQ(p.dpi, 192);
    EXPECT_EQ(UnawareTopLeft({2080, 600, 2920, 1300}, kPair, 96), (PixelPoint{2000, 300}));
    EXPECT_EQ(PlaceAtStart(PixelPoint{1700, 100}, kPair, {}, 96).dpi, 192);  // top-right decides
    EXPECT_EQ(PlaceAtStart(PixelPoint{1400, 100}, kPair, {}, 96).dpi, 96);
    for (int dpi : {120, 144, 192}) {  // there and back never moves the character
        const MonitorSpaces m{{0, 0, 4000, 3000}, {0, 0, 4000 * 96 / dpi, 3000 * 96 / dpi}, dpi};
        for (int u = -50; u <= 600; ++u) {
            const PixelPoint stored{u, 600 - u};
            EXPECT_EQ(PhysicalToUnaware(UnawareToPhysical(stored, m), m), stored) << dpi;
        }
    }
    EXPECT_EQ(PhysicalToUnaware({301, 299}, kSingle144[0]), (PixelPoint{201, 199}));  // MulDiv
    EXPECT_EQ(UnawareTopLeft({-3000, -3000, -2370, -2475}, kSingle144, 144),
              (PixelPoint{-2000, -2000}));  // on no monitor: the primary's scale
}

PixelImage Picture(int width, int height, uint32_t seed) {
    std::mt19937 random(seed);
    PixelImage image;
    image.width = width;
    image.height = height;
    for (int i = 0; i < width * height; ++i) {
        const uint32_t a = random() % 4 == 0 ? 0 : random() % 3 == 0 ? 255 : random() % 256;
        uint32_t v = a << 24;
        for (int shift : {16, 8, 0}) {
            v |= (a == 0 ? 0 : random() % (a + 1)) << shift;  // premultiplied: c <= a
        }
        image.pixels.push_back(v);
    }
    return image;
}

PixelImage Scaled(const PixelImage& source, int width, int height) {
    PixelImage out;
    out.width = width;
    out.height = height;
    out.pixels.assign(static_cast<size_t>(width) * height, 0xDEADBEEF);
    ScalePixels(source.pixels.data(), source.width, source.height, source.width, out.pixels.data(),
                width, height, width);
    return out;
}

int Channel(uint32_t v, int c) {
    return static_cast<int>(v >> (24 - 8 * c) & 0xFF);
}

TEST(PictureScale, ComesWithinAUnitOfExactArithmeticAndNeverLetsColourExceedCoverage) {
    struct Size {
        int fromW, fromH, toW, toH;
    };
    // 2:1 down to 150 %, 125 % and 175 %; 1:1 up to 125 %; one axis only; equal sizes.
    const Size sizes[] = {{24, 16, 18, 12}, {40, 24, 25, 15}, {16, 20, 14, 18},
                          {12, 9, 15, 11},  {10, 7, 10, 14},  {9, 5, 9, 5}};
    for (const Size& s : sizes) {
        SCOPED_TRACE(testing::Message()
                     << s.fromW << "x" << s.fromH << " -> " << s.toW << "x" << s.toH);
        const PixelImage source = Picture(s.fromW, s.fromH, static_cast<uint32_t>(s.toW));
        const PixelImage scaled = Scaled(source, s.toW, s.toH);
        const PixelImage exact = ScaleReference(source, s.toW, s.toH);
        for (size_t i = 0; i < scaled.pixels.size(); ++i) {
            const uint32_t v = scaled.pixels[i];
            for (int c = 0; c < 4; ++c) {
                EXPECT_LE(std::abs(Channel(v, c) - Channel(exact.pixels[i], c)), 1) << i;
            }
            for (int c = 1; c < 4; ++c) {
                EXPECT_LE(Channel(v, c), Channel(v, 0)) << i;  // premultiplied stays valid
            }
        }
        if (s.fromW == s.toW && s.fromH == s.toH) {
            EXPECT_EQ(scaled.pixels, source.pixels);
        }
    }
}

TEST(PictureScale, AWhiteShapeFadesIntoTransparencyWithoutADarkFringe) {
    // A white disc (and a red bar) on transparency, as the art's silhouettes stand: every
    // partly covered pixel of the result must still be pure white (red), only less opaque.
    // Straight alpha averaged with the transparent black around it would darken the edge.
    PixelImage source;
    source.width = 40;
    source.height = 40;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 40; ++x) {
            const int dx = x - 20;
            const int dy = y - 20;
            const bool disc = dx * dx + dy * dy < 15 * 15;
            const bool bar = y < 2;
            source.pixels.push_back(disc ? 0xFFFFFFFFu : bar ? 0xFFFF0000u : 0u);
        }
    }
    for (int to : {30, 27, 25, 50}) {
        const PixelImage scaled = Scaled(source, to, to);
        int partial = 0;
        for (uint32_t v : scaled.pixels) {
            const int a = Channel(v, 0);
            const bool red = Channel(v, 2) == 0;
            EXPECT_EQ(Channel(v, 1), a) << to;
            EXPECT_EQ(Channel(v, 2), red ? 0 : a) << to;
            EXPECT_EQ(Channel(v, 3), red ? 0 : a) << to;
            partial += a > 0 && a < 255;
        }
        EXPECT_GT(partial, 20) << to;  // the edges are smoothed, not cut
    }
}

}  // namespace
