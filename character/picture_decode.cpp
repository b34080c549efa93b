#include "character/picture_decode.h"

#include <png.h>

#include <cstddef>
#include <cstring>
#include <utility>

namespace {

// What the read callback reads from: the scrambled bytes and how far it has got.
struct ScrambledReader {
    const uint8_t* data;
    size_t size;
    size_t offset;
    uint8_t key;
};

// Reads and unscrambles; a read past the end of the data is a decoding error, so that a
// truncated picture fails instead of reading beyond its resource.
void ReadScrambledBytes(png_structp png, png_bytep destination, size_t n) {
    auto* reader = static_cast<ScrambledReader*>(png_get_io_ptr(png));
    if (n > reader->size - reader->offset) {
        png_error(png, "picture data ends early");
    }
    const uint8_t* source = reader->data + reader->offset;
    for (size_t i = 0; i < n; ++i) {
        destination[i] = source[i] ^ reader->key;
    }
    reader->offset += n;
}

// The decoder calls above may end in png_error, which longjmps back here: no object with a
// destructor lives in this frame. Fills rows with the picture's rows on success.
bool DecodeRows(ScrambledReader& reader, png_structp png, png_infop info, int width, int height,
                png_bytepp* rows) {
    if (setjmp(png_jmpbuf(png))) {
        return false;
    }
    // Refuse oversized headers before anything is allocated for them.
    png_set_user_limits(png, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height));
    png_set_read_fn(png, &reader, ReadScrambledBytes);
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    if (png_get_image_width(png, info) != static_cast<png_uint_32>(width) ||
        png_get_image_height(png, info) != static_cast<png_uint_32>(height) ||
        png_get_bit_depth(png, info) != 8 || png_get_color_type(png, info) != PNG_COLOR_TYPE_RGBA) {
        return false;
    }
    *rows = png_get_rows(png, info);
    return *rows != nullptr;
}

void SilentWarning(png_structp, png_const_charp) {}

// As libpng's own error handler, less the line it prints to stderr for every damaged
// picture: back to the setjmp of the decode.
[[noreturn]] void SilentError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}

}  // namespace

uint32_t PremultiplyPixel(uint8_t r, uint8_t g, uint8_t b, uint8_t a) {
    // One formula for every alpha: A = 255 gives 255c/255 = c and A = 0 gives 0, so the
    // opaque and transparent pixels need no branch, and rows of pixels vectorise.
    const uint32_t pr = uint32_t{a} * r / 255;
    const uint32_t pg = uint32_t{a} * g / 255;
    const uint32_t pb = uint32_t{a} * b / 255;
    return uint32_t{a} << 24 | pr << 16 | pg << 8 | pb;
}

bool DecodeScrambledPictureInto(const uint8_t* data, size_t size, uint8_t key, int width,
                                int height, uint32_t* target, size_t stride) {
    if (data == nullptr || target == nullptr || width <= 0 || height <= 0 ||
        stride < static_cast<size_t>(width)) {
        return false;
    }
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, SilentError, SilentWarning);
    if (png == nullptr) {
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    ScrambledReader reader{data, size, 0, key};
    png_bytepp rows = nullptr;
    const bool decoded = DecodeRows(reader, png, info, width, height, &rows);
    if (decoded) {
        for (int j = 0; j < height; ++j) {
            const png_bytep row = rows[j];
            uint32_t* line = target + static_cast<size_t>(height - 1 - j) * stride;
            for (int x = 0; x < width; ++x) {
                const png_bytep p = row + static_cast<ptrdiff_t>(4) * x;
                line[x] = PremultiplyPixel(p[0], p[1], p[2], p[3]);
            }
        }
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return decoded;
}
