#pragma once
// The viewing clock's sample sources over the real desktop: the browsers' address controls
// and the Firefox helper files, with what the readers keep between samples.
#include "watch/accessible_bar_win.h"
#include "watch/control_path.h"
#include "watch/helper_file.h"
#include "watch/helper_file_win.h"
#include "watch/window_tree_win.h"

class BrowserWatch {
  public:
    // Each returns true on a hit, having run MatchWatchedAddress over what it read, which
    // leaves the article behind.

    // Re-reads RememberedHelperPath; a miss forgets it. False when there is none.
    bool RereadRememberedHelperFile(CurrentArticle& article);
    // Re-checks the cached control; a miss forgets it. False when there is none.
    bool RecheckCachedReader(CurrentArticle& article);
    // Reads the helper file of every Firefox profile; the last file that hits is remembered.
    bool ScanFirefoxProfiles(CurrentArticle& article);
    // Scans the top-level windows front to back; a hit caches the reader that found it.
    bool ScanBrowsers(CurrentArticle& article);
    // Reads the remembered accessible address bar, or after a miss searches the browsers'
    // accessibility trees (at most once a second, within kAccessibleBudgetMs).
    bool ScanAccessibleBars(CurrentArticle& article);

    const CachedReader& cachedReader() const { return m_cachedReader; }
    const HelperFileState& helperFiles() const { return m_helperFiles; }
    const AccessibleBarState& accessibleBars() const { return m_accessibleBars; }

  private:
    Win32WindowTree m_windows;
    Win32HelperFiles m_files;
    CachedReader m_cachedReader;
    HelperFileState m_helperFiles;  // RememberedHelperPath and LastHelperMarker
    MsaaTree m_accessible;
    SystemClock m_clock;
    AccessibleBarState m_accessibleBars;
};
