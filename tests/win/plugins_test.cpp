// The plug-in libraries as the program uses them: loaded as ordinary libraries, every
// resource the program looks up is there and decodes.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "character/picture_decode.h"
#include "common/handles_win.h"
#include "common/scramble.h"
#include "tests/support/pictures_reference.h"
#include "voice/clip_decode.h"

namespace {

struct Resource {
    const uint8_t* data = nullptr;
    DWORD size = 0;
};

Resource FindData(HMODULE module, int id) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), L"RT_RCDATA");
    if (found == nullptr) {
        return {};
    }
    HGLOBAL loaded = LoadResource(module, found);
    return {static_cast<const uint8_t*>(LockResource(loaded)), SizeofResource(module, found)};
}

class EditionPlugin : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(EditionPlugin, HoldsItsStringsIconsAndPictures) {
    UniqueHModule module(LoadLibraryW(GetParam()));
    ASSERT_TRUE(module) << GetLastError();
    for (int id : {101, 102}) {
        wchar_t text[64] = {};
        EXPECT_GT(LoadStringW(module.get(), id, text, 64), 0) << id;
    }
    for (int id : {130, 134, 135}) {
        UniqueHIcon icon(static_cast<HICON>(
            LoadImageW(module.get(), MAKEINTRESOURCEW(id), IMAGE_ICON, 16, 16, 0)));
        EXPECT_TRUE(icon) << id;
        UniqueHIcon large(static_cast<HICON>(
            LoadImageW(module.get(), MAKEINTRESOURCEW(id), IMAGE_ICON, 256, 256, 0)));
        EXPECT_TRUE(large) << id;
    }
    for (int id : {138, 140, 142, 143, 144, 145, 146, 147, 148, 150,
                   151, 152, 153, 154, 155, 156, 157, 158, 159, 160}) {
        Resource r = FindData(module.get(), id);
        ASSERT_NE(r.data, nullptr) << id;
        PixelImage image;
        EXPECT_TRUE(
            DecodeScrambledPicture(r.data, r.size, ScrambleKey, kPoseWidth, kPictureHeight, image))
            << id;
    }
    EXPECT_EQ(FindData(module.get(), 139).data, nullptr);
}

INSTANTIATE_TEST_SUITE_P(All, EditionPlugin,
                         ::testing::Values(L"ymthinata.dll", L"ymttsubaki.dll", L"ymtsazanka.dll"));

TEST(VoicePlugin, EveryClipDecodesToAFewSecondsWithoutClipping) {
    UniqueHModule module(LoadLibraryW(L"ymtvoice.dll"));
    ASSERT_TRUE(module) << GetLastError();
    VoiceBuffers buffers;
    std::vector<uint8_t> wave;
    for (int id = 131; id <= 263; ++id) {
        Resource r = FindData(module.get(), id);
        ASSERT_NE(r.data, nullptr) << id;
        ASSERT_TRUE(DecodeClipToWave(r.data, r.size, ScrambleKey, buffers, wave)) << id;
        const uint32_t channels = wave[22] | wave[23] << 8;
        const uint32_t rate = wave[24] | wave[25] << 8 | wave[26] << 16;
        const size_t samples = (wave.size() - kWaveHeaderSize) / 2;
        const double seconds = static_cast<double>(samples) / channels / rate;
        EXPECT_GE(seconds, 0.3) << id;
        EXPECT_LE(seconds, 8.0) << id;
        int peak = 0;
        for (size_t i = 0; i < samples; ++i) {
            const int16_t s = static_cast<int16_t>(wave[44 + 2 * i] | wave[45 + 2 * i] << 8);
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        }
        EXPECT_LT(peak, 32767) << id << " clips";
    }
    EXPECT_EQ(FindData(module.get(), 130).data, nullptr);
    EXPECT_EQ(FindData(module.get(), 264).data, nullptr);
}

}  // namespace
