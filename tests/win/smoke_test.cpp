// Proves the toolchain end to end: the static third-party libraries, a resource-only DLL
// read the way the program reads its plug-ins, and a layered window on the display.
#include <png.h>
#include <vorbis/codec.h>
#include <vorbis/vorbisfile.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Buffer {
    std::vector<unsigned char> bytes;
    size_t pos = 0;
};

void WriteBytes(png_structp png, png_bytep data, png_size_t n) {
    auto* b = static_cast<Buffer*>(png_get_io_ptr(png));
    b->bytes.insert(b->bytes.end(), data, data + n);
}

void ReadBytes(png_structp png, png_bytep data, png_size_t n) {
    auto* b = static_cast<Buffer*>(png_get_io_ptr(png));
    if (b->pos + n > b->bytes.size()) {
        png_error(png, "read past the end");
    }
    std::memcpy(data, b->bytes.data() + b->pos, n);
    b->pos += n;
}

TEST(Toolchain, LibpngRoundTripsAnRgbaPictureInMemory) {
    Buffer buffer;
    const unsigned char pixels[2][8] = {{255, 0, 0, 255, 0, 255, 0, 128},
                                        {0, 0, 255, 0, 10, 20, 30, 40}};
    {
        png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        png_infop info = png_create_info_struct(png);
        ASSERT_EQ(setjmp(png_jmpbuf(png)), 0);
        png_set_write_fn(png, &buffer, WriteBytes, nullptr);
        png_set_IHDR(png, info, 2, 2, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                     PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (const auto& row : pixels)
            png_write_row(png, row);
        png_write_end(png, nullptr);
        png_destroy_write_struct(&png, &info);
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    ASSERT_EQ(setjmp(png_jmpbuf(png)), 0);
    png_set_read_fn(png, &buffer, ReadBytes);
    png_read_info(png, info);
    EXPECT_EQ(png_get_image_width(png, info), 2u);
    EXPECT_EQ(png_get_color_type(png, info), PNG_COLOR_TYPE_RGBA);
    unsigned char row[8];
    png_read_row(png, row, nullptr);
    EXPECT_EQ(std::memcmp(row, pixels[0], 8), 0);
    png_read_row(png, row, nullptr);
    EXPECT_EQ(std::memcmp(row, pixels[1], 8), 0);
    png_destroy_read_struct(&png, &info, nullptr);
    EXPECT_GE(png_access_version_number(), 10600u);
}

size_t ReadNothing(void*, size_t, size_t, void*) {
    return 0;
}

TEST(Toolchain, VorbisfileIsLinkedAndRejectsAnEmptyStream) {
    EXPECT_NE(std::string(vorbis_version_string()).find("Xiph"), std::string::npos);
    OggVorbis_File vf;
    ov_callbacks callbacks{ReadNothing, nullptr, nullptr, nullptr};
    EXPECT_LT(ov_open_callbacks(nullptr, &vf, nullptr, 0, callbacks), 0);
}

TEST(Toolchain, ResourceOfTheStringTypeRtRcdataIsFoundInAResourceOnlyDll) {
    HMODULE dll = LoadLibraryW(L"smoke_resources.dll");
    ASSERT_NE(dll, nullptr) << GetLastError();
    HRSRC found = FindResourceW(dll, MAKEINTRESOURCEW(101), L"RT_RCDATA");
    ASSERT_NE(found, nullptr);
    // The numeric RT_RCDATA type (10) is a different type: nothing there.
    EXPECT_EQ(FindResourceW(dll, MAKEINTRESOURCEW(101), MAKEINTRESOURCEW(10)), nullptr);
    HGLOBAL loaded = LoadResource(dll, found);
    const char* data = static_cast<const char*>(LockResource(loaded));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(std::string(data, SizeofResource(dll, found)), "YMT smoke resource\n");
    FreeLibrary(dll);
}

TEST(Toolchain, LayeredWindowTakesAPerPixelAlphaPicture) {
    ASSERT_GT(GetSystemMetrics(SM_CXSCREEN), 0) << "no display";
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"ymt_smoke_layered";
    ASSERT_NE(RegisterClassExW(&wc), 0);
    HWND window =
        CreateWindowExW(WS_EX_LAYERED | WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, L"",
                        WS_POPUP, 100, 100, 420, 350, nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(window, nullptr);

    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = 420;
    bi.bmiHeader.biHeight = 350;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(dib, nullptr);
    auto* px = static_cast<uint32_t*>(bits);
    for (int i = 0; i < 420 * 350; ++i)
        px[i] = 0x80400000;  // premultiplied, half alpha

    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, dib);
    POINT dst{100, 100}, src{0, 0};
    SIZE size{420, 350};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    EXPECT_TRUE(
        UpdateLayeredWindow(window, screen, &dst, &size, memory, &src, 0, &blend, ULW_ALPHA));
    ShowWindow(window, SW_SHOWNOACTIVATE);
    EXPECT_TRUE(IsWindowVisible(window));
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    DeleteObject(dib);
    DestroyWindow(window);
}

}  // namespace
