// The character's pictures loaded from the real resources: the balloon from the test
// program's own module (as from the program's), the poses from the edition plug-ins.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

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

PixelImage Decode(HMODULE module, uint32_t id, int width) {
    const ResourceBytes r = FindNamedTypeResource(module, id);
    PixelImage image;
    DecodeScrambledPicture(r.data, r.size, ScrambleKey, width, kPictureHeight, image);
    return image;
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
