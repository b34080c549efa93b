// Loading the character's pictures happens once at start-up, before the character can greet:
// it should cost little more than libpng's own decoding of the same PNG files, at 100 % and
// at 200 % (the drawings at twice the size).
// Prints: BENCH <name> <value> <unit> goal <op> <goal>, then details.
#include <png.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "character/dpi_scale.h"
#include "character/picture_decode.h"
#include "character/pictures_win.h"
#include "common/handles_win.h"
#include "common/resource_win.h"
#include "common/scramble.h"
#include "tests/support/pictures_reference.h"

namespace {

struct Reader {
    const std::vector<uint8_t>* bytes;
    size_t offset;
};

void ReadPlain(png_structp png, png_bytep out, size_t n) {
    auto* r = static_cast<Reader*>(png_get_io_ptr(png));
    if (n > r->bytes->size() - r->offset) {
        png_error(png, "short");
    }
    std::memcpy(out, r->bytes->data() + r->offset, n);
    r->offset += n;
}

// The floor: libpng decoding a PNG from memory into its rows, nothing more.
volatile size_t g_sink;
void BareDecode(const std::vector<uint8_t>& bytes) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    Reader reader{&bytes, 0};
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_read_fn(png, &reader, ReadPlain);
        png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
        g_sink = png_get_image_width(png, info);
    }
    png_destroy_read_struct(&png, &info, nullptr);
}

double Milliseconds(auto&& f) {
    const auto start = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// The whole set at dpi against libpng decoding the same PNGs (the drawings at twice the size
// above 96 DPI); prints one BENCH line named name.
void Measure(const char* name, int dpi, HMODULE program, HMODULE edition) {
    const uint32_t offset = dpi > 96 ? IDR_DOUBLE_SIZE_OFFSET : 0;
    const uint32_t ids[] = {149, 138, 140, 148, 150, 151, 152, 153, 154, 155, 156,
                            157, 158, 159, 160, 142, 143, 144, 145, 146, 147};
    std::vector<std::vector<uint8_t>> plain;
    for (uint32_t id : ids) {
        const ResourceBytes r = FindNamedTypeResource(id == 149 ? program : edition, offset + id);
        std::vector<uint8_t> bytes(r.data, r.data + r.size);
        for (uint8_t& b : bytes)
            b ^= ScrambleKey;
        plain.push_back(std::move(bytes));
    }
    const int scale = offset != 0 ? 2 : 1;
    std::vector<ResourceBytes> scrambled;
    for (uint32_t id : ids)
        scrambled.push_back(FindNamedTypeResource(id == 149 ? program : edition, offset + id));
    const CharacterLayout layout = LayoutForDpi(dpi);
    double bestSet = 1e300, bestBare = 1e300, bestDecode = 1e300, bestDib = 1e300;
    for (int round = 0; round < 12; ++round) {
        bestSet = std::min(bestSet, Milliseconds([&] {
                               PictureSet set = LoadPictureSet(program, edition, dpi);
                               g_sink = reinterpret_cast<size_t>(set.clickPicture.get());
                           }));
        bestBare = std::min(bestBare, Milliseconds([&] {
                                for (const auto& bytes : plain)
                                    BareDecode(bytes);
                            }));
        bestDecode = std::min(bestDecode, Milliseconds([&] {
                                  for (size_t i = 0; i < scrambled.size(); ++i) {
                                      PixelImage image;
                                      DecodeScrambledPicture(
                                          scrambled[i].data, scrambled[i].size, ScrambleKey,
                                          (i == 0 ? 245 : 175) * scale, 350 * scale, image);
                                  }
                              }));
        bestDib = std::min(
            bestDib, Milliseconds([&] {
                WindowDc screen(nullptr);
                for (size_t i = 0; i < scrambled.size(); ++i) {
                    BITMAPINFO bi{};
                    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
                    bi.bmiHeader.biWidth = layout.width;
                    bi.bmiHeader.biHeight = layout.height;
                    bi.bmiHeader.biPlanes = 1;
                    bi.bmiHeader.biBitCount = 32;
                    void* bits = nullptr;
                    UniqueGdiObject b(
                        CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
                    std::memset(bits, 1, static_cast<size_t>(layout.width) * layout.height * 4);
                }
            }));
    }
    std::printf("BENCH %s %.2f ratio goal <= 1.3\n", name, bestSet / bestBare);
    std::printf(
        "  whole PictureSet at %d DPI (%dx%d) %.1f ms, libpng alone on the same %zu PNGs "
        "%.1f ms\n",
        dpi, layout.width, layout.height, bestSet, plain.size(), bestBare);
    std::printf("  portable decode alone %.1f ms, 21 DIB sections written once %.1f ms\n",
                bestDecode, bestDib);
}

}  // namespace

int main() {
    UniqueHModule edition(LoadLibraryW(L"ymthinata.dll"));
    HMODULE program = GetModuleHandleW(nullptr);
    Measure("pictures_vs_libpng", 96, program, edition.get());
    // At 200 % the drawings at twice the size are used as they are.
    Measure("pictures_vs_libpng_200pct", 192, program, edition.get());
    return 0;
}
