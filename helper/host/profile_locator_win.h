#pragma once
// Finds the Firefox profile folder of the extension that talks to the host.
#include <optional>
#include <string>
#include <string_view>

// "%APPDATA%\Mozilla\Firefox\Profiles\" with APPDATA filled in, ending in a backslash;
// empty when APPDATA is not an absolute path.
std::u16string FirefoxProfilesRoot();

// prefs.js files beyond this are not Firefox's and are not read.
inline constexpr std::size_t kMaxPrefsBytes = 64u << 20;

// True while a Firefox runs on the profile: Firefox holds "parent.lock" open with no
// sharing for as long as it runs, so our open fails with a sharing violation.
bool IsProfileRunning(std::u16string_view folder);

// The full path (root + folder name, no trailing backslash) of the one folder right inside
// root whose prefs.js maps identity (see ChooseProfile); nullopt when none or several.
std::optional<std::u16string> FindProfileFolder(std::u16string_view root,
                                                std::u16string_view identity);
