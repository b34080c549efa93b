#pragma once
// Whole-file replacement that no reader sees half done.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// How often a refused rename is tried, and the pause between tries.
inline constexpr int kReplaceAttempts = 10;
inline constexpr unsigned kReplacePauseMs = 10;

// Writes bytes to a temporary file in folder, then renames it over folder\name in one
// step. A reader that has the old file open without delete sharing makes Windows refuse
// the rename; it is tried again for about a tenth of a second, then given up (the old
// content stays, whole, and the temporary file is removed). False when nothing changed.
bool ReplaceFileContent(std::u16string_view folder, std::u16string_view name,
                        std::string_view bytes);

// Reads a whole existing file of at most maxBytes, sharing it fully so that its owner may
// write, rename or delete it meanwhile; nullopt when it is missing, locked or too long.
std::optional<std::string> ReadSmallFile(std::u16string_view path, std::size_t maxBytes);
