// The character's pictures loaded from the real resources: the balloon from the test
// program's own module (as from the program's), the poses from the edition plug-ins.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "character/dpi_scale.h"
#include "character/picture_decode.h"
#include "character/pictures_win.h"
#include "common/handles_win.h"
#include "common/resource_win.h"
#include "common/scramble.h"
#include "tests/support/pictures_reference.h"

namespace {

constexpr uint32_t kAllPoses[] = {138, 140, 142, 143, 144, 145, 146, 147, 148, 150,
                                  151, 152, 153, 154, 155, 156, 157, 158, 159, 160};

HBITMAP SlotOf(const PictureSet& set, uint32_t id) {
    if (id >= 150)
        return set.Get({PictureRole::AnimationFrame, static_cast<int>(id - 150)});
    if (id >= 142 && id <= 144)
        return set.Get({PictureRole::Chime, static_cast<int>(id - 142)});
    switch (id) {
        case 138:
            return set.Get({PictureRole::Yawn, 0});
        case 140:
            return set.Get({PictureRole::Warning, 0});
        case 145:
            return set.Get({PictureRole::Report, 0});
        case 146:
            return set.Get({PictureRole::ViewingEnd, 0});
        case 147:
            return set.Get({PictureRole::SecondReport, 0});
        case 148:
            return set.Get({PictureRole::Click, 0});
    }
    return nullptr;
}

// The DIB's header and pixels, as the layered window will read them.
struct DibView {
    DIBSECTION section{};
    const uint32_t* bits = nullptr;
};

DibView View(HBITMAP bitmap) {
    DibView view;
    if (GetObjectW(bitmap, sizeof view.section, &view.section) == sizeof view.section)
        view.bits = static_cast<const uint32_t*>(view.section.dsBm.bmBits);
    return view;
}

PixelImage Decode(HMODULE module, uint32_t id, int width, int height = kPictureHeight) {
    const ResourceBytes r = FindNamedTypeResource(module, id);
    PixelImage image;
    DecodeScrambledPicture(r.data, r.size, ScrambleKey, width, height, image);
    return image;
}

// How many pixels of the DIB's columns [left, left + expected.width) differ from expected by
// more than tolerance in a channel.
int Differences(const DibView& dib, int left, const PixelImage& expected, int tolerance) {
    const int width = dib.section.dsBmih.biWidth;
    int differing = 0;
    for (int row = 0; row < expected.height; ++row) {
        for (int x = 0; x < expected.width; ++x) {
            const uint32_t a = dib.bits[row * width + left + x];
            const uint32_t b = expected.At(x, row);
            for (int shift = 0; shift < 32; shift += 8) {
                const int d =
                    static_cast<int>(a >> shift & 0xFF) - static_cast<int>(b >> shift & 0xFF);
                if (d > tolerance || -d > tolerance) {
                    ++differing;
                    break;
                }
            }
        }
    }
    return differing;
}

class PicturesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_edition.reset(LoadLibraryW(L"ymthinata.dll"));
        ASSERT_TRUE(m_edition);
    }
    UniqueHModule m_edition;
};

TEST_F(PicturesTest, TheWholeSetIsUprightPremultipliedArgbWithTheBalloonOnTheLeft) {
    const PictureSet set = LoadPictureSet(GetModuleHandleW(nullptr), m_edition.get());
    EXPECT_FALSE(set.balloonPicture);  // freed once the poses are composed
    const PixelImage balloon = Decode(GetModuleHandleW(nullptr), 149, BalloonWidth);
    ASSERT_EQ(balloon.width, BalloonWidth);
    for (uint32_t id : kAllPoses) {
        SCOPED_TRACE(id);
        const DibView dib = View(SlotOf(set, id));
        ASSERT_NE(dib.bits, nullptr);
        const BITMAPINFOHEADER& h = dib.section.dsBmih;
        EXPECT_EQ(h.biWidth, 420);
        EXPECT_EQ(h.biHeight, 350);  // positive: bottom row first, shown upright
        EXPECT_EQ(h.biPlanes, 1);
        EXPECT_EQ(h.biBitCount, 32);
        EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_BITFIELDS));
        EXPECT_EQ(dib.section.dsBitfields[0], 0x00FF0000u);
        EXPECT_EQ(dib.section.dsBitfields[1], 0x0000FF00u);
        EXPECT_EQ(dib.section.dsBitfields[2], 0x000000FFu);
        PixelImage pose = Decode(m_edition.get(), id, kPoseWidth);
        PixelImage expected;
        ASSERT_TRUE(ComposeWithBalloon(balloon, pose, expected));
        ASSERT_EQ(std::memcmp(dib.bits, expected.pixels.data(), 420 * 350 * 4), 0);
        // Column 244 is the balloon's last, 245 the pose's first, on every row.
        for (int row = 0; row < 350; row += 7) {
            ASSERT_EQ(dib.bits[row * 420 + 244], balloon.At(244, row));
            ASSERT_EQ(dib.bits[row * 420 + 245], pose.At(0, row));
        }
    }
}

TEST_F(PicturesTest, EveryPoseHasItsOwnBitmap) {
    const PictureSet set = LoadPictureSet(GetModuleHandleW(nullptr), m_edition.get());
    std::vector<HBITMAP> seen;
    for (uint32_t id : kAllPoses) {
        HBITMAP b = SlotOf(set, id);
        for (HBITMAP other : seen)
            EXPECT_NE(b, other) << id;
        seen.push_back(b);
    }
    EXPECT_EQ(set.Get({PictureRole::None, 0}), nullptr);
    EXPECT_EQ(set.Get({PictureRole::AnimationFrame, 11}), nullptr);
    EXPECT_EQ(set.Get({PictureRole::Chime, -1}), nullptr);
}

