// Voice playback against the real voice plug-in, with the sound player recorded: what it is
// asked to play, in which order, and that an image is never replaced while it may play.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "common/handles_win.h"
#include "common/resource_win.h"
#include "common/scramble.h"
#include "voice/voice_player_win.h"

namespace {

struct Call {
    const void* sound;
    DWORD flags;
    // The image the player held when asked; it must not change before a stop.
    const void* heldImage;
};
std::vector<Call> g_calls;
VoicePlayer* g_player = nullptr;

BOOL WINAPI Record(LPCWSTR sound, HMODULE, DWORD flags) {
    g_calls.push_back({sound, flags, g_player->waveImage.data()});
    return TRUE;
}

class VoicePlayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_module.reset(LoadLibraryW(L"ymtvoice.dll"));
        ASSERT_TRUE(m_module);
        player.playSound = Record;
        g_player = &player;
        g_calls.clear();
    }
    void TearDown() override { g_player = nullptr; }
    HMODULE Module() const { return m_module.get(); }

    VoicePlayer player;
    Settings settings;

  private:
    UniqueHModule m_module;
};

TEST_F(VoicePlayerTest, PlaysTheDecodedClipFromMemoryAfterStoppingTheLastSound) {
    ASSERT_TRUE(PlayVoice(player, settings, Module(), 263));
    ASSERT_EQ(g_calls.size(), 2u);
    EXPECT_EQ(g_calls[0].sound, nullptr);
    EXPECT_EQ(g_calls[0].flags, 0u);
    EXPECT_EQ(g_calls[1].sound, player.waveImage.data());
    EXPECT_EQ(g_calls[1].flags, static_cast<DWORD>(SND_MEMORY | SND_ASYNC | SND_NODEFAULT));
    // The image is the clip's WAVE image.
    const ResourceBytes clip = FindNamedTypeResource(Module(), 263);
    VoiceBuffers buffers;
    std::vector<uint8_t> wave;
    ASSERT_TRUE(DecodeClipToWave(clip.data, clip.size, ScrambleKey, buffers, wave));
    EXPECT_EQ(player.waveImage, wave);
    EXPECT_EQ(std::memcmp(player.waveImage.data(), "RIFF", 4), 0);
}

TEST_F(VoicePlayerTest, TheSecondClipStopsTheFirstBeforeItsImageIsReplaced) {
    ASSERT_TRUE(PlayVoice(player, settings, Module(), 190));
    const void* first = player.waveImage.data();
    const size_t buffer = player.buffers.pcm.capacity();
    ASSERT_TRUE(PlayVoice(player, settings, Module(), 191));
    ASSERT_EQ(g_calls.size(), 4u);
    EXPECT_EQ(g_calls[2].sound, nullptr);
    EXPECT_EQ(g_calls[2].heldImage, first);  // still the first clip's image when stopped
    EXPECT_EQ(g_calls[3].sound, player.waveImage.data());
    // The decoding space is kept from clip to clip.
    EXPECT_EQ(player.buffers.pcm.capacity(), buffer);
    EXPECT_GE(buffer, VoiceBufferSize);
}

TEST_F(VoicePlayerTest, WithVoiceOffTheSoundPlayerIsNotTouchedAtAll) {
    settings.Voice = false;
    EXPECT_TRUE(PlayVoice(player, settings, Module(), 263));
    EXPECT_TRUE(PlayVoice(player, settings, Module(), 0));
    EXPECT_TRUE(PlayVoice(player, settings, Module(), 999));
    EXPECT_TRUE(g_calls.empty());
    EXPECT_TRUE(player.waveImage.empty());
}

TEST_F(VoicePlayerTest, ClipZeroOnlyStops) {
    EXPECT_TRUE(PlayVoice(player, settings, Module(), 0));
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].sound, nullptr);
}

TEST_F(VoicePlayerTest, AMissingClipOrPluginStopsTheSoundAndFailsSilently) {
    EXPECT_FALSE(PlayVoice(player, settings, Module(), 999));
    EXPECT_FALSE(PlayVoice(player, settings, Module(), 130));
    EXPECT_FALSE(PlayVoice(player, settings, nullptr, 263));
    ASSERT_EQ(g_calls.size(), 3u);
    for (const Call& call : g_calls)
        EXPECT_EQ(call.sound, nullptr);
}

TEST_F(VoicePlayerTest, DataThatIsNoClipIsNotPlayed) {
    // The balloon picture, a scrambled PNG under the same type, in the test's own module.
    EXPECT_FALSE(PlayVoice(player, settings, GetModuleHandleW(nullptr), 149));
    ASSERT_EQ(g_calls.size(), 1u);
    EXPECT_EQ(g_calls[0].sound, nullptr);
}

TEST_F(VoicePlayerTest, StopVoiceStopsWhateverPlays) {
    ASSERT_TRUE(PlayVoice(player, settings, Module(), 263));
    StopVoice(player);
    ASSERT_EQ(g_calls.size(), 3u);
    EXPECT_EQ(g_calls[2].sound, nullptr);
    EXPECT_EQ(g_calls[2].flags, 0u);
}

}  // namespace
