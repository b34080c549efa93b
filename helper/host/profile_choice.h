#pragma once
// Which Firefox profile folder belongs to the Firefox that started the host.
//
// Firefox gives each extension, in each profile, a random identity of its own: the host
// part of its moz-extension:// addresses. It keeps the mapping in the profile's prefs.js,
// in the preference "extensions.webextensions.uuids". The extension sends that identity
// with every message; the profile folder whose prefs.js maps it is ours. A copied profile
// folder carries the same mapping: then only a running profile (one whose lock file is
// held) can be ours, and when that does not settle it, nothing is written.
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Lower-case 8-4-4-4-12 hexadecimal, as Firefox writes it.
bool IsExtensionIdentity(std::u16string_view id);

// True when prefs (the bytes of a prefs.js) holds the identity as a whole word in its
// "extensions.webextensions.uuids" preference.
bool PrefsMapIdentity(std::string_view prefs, std::u16string_view id);

// A name that FindFirstFile may list and that names one folder right inside the profile
// root: not empty, not "." or "..", no separators, no drive or stream colon.
bool IsPlainFolderName(std::u16string_view name);

struct ProfileMatch {
    std::u16string name;  // the folder's name inside the profile root
    bool running = false;
};

// The one folder to write into among the folders whose prefs map the identity: the only
// one, or else the only running one; nullopt when none or several remain.
std::optional<std::u16string> ChooseProfile(std::span<const ProfileMatch> matches);
