#include "voice/voice_player_win.h"

#include "common/resource_win.h"
#include "common/scramble.h"

bool PlayVoice(VoicePlayer& player, const Settings& settings, HMODULE voiceModule, uint32_t clip) {
    if (!settings.Voice) {
        return true;
    }
    // Synchronous: when this returns the sound player no longer reads the old image.
    StopVoice(player);
    if (clip == 0) {
        return true;
    }
    const ResourceBytes resource = FindNamedTypeResource(voiceModule, clip);
    if (resource.data == nullptr) {
        return false;
    }
    // Replaces (frees) the previous image, which was stopped above.
    if (!DecodeClipToWave(resource.data, resource.size, ScrambleKey, player.buffers,
                          player.waveImage)) {
        return false;
    }
    return player.playSound(reinterpret_cast<LPCWSTR>(player.waveImage.data()), nullptr,
                            kVoicePlayFlags) != FALSE;
}

void StopVoice(VoicePlayer& player) {
    player.playSound(nullptr, nullptr, 0);
}
