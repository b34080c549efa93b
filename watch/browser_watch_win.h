#pragma once
// The viewing clock's sample sources over the real desktop: the browsers' address controls
// and the Firefox helper files, with what the readers keep between samples.
#include "watch/accessible_bar_win.h"
#include "watch/accessible_worker_win.h"
#include "watch/control_path.h"
#include "watch/helper_file.h"
#include "watch/helper_file_win.h"
#include "watch/window_list.h"
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
    // Walks the top-level windows and scans them front to back; a hit caches the reader
    // that found it. A walk that did not hit is kept for ScanAccessibleBars in the same
    // sample.
    bool ScanBrowsers(CurrentArticle& article);
    // The browsers that draw their own address bars: takes the accessibility worker's latest
    // verdict (a hit only while fresh) and hands it this sample's browser windows for its
    // next pass (reading the remembered bar, or after a miss searching the trees at most
    // once a second within kAccessibleBudgetMs). Never waits for the worker.
    bool ScanAccessibleBars(CurrentArticle& article);
    // Ends the accessibility worker; called before the program's COM ends.
    void StopAccessibleReader() { m_accessible.Stop(); }

    const CachedReader& cachedReader() const { return m_cachedReader; }
    const HelperFileState& helperFiles() const { return m_helperFiles; }
    const AccessibleWorker& accessibleWorker() const { return m_accessible; }

  private:
    Win32WindowTree m_windows;
    // The top-level windows of the last walk, and whether ScanAccessibleBars may take it.
    WindowList m_topLevel{&m_windows};
    bool m_topLevelFresh = false;
    Win32HelperFiles m_files;
    CachedReader m_cachedReader;
    HelperFileState m_helperFiles;  // RememberedHelperPath and LastHelperMarker
    SystemClock m_clock;
    AccessibleWorker m_accessible;
};
