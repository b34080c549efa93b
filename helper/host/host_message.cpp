#include "helper/host/host_message.h"

#include "helper/host/utf8.h"

namespace {

// A recursive-descent reader over already validated UTF-8. Every step checks the end of
// the input before it looks at a byte.
class JsonReader {
  public:
    explicit JsonReader(std::string_view text) : m_text(text) {}

    void SkipSpace() {
        while (m_pos < m_text.size() && (m_text[m_pos] == ' ' || m_text[m_pos] == '\t' ||
                                         m_text[m_pos] == '\n' || m_text[m_pos] == '\r')) {
            ++m_pos;
        }
    }
    bool AtEnd() const { return m_pos >= m_text.size(); }
    bool Peek(char c) const { return m_pos < m_text.size() && m_text[m_pos] == c; }
    bool Take(char c) {
        if (!Peek(c)) {
            return false;
        }
        ++m_pos;
        return true;
    }
    bool TakeWord(std::string_view word) {
        if (m_text.substr(m_pos, word.size()) != word) {
            return false;
        }
        m_pos += word.size();
        return true;
    }

    // A string starting at the opening quote, decoded to UTF-16.
    std::optional<std::u16string> ReadString() {
        if (!Take('"')) {
            return std::nullopt;
        }
        std::u16string out;
        std::size_t runStart = m_pos;
        while (true) {
            if (AtEnd()) {
                return std::nullopt;
            }
            const char c = m_text[m_pos];
            if (c == '"' || c == '\\') {
                if (!AppendRun(out, runStart)) {
                    return std::nullopt;
                }
                ++m_pos;
                if (c == '"') {
                    return out;
                }
                if (!ReadEscape(out)) {
                    return std::nullopt;
                }
                runStart = m_pos;
            } else if (static_cast<unsigned char>(c) < 0x20) {
                return std::nullopt;  // control characters must be escaped
            } else {
                ++m_pos;
            }
        }
    }

    // Any value, thrown away; depth counts the arrays and objects around it.
    bool SkipValue(int depth) {
        SkipSpace();
        if (Peek('"')) {
            return ReadString().has_value();
        }
        if (Peek('{') || Peek('[')) {
            if (depth >= kMaxJsonDepth) {
                return false;
            }
            const bool object = Peek('{');
            ++m_pos;
            const char close = object ? '}' : ']';
            SkipSpace();
            if (Take(close)) {
                return true;
            }
            while (true) {
                if (object) {
                    SkipSpace();
                    if (!ReadString()) {
                        return false;
                    }
                    SkipSpace();
                    if (!Take(':')) {
                        return false;
                    }
                }
                if (!SkipValue(depth + 1)) {
                    return false;
                }
                SkipSpace();
                if (Take(close)) {
                    return true;
                }
                if (!Take(',')) {
                    return false;
                }
            }
        }
        if (TakeWord("true") || TakeWord("false") || TakeWord("null")) {
            return true;
        }
        return SkipNumber();
    }

  private:
    // Appends the unescaped bytes [runStart, m_pos), already known to be valid UTF-8.
    bool AppendRun(std::u16string& out, std::size_t runStart) {
        auto run = Utf8ToUtf16(m_text.substr(runStart, m_pos - runStart));
        if (!run) {
            return false;
        }
        out += *run;
        return true;
    }

    std::optional<char16_t> ReadHex4() {
        if (m_text.size() - m_pos < 4) {
            return std::nullopt;
        }
        char16_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const char h = m_text[m_pos + i];
            int digit;
            if (h >= '0' && h <= '9') {
                digit = h - '0';
            } else if (h >= 'a' && h <= 'f') {
                digit = h - 'a' + 10;
            } else if (h >= 'A' && h <= 'F') {
                digit = h - 'A' + 10;
            } else {
                return std::nullopt;
            }
            value = static_cast<char16_t>(value * 16 + digit);
        }
        m_pos += 4;
        return value;
    }

    // After the backslash.
    bool ReadEscape(std::u16string& out) {
        if (AtEnd()) {
            return false;
        }
        const char e = m_text[m_pos++];
        switch (e) {
            case '"':
                out += u'"';
                return true;
            case '\\':
                out += u'\\';
                return true;
            case '/':
                out += u'/';
                return true;
            case 'b':
                out += u'\b';
                return true;
            case 'f':
                out += u'\f';
                return true;
            case 'n':
                out += u'\n';
                return true;
            case 'r':
                out += u'\r';
                return true;
            case 't':
                out += u'\t';
                return true;
            case 'u':
                break;
            default:
                return false;
        }
        const auto unit = ReadHex4();
        if (!unit) {
            return false;
        }
        if (*unit >= 0xDC00 && *unit <= 0xDFFF) {
            return false;  // a low surrogate with no high one before it
        }
        if (*unit >= 0xD800 && *unit <= 0xDBFF) {
            if (!TakeWord("\\u")) {
                return false;
            }
            const auto low = ReadHex4();
            if (!low || *low < 0xDC00 || *low > 0xDFFF) {
                return false;
            }
            out += *unit;
            out += *low;
            return true;
        }
        out += *unit;
        return true;
    }

    bool SkipDigits() {
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && m_text[m_pos] >= '0' && m_text[m_pos] <= '9') {
            ++m_pos;
        }
        return m_pos > start;
    }

    bool SkipNumber() {
        Take('-');
        if (!Take('0') && !SkipDigits()) {
            return false;
        }
        if (Take('.') && !SkipDigits()) {
            return false;
        }
        if (Take('e') || Take('E')) {
            if (!Take('+')) {
                Take('-');
            }
            if (!SkipDigits()) {
                return false;
            }
        }
        return true;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

}  // namespace

std::optional<HostMessage> ParseHostMessage(std::string_view json) {
    // Validating the whole text up front lets the reader copy string runs as they stand.
    if (!Utf8ToUtf16(json)) {
        return std::nullopt;
    }
    JsonReader reader(json);
    reader.SkipSpace();
    if (!reader.Take('{')) {
        return std::nullopt;
    }
    HostMessage message;
    bool hasId = false;
    reader.SkipSpace();
    if (!reader.Take('}')) {
        while (true) {
            reader.SkipSpace();
            auto name = reader.ReadString();
            if (!name) {
                return std::nullopt;
            }
            reader.SkipSpace();
            if (!reader.Take(':')) {
                return std::nullopt;
            }
            reader.SkipSpace();
            if (*name == u"id") {
                auto id = reader.ReadString();
                if (!id) {
                    return std::nullopt;
                }
                message.id = std::move(*id);
                hasId = true;
            } else if (*name == u"url") {
                if (reader.TakeWord("null")) {
                    message.hasPage = false;
                    message.url.clear();
                } else {
                    auto url = reader.ReadString();
                    if (!url) {
                        return std::nullopt;
                    }
                    message.hasPage = true;
                    message.url = std::move(*url);
                }
            } else if (!reader.SkipValue(1)) {
                return std::nullopt;
            }
            reader.SkipSpace();
            if (reader.Take('}')) {
                break;
            }
            if (!reader.Take(',')) {
                return std::nullopt;
            }
        }
    }
    reader.SkipSpace();
    if (!reader.AtEnd() || !hasId) {
        return std::nullopt;
    }
    return message;
}
