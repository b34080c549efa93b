#pragma once
// Registering the host with Firefox for the current user: the manifest next to the host
// program, and the registry key Firefox looks it up by.
#include <optional>
#include <string>
#include <string_view>

// hostPath's folder + kHostManifestFileName.
std::u16string HostManifestPath(std::u16string_view hostPath);

// Writes the manifest for hostPath and points the registry key at it.
bool InstallHost(std::u16string_view hostPath);

// Removes the registry key and hostPath's manifest; true when neither is left (also
// when there was nothing to remove).
bool UninstallHost(std::u16string_view hostPath);

// The manifest path the registry key holds, if any.
std::optional<std::u16string> RegisteredManifestPath();

enum class RegistrationCommand { Ask, Install, Uninstall };

// Carries out a command for the user: Ask offers to register (or, when this copy is
// registered, to remove the registration) with a question box. Unless quiet, the result is
// shown in a message box. Returns the process exit code: 0 done or declined, 1 failed.
int RunRegistrationCommand(RegistrationCommand command, std::u16string_view hostPath, bool quiet);
