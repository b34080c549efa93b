// The character's voice clips as a damaged or foreign plug-in could hold them. The input
// is the clip as a plain Ogg file, scrambled here with the program's key so that the
// fuzzer mutates Ogg structure rather than XORed bytes (every key reaches the same decoder
// paths; the unit tests cover the key itself).
#include <cstring>
#include <vector>

#include "common/scramble.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/test_bytes.h"
#include "voice/clip_decode.h"

using test::Get32;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Kept across clips, as the player keeps it.
    static VoiceBuffers buffers;
    const auto scrambled = fuzz::ExactCopy(data, size, ScrambleKey);
    std::vector<uint8_t> wave(3, 0xAA);  // left over from an earlier clip
    const bool decoded = DecodeClipToWave(scrambled.get(), size, ScrambleKey, buffers, wave);
    if (!decoded) {
        FUZZ_CHECK(wave.empty());
        return 0;
    }
    // A well-formed image of whole 16-bit samples, never more than the limit.
    FUZZ_CHECK(wave.size() >= kWaveHeaderSize);
    const uint32_t bytes = Get32(wave, 40);
    FUZZ_CHECK(bytes == wave.size() - kWaveHeaderSize);
    FUZZ_CHECK(Get32(wave, 4) == bytes + 36);
    FUZZ_CHECK(bytes < VoiceBufferSize);
    FUZZ_CHECK(bytes % 2 == 0);
    FUZZ_CHECK(std::memcmp(wave.data(), "RIFF", 4) == 0);
    FUZZ_CHECK(std::memcmp(wave.data() + 8, "WAVEfmt ", 8) == 0);
    FUZZ_CHECK(std::memcmp(wave.data() + 36, "data", 4) == 0);
    return 0;
}
