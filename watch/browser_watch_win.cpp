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
    return ::ScanBrowsers(m_windows, m_cachedReader, article);
}

bool BrowserWatch::ScanAccessibleBars(CurrentArticle& article) {
    return ::ScanAccessibleBars(m_windows, m_accessible, m_clock, m_accessibleBars, article);
}
