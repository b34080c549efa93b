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

struct LayoutRow {
    int dpi;
    int width, height, balloonWidth, dragHandleLeft;
    PixelRect text, clearStrip;
    PixelPoint heading;
    int fontHeight;
};

// Halves round away from zero: 437.5 -> 438, 313.5 -> 314.
const LayoutRow kLayouts[] = {
    {96, 420, 350, 245, 256, {28, 60, 209, 237}, {177, 60, 209, 237}, {28, 60}, 12},
    {120, 525, 438, 306, 320, {35, 75, 261, 296}, {221, 75, 261, 296}, {35, 75}, 15},
    {144, 630, 525, 368, 384, {42, 90, 314, 356}, {266, 90, 314, 356}, {42, 90}, 18},
    {168, 735, 613, 429, 448, {49, 105, 366, 415}, {310, 105, 366, 415}, {49, 105}, 21},
    {192, 840, 700, 490, 512, {56, 120, 418, 474}, {354, 120, 418, 474}, {56, 120}, 24},
};

TEST(DpiLayout, EveryPlaceAndSizeAtTheCommonScales) {
    for (const LayoutRow& row : kLayouts) {
        SCOPED_TRACE(row.dpi);
        const CharacterLayout l = LayoutForDpi(row.dpi);
        EXPECT_EQ(l.width, row.width);
        EXPECT_EQ(l.height, row.height);
        EXPECT_EQ(l.balloonWidth, row.balloonWidth);
        EXPECT_EQ(l.dragHandleLeft, row.dragHandleLeft);
        EXPECT_EQ(l.text, row.text);
        EXPECT_EQ(l.clearStrip, row.clearStrip);
        EXPECT_EQ(l.heading, row.heading);
        EXPECT_EQ(l.fontHeight, row.fontHeight);
        // Edges are scaled, not sizes: the strip ends exactly where the text does, the drag
        // handle stays right of the balloon, and the text inside it.
        EXPECT_EQ(l.clearStrip.right, l.text.right);
        EXPECT_LT(l.text.right, l.balloonWidth);
        EXPECT_GT(l.dragHandleLeft, l.balloonWidth);

        // The command list: rows one above the other never overlap at the font's height.
        const QuickChoiceList list = MakeQuickChoiceList(row.dpi);
        const QuickChoiceList base = MakeQuickChoiceList();
        for (size_t i = 0; i < kQuickChoiceCount; ++i) {
            EXPECT_EQ(list[i].left, ScaleToDpi(base[i].left, row.dpi));
            EXPECT_EQ(list[i].top, ScaleToDpi(base[i].top, row.dpi));
            for (size_t j = i + 1; j < kQuickChoiceCount; ++j) {
                if (list[j].left == list[i].left && list[j].top > list[i].top) {
                    EXPECT_GE(list[j].top - list[i].top, l.fontHeight) << i << " " << j;
                    break;
                }
            }
        }
    }
    EXPECT_EQ(LayoutForDpi(0), LayoutForDpi(96));  // no DPI told: the 96-DPI layout
}

TEST(DpiLayout, TheBalloonAndTheCharacterMeetWithoutAGapAtEveryDpi) {
    // The balloon's columns end where the pose's begin, and together they fill the window,
    // whatever the rounding of each part alone would give (at 144 DPI the pose alone would
    // be 262.5 columns).
    for (int dpi = 72; dpi <= 288; ++dpi) {
        const CharacterLayout l = LayoutForDpi(dpi);
        const int pose = l.width - l.balloonWidth;
        EXPECT_LE(std::abs(pose - 175 * dpi / 96), 1) << dpi;
        EXPECT_EQ(l.balloonWidth, ScaleToDpi(245, dpi)) << dpi;
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
    // Stored by the program before it knew display scales: the same place on the screen.
    StartPlacement p = PlaceAtStart(PixelPoint{100, 200}, kSingle144, work, 144);
    EXPECT_EQ(p.topLeft, (PixelPoint{150, 300}));
    EXPECT_EQ(p.dpi, 144);
    EXPECT_FALSE(p.defaultStored);
    // The top-right pixel (600 + 419) lies beyond the 853 unaware columns: the default
    // corner, sized for 150 %, stored as unaware coordinates.
    p = PlaceAtStart(PixelPoint{600, 0}, kSingle144, work, 144);
    EXPECT_EQ(p.topLeft, (PixelPoint{1280 - 630, 1024 - 525}));
    ASSERT_TRUE(p.defaultStored);
    EXPECT_EQ(*p.defaultStored, (PixelPoint{433, 333}));  // 650 / 1.5, 499 / 1.5
    p = PlaceAtStart(std::nullopt, kSingle144, work, 144);
    EXPECT_EQ(p.topLeft, (PixelPoint{650, 499}));
    // On the 200 % monitor beside a 100 % primary: carried by that monitor, at its DPI.
    p = PlaceAtStart(PixelPoint{2000, 300}, kPair, {0, 0, 1920, 1040}, 96);
    EXPECT_EQ(p.topLeft, (PixelPoint{1920 + 160, 600}));
    EXPECT_EQ(p.dpi, 192);
    EXPECT_EQ(UnawareTopLeft({2080, 600, 2920, 1300}, kPair, 96), (PixelPoint{2000, 300}));
    // Straddling the two monitors, the top-right pixel decides.
    EXPECT_EQ(PlaceAtStart(PixelPoint{1700, 100}, kPair, {}, 96).dpi, 192);
    EXPECT_EQ(PlaceAtStart(PixelPoint{1400, 100}, kPair, {}, 96).dpi, 96);
}

TEST(StoredPosition, AnUpgradeNeverMovesTheCharacterAndSavesRoundToTheNearestUnawarePixel) {
    for (int dpi : {96, 120, 144, 168, 192, 240}) {
        const MonitorSpaces m{{0, 0, 4000, 3000}, {0, 0, 4000 * 96 / dpi, 3000 * 96 / dpi}, dpi};
        for (int u = -50; u <= 600; ++u) {
            const PixelPoint stored{u, 600 - u};
            EXPECT_EQ(PhysicalToUnaware(UnawareToPhysical(stored, m), m), stored) << dpi;
        }
    }
    // As the system rounds (MulDiv): 301 / 1.5 = 200.67 -> 201, 299 / 1.5 = 199.33 -> 199.
    EXPECT_EQ(PhysicalToUnaware({301, 299}, kSingle144[0]), (PixelPoint{201, 199}));
    EXPECT_EQ(ScaleToDpi(-5, 144), -8);  // -7.5: halves away from zero
    // A window on no monitor keeps a position in the primary's scale.
    EXPECT_EQ(UnawareTopLeft({-3000, -3000, -2370, -2475}, kSingle144, 144),
              (PixelPoint{-2000, -2000}));
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
