#pragma once
// The real file system behind HelperFileSystem.
#include <string>
#include <vector>

#include "common/handles_win.h"
#include "watch/helper_file.h"

class Win32HelperFiles final : public HelperFileSystem {
  public:
    const std::u16string& ProfileRoot() override;
    // The profile root is listed again only when folders have come, gone or been renamed in
    // it since it was last listed (a change notification on it), so an unchanged root costs
    // one wait with no timeout rather than a walk of its entries. A missing root is looked
    // for again only when folders change in the deepest folder above it that exists.
    bool ListFolders(const std::u16string& root, FolderVisitor& visitor) override;
    // Opened for reading only, sharing reading and writing with the helper that rewrites it;
    // one ReadFile.
    std::ptrdiff_t ReadHead(const std::u16string& path, std::span<uint8_t> bytes) override;

  private:
    // Watches root (or the folder above it) and lists it when it exists.
    void ProbeRoot(const std::u16string& root);

    std::u16string m_root;  // the expanded profile root, once m_rootExpanded
    bool m_rootExpanded = false;
    std::u16string m_probedRoot;  // the root the state below belongs to; empty for none
    bool m_rootFound = false;
    std::vector<std::u16string> m_folders;  // the root's folders, when found
    UniqueChangeNotification m_watch;       // on the root, or on the folder above it
};
