// Runs speeches on the character's windows with the real sound player while the audio output
// is captured to a file (the test script gives Wine an ALSA file plugin as its sound card),
// and checks the captured bytes. Usage: voice_capture_win <case> <capture file>, case one of:
//   play   nothing sounds during the fade-in; at step 30 the clip plays, and the captured
//          sound is exactly the PCM of clip 263 (silence may follow)
//   off    with Voice off a whole speech plays nothing at all
//   keeps  a clip that plays is not stopped by a later speech with Voice off
// Exits 0 when the case holds, 1 otherwise, with what it saw on stdout.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "character_fixture_win.h"
#include "common/handles_win.h"
#include "common/resource_win.h"
#include "common/scramble.h"
#include "voice/voice_player_win.h"

namespace {

std::vector<uint8_t> ReadAll(const wchar_t* path) {
    std::vector<uint8_t> bytes;
    UniqueHFile file(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
    if (!file) {
        return bytes;
    }
    LARGE_INTEGER size{};
    GetFileSizeEx(file.get(), &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    if (!bytes.empty()) {
        ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    }
    bytes.resize(read);
    return bytes;
}

// Waits until the capture holds at least `bytes` and has stopped growing, or `ms` passed.
std::vector<uint8_t> WaitForCapture(const wchar_t* path, size_t bytes, DWORD ms) {
    const ULONGLONG start = GetTickCount64();
    size_t last = 0;
    int still = 0;
    std::vector<uint8_t> got;
    while (GetTickCount64() - start < ms) {
        Sleep(100);
        got = ReadAll(path);
        still = got.size() == last ? still + 1 : 0;
        last = got.size();
        if (got.size() >= bytes && still >= 5) {
            break;
        }
    }
    return got;
}

std::vector<uint8_t> PcmOf(HMODULE module, uint32_t clip) {
    const ResourceBytes r = FindNamedTypeResource(module, clip);
    VoiceBuffers buffers;
    std::vector<uint8_t> wave;
    if (!DecodeClipToWave(r.data, r.size, ScrambleKey, buffers, wave)) {
        return {};
    }
    return {wave.begin() + kWaveHeaderSize, wave.end()};
}

// The capture starts with exactly `pcm`, and whatever follows is silence.
bool StartsWithThenSilence(const std::vector<uint8_t>& got, const std::vector<uint8_t>& pcm) {
    if (got.size() < pcm.size()) {
        std::printf("captured %zu bytes, expected at least %zu\n", got.size(), pcm.size());
        return false;
    }
    for (size_t i = 0; i < pcm.size(); ++i) {
        if (got[i] != pcm[i]) {
            std::printf("first difference at byte %zu of %zu\n", i, pcm.size());
            return false;
        }
    }
    for (size_t i = pcm.size(); i < got.size(); ++i) {
        if (got[i] != 0) {
            std::printf("non-silent byte at %zu after the clip\n", i);
            return false;
        }
    }
    std::printf("captured %zu bytes: the clip's %zu PCM bytes exactly, then %zu of silence\n",
                got.size(), pcm.size(), got.size() - pcm.size());
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::printf("usage: voice_capture_win play|off|keeps <capture file>\n");
        return 2;
    }
    const std::wstring which = argv[1];
    const wchar_t* capture = argv[2];
    UniqueHModule module(LoadLibraryW(L"ymtvoice.dll"));
    if (!module) {
        std::printf("ymtvoice.dll not loaded\n");
        return 1;
    }
    character_test::UnmanagedWindowsUnderWine(L"voice_capture_win.exe");
    character_test::Harness h;
    h.windows->Voice().playSound = ::PlaySoundW;
    if (!h.Create()) {
        std::printf("windows not created\n");
        return 1;
    }
    const std::vector<uint8_t> pcm = PcmOf(module.get(), 263);
    if (pcm.empty()) {
        std::printf("clip 263 does not decode\n");
        return 1;
    }
    bool ok = false;
    if (which == L"play") {
        h.Say(u"ごようですか？", IDT_TALK + 2, 263);
        h.StepTo(h.speech.SpeechLength - 30);  // the whole fade-in
        const std::vector<uint8_t> early = WaitForCapture(capture, 1, 1'000);
        std::printf("captured %zu bytes during the fade-in\n", early.size());
        h.Step();  // step 30
        ok = early.empty() &&
             StartsWithThenSilence(WaitForCapture(capture, pcm.size(), 20'000), pcm);
    } else if (which == L"off") {
        h.settings.Voice = false;
        h.Say(u"ごようですか？", IDT_TALK + 2, 263);
        h.RunToEnd();
        const std::vector<uint8_t> got = WaitForCapture(capture, 1, 2'000);
        std::printf("captured %zu bytes with Voice off\n", got.size());
        ok = got.empty();
    } else if (which == L"keeps") {
        h.Say(u"ごようですか？", IDT_TALK + 2, 263);
        h.StepTo(h.speech.SpeechLength - 31);  // step 30 comes next
        h.Step();
        h.settings.Voice = false;
        h.Say(u"こんにちは。", IDT_TALK + 2, 190);
        h.StepTo(h.speech.SpeechLength - 31);
        ok = StartsWithThenSilence(WaitForCapture(capture, pcm.size(), 20'000), pcm);
    }
    h.windows->StopVoice();
    std::printf("%ls: %s\n", which.c_str(), ok ? "ok" : "FAILED");
    return ok ? 0 : 1;
}
