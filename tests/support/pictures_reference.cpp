#include "tests/support/pictures_reference.h"

#include <cstring>
#include <utility>

bool DecodeScrambledPicture(const uint8_t* data, size_t size, uint8_t key, int width, int height,
                            PixelImage& out) {
    out = {};
    if (data == nullptr || width <= 0 || height <= 0) {
        return false;
    }
    PixelImage image;
    image.width = width;
    image.height = height;
    image.pixels.resize(static_cast<size_t>(width) * height);
    if (!DecodeScrambledPictureInto(data, size, key, width, height, image.pixels.data(),
                                    static_cast<size_t>(width))) {
        return false;
    }
    out = std::move(image);
    return true;
}

bool ComposeWithBalloon(const PixelImage& balloon, const PixelImage& pose, PixelImage& out) {
    out = {};
    if (balloon.width != BalloonWidth || balloon.height != pose.height || pose.height <= 0 ||
        pose.width <= 0) {
        return false;
    }
    out.width = BalloonWidth + pose.width;
    out.height = pose.height;
    out.pixels.resize(static_cast<size_t>(out.width) * out.height);
    for (int row = 0; row < out.height; ++row) {
        uint32_t* target = &out.pixels[static_cast<size_t>(row) * out.width];
        std::memcpy(target, &balloon.pixels[static_cast<size_t>(row) * BalloonWidth],
                    BalloonWidth * sizeof(uint32_t));
        std::memcpy(target + BalloonWidth, &pose.pixels[static_cast<size_t>(row) * pose.width],
                    pose.width * sizeof(uint32_t));
    }
    return true;
}
