#include "voice/clip_decode.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "common/boundary.h"

namespace {

void Put16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void Put32(uint8_t* p, uint32_t v) {
    Put16(p, v);
    Put16(p + 2, v >> 16);
}

int SeekCallback(void* source, ogg_int64_t offset, int origin) {
    return SeekVoice(source, offset, origin);
}

// The decoder's state; cleared whichever way the decode ends.
struct Decoder {
    OggVorbis_File file{};
    bool open = false;
    ~Decoder() {
        if (open) {
            ov_clear(&file);
        }
    }
};

constexpr int kChunkBytes = 4096;

}  // namespace

size_t ReadVoiceBytes(void* destination, size_t elementSize, size_t count, void* source) {
    if (destination == nullptr) {
        return static_cast<size_t>(-1);
    }
    auto* voice = static_cast<VoiceSource*>(source);
    if (voice == nullptr || elementSize == 0 || voice->position < 0 ||
        static_cast<uint32_t>(voice->position) >= voice->size) {
        return 0;
    }
    const size_t left = voice->size - static_cast<uint32_t>(voice->position);
    const size_t k = std::min(left / elementSize, count);
    const size_t bytes = k * elementSize;
    auto* out = static_cast<uint8_t*>(destination);
    const uint8_t* in = voice->data + voice->position;
    for (size_t i = 0; i < bytes; ++i) {
        out[i] = in[i] ^ voice->key;
    }
    voice->position += static_cast<int32_t>(bytes);
    return k;
}

int SeekVoice(void* source, int64_t offset, int origin) {
    auto* voice = static_cast<VoiceSource*>(source);
    if (voice == nullptr) {
        return -1;
    }
    const int64_t low = static_cast<int32_t>(static_cast<uint32_t>(offset));
    int64_t base;
    switch (origin) {
        case 0:
            base = 0;
            break;
        case 1:
            base = voice->position;
            break;
        case 2:
            base = voice->size;
            break;
        default:
            return -1;
    }
    const int64_t target = base + low;
    if (target < 0) {
        voice->position = 0;
        return -1;
    }
    // Past the end is allowed (reads there give 0); the position stays representable.
    voice->position = static_cast<int32_t>(std::min<int64_t>(target, INT32_MAX));
    return 0;
}

int CloseVoice(void*) {
    return 0;
}

long TellVoice(void* source) {
    auto* voice = static_cast<VoiceSource*>(source);
    return voice != nullptr ? voice->position : -1;
}

std::vector<uint8_t> BuildWaveImage(int channels, long rate, const uint8_t* pcm, uint32_t bytes) {
    std::vector<uint8_t> image(kWaveHeaderSize + bytes);
    uint8_t* h = image.data();
    const uint32_t ch = static_cast<uint32_t>(channels);
    const uint32_t hz = static_cast<uint32_t>(rate);
    std::memcpy(h, "RIFF", 4);
    Put32(h + 4, bytes + 36);
    std::memcpy(h + 8, "WAVE", 4);
    std::memcpy(h + 12, "fmt ", 4);
    Put32(h + 16, 16);
    Put16(h + 20, 1);  // PCM
    Put16(h + 22, ch);
    Put32(h + 24, hz);
    Put32(h + 28, hz * 2 * ch);
    Put16(h + 32, ch * 2);
    Put16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    Put32(h + 40, bytes);
    if (bytes != 0) {
        std::memcpy(h + kWaveHeaderSize, pcm, bytes);
    }
    return image;
}

namespace {

bool Decode(const uint8_t* data, size_t size, uint8_t key, VoiceBuffers& buffers,
            std::vector<uint8_t>& wave) {
    if (data == nullptr || size > INT32_MAX) {
        return false;
    }
    VoiceSource source{data, static_cast<uint32_t>(size), 0, key};
    const ov_callbacks callbacks{ReadVoiceBytes, SeekCallback, CloseVoice, TellVoice};
    Decoder decoder;
    if (ov_open_callbacks(&source, &decoder.file, nullptr, 0, callbacks) != 0) {
        return false;
    }
    decoder.open = true;
    const vorbis_info* info = ov_info(&decoder.file, -1);
    if (info == nullptr) {
        return false;
    }
    if (!buffers.pcm) {
        // Not zeroed: the pages stay untouched until a clip is decoded into them.
        buffers.pcm = std::make_unique_for_overwrite<uint8_t[]>(VoiceBufferSize);
    }
    uint32_t total = 0;
    char chunk[kChunkBytes];
    int bitstream = 0;
    for (;;) {
        const long n = ov_read(&decoder.file, chunk, kChunkBytes, 0, 2, 1, &bitstream);
        if (n <= 0 || total + static_cast<uint32_t>(n) >= VoiceBufferSize) {
            break;  // end, an error, or the chunk that would reach the limit
        }
        std::memcpy(buffers.pcm.get() + total, chunk, static_cast<size_t>(n));
        total += static_cast<uint32_t>(n);
    }
    wave = BuildWaveImage(info->channels, info->rate, buffers.pcm.get(), total);
    return true;
}

}  // namespace

bool DecodeClipToWave(const uint8_t* data, size_t size, uint8_t key, VoiceBuffers& buffers,
                      std::vector<uint8_t>& wave) {
    wave.clear();
    // Buffers that cannot be had make a silent clip, not an ended program.
    if (!CatchAtBoundary(false, [&] { return Decode(data, size, key, buffers, wave); })) {
        wave.clear();
        return false;
    }
    return true;
}
