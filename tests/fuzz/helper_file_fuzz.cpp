// Helper files as Firefox's helper (or anything else) left them in the profile folders:
// any bytes, any length, read once through MatchHelperFileBytes and once through the
// profile scan over a file system made of the input.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "tests/fuzz/fuzz_check.h"
#include "tests/support/test_bytes.h"
#include "watch/helper_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The whole input as one file, in an allocation of exactly its size.
    {
        const std::vector<uint8_t> bytes(data, data + size);
        char16_t marker = kNoHelperMarker;
        CurrentArticle article;
        const bool hit = MatchHelperFileBytes(bytes, marker, article);
        FUZZ_CHECK(hit || article.empty());
        // The same file read again carries the marker just read: a miss.
        CurrentArticle again;
        FUZZ_CHECK(!MatchHelperFileBytes(bytes, marker, again));
        FUZZ_CHECK(again.empty());
    }

    // The input cut into folders and files, scanned twice as the reader does, then the
    // remembered file read again.
    FuzzedDataProvider input(data, size);
    test::FakeProfiles files;
    const int count = input.ConsumeIntegralInRange(0, 4);
    for (int i = 0; i < count; ++i) {
        std::u16string name(1, static_cast<char16_t>(u'a' + i));
        files.folders.push_back(name);
        if (input.ConsumeBool()) {
            const size_t length = input.ConsumeIntegralInRange<size_t>(0, 2 * kHelperReadBytes);
            files.files[name] = input.ConsumeBytesAsString(length);
        }
    }
    // A miss leaves the article as it was (only a hit's article is used), so each round
    // starts from an empty one.
    HelperFileState state;
    for (int round = 0; round < 2; ++round) {
        CurrentArticle article;
        const bool hit = ScanFirefoxProfiles(files, state, article);
        FUZZ_CHECK(hit || article.empty());
        FUZZ_CHECK(hit || round == 1 || state.RememberedHelperPath.empty());
    }
    CurrentArticle article;
    const bool hit = ReadHelperFile(files, state, nullptr, article);
    FUZZ_CHECK(hit || state.RememberedHelperPath.empty());
    return 0;
}
