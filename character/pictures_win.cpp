#include "character/pictures_win.h"

#include <cstring>
#include <vector>

#include "character/picture_decode.h"
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

PictureSet LoadPictureSet(HMODULE programModule, HMODULE editionModule) {
    PictureSet set;
    const ResourceBytes balloon = FindNamedTypeResource(programModule, kBalloonPictureId);
    const uint32_t* balloonPixels = nullptr;
    set.balloonPicture = LoadPicture(balloon.data, balloon.size, &balloonPixels);
    // Without a balloon the character stands beside an empty (transparent) balloon area.
    std::vector<uint32_t> noBalloon;
    if (balloonPixels == nullptr) {
        noBalloon.assign(static_cast<size_t>(BalloonWidth) * kPictureHeight, 0);
        balloonPixels = noBalloon.data();
    }
    for (uint32_t id : kPoseOrder) {
        const ResourceBytes pose = FindNamedTypeResource(editionModule, id);
        if (pose.data != nullptr) {
            SlotFor(set, id) = LoadComposedPicture(pose.data, pose.size, balloonPixels);
        }
    }
    // The poses hold their own copy of the balloon.
    set.balloonPicture.reset();
    return set;
}
