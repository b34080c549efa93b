// Registry data as any program (or a hand in regedit) may have left it: any type, any
// bytes, any size; and integer texts checked against a second reading of the rule.
#include <fuzzer/FuzzedDataProvider.h>

#include <memory>
#include <vector>

#include "records/registry_value.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// The rule read another way: digits compared as text against the limits, no arithmetic
// beyond what fits.
std::optional<int32_t> ReferenceInteger(std::u16string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    const bool negative = text[0] == u'-';
    if (text[0] == u'+' || text[0] == u'-') {
        text.remove_prefix(1);
    }
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
    }
    while (!text.empty() && text[0] == u'0') {
        text.remove_prefix(1);
    }
    const std::u16string_view limit = negative ? u"2147483648" : u"2147483647";
    if (text.size() > limit.size() || (text.size() == limit.size() && text >= limit)) {
        return negative ? INT32_MIN : INT32_MAX;
    }
    int64_t value = 0;
    for (char16_t c : text) {
        value = value * 10 + (c - u'0');
    }
    return static_cast<int32_t>(negative ? -value : value);
}

constexpr uint32_t kTypes[] = {kRegNone,           kRegSz,   kRegExpandSz, kRegBinary, kRegDword,
                               kRegDwordBigEndian, kRegLink, kRegMultiSz,  kRegQword};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The whole input as a text.
    const std::u16string text = fuzz::UnitsFromBytes(data, size);
    FUZZ_CHECK(ParseIntegerText(text) == ReferenceInteger(text));

    FuzzedDataProvider input(data, size);
    const uint32_t type =
        input.ConsumeBool() ? kTypes[input.ConsumeIntegralInRange<size_t>(0, std::size(kTypes) - 1)]
                            : input.ConsumeIntegral<uint32_t>();
    const int32_t fallback = input.ConsumeIntegral<int32_t>();
    const std::vector<uint8_t> bytes = input.ConsumeRemainingBytes<uint8_t>();
    // Unaligned and exactly as long as the data.
    const auto storage = std::make_unique<uint8_t[]>(bytes.size() + 1);
    uint8_t* value = storage.get() + 1;
    std::copy(bytes.begin(), bytes.end(), value);
    const auto tail = fuzz::ExactCopy(bytes.data(), bytes.size());

    const std::u16string stored = TextFromRegistryData(tail.get(), bytes.size());
    FUZZ_CHECK(stored.size() <= bytes.size() / 2);
    FUZZ_CHECK(stored.find(u'\0') == std::u16string::npos);
    FUZZ_CHECK(TextFromRegistryData(nullptr, bytes.size()).empty());

    const int32_t result = IntegerFromRegistryData(type, tail.get(), bytes.size(), fallback);
    FUZZ_CHECK(result == IntegerFromRegistryData(type, value, bytes.size(), fallback));
    uint8_t b[4] = {};
    std::copy_n(bytes.begin(), std::min<size_t>(4, bytes.size()), b);
    switch (type) {
        case kRegSz:
        case kRegExpandSz:
        case kRegMultiSz:
            FUZZ_CHECK(result == ReferenceInteger(stored).value_or(fallback));
            break;
        case kRegDword:
        case kRegBinary:
        case kRegQword:
            FUZZ_CHECK(static_cast<uint32_t>(result) ==
                       (b[0] | b[1] << 8 | b[2] << 16 | uint32_t{b[3]} << 24));
            break;
        case kRegDwordBigEndian:
            FUZZ_CHECK(static_cast<uint32_t>(result) ==
                       (b[3] | b[2] << 8 | b[1] << 16 | uint32_t{b[0]} << 24));
            break;
        default:
            FUZZ_CHECK(result == fallback);
            break;
    }
    return 0;
}
