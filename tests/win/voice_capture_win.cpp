// Runs a speech on the character's windows with the real sound player while the audio output
// is captured to a file (the test script gives Wine an ALSA file plugin as its sound card):
// nothing sounds during the fade-in, and from step 30 the capture is exactly the PCM of the
// clip (silence may follow). Usage: voice_capture_win <capture file>; exits 0 when it holds.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "character_fixture_win.h"
#include "common/resource_win.h"
#include "common/scramble.h"

namespace {

// The capture once it holds at least `bytes` and has stopped growing, or after `ms`.
std::vector<uint8_t> WaitForCapture(const wchar_t* path, size_t bytes, DWORD ms) {
    std::vector<uint8_t> got;
    for (int still = 0, n = 0; n * 100 < static_cast<int>(ms); ++n) {
        Sleep(100);
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> now((std::istreambuf_iterator<char>(in)), {});
        still = now.size() == got.size() ? still + 1 : 0;
        got = std::move(now);
        if (got.size() >= bytes && still >= 5) {
            break;
        }
    }
    return got;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    UniqueHModule voice(LoadLibraryW(L"ymtvoice.dll"));
    const ResourceBytes clip = FindNamedTypeResource(voice.get(), 263);
    VoiceBuffers buffers;
    std::vector<uint8_t> wave;
    if (argc < 2 || !DecodeClipToWave(clip.data, clip.size, ScrambleKey, buffers, wave)) {
        std::printf("usage: voice_capture_win <capture file>, with ymtvoice.dll at hand\n");
        return 2;
    }
    const std::vector<uint8_t> pcm(wave.begin() + kWaveHeaderSize, wave.end());
    character_test::UnmanagedWindowsUnderWine(L"voice_capture_win.exe");
    character_test::Harness h;
    h.windows->Voice().playSound = ::PlaySoundW;
    if (!h.Create()) {
        std::printf("windows not created\n");
        return 1;
    }
    h.Say(u"ごようですか？", IDT_TALK + 2, 263);
    h.StepTo(h.speech.SpeechLength - 30);  // the whole fade-in
    const size_t early = WaitForCapture(argv[1], 1, 1'000).size();
    h.Step();  // step 30
    const std::vector<uint8_t> got = WaitForCapture(argv[1], pcm.size(), 20'000);
    h.windows->StopVoice();
    const bool whole = got.size() >= pcm.size() && std::equal(pcm.begin(), pcm.end(), got.begin());
    const bool silentAfter = std::all_of(got.begin() + std::min(got.size(), pcm.size()), got.end(),
                                         [](uint8_t b) { return b == 0; });
    std::printf("%zu bytes during the fade-in; then %zu, the clip's %zu %s, %s\n", early,
                got.size(), pcm.size(), whole ? "exactly" : "NOT",
                silentAfter ? "then silence" : "then NOISE");
    return early == 0 && whole && silentAfter ? 0 : 1;
}
