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
    EXPECT_EQ(at144.text, (PixelRect{42, 90, 314, 356}));
    EXPECT_EQ(at144.clearStrip, (PixelRect{266, 90, 314, 356}));
    EXPECT_EQ(at144.fontHeight, 18);
    EXPECT_EQ(LayoutForDpi(0), LayoutForDpi(96));  // no DPI told: the 96-DPI layout
    for (int dpi = 72; dpi <= 288; ++dpi) {
        const CharacterLayout l = LayoutForDpi(dpi);
        EXPECT_LE(std::abs(l.width - l.balloonWidth - 175 * dpi / 96), 1) << dpi;
        EXPECT_EQ(l.balloonWidth, ScaleToDpi(245, dpi)) << dpi;
        EXPECT_GT(l.dragHandleLeft, l.balloonWidth);
        const QuickChoiceList list = MakeQuickChoiceList(dpi);  // at the scales Windows offers
        for (size_t i = 0; dpi % 24 == 0 && i + 1 < kQuickChoiceCount; ++i) {
            for (size_t j = i + 1; j < kQuickChoiceCount; ++j) {
                if (list[j].left == list[i].left && list[j].top > list[i].top) {
                    EXPECT_GE(list[j].top - list[i].top, l.fontHeight) << dpi;
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
    EXPECT_EQ(PlaceAtStart(PixelPoint{100, 200}, kSingle144, work, 144).topLeft,
              (PixelPoint{150, 300}));
    // The top-right pixel lies beyond the 853 unaware columns: the default corner.
    const StartPlacement p = PlaceAtStart(PixelPoint{600, 0}, kSingle144, work, 144);
    EXPECT_EQ(p.topLeft, (PixelPoint{1280 - 630, 1024 - 525}));
    EXPECT_EQ(p.defaultStored, (PixelPoint{433, 333}));
    EXPECT_EQ(PlaceAtStart(PixelPoint{2000, 300}, kPair, {}, 96).topLeft,
              (PixelPoint{1920 + 160, 600}));
    EXPECT_EQ(UnawareTopLeft({2080, 600, 2920, 1300}, kPair, 96), (PixelPoint{2000, 300}));
    EXPECT_EQ(PlaceAtStart(PixelPoint{1700, 100}, kPair, {}, 96).dpi, 192);  // top-right decides
    EXPECT_EQ(PlaceAtStart(PixelPoint{1400, 100}, kPair, {}, 96).dpi, 96);
    const MonitorSpaces m{{0, 0, 4000, 3000}, {0, 0, 2666, 2000}, 144};
    for (int u = -50; u <= 600; ++u) {  // there and back never moves the character
        EXPECT_EQ(PhysicalToUnaware(UnawareToPhysical({u, 600 - u}, m), m),
                  (PixelPoint{u, 600 - u}));
    }
    EXPECT_EQ(PhysicalToUnaware({301, 299}, kSingle144[0]), (PixelPoint{201, 199}));  // MulDiv
    EXPECT_EQ(UnawareTopLeft({-3000, -3000, -2370, -2475}, kSingle144, 144),
              (PixelPoint{-2000, -2000}));  // on no monitor: the primary's scale
}

PixelImage Scaled(const PixelImage& source, int width, int height) {
    PixelImage out{width, height, std::vector<uint32_t>(size_t(width) * height, 0xDEADBEEF)};
    ScalePixels(source.pixels.data(), source.width, source.height, source.width, out.pixels.data(),
                width, height, width);
    return out;
}

int Channel(uint32_t v, int c) {
    return static_cast<int>(v >> (24 - 8 * c) & 0xFF);
}

TEST(PictureScale, ComesWithinAUnitOfExactArithmeticAndNeverLetsColourExceedCoverage) {
    // 2:1 down to 150 % and 175 %; 1:1 up to 125 %; one axis only; equal sizes.
    for (auto [fromW, fromH, toW, toH] : {std::tuple{24, 16, 18, 12},
                                          {16, 20, 14, 18},
                                          {12, 9, 15, 11},
                                          {10, 7, 10, 14},
                                          {9, 5, 9, 5}}) {
        std::mt19937 random(toW);
        PixelImage source{fromW, fromH, {}};
        for (int i = 0; i < fromW * fromH; ++i) {  // premultiplied: every colour <= alpha
            const uint32_t a = random() % 4 == 0 ? 0 : random() % 3 == 0 ? 255 : random() % 256;
            source.pixels.push_back(a << 24 | (random() % (a + 1)) << 16 |
                                    (random() % (a + 1)) << 8 | random() % (a + 1));
        }
        const PixelImage scaled = Scaled(source, toW, toH);
        const PixelImage exact = ScaleReference(source, toW, toH);
        for (size_t i = 0; i < scaled.pixels.size(); ++i) {
            const uint32_t v = scaled.pixels[i];
            for (int c = 0; c < 4; ++c) {
                EXPECT_LE(std::abs(Channel(v, c) - Channel(exact.pixels[i], c)), 1) << i;
                EXPECT_LE(Channel(v, c), Channel(v, 0)) << i;
            }
        }
        if (fromW == toW && fromH == toH) {
            EXPECT_EQ(scaled.pixels, source.pixels);
        }
        const PixelImage white{fromW, fromH, std::vector<uint32_t>(fromW * fromH, ~0u)};
        EXPECT_EQ(Scaled(white, toW, toH).pixels, std::vector<uint32_t>(toW * toH, ~0u));
    }
}

}  // namespace
