#pragma once
// Decides whether an address belongs to the watched site (Wikipedia) and, for an
// article page of its main domain, cuts out and decodes the article's name.
#include <array>
#include <cstddef>

// Site label and top-level label of the watched domain.
inline constexpr char16_t WatchedDomain[] = u"wikipedia.org";

// Address patterns; the first is never compared as text (any one label in front of
// WatchedDomain, matched by its own rule). The rest are plain prefixes, compared with
// case: the site's media host and the goo Wikipedia mirror's main, search and mobile
// hosts. The list ends with an empty entry.
inline constexpr const char16_t* WatchedPatterns[] = {
    u"http://*.wikipedia.org/",         u"http://upload.wikimedia.org/",
    u"http://wpedia.goo.ne.jp/",        u"http://wpedia.search.goo.ne.jp/",
    u"http://wpedia.mobile.goo.ne.jp/", u"",
};

// Room for an article name, terminator included.
inline constexpr std::size_t kCurrentArticleSize = 2100;

// The article name cut out of the last matching address; empty after any other call.
struct CurrentArticle {
    std::array<char16_t, kCurrentArticleSize> text{};
    bool empty() const { return text[0] == u'\0'; }
    const char16_t* c_str() const { return text.data(); }
};

// True when address (NUL-terminated UTF-16; the readers deliver at most 2099
// characters, longer text is judged the same way and its name cut at 2099 units)
// belongs to the watched site. Empties article first, and fills it when the address
// is an article page of the main domain ("/wiki/" path). Accepts "https://" wherever
// "http://" is required, under the same case rules. One pass, no allocation.
bool MatchWatchedAddress(const char16_t* address, CurrentArticle& article);
