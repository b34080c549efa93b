// The callbacks through which vorbisfile reads a clip, driven by any sequence of reads,
// seeks and tells a damaged clip could make it ask for, and the WAVE image built from any
// stream description.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstring>
#include <memory>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "tests/support/test_bytes.h"
#include "voice/clip_decode.h"

using test::Get32;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const uint8_t key = input.ConsumeIntegral<uint8_t>();
    const size_t clipSize = input.ConsumeIntegralInRange<size_t>(0, 4096);
    const std::vector<uint8_t> clipBytes = input.ConsumeBytes<uint8_t>(clipSize);
    const auto clip = fuzz::ExactCopy(clipBytes.data(), clipBytes.size());
    VoiceSource source{clip.get(), static_cast<uint32_t>(clipBytes.size()), 0, key};

    for (int step = 0; step < 64 && input.remaining_bytes() > 0; ++step) {
        switch (input.ConsumeIntegralInRange(0, 3)) {
            case 0: {
                const size_t elementSize = input.ConsumeIntegralInRange<size_t>(0, 9);
                const size_t count = input.ConsumeIntegralInRange<size_t>(0, 600);
                const auto out = std::make_unique<uint8_t[]>(elementSize * count + 1);
                const int32_t before = source.position;
                const size_t k = ReadVoiceBytes(out.get(), elementSize, count, &source);
                FUZZ_CHECK(k <= count);
                const size_t bytes = k * elementSize;
                FUZZ_CHECK(source.position - before == static_cast<int64_t>(bytes));
                for (size_t i = 0; i < bytes; ++i) {
                    FUZZ_CHECK(out[i] == (clip[before + i] ^ key));
                }
                FUZZ_CHECK(source.position <= static_cast<int64_t>(source.size) || bytes == 0);
                break;
            }
            case 1: {
                const int64_t offset = input.ConsumeIntegral<int64_t>();
                const int origin = input.ConsumeIntegralInRange(-1, 3);
                const int result = SeekVoice(&source, offset, origin);
                FUZZ_CHECK(result == 0 || result == -1);
                FUZZ_CHECK(source.position >= 0);
                break;
            }
            case 2:
                FUZZ_CHECK(TellVoice(&source) == source.position);
                break;
            default: {
                uint8_t out[4];
                FUZZ_CHECK(ReadVoiceBytes(nullptr, 1, 1, &source) == static_cast<size_t>(-1));
                FUZZ_CHECK(ReadVoiceBytes(out, 1, 4, nullptr) == 0);
                FUZZ_CHECK(SeekVoice(nullptr, 0, 0) == -1);
                FUZZ_CHECK(TellVoice(nullptr) == -1);
                FUZZ_CHECK(CloseVoice(&source) == 0);
                break;
            }
        }
    }

    // Any stream description makes a header of the stated size over the samples given.
    const int channels = input.ConsumeIntegral<int>();
    const long rate = input.ConsumeIntegral<long>();
    const std::vector<uint8_t> pcm = input.ConsumeRemainingBytes<uint8_t>();
    const auto wave = BuildWaveImage(channels, rate, pcm.empty() ? nullptr : pcm.data(),
                                     static_cast<uint32_t>(pcm.size()));
    FUZZ_CHECK(wave.size() == kWaveHeaderSize + pcm.size());
    FUZZ_CHECK(Get32(wave, 40) == pcm.size());
    FUZZ_CHECK(pcm.empty() ||
               std::memcmp(wave.data() + kWaveHeaderSize, pcm.data(), pcm.size()) == 0);
    return 0;
}
