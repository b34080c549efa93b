#include "helper/host/helper_file.h"

namespace {

constexpr std::u16string_view kCycle = kMarkerCycle;

void AppendUnit(std::string& out, char16_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

char16_t UnitAt(std::string_view bytes, std::size_t index) {
    return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * index]) |
                                 (static_cast<unsigned char>(bytes[2 * index + 1]) << 8));
}

}  // namespace

char16_t NextMarker(std::optional<char16_t> last) {
    if (!last) {
        return kCycle.front();
    }
    const std::size_t at = kCycle.find(*last);
    if (at == std::u16string_view::npos) {
        return kCycle.front();
    }
    return kCycle[(at + 1) % kCycle.size()];
}

std::optional<char16_t> MarkerOfContent(std::string_view bytes) {
    const std::size_t units = bytes.size() / 2;
    std::size_t index = 0;
    if (units > 0 && UnitAt(bytes, 0) == 0xFEFF) {
        index = 1;
    }
    if (index >= units) {
        return std::nullopt;
    }
    return UnitAt(bytes, index);
}

std::u16string_view ClipAddress(std::u16string_view address) {
    if (address.size() <= kMaxAddressUnits) {
        return address;
    }
    std::size_t size = kMaxAddressUnits;
    const char16_t last = address[size - 1];
    if (last >= 0xD800 && last <= 0xDBFF) {
        --size;  // its low half would be cut off
    }
    return address.substr(0, size);
}

std::string BuildHelperFileContent(char16_t marker, std::u16string_view address) {
    const std::u16string_view clipped = ClipAddress(address);
    std::string out;
    out.reserve(2 * (3 + clipped.size()));
    AppendUnit(out, 0xFEFF);
    AppendUnit(out, marker);
    AppendUnit(out, kHelperSeparator);
    for (const char16_t unit : clipped) {
        AppendUnit(out, unit);
    }
    return out;
}
