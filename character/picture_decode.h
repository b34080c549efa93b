#pragma once
// The character's pictures: scrambled PNG files (8-bit RGBA) decoded from memory into the
// 32-bit pixels that a layered window takes: premultiplied alpha, rows bottom-up.
#include <cstddef>
#include <cstdint>

// Width of the balloon on the left of every composed picture.
inline constexpr int BalloonWidth = 245;
inline constexpr int kPoseWidth = 175;
inline constexpr int kPictureHeight = 350;

// One pixel: A 255 keeps the colour, A 0 gives 0, otherwise each channel becomes
// A * c / 255, truncated.
uint32_t PremultiplyPixel(uint8_t r, uint8_t g, uint8_t b, uint8_t a);

// Decodes size bytes of a PNG whose every byte is XORed with key straight into caller memory
// (as into a DIB section): 32-bit pixels as 0xAARRGGBB with R, G, B premultiplied by A, the
// picture's row counted from the bottom j at target + j * stride, stride >= width pixels.
// Succeeds only for an 8-bit RGBA picture of exactly width x height; never reads past size.
// A truncated, corrupt or other picture gives false, and the target may hold part of it.
bool DecodeScrambledPictureInto(const uint8_t* data, size_t size, uint8_t key, int width,
                                int height, uint32_t* target, size_t stride);
