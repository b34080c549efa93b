#pragma once
// The character's pictures at the size the display scale asks for. The art comes drawn at
// 1:1 and at 2:1; a size between (125-175 %) is made once, at loading, by scaling the 2:1
// drawing down, and a size the drawings do not reach by scaling up, as the system would
// stretch a window drawn for a lower DPI.
#include <cstddef>
#include <cstdint>

// Resamples premultiplied 0xAARRGGBB pixels from sourceWidth x sourceHeight to targetWidth x
// targetHeight (rows `stride` pixels apart in each; both bottom-up or both top-down). Each
// axis is filtered on its own: a shrinking axis gives each target pixel the average of the
// source pixels it covers, weighted by how much of each it covers (no ringing, no overshoot,
// edges as sharp as the size allows); a growing axis interpolates linearly between pixel
// centres. Every target pixel is a weighted mean of source pixels with weights that add up
// to one, so colour never exceeds coverage: edges fade into transparency without the dark
// fringes that straight alpha would give. Equal sizes copy.
void ScalePixels(const uint32_t* source, int sourceWidth, int sourceHeight, size_t sourceStride,
                 uint32_t* target, int targetWidth, int targetHeight, size_t targetStride);

// Decodes a scrambled 8-bit RGBA PNG of exactly width x height (see
// DecodeScrambledPictureInto) and puts it, scaled to targetWidth x targetHeight, into target
// (bottom-up rows, stride pixels apart). False, with target possibly written in part, for a
// picture that does not decode. Throws std::bad_alloc when the decoded picture finds no memory.
bool DecodeScaledPictureInto(const uint8_t* data, size_t size, uint8_t key, int width, int height,
                             int targetWidth, int targetHeight, uint32_t* target, size_t stride);