TEST_F(PicturesTest, MissingCutShortAndForeignPosesLeaveOnlyTheirSlotsEmpty) {
    UniqueHModule partial(LoadLibraryW(L"character_partial.dll"));
    ASSERT_TRUE(partial);
    const PictureSet set = LoadPictureSet(GetModuleHandleW(nullptr), partial.get());
    EXPECT_NE(SlotOf(set, 138), nullptr);
    EXPECT_NE(SlotOf(set, 150), nullptr);
    EXPECT_EQ(SlotOf(set, 148), nullptr);  // cut short
    EXPECT_EQ(SlotOf(set, 140), nullptr);  // not a picture
    for (uint32_t id : kAllPoses) {
        if (id != 138 && id != 150) {
            EXPECT_EQ(SlotOf(set, id), nullptr) << id;
        }
    }
}

TEST_F(PicturesTest, WithoutTheBalloonTheCharacterStandsBesideATransparentArea) {
    const PictureSet set = LoadPictureSet(nullptr, m_edition.get());
    const DibView dib = View(SlotOf(set, 150));
    ASSERT_NE(dib.bits, nullptr);
    const PixelImage pose = Decode(m_edition.get(), 150, kPoseWidth);
    for (int row = 0; row < 350; ++row) {
        for (int x = 0; x < BalloonWidth; ++x)
            ASSERT_EQ(dib.bits[row * 420 + x], 0u);
        ASSERT_EQ(dib.bits[row * 420 + 300], pose.At(55, row));
    }
}

TEST_F(PicturesTest, SinglePicturesRefuseNullCorruptAndMissingBalloons) {
    const ResourceBytes balloon = FindNamedTypeResource(GetModuleHandleW(nullptr), 149);
    ASSERT_NE(balloon.data, nullptr);
    const uint32_t* pixels = reinterpret_cast<const uint32_t*>(1);
    EXPECT_FALSE(LoadPicture(nullptr, 0, &pixels));
    EXPECT_EQ(pixels, nullptr);
    EXPECT_FALSE(LoadPicture(balloon.data, balloon.size / 2, &pixels));
    EXPECT_EQ(pixels, nullptr);
    UniqueGdiObject whole = LoadPicture(balloon.data, balloon.size, &pixels);
    ASSERT_TRUE(whole);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(pixels, View(static_cast<HBITMAP>(whole.get())).bits);

    const ResourceBytes pose = FindNamedTypeResource(m_edition.get(), 138);
    EXPECT_FALSE(LoadComposedPicture(pose.data, pose.size, nullptr));
    EXPECT_FALSE(LoadComposedPicture(nullptr, 0, pixels));
    EXPECT_FALSE(LoadComposedPicture(pose.data, 100, pixels));
    // A balloon-sized picture is no pose.
    EXPECT_FALSE(LoadComposedPicture(balloon.data, balloon.size, pixels));
    EXPECT_TRUE(LoadComposedPicture(pose.data, pose.size, pixels));
}

TEST(ResourceLookup, FindsOnlyTheNamedTypeAndNumber) {
    EXPECT_NE(FindNamedTypeResource(GetModuleHandleW(nullptr), 149).data, nullptr);
    EXPECT_EQ(FindNamedTypeResource(GetModuleHandleW(nullptr), 150).data, nullptr);
    EXPECT_EQ(FindNamedTypeResource(nullptr, 149).data, nullptr);
}

}  // namespace

TEST_F(PicturesTest, AboveOneHundredPercentThePicturesComeFromTheDrawingAtTwiceTheSize) {
    HMODULE program = GetModuleHandleW(nullptr);
    const PixelImage balloon = Decode(program, IDR_BALLOON_PICTURE_2X, 2 * BalloonWidth, 700);
    const PixelImage pose = Decode(m_edition.get(), IDR_DOUBLE_SIZE_OFFSET + 160, 350, 700);
    ASSERT_EQ(balloon.width, 2 * BalloonWidth);
    ASSERT_EQ(pose.width, 350);
    // 200 %: the drawing as it is; 150 % and 125 %: scaled down once, within a unit of exact
    // arithmetic.
    for (int dpi : {192, 144, 120}) {
        SCOPED_TRACE(dpi);
        const CharacterLayout l = LayoutForDpi(dpi);
        const PictureSet set = LoadPictureSet(program, m_edition.get(), dpi);
        const DibView dib = View(SlotOf(set, 160));
        ASSERT_NE(dib.bits, nullptr);
        ASSERT_EQ(dib.section.dsBmih.biWidth, l.width);
        ASSERT_EQ(dib.section.dsBmih.biHeight, l.height);
        const int tolerance = dpi == 192 ? 0 : 1;
        EXPECT_EQ(Differences(dib, 0, ScaleReference(balloon, l.balloonWidth, l.height), tolerance),
                  0);
        EXPECT_EQ(Differences(dib, l.balloonWidth,
                              ScaleReference(pose, l.width - l.balloonWidth, l.height), tolerance),
                  0);
        EXPECT_NE(SlotOf(set, 138), nullptr);
    }
    // A plug-in made before the drawings at twice the size: its 1:1 poses, scaled up.
    UniqueHModule partial(LoadLibraryW(L"character_partial.dll"));
    ASSERT_TRUE(partial);
    const CharacterLayout l = LayoutForDpi(144);
    const PictureSet set = LoadPictureSet(program, partial.get(), 144);
    const DibView dib = View(SlotOf(set, 150));
    ASSERT_NE(dib.bits, nullptr);
    const PixelImage single = Decode(partial.get(), 150, kPoseWidth);
    EXPECT_EQ(Differences(dib, l.balloonWidth,
                          ScaleReference(single, l.width - l.balloonWidth, l.height), 1),
              0);
}
