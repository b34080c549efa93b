#pragma once
// The native host's ports over the real Windows: the profile root's folders, the address
// files in them, standard input.
#include <windows.h>

#include <string>

#include "helper/host/host_session.h"
#include "helper/host/native_frames.h"

// Ports that find profiles under root (see FirefoxProfilesRoot) and write only there.
HostPorts MakeHostPorts(const std::u16string& root);

// Reads from a pipe or file handle (standard input when Firefox starts the host); a broken
// pipe counts as the end of the input.
ReadBytesFn MakeHandleReader(HANDLE input);
