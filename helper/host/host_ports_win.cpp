#include "helper/host/host_ports_win.h"

#include "helper/host/atomic_file_win.h"
#include "helper/host/helper_file.h"
#include "helper/host/profile_locator_win.h"

namespace {

// More than the program reads, so that a file of ours is always read whole.
constexpr std::size_t kMaxHelperFileBytes = std::size_t{64} * 1024;

}  // namespace

HostPorts MakeHostPorts(const std::u16string& root) {
    HostPorts ports;
    ports.findProfile = [root](std::u16string_view identity) {
        return FindProfileFolder(root, identity);
    };
    ports.readHelperFile = [](std::u16string_view folder) {
        return ReadSmallFile(std::u16string(folder) + u"\\" + kHelperFileName, kMaxHelperFileBytes);
    };
    ports.writeHelperFile = [](std::u16string_view folder, std::string_view bytes) {
        return ReplaceFileContent(folder, kHelperFileName, bytes);
    };
    ports.nowMs = [] { return static_cast<std::uint64_t>(GetTickCount64()); };
    return ports;
}

ReadBytesFn MakeHandleReader(HANDLE input) {
    return [input](std::span<std::uint8_t> buffer) -> std::size_t {
        const DWORD ask = buffer.size() > 0x10000 ? 0x10000 : static_cast<DWORD>(buffer.size());
        DWORD got = 0;
        if (input == nullptr || input == INVALID_HANDLE_VALUE ||
            !ReadFile(input, buffer.data(), ask, &got, nullptr)) {
            return 0;
        }
        return got;
    };
}
