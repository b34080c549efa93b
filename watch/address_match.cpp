#include "watch/address_match.h"

#include <cstdint>

#include "common/ascii.h"

namespace {

constexpr std::size_t kMaxName = kCurrentArticleSize - 1;

// Length of a scheme prefix "http://" or "https://" at s, letters in either case; 0 if none.
std::size_t SchemeLengthAnyCase(const char16_t* s) {
    if (AsciiLower(s[0]) != u'h' || AsciiLower(s[1]) != u't' || AsciiLower(s[2]) != u't' ||
        AsciiLower(s[3]) != u'p') {
        return 0;
    }
    std::size_t i = 4;
    if (AsciiLower(s[i]) == u's') {
        ++i;
    }
    return (s[i] == u':' && s[i + 1] == u'/' && s[i + 2] == u'/') ? i + 3 : 0;
}

// Compares s against the letters of word ignoring ASCII case; returns the position after
// the match or null. Stops at s's terminator, which never matches a letter of word.
const char16_t* MatchAnyCase(const char16_t* s, const char16_t* word) {
    for (; *word != u'\0'; ++s, ++word) {
        if (AsciiLower(*s) != *word) {
            return nullptr;
        }
    }
    return s;
}

// Like MatchAnyCase, with case.
const char16_t* MatchExactly(const char16_t* s, const char16_t* word) {
    for (; *word != u'\0'; ++s, ++word) {
        if (*s != *word) {
            return nullptr;
        }
    }
    return s;
}

// Value of a hexadecimal digit; any other character up to U+00FF counts as 0.
constexpr std::array<uint8_t, 256> kHexDigit = [] {
    std::array<uint8_t, 256> t{};
    for (int c = '0'; c <= '9'; ++c)
        t[c] = static_cast<uint8_t>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c)
        t[c] = static_cast<uint8_t>(c - 'A' + 10);
    for (int c = 'a'; c <= 'f'; ++c)
        t[c] = static_cast<uint8_t>(c - 'a' + 10);
    return t;
}();

// Reads bytes as UTF-8, one at a time, into UTF-16 units: at most kMaxName of them, then
// the terminator. An invalid sequence becomes U+FFFD for its lead and one for each
// continuation byte it had taken; a surrogate pair is never cut in half.
class Utf8Writer {
  public:
    explicit Utf8Writer(char16_t* out) : m_out(out) {}

    bool idle() const { return m_need == 0; }
    bool full() const { return m_ended || m_o >= kMaxName; }
    // An ASCII byte while no sequence is open.
    void PutAscii(char16_t c) { Emit(c); }

    void Put(uint8_t b) {
        if (m_need != 0) {
            if ((b & 0xC0) == 0x80) {
                m_cp = m_cp << 6 | (b & 0x3F);
                ++m_got;
                if (m_got == m_need) {
                    const bool valid =
                        m_cp >= m_min && m_cp <= 0x10FFFF && !(m_cp >= 0xD800 && m_cp <= 0xDFFF);
                    if (valid) {
                        EmitCodePoint(m_cp);
                    } else {
                        Abandon();
                    }
                    m_need = 0;
                }
                return;
            }
            Abandon();
        }
        if (b < 0x80) {
            Emit(b);
        } else if (b >= 0xC2 && b <= 0xDF) {
            Open(b & 0x1F, 1, 0x80);
        } else if (b >= 0xE0 && b <= 0xEF) {
            Open(b & 0x0F, 2, 0x800);
        } else if (b >= 0xF0 && b <= 0xF4) {
            Open(b & 0x07, 3, 0x10000);
        } else {
            Emit(0xFFFD);
        }
    }

    // Takes "%XX%XX%XX" at p when it spells one valid three-byte character; otherwise
    // takes nothing and returns false.
    bool TryPercentTriple(const char16_t* p) {
        for (int k = 1; k < 9; ++k) {
            if (p[k] == u'\0' || p[k] > 0xFF) {
                return false;
            }
        }
        if (p[3] != u'%' || p[6] != u'%') {
            return false;
        }
        const uint32_t b0 = kHexDigit[p[1]] << 4 | kHexDigit[p[2]];
        const uint32_t b1 = kHexDigit[p[4]] << 4 | kHexDigit[p[5]];
        const uint32_t b2 = kHexDigit[p[7]] << 4 | kHexDigit[p[8]];
        if ((b0 & 0xF0) != 0xE0 || (b1 & 0xC0) != 0x80 || (b2 & 0xC0) != 0x80) {
            return false;
        }
        const uint32_t cp = (b0 & 0x0F) << 12 | (b1 & 0x3F) << 6 | (b2 & 0x3F);
        if (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF)) {
            return false;
        }
        Emit(static_cast<char16_t>(cp));
        return true;
    }

    // Ends the text: an open sequence is invalid.
    void Finish() {
        if (m_need != 0) {
            Abandon();
        }
        m_out[m_o] = u'\0';
    }

  private:
    void Open(uint32_t bits, int need, uint32_t min) {
        m_cp = bits, m_need = need, m_got = 0, m_min = min;
    }
    void Abandon() {
        for (int k = 0; k <= m_got; ++k) {
            Emit(0xFFFD);
        }
        m_need = 0;
    }
    void Emit(char16_t c) {
        if (!m_ended && m_o < kMaxName) {
            m_out[m_o++] = c;
        }
    }
    void EmitCodePoint(uint32_t cp) {
        if (cp < 0x10000) {
            return Emit(static_cast<char16_t>(cp));
        }
        if (m_ended || m_o + 2 > kMaxName) {
            // No room for the pair: the name ends here, one unit short of the room (the
            // terminator goes where the pair would have begun).
            m_ended = true;
            return;
        }
        cp -= 0x10000;
        m_out[m_o++] = static_cast<char16_t>(0xD800 + (cp >> 10));
        m_out[m_o++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    }

    char16_t* m_out;
    std::size_t m_o = 0;
    bool m_ended = false;  // a cut pair ended the name before the room was full
    uint32_t m_cp = 0;
    uint32_t m_min = 0;
    int m_need = 0;
    int m_got = 0;
};

