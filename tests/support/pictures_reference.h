#pragma once
// Whole pictures in plain memory, for tests that compare what the program shows with what
// its plug-ins hold: decoded with the program's own decoder, composed as the program
// composes a pose beside the balloon.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "character/picture_decode.h"

// Pixels as 0xAARRGGBB with R, G, B premultiplied by A; row 0 is the picture's bottom row.
struct PixelImage {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;  // width * height
    uint32_t At(int x, int rowFromBottom) const { return pixels[rowFromBottom * width + x]; }
};

// The picture decoded whole into out (see DecodeScrambledPictureInto); out is left empty on
// failure.
bool DecodeScrambledPicture(const uint8_t* data, size_t size, uint8_t key, int width, int height,
                            PixelImage& out);

// The balloon (BalloonWidth wide) on the left, the pose on the right, both of one height.
// False when the heights differ or the balloon is not BalloonWidth wide.
bool ComposeWithBalloon(const PixelImage& balloon, const PixelImage& pose, PixelImage& out);

// The picture scaled to width x height in double precision with one rounding at the end: a
// shrinking axis averages the source pixels each target pixel covers, by how much it covers
// them; a growing axis interpolates linearly between pixel centres. What the program's
// scaling must come within a unit of.
PixelImage ScaleReference(const PixelImage& source, int width, int height);
