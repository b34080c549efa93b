#pragma once
// The messages our extension sends to the native host, one JSON object per frame:
//   {"id": "<the extension's moz-extension host>", "url": "<address of the page shown>"}
//   {"id": "<...>", "url": null}            -- no page is shown
// Other members are ignored, so later versions of the extension may add some.
#include <optional>
#include <string>
#include <string_view>

struct HostMessage {
    std::u16string id;
    bool hasPage = false;  // false: no page is shown ("url" null or absent)
    std::u16string url;    // the address as sent, when hasPage
};

// Deepest nesting of arrays and objects accepted in ignored members.
inline constexpr int kMaxJsonDepth = 32;

// Parses one frame body. Rejects (nullopt) anything but a complete JSON object in valid
// UTF-8 with a string "id", and with "url" either a string, null or absent; a string
// holding an unpaired surrogate escape is rejected too, since no address carries one.
// Duplicate members: the last one counts, as in JSON.parse.
std::optional<HostMessage> ParseHostMessage(std::string_view json);
