#pragma once
// The character's pictures as the layered window takes them: upright 32-bit DIB sections
// with premultiplied alpha, 420 x 350, the balloon on the left and a pose on the right.
#include <windows.h>

#include <array>
#include <cstddef>
#include <cstdint>

#include "character/picture_choice.h"
#include "common/handles_win.h"

// Resource ids: the balloon in the program's own file, the poses in the edition plug-in.
inline constexpr uint32_t kBalloonPictureId = 149;
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

// Loads the whole set: the balloon from programModule, then every pose from editionModule
// composed with it, in the order 138, 140, 148, 150-160, 142-147. A pose that is missing or
// does not decode leaves only its slot empty. Without a balloon the poses are composed
// onto a transparent balloon area, so that the character still shows.
PictureSet LoadPictureSet(HMODULE programModule, HMODULE editionModule);