// Copies the article part as it stands, cut to the buffer; a cut never keeps the first
// half of a surrogate pair whose second half it leaves out.
void CopyRaw(const char16_t* part, CurrentArticle& article) {
    std::size_t n = 0;
    for (; part[n] != u'\0' && n < kMaxName; ++n) {
        article.text[n] = part[n];
    }
    const bool pairCut = n == kMaxName && part[n] >= 0xDC00 && part[n] <= 0xDFFF &&
                         article.text[n - 1] >= 0xD800 && article.text[n - 1] <= 0xDBFF;
    article.text[pairCut ? n - 1 : n] = u'\0';
}

// Characters that stand for themselves as one byte: everything up to U+00FF but the
// terminator and the three that mean something in the article part.
constexpr bool IsPlain(char16_t c) {
    return c <= 0xFF && c != u'\0' && c != u'%' && c != u'+' && c != u'#';
}

// Fills article from the article part of an address (the text after "/wiki/").
void ExtractArticle(const char16_t* part, CurrentArticle& article) {
    // The part becomes bytes ("%XX" one byte, "+" a space, other characters their code) up
    // to the first "#", read as UTF-8 as they come. A character above U+00FF anywhere in
    // the part, the fragment included, means the part is taken as it stands.
    Utf8Writer writer(article.text.data());
    const char16_t* p = part;
    while (*p != u'\0' && *p != u'#') {
        // The usual run: plain ASCII while no sequence is open.
        if (writer.idle()) {
            while (*p < 0x80 && IsPlain(*p) && !writer.full()) {
                writer.PutAscii(*p++);
            }
            if (*p == u'\0' || *p == u'#') {
                break;
            }
        }
        const char16_t c = *p;
        if (c > 0xFF) {
            return CopyRaw(part, article);
        }
        if (c == u'%' && writer.idle() && writer.TryPercentTriple(p)) {
            p += 9;  // a whole three-byte character, the usual shape of a Japanese name
        } else if (c == u'%') {
            // Two digits follow; one that is no digit counts as 0, and is consumed all the
            // same, but the end of the string is never consumed.
            const char16_t d1 = p[1];
            const char16_t d2 = d1 != u'\0' ? p[2] : u'\0';
            if (d1 > 0xFF || d2 > 0xFF) {
                return CopyRaw(part, article);
            }
            writer.Put(static_cast<uint8_t>(kHexDigit[d1] << 4 | kHexDigit[d2]));
            p += d1 == u'\0' ? 1 : d2 == u'\0' ? 2 : 3;
        } else {
            writer.Put(c == u'+' ? 0x20 : static_cast<uint8_t>(c));
            ++p;
        }
    }
    for (const char16_t* q = p; *q != u'\0'; ++q) {
        if (*q > 0xFF) {
            return CopyRaw(part, article);
        }
    }
    // A zero byte is stored as it comes: it ends the name, as it ends the byte string.
    writer.Finish();
}

}  // namespace

bool MatchWatchedAddress(const char16_t* address, CurrentArticle& article) {
    article.text[0] = u'\0';
    if (address == nullptr) {
        return false;
    }

    // The main domain: any host one label in front of the site's domain.
    if (std::size_t scheme = SchemeLengthAnyCase(address); scheme != 0) {
        const char16_t* p = address + scheme;
        while (*p != u'\0' && *p != u'.') {
            ++p;
        }
        if (*p == u'.') {
            const char16_t* rest = MatchAnyCase(p + 1, WatchedDomain);
            if (rest != nullptr && *rest == u'/') {
                const char16_t* path = MatchAnyCase(rest + 1, u"wiki");
                if (path != nullptr && *path == u'/') {
                    ExtractArticle(path + 1, article);
                }
                return true;
            }
        }
    }

    // The other hosts: plain prefixes compared with case, after "http://" or "https://".
    constexpr std::size_t kHttp = 7;  // every pattern begins with "http://"
    const char16_t* rest = MatchExactly(address, u"http://");
    if (rest == nullptr) {
        rest = MatchExactly(address, u"https://");
    }
    if (rest == nullptr) {
        return false;
    }
    for (std::size_t i = 1; WatchedPatterns[i][0] != u'\0'; ++i) {
        if (MatchExactly(rest, WatchedPatterns[i] + kHttp) != nullptr) {
            return true;
        }
    }
    return false;
}
