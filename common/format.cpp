#include "common/format.h"

void AppendUnsigned(std::u16string& out, uint32_t value, int width, char16_t pad) {
    char16_t digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (int i = n; i < width; ++i) {
        out.push_back(pad);
    }
    while (n > 0) {
        out.push_back(digits[--n]);
    }
}

void AppendHms(std::u16string& out, uint32_t seconds) {
    AppendUnsigned(out, seconds / 3600, 2, u' ');
    out.push_back(u':');
    AppendUnsigned(out, seconds / 60 % 60, 2, u'0');
    out.push_back(u':');
    AppendUnsigned(out, seconds % 60, 2, u'0');
}
