#include "character/pictures_win.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "character/picture_decode.h"
#include "character/picture_scale.h"
#include "common/resource_win.h"
#include "common/scramble.h"

namespace {

// A 32-bit DIB section stored bottom row first (positive height), with the
// channel masks of premultiplied ARGB, created against the screen's context.
UniqueGdiObject CreatePictureDib(int width, int height, uint32_t** bits) {
    BITMAPV5HEADER header{};
    header.bV5Size = sizeof(BITMAPV5HEADER);
    header.bV5Width = width;
    header.bV5Height = height;
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;
    void* pixels = nullptr;
    WindowDc screen(nullptr);
    UniqueGdiObject bitmap(CreateDIBSection(screen.get(), reinterpret_cast<BITMAPINFO*>(&header),
                                            DIB_RGB_COLORS, &pixels, nullptr, 0));
    if (!bitmap || pixels == nullptr) {
        return {};
    }
    *bits = static_cast<uint32_t*>(pixels);
    return bitmap;
}

UniqueGdiObject& SlotFor(PictureSet& set, uint32_t id) {
    if (id >= kFirstFramePictureId && id < kFirstFramePictureId + kAnimationFrameCount) {
        return set.animationFrames[id - kFirstFramePictureId];
    }
    if (id >= kChimePictureId && id < kChimePictureId + 3) {
        return set.chimePictures[id - kChimePictureId];
    }
    switch (id) {
        case kYawnPictureId:
            return set.yawnPicture;
        case kWarningPictureId:
            return set.warningPicture;
        case kClickPictureId:
            return set.clickPicture;
        case kReportPictureId:
            return set.reportPicture;
        case kViewingEndPictureId:
            return set.viewingEndPicture;
        case kSecondReportPictureId:
            return set.secondReportPicture;
        default:
            return set.balloonPicture;
    }
}

constexpr uint32_t kPoseOrder[] = {138, 140, 148, 150, 151, 152, 153, 154, 155, 156,
                                   157, 158, 159, 160, 142, 143, 144, 145, 146, 147};

// Picture id (1:1 drawing of width x height) of module, at targetWidth x targetHeight into
// target: from the drawing at twice the size when the target is larger than 1:1 and the
// module has it, else from the 1:1 one. False when neither decodes.
bool LoadPictureAtSize(HMODULE module, uint32_t id, int width, int height, int targetWidth,
                       int targetHeight, uint32_t* target, size_t stride) {
    if (targetWidth > width || targetHeight > height) {
        const ResourceBytes doubled = FindNamedTypeResource(module, IDR_DOUBLE_SIZE_OFFSET + id);
        if (doubled.data != nullptr &&
            DecodeScaledPictureInto(doubled.data, doubled.size, ScrambleKey, 2 * width, 2 * height,
                                    targetWidth, targetHeight, target, stride)) {
            return true;
        }
    }
    const ResourceBytes single = FindNamedTypeResource(module, id);
    return single.data != nullptr &&
           DecodeScaledPictureInto(single.data, single.size, ScrambleKey, width, height,
                                   targetWidth, targetHeight, target, stride);
}

}  // namespace

HBITMAP PictureSet::Get(PictureChoice choice) const {
    const UniqueGdiObject* slot = nullptr;
    switch (choice.role) {
        case PictureRole::AnimationFrame:
            if (choice.index >= 0 && choice.index < kAnimationFrameCount) {
                slot = &animationFrames[static_cast<size_t>(choice.index)];
            }
            break;
        case PictureRole::Chime:
            if (choice.index >= 0 && choice.index < 3) {
                slot = &chimePictures[static_cast<size_t>(choice.index)];
            }
            break;
        case PictureRole::Yawn:
            slot = &yawnPicture;
            break;
        case PictureRole::Warning:
            slot = &warningPicture;
            break;
        case PictureRole::Click:
            slot = &clickPicture;
            break;
        case PictureRole::Report:
            slot = &reportPicture;
            break;
        case PictureRole::ViewingEnd:
            slot = &viewingEndPicture;
            break;
        case PictureRole::SecondReport:
            slot = &secondReportPicture;
            break;
        case PictureRole::None:
            break;
    }
    return slot != nullptr ? static_cast<HBITMAP>(slot->get()) : nullptr;
}

