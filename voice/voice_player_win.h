#pragma once
// Plays the voice clip of a spoken line: the clip resource of the voice plug-in is decoded
// whole into a WAVE image in memory, which the system's sound player plays asynchronously.
#include <windows.h>
// PlaySoundW; needs <windows.h> first, and WIN32_LEAN_AND_MEAN leaves it out.
#include <mmsystem.h>

#include <cstdint>
#include <vector>

#include "records/settings.h"
#include "voice/clip_decode.h"

// PlaySoundW's shape; tests put a recorder in its place.
using PlaySoundFunction = BOOL(WINAPI*)(LPCWSTR sound, HMODULE module, DWORD flags);

// The player's state for the whole run.
struct VoicePlayer {
    // Decoding space, allocated at the first clip and kept.
    VoiceBuffers buffers;
    // The image the sound player reads from while it plays: freed (replaced) only after
    // the sound player has been stopped.
    std::vector<uint8_t> waveImage;
    PlaySoundFunction playSound = ::PlaySoundW;
};

inline constexpr DWORD kVoicePlayFlags = SND_MEMORY | SND_ASYNC | SND_NODEFAULT;

// Plays clip `clip` (a resource of the type "RT_RCDATA" in voiceModule). With the Voice
// setting off nothing happens at all, and a clip still playing from earlier plays on.
// Otherwise the running sound is stopped first; clip 0 then succeeds silently. A clip that
// is missing (or no module) or is no scrambled Ogg Vorbis stream gives false, silently.
bool PlayVoice(VoicePlayer& player, const Settings& settings, HMODULE voiceModule, uint32_t clip);

// Stops whatever plays (at exit). The image stays until the next clip or the player's end.
void StopVoice(VoicePlayer& player);
