#include "helper/host/host_manifest.h"

#include "helper/host/utf8.h"

std::string JsonEscape(std::u16string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (const char c : Utf16ToUtf8(text)) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

std::string BuildHostManifest(std::u16string_view hostPath) {
    std::string out = "{\n";
    out += "  \"name\": \"" + JsonEscape(kHostName) + "\",\n";
    out += "  \"description\": \"Writes the address of the page shown in Firefox for ymt.exe\",\n";
    out += "  \"path\": \"" + JsonEscape(hostPath) + "\",\n";
    out += "  \"type\": \"stdio\",\n";
    out += "  \"allowed_extensions\": [\"" + std::string(kExtensionId) + "\"]\n";
    out += "}\n";
    return out;
}
