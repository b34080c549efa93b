#include "tests/support/pictures_reference.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

bool DecodeScrambledPicture(const uint8_t* data, size_t size, uint8_t key, int width, int height,
                            PixelImage& out) {
    out = {};
    if (data == nullptr || width <= 0 || height <= 0) {
        return false;
    }
    PixelImage image{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    const bool decoded = DecodeScrambledPictureInto(data, size, key, width, height,
                                                    image.pixels.data(), image.width);
    out = decoded ? std::move(image) : PixelImage{};
    return decoded;
}

bool ComposeWithBalloon(const PixelImage& balloon, const PixelImage& pose, PixelImage& out) {
    out = {};
    if (balloon.width != BalloonWidth || balloon.height != pose.height || pose.height <= 0 ||
        pose.width <= 0) {
        return false;
    }
    out = {BalloonWidth + pose.width, pose.height, {}};
    for (int row = 0; row < out.height; ++row) {
        const auto from = [row](const PixelImage& image) {
            return image.pixels.begin() + static_cast<ptrdiff_t>(row) * image.width;
        };
        out.pixels.insert(out.pixels.end(), from(balloon), from(balloon) + BalloonWidth);
        out.pixels.insert(out.pixels.end(), from(pose), from(pose) + pose.width);
    }
    return true;
}

namespace {

using Taps = std::vector<std::pair<int, double>>;

// For every target position of one axis, the source positions it takes and their weights.
std::vector<Taps> ReferenceTaps(int from, int to) {
    std::vector<Taps> taps(static_cast<size_t>(to));
    for (int i = 0; i < to; ++i) {
        if (to <= from) {
            const double a = static_cast<double>(i) * from / to;
            const double b = static_cast<double>(i + 1) * from / to;
            for (int j = static_cast<int>(std::floor(a)); j < b && j < from; ++j) {
                const double overlap = std::min(b, j + 1.0) - std::max(a, static_cast<double>(j));
                if (overlap > 0) {
                    taps[i].emplace_back(j, overlap / (b - a));
                }
            }
        } else {
            const double s =
                std::clamp((i + 0.5) * from / to - 0.5, 0.0, static_cast<double>(from - 1));
            const int j = static_cast<int>(std::floor(s));
            taps[i].emplace_back(j, 1 - (s - j));
            if (j + 1 < from) {
                taps[i].emplace_back(j + 1, s - j);
            }
        }
    }
    return taps;
}

}  // namespace

PixelImage ScaleReference(const PixelImage& source, int width, int height) {
    PixelImage out{width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height)};
    const std::vector<Taps> across = ReferenceTaps(source.width, width);
    const std::vector<Taps> down = ReferenceTaps(source.height, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double channels[4] = {0, 0, 0, 0};
            for (const auto& [sy, wy] : down[y]) {
                for (const auto& [sx, wx] : across[x]) {
                    const uint32_t v = source.At(sx, sy);
                    for (int c = 0; c < 4; ++c) {
                        channels[c] += wx * wy * (v >> (24 - 8 * c) & 0xFF);
                    }
                }
            }
            uint32_t v = 0;
            for (double channel : channels) {
                v = v << 8 | static_cast<uint32_t>(std::clamp(std::lround(channel), 0L, 255L));
            }
            out.pixels[static_cast<size_t>(y) * width + x] = v;
        }
    }
    return out;
}
