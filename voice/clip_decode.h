#pragma once
// The character's voice clips: scrambled Ogg Vorbis files decoded from memory into a
// WAVE image (16-bit PCM) that the system's sound player plays from memory.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// At most this many PCM bytes are kept of one clip; the chunk that would reach it is
// dropped and the clip plays cut short.
inline constexpr uint32_t VoiceBufferSize = 10'240'000;
inline constexpr size_t kWaveHeaderSize = 44;

// What vorbisfile reads from: the clip resource, its size and the read position.
struct VoiceSource {
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    int32_t position = 0;
    uint8_t key = 0;
};

// vorbisfile's callbacks over a VoiceSource (passed as the data source).
// Read: unscrambles whole elements up to the end; a null destination gives (size_t)-1.
size_t ReadVoiceBytes(void* destination, size_t elementSize, size_t count, void* source);
// Seek: origins 0, 1, 2 (set, current, end) with the low 32 bits of offset; a result below
// 0 puts the position at 0 and gives -1; a position past the end is allowed.
int SeekVoice(void* source, int64_t offset, int origin);
int CloseVoice(void* source);
long TellVoice(void* source);

// The 44-byte RIFF/WAVE header (PCM, 16 bits) followed by the samples.
std::vector<uint8_t> BuildWaveImage(int channels, long rate, const uint8_t* pcm, uint32_t bytes);

// Reusable space for decoding, VoiceBufferSize bytes had at the first clip and kept across
// clips so that the PCM is not reallocated each time. It is left uninitialised: the system
// gives a page memory only when it is first written, so the program holds what its longest
// clip so far needed rather than the whole size.
struct VoiceBuffers {
    std::unique_ptr<uint8_t[]> pcm;
};

// Decodes a whole scrambled clip of size bytes into wave (a WAVE image). False when the
// data is not an Ogg Vorbis stream or memory for the buffers cannot be had (wave is then
// empty); a decoding error part-way keeps what came before it.
bool DecodeClipToWave(const uint8_t* data, size_t size, uint8_t key, VoiceBuffers& buffers,
                      std::vector<uint8_t>& wave);
