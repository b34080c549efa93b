// Addresses as the window readers and the helper file deliver them: any units, any length.
#include <algorithm>
#include <memory>

#include "tests/fuzz/fuzz_check.h"
#include "watch/address_match.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string text = fuzz::UnitsFromBytes(data, size);
    // Exactly as long as the text and its terminator, so that any read past the terminator
    // lands outside the allocation, where AddressSanitizer sees it.
    const auto address = std::make_unique<char16_t[]>(text.size() + 1);
    std::copy(text.begin(), text.end(), address.get());
    address[text.size()] = u'\0';

    CurrentArticle article;
    article.text.fill(u'x');  // left over from an earlier call
    const bool hit = MatchWatchedAddress(address.get(), article);

    // The name is terminated inside its buffer, and only a hit leaves one behind.
    FUZZ_CHECK(std::find(article.text.begin(), article.text.end(), u'\0') != article.text.end());
    FUZZ_CHECK(hit || article.empty());

    // One pass over the same address decides the same way.
    CurrentArticle again;
    FUZZ_CHECK(MatchWatchedAddress(address.get(), again) == hit);
    FUZZ_CHECK(std::u16string(again.c_str()) == std::u16string(article.c_str()));
    return 0;
}
