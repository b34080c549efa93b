#include "watch/browser_watch_win.h"

bool BrowserWatch::RereadRememberedHelperFile(CurrentArticle& article) {
    return ReadHelperFile(m_files, m_helperFiles, nullptr, article);
}

bool BrowserWatch::RecheckCachedReader(CurrentArticle& article) {
    return ::RecheckCachedReader(m_windows, m_cachedReader, article);
}

bool BrowserWatch::ScanFirefoxProfiles(CurrentArticle& article) {
    return ::ScanFirefoxProfiles(m_files, m_helperFiles, article);
}

bool BrowserWatch::ScanBrowsers(CurrentArticle& article) {
    m_topLevel.Walk();
    const bool hit = ::ScanBrowsers(m_topLevel, m_cachedReader, article);
    m_topLevelFresh = !hit;
    return hit;
}

bool BrowserWatch::ScanAccessibleBars(CurrentArticle& article) {
    // One walk a sample: the one ScanBrowsers just made, unless it is not of this sample.
    if (!m_topLevelFresh) {
        m_topLevel.Walk();
    }
    m_topLevelFresh = false;
    return SampleAccessibleBars(m_accessible, m_topLevel, m_clock.NowMs(), article);
}
