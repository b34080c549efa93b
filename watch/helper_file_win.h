#pragma once
// The real file system behind HelperFileSystem.
#include "watch/helper_file.h"

class Win32HelperFiles final : public HelperFileSystem {
  public:
    std::u16string ProfileRoot() override;
    bool ListFolders(const std::u16string& root, FolderVisitor& visitor) override;
    // Opened for reading only, sharing reading and writing with the helper that rewrites it;
    // one ReadFile.
    std::ptrdiff_t ReadHead(const std::u16string& path, std::span<uint8_t> bytes) override;
};
