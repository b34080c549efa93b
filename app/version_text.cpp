#include "app/version_text.h"

#include "common/format.h"

namespace {

// Like scanf's %u: leading blanks skipped, then digits; false when there are none.
bool ReadUnsigned(std::u16string_view text, size_t& at, unsigned& value) {
    while (at < text.size() && (text[at] == u' ' || text[at] == u'\t')) {
        ++at;
    }
    const size_t start = at;
    unsigned v = 0;
    while (at < text.size() && text[at] >= u'0' && text[at] <= u'9') {
        v = v * 10 + static_cast<unsigned>(text[at] - u'0');
        ++at;
    }
    if (at == start) {
        return false;
    }
    value = v;
    return true;
}

}  // namespace

FileVersionNumbers ParseFileVersion(std::u16string_view text) {
    FileVersionNumbers v;
    unsigned* fields[] = {&v.a, &v.b, &v.c, &v.d};
    size_t at = 0;
    for (size_t i = 0; i < 4; ++i) {
        if (i > 0) {
            if (at >= text.size() || text[at] != u',') {
                break;
            }
            ++at;
        }
        if (!ReadUnsigned(text, at, *fields[i])) {
            break;
        }
    }
    return v;
}

std::u16string FormatVersionText(std::u16string_view description, const FileVersionNumbers& v,
                                 std::u16string_view editionTitle, std::u16string_view copyright) {
    std::u16string s(description);
    s += u" version ";
    AppendUnsigned(s, v.a);
    s += u'.';
    AppendUnsigned(s, v.b);
    AppendUnsigned(s, v.c);
    if (v.d != 0) {
        s += static_cast<char16_t>(0x60 + v.d);
    }
    s += u"\r\n";
    s += editionTitle;
    s += u"\r\n\r\n";
    s += copyright;
    s += u"\r\n\r\n";
    s += u"Wikipedia を読む時間を、キャラクターがそっと見守ります。\r\n";
    s += u"使ってくださって、ありがとうございます。";
    return s;
}