PictureChoice PictureSet::Find(HBITMAP bitmap) const {
    if (bitmap == nullptr) {
        return {};
    }
    constexpr PictureRole kSingles[] = {PictureRole::Yawn,       PictureRole::Warning,
                                        PictureRole::Click,      PictureRole::Report,
                                        PictureRole::ViewingEnd, PictureRole::SecondReport};
    for (PictureRole role : kSingles) {
        if (Get({role, 0}) == bitmap) {
            return {role, 0};
        }
    }
    for (int i = 0; i < kAnimationFrameCount; ++i) {
        if (Get({PictureRole::AnimationFrame, i}) == bitmap) {
            return {PictureRole::AnimationFrame, i};
        }
    }
    for (int i = 0; i < 3; ++i) {
        if (Get({PictureRole::Chime, i}) == bitmap) {
            return {PictureRole::Chime, i};
        }
    }
    return {};
}

void PictureSet::Clear() {
    *this = PictureSet{};
}

UniqueGdiObject LoadPicture(const uint8_t* resource, size_t size, const uint32_t** pixels) {
    if (pixels != nullptr) {
        *pixels = nullptr;
    }
    if (resource == nullptr) {
        return {};
    }
    // The balloon is the only picture loaded by itself. Decoded straight into the DIB.
    uint32_t* bits = nullptr;
    UniqueGdiObject bitmap = CreatePictureDib(BalloonWidth, kPictureHeight, &bits);
    if (!bitmap || !DecodeScrambledPictureInto(resource, size, ScrambleKey, BalloonWidth,
                                               kPictureHeight, bits, BalloonWidth)) {
        return {};
    }
    if (pixels != nullptr) {
        *pixels = bits;
    }
    return bitmap;
}

UniqueGdiObject LoadComposedPicture(const uint8_t* resource, size_t size,
                                    const uint32_t* balloonPixels) {
    if (resource == nullptr || balloonPixels == nullptr) {
        return {};
    }
    constexpr int kWidth = BalloonWidth + kPoseWidth;
    uint32_t* bits = nullptr;
    UniqueGdiObject bitmap = CreatePictureDib(kWidth, kPictureHeight, &bits);
    if (!bitmap) {
        return {};
    }
    // The pose goes straight to its columns; the balloon fills the columns on its left.
    if (!DecodeScrambledPictureInto(resource, size, ScrambleKey, kPoseWidth, kPictureHeight,
                                    bits + BalloonWidth, kWidth)) {
        return {};
    }
    for (int row = 0; row < kPictureHeight; ++row) {
        std::memcpy(bits + static_cast<size_t>(row) * kWidth,
                    balloonPixels + static_cast<size_t>(row) * BalloonWidth,
                    BalloonWidth * sizeof(uint32_t));
    }
    return bitmap;
}

PictureSet LoadPictureSet(HMODULE programModule, HMODULE editionModule, int dpi) {
    const CharacterLayout layout = LayoutForDpi(dpi);
    const int width = layout.width;
    const int height = layout.height;
    const int balloonWidth = layout.balloonWidth;
    // The balloon's columns, copied into every picture. Without a balloon the character
    // stands beside an empty (transparent) balloon area.
    std::vector<uint32_t> balloon(static_cast<size_t>(balloonWidth) * height, 0);
    if (!LoadPictureAtSize(programModule, kBalloonPictureId, BalloonWidth, kPictureHeight,
                           balloonWidth, height, balloon.data(),
                           static_cast<size_t>(balloonWidth))) {
        std::fill(balloon.begin(), balloon.end(), 0);  // a balloon that failed part-way
    }
    PictureSet set;
    for (uint32_t id : kPoseOrder) {
        uint32_t* bits = nullptr;
        UniqueGdiObject bitmap = CreatePictureDib(width, height, &bits);
        // The pose goes straight to its columns; the balloon fills the columns on its left.
        if (!bitmap ||
            !LoadPictureAtSize(editionModule, id, kPoseWidth, kPictureHeight, width - balloonWidth,
                               height, bits + balloonWidth, static_cast<size_t>(width))) {
            continue;
        }
        for (int row = 0; row < height; ++row) {
            std::memcpy(bits + static_cast<size_t>(row) * width,
                        balloon.data() + static_cast<size_t>(row) * balloonWidth,
                        static_cast<size_t>(balloonWidth) * sizeof(uint32_t));
        }
        SlotFor(set, id) = std::move(bitmap);
    }
    return set;
}
