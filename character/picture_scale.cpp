#include "character/picture_scale.h"

#include <algorithm>
#include <vector>

#include "character/picture_decode.h"

namespace {

// Weights are fixed point with this many fractional bits; those of one target pixel add up
// to exactly kOne. A channel (at most 255) times kOne stays well within 32 bits.
constexpr int kShift = 14;
constexpr uint32_t kOne = 1u << kShift;

// For every target position along one axis: which source positions it takes, how much of
// each.
struct AxisFilter {
    std::vector<int> first;      // first source position of target i
    std::vector<size_t> offset;  // where target i's weights start in weights
    std::vector<uint32_t> weights;

    size_t Count(size_t i) const {
        return (i + 1 < offset.size() ? offset[i + 1] : weights.size()) - offset[i];
    }
};

// Makes the weights of one target position add up to kOne exactly: the rounding remainder
// goes to the largest weight.
void Normalise(std::vector<uint32_t>& weights, size_t from) {
    uint32_t sum = 0;
    size_t largest = from;
    for (size_t k = from; k < weights.size(); ++k) {
        sum += weights[k];
        if (weights[k] > weights[largest]) {
            largest = k;
        }
    }
    weights[largest] += kOne - sum;  // unsigned wrap-around subtracts when sum > kOne
}

// A shrinking (or equal) axis: target pixel i covers source [i * from / to, (i + 1) * from /
// to). Counted in units of 1 / to of a source pixel, all the bounds are whole numbers.
AxisFilter AreaFilter(int from, int to) {
    AxisFilter f;
    for (int i = 0; i < to; ++i) {
        const int64_t start = int64_t{i} * from;
        const int64_t end = start + from;
        const int j0 = static_cast<int>(start / to);
        const int j1 = static_cast<int>((end - 1) / to);
        f.first.push_back(j0);
        f.offset.push_back(f.weights.size());
        for (int j = j0; j <= j1; ++j) {
            const int64_t overlap =
                std::min(end, int64_t{j + 1} * to) - std::max(start, int64_t{j} * to);
            f.weights.push_back(static_cast<uint32_t>((overlap * kOne + from / 2) / from));
        }
        Normalise(f.weights, f.offset.back());
    }
    return f;
}

// A growing axis: the centre of target pixel i lies at source position ((2i + 1) * from - to)
// / (2 * to); the two source pixels around it share it by distance. Beyond the outer centres
// the edge pixel stands alone.
AxisFilter LinearFilter(int from, int to) {
    AxisFilter f;
    const int64_t denominator = int64_t{2} * to;
    for (int i = 0; i < to; ++i) {
        const int64_t numerator = (int64_t{2} * i + 1) * from - to;
        f.offset.push_back(f.weights.size());
        if (numerator <= 0) {
            f.first.push_back(0);
            f.weights.push_back(kOne);
            continue;
        }
        const int j = static_cast<int>(numerator / denominator);
        const int64_t rest = numerator % denominator;
        const auto far = static_cast<uint32_t>((rest * kOne + denominator / 2) / denominator);
        f.first.push_back(std::min(j, from - 1));
        if (j >= from - 1 || far == 0) {
            f.weights.push_back(kOne);
        } else {
            f.weights.push_back(kOne - far);
            f.weights.push_back(far);
        }
    }
    return f;
}

AxisFilter FilterFor(int from, int to) {
    return to <= from ? AreaFilter(from, to) : LinearFilter(from, to);
}

// One output pixel: the weighted sum of count pixels, step pixels apart.
uint32_t Blend(const uint32_t* p, size_t step, const uint32_t* weights, size_t count) {
    uint32_t a = 0;
    uint32_t r = 0;
    uint32_t g = 0;
    uint32_t b = 0;
    for (size_t k = 0; k < count; ++k) {
        const uint32_t v = p[k * step];
        const uint32_t w = weights[k];
        a += (v >> 24) * w;
        r += (v >> 16 & 0xFF) * w;
        g += (v >> 8 & 0xFF) * w;
        b += (v & 0xFF) * w;
    }
    // The same rounding on every channel keeps colour within coverage: c <= a in each
    // source pixel gives sum(c) <= sum(a), and rounding keeps the order.
    constexpr uint32_t kHalf = kOne / 2;
    return (a + kHalf) >> kShift << 24 | (r + kHalf) >> kShift << 16 | (g + kHalf) >> kShift << 8 |
           (b + kHalf) >> kShift;
}

}  // namespace

void ScalePixels(const uint32_t* source, int sourceWidth, int sourceHeight, size_t sourceStride,
                 uint32_t* target, int targetWidth, int targetHeight, size_t targetStride) {
    if (source == nullptr || target == nullptr || sourceWidth <= 0 || sourceHeight <= 0 ||
        targetWidth <= 0 || targetHeight <= 0) {
        return;
    }
    const AxisFilter across = FilterFor(sourceWidth, targetWidth);
    const AxisFilter down = FilterFor(sourceHeight, targetHeight);
    // Across first, into a picture as wide as the target and as high as the source.
    std::vector<uint32_t> middle(static_cast<size_t>(targetWidth) * sourceHeight);
    for (int y = 0; y < sourceHeight; ++y) {
        const uint32_t* row = source + static_cast<size_t>(y) * sourceStride;
        uint32_t* out = middle.data() + static_cast<size_t>(y) * targetWidth;
        for (size_t x = 0; x < static_cast<size_t>(targetWidth); ++x) {
            out[x] =
                Blend(row + across.first[x], 1, &across.weights[across.offset[x]], across.Count(x));
        }
    }
    for (size_t y = 0; y < static_cast<size_t>(targetHeight); ++y) {
        const uint32_t* column = middle.data() + static_cast<size_t>(down.first[y]) * targetWidth;
        const uint32_t* weights = &down.weights[down.offset[y]];
        const size_t count = down.Count(y);
        uint32_t* out = target + y * targetStride;
        for (int x = 0; x < targetWidth; ++x) {
            out[x] = Blend(column + x, static_cast<size_t>(targetWidth), weights, count);
        }
    }
}

bool DecodeScaledPictureInto(const uint8_t* data, size_t size, uint8_t key, int width, int height,
                             int targetWidth, int targetHeight, uint32_t* target, size_t stride) {
    if (width == targetWidth && height == targetHeight) {
        return DecodeScrambledPictureInto(data, size, key, width, height, target, stride);
    }
    if (width <= 0 || height <= 0 || targetWidth <= 0 || targetHeight <= 0 ||
        stride < static_cast<size_t>(targetWidth)) {
        return false;
    }
    std::vector<uint32_t> drawn(static_cast<size_t>(width) * height);
    if (!DecodeScrambledPictureInto(data, size, key, width, height, drawn.data(),
                                    static_cast<size_t>(width))) {
        return false;
    }
    ScalePixels(drawn.data(), width, height, static_cast<size_t>(width), target, targetWidth,
                targetHeight, stride);
    return true;
}
