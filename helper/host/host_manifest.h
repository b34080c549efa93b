#pragma once
// The native-messaging manifest through which Firefox finds and starts the host.
#include <string>
#include <string_view>

// The host's name, as the extension calls runtime.connectNative with it.
inline constexpr char16_t kHostName[] = u"ymthelp";
// The extension's id; only it may start the host.
inline constexpr char kExtensionId[] = "ymthelp@yomitoki";
// Written next to the host program.
inline constexpr char16_t kHostManifestFileName[] = u"ymthelp.json";
// Under HKEY_CURRENT_USER; its default value is the manifest's full path.
inline constexpr char16_t kNativeHostKeyPath[] =
    u"Software\\Mozilla\\NativeMessagingHosts\\ymthelp";

// The text a JSON string literal needs for text (without the quotes), as UTF-8.
std::string JsonEscape(std::u16string_view text);

// The manifest's JSON (UTF-8, no mark) for the host program at hostPath.
std::string BuildHostManifest(std::u16string_view hostPath);
