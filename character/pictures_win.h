#pragma once
// The character's pictures as the layered window takes them: upright 32-bit DIB sections
// with premultiplied alpha, 420 x 350 at 96 DPI (scaled with the display), the balloon on
// the left and a pose on the right.
#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>

#include "character/dpi_scale.h"
#include "character/picture_choice.h"
#include "common/handles_win.h"
#include "resources/resource.h"

// Resource ids: the balloon in the program's own file, the poses in the edition plug-in.
// Each is also drawn at twice the size under its id + IDR_DOUBLE_SIZE_OFFSET.
inline constexpr uint32_t kBalloonPictureId = IDR_BALLOON_PICTURE;
inline constexpr uint32_t kYawnPictureId = 138;
inline constexpr uint32_t kWarningPictureId = 140;
inline constexpr uint32_t kChimePictureId = 142;  // 142, 143, 144
inline constexpr uint32_t kReportPictureId = 145;
inline constexpr uint32_t kViewingEndPictureId = 146;
inline constexpr uint32_t kSecondReportPictureId = 147;
inline constexpr uint32_t kClickPictureId = 148;
inline constexpr uint32_t kFirstFramePictureId = 150;  // 150 to 160
inline constexpr int kAnimationFrameCount = 11;

// Each slot holds a bitmap (a DIB section) or is empty when its picture did not load.
struct PictureSet {
    UniqueGdiObject balloonPicture;  // empty again once the others are composed
    UniqueGdiObject yawnPicture;
    UniqueGdiObject warningPicture;
    UniqueGdiObject clickPicture;
    std::array<UniqueGdiObject, kAnimationFrameCount> animationFrames;
    std::array<UniqueGdiObject, 3> chimePictures;
    UniqueGdiObject reportPicture;
    UniqueGdiObject viewingEndPicture;
    UniqueGdiObject secondReportPicture;

    // The bitmap of a chosen picture; null for an empty slot or PictureRole::None.
    HBITMAP Get(PictureChoice choice) const;
    // The slot that holds bitmap (PictureRole::None for null or a bitmap not of this set).
    PictureChoice Find(HBITMAP bitmap) const;
    // Deletes every bitmap.
    void Clear();
};

// Decodes the scrambled balloon PNG (8-bit RGBA, BalloonWidth x kPictureHeight) of `size`
// bytes into a new DIB section of that size and gives its pixels through `pixels`. Empty on a null,
// corrupt or truncated picture or when the DIB section cannot be made; nothing is read past `size`.
UniqueGdiObject LoadPicture(const uint8_t* resource, size_t size, const uint32_t** pixels);

// Decodes a scrambled pose PNG (175 x 350) and composes it with the balloon's pixels (a
// 245-wide, 350-high bottom-up premultiplied picture) into a new 420 x 350 DIB section.
// Empty on a null resource or balloon, or a pose that does not decode.
UniqueGdiObject LoadComposedPicture(const uint8_t* resource, size_t size,
                                    const uint32_t* balloonPixels);

// Loads the whole set at the layout of dpi: the balloon from programModule, then every pose
// from editionModule composed with it, in the order 138, 140, 148, 150-160, 142-147. Above
// 96 DPI each picture comes from its drawing at twice the size, scaled down once here when
// the DPI is below 192; a module without that drawing gives the 1:1 one scaled up, as the
// system would stretch it. A pose that is missing or does not decode leaves only its slot
// empty. Without a balloon the poses are composed onto a transparent balloon area, so that
// the character still shows.
PictureSet LoadPictureSet(HMODULE programModule, HMODULE editionModule, int dpi = kBaseDpi);
