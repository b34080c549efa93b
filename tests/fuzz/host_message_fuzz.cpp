// What Firefox's helper host takes from outside as text: the JSON of a frame body, UTF-8
// from standard input, and prefs.js from a profile folder.
#include <string>

#include "helper/host/host_message.h"
#include "helper/host/profile_choice.h"
#include "helper/host/utf8.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr std::u16string_view kIdentity = u"0b1c2d3e-4f50-4a6b-8c7d-9e0f1a2b3c4d";

bool HasLoneSurrogate(std::u16string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // No terminator to stop a reader.
    const auto storage = fuzz::ExactCopy(data, size);
    const std::string_view text(reinterpret_cast<const char*>(storage.get()), size);

    // Strict UTF-8 reads back to the very same bytes.
    const auto utf16 = Utf8ToUtf16(text);
    if (utf16) {
        FUZZ_CHECK(!HasLoneSurrogate(*utf16));
        FUZZ_CHECK(Utf16ToUtf8(*utf16) == text);
    }

    const auto message = ParseHostMessage(text);
    if (message) {
        FUZZ_CHECK(utf16.has_value());
        FUZZ_CHECK(!HasLoneSurrogate(message->id) && !HasLoneSurrogate(message->url));
        FUZZ_CHECK(message->hasPage || message->url.empty());
    }

    // Any units, lone surrogates included, become UTF-8 that reads back with U+FFFD for each.
    const std::u16string units = fuzz::UnitsFromBytes(data, size);
    const auto back = Utf8ToUtf16(Utf16ToUtf8(units));
    FUZZ_CHECK(back.has_value() && back->size() == units.size());
    for (size_t i = 0; i < units.size(); ++i) {
        FUZZ_CHECK((*back)[i] == units[i] ||
                   ((*back)[i] == 0xFFFD && units[i] >= 0xD800 && units[i] <= 0xDFFF));
    }

    // prefs.js: the identity is found only in a line that names the preference.
    if (PrefsMapIdentity(text, kIdentity)) {
        FUZZ_CHECK(text.find("\"extensions.webextensions.uuids\"") != std::string_view::npos);
        FUZZ_CHECK(text.find(std::string(kIdentity.begin(), kIdentity.end())) !=
                   std::string_view::npos);
    }
    FUZZ_CHECK(!PrefsMapIdentity(text, units) || IsExtensionIdentity(units));
    if (IsExtensionIdentity(units)) {
        FUZZ_CHECK(units.size() == 36);
    }
    if (IsPlainFolderName(units)) {
        FUZZ_CHECK(units.find_first_of(u"\\/:") == std::u16string::npos);
    }
    return 0;
}
