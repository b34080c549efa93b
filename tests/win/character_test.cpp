// The character's resources from the real plug-ins and the program's module: the pictures as
// layered-window DIBs, the strings and icons, and the voice handed to the sound player.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "character/dpi_scale.h"
#include "character/picture_decode.h"
#include "character/pictures_win.h"
#include "common/handles_win.h"
#include "common/resource_win.h"
#include "common/scramble.h"
#include "tests/support/pictures_reference.h"
#include "voice/voice_player_win.h"

namespace {

const wchar_t* const kEditions[] = {L"ymthinata.dll", L"ymttsubaki.dll", L"ymtsazanka.dll"};

// Every pose's slot, in the order of the plug-ins' ids 138, 140, 142-148 and 150-160.
std::vector<HBITMAP> Slots(const PictureSet& set) {
    std::vector<HBITMAP> slots;
    for (PictureRole role :
         {PictureRole::Yawn, PictureRole::Warning, PictureRole::Report, PictureRole::ViewingEnd,
          PictureRole::SecondReport, PictureRole::Click}) {
        slots.push_back(set.Get({role, 0}));
    }
    for (int i = 0; i < 3; ++i) {
        slots.push_back(set.Get({PictureRole::Chime, i}));
    }
    for (int i = 0; i < 11; ++i) {
        slots.push_back(set.Get({PictureRole::AnimationFrame, i}));
    }
    return slots;
}

struct Dib {
    DIBSECTION section{};
    const uint32_t* bits = nullptr;
};
Dib View(HBITMAP bitmap) {
    Dib dib;
    if (GetObjectW(bitmap, sizeof dib.section, &dib.section) == sizeof dib.section) {
        dib.bits = static_cast<const uint32_t*>(dib.section.dsBm.bmBits);
    }
    return dib;
}

PixelImage Decode(HMODULE module, uint32_t id, int width, int height = kPictureHeight) {
    const ResourceBytes r = FindNamedTypeResource(module, id);
    PixelImage image;
    DecodeScrambledPicture(r.data, r.size, ScrambleKey, width, height, image);
    return image;
}

// Whether the DIB's columns from left hold expected, each channel within tolerance.
bool Holds(const Dib& dib, int left, const PixelImage& expected, int tolerance) {
    for (int row = 0; row < expected.height; ++row) {
        for (int x = 0; x < expected.width; ++x) {
            const uint32_t a = dib.bits[row * dib.section.dsBmih.biWidth + left + x];
            const uint32_t b = expected.At(x, row);
            for (int shift = 0; shift < 32; shift += 8) {
                if (std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > tolerance) {
                    return false;
                }
            }
        }
    }
    return true;
}

TEST(Pictures, EveryEditionFillsEveryPoseWithItsOwnUprightPremultipliedDib) {
    HMODULE program = GetModuleHandleW(nullptr);
    for (const wchar_t* name : kEditions) {
        UniqueHModule edition(LoadLibraryW(name));
        ASSERT_TRUE(edition) << name;
        for (int id : {101, 102}) {
            wchar_t text[64] = {};
            EXPECT_GT(LoadStringW(edition.get(), id, text, 64), 0) << id;
        }
        for (int id : {130, 134, 135}) {
            UniqueHIcon icon(static_cast<HICON>(
                LoadImageW(edition.get(), MAKEINTRESOURCEW(id), IMAGE_ICON, 256, 256, 0)));
            EXPECT_TRUE(icon) << id;
        }
        const PictureSet set = LoadPictureSet(program, edition.get());
        const std::vector<HBITMAP> slots = Slots(set);
        for (std::size_t i = 0; i < slots.size(); ++i) {
            ASSERT_NE(slots[i], nullptr) << i;
            for (std::size_t j = 0; j < i; ++j) {
                EXPECT_NE(slots[i], slots[j]) << i;
            }
        }
        const Dib dib = View(set.Get({PictureRole::AnimationFrame, 10}));
        EXPECT_EQ(dib.section.dsBmih.biHeight, 350);  // positive: bottom row first, upright
        EXPECT_EQ(dib.section.dsBmih.biBitCount, 32);
        EXPECT_EQ(dib.section.dsBitfields[0], 0x00FF0000u);
        PixelImage expected;
        ASSERT_TRUE(ComposeWithBalloon(Decode(program, 149, BalloonWidth),
                                       Decode(edition.get(), 160, kPoseWidth), expected));
        EXPECT_EQ(std::memcmp(dib.bits, expected.pixels.data(), 420 * 350 * 4), 0);
    }
}

TEST(Pictures, MissingCutShortAndForeignPosesLeaveOnlyTheirSlotsEmpty) {
    UniqueHModule partial(LoadLibraryW(L"character_partial.dll"));
    ASSERT_TRUE(partial);
    const std::vector<HBITMAP> slots =
        Slots(LoadPictureSet(GetModuleHandleW(nullptr), partial.get()));
    for (std::size_t i = 0; i < slots.size(); ++i) {
        EXPECT_EQ(slots[i] != nullptr, i == 0 || i == 9) << i;  // 138 and 150 are whole
    }
}

TEST(Pictures, AboveOneHundredPercentTheyComeFromTheDrawingAtTwiceTheSize) {
    HMODULE program = GetModuleHandleW(nullptr);
    UniqueHModule edition(LoadLibraryW(L"ymthinata.dll"));
    const PixelImage balloon = Decode(program, IDR_BALLOON_PICTURE_2X, 2 * BalloonWidth, 700);
    const PixelImage pose = Decode(edition.get(), IDR_DOUBLE_SIZE_OFFSET + 160, 350, 700);
    const CharacterLayout l = LayoutForDpi(144);
    const PictureSet set = LoadPictureSet(program, edition.get(), 144);
    const Dib dib = View(set.Get({PictureRole::AnimationFrame, 10}));
    ASSERT_NE(dib.bits, nullptr);
    ASSERT_EQ(dib.section.dsBmih.biWidth, l.width);
    EXPECT_TRUE(Holds(dib, 0, ScaleReference(balloon, l.balloonWidth, l.height), 1));
    EXPECT_TRUE(
        Holds(dib, l.balloonWidth, ScaleReference(pose, l.width - l.balloonWidth, l.height), 1));
}

// What the sound player was asked, and the image the player held then.
struct Call {
    const void* sound;
    DWORD flags;
    const void* heldImage;
};
std::vector<Call> g_calls;
VoicePlayer* g_player = nullptr;

BOOL WINAPI Record(LPCWSTR sound, HMODULE, DWORD flags) {
    g_calls.push_back({sound, flags, g_player->waveImage.data()});
    return TRUE;
}

TEST(Voice, EveryClipDecodesAndPlaysFromMemoryAfterTheLastOneStopped) {
    UniqueHModule voice(LoadLibraryW(L"ymtvoice.dll"));
    ASSERT_TRUE(voice);
    VoicePlayer player;
    player.playSound = Record;
    g_player = &player;
    Settings settings;
    for (uint32_t clip = 131; clip <= 263; ++clip) {
        const void* previous = player.waveImage.data();
        g_calls.clear();
        ASSERT_TRUE(PlayVoice(player, settings, voice.get(), clip)) << clip;
        ASSERT_EQ(g_calls.size(), 2u);
        EXPECT_EQ(g_calls[0].sound, nullptr);  // stopped while its image was still held
        EXPECT_EQ(g_calls[0].heldImage, previous);
        EXPECT_EQ(g_calls[1].sound, player.waveImage.data());
        EXPECT_EQ(g_calls[1].flags, static_cast<DWORD>(SND_MEMORY | SND_ASYNC | SND_NODEFAULT));
    }
    g_calls.clear();
    EXPECT_FALSE(PlayVoice(player, settings, voice.get(), 264));
    EXPECT_FALSE(PlayVoice(player, settings, GetModuleHandleW(nullptr), 149));  // no clip
    settings.Voice = false;
    EXPECT_TRUE(PlayVoice(player, settings, voice.get(), 263));
    ASSERT_EQ(g_calls.size(), 2u);  // the two failures stopped the sound; voice off did not
    g_player = nullptr;
}

}  // namespace
