#include "common/format.h"

#include <gtest/gtest.h>

TEST(Format, PadsLikePrintf) {
    std::u16string s;
    AppendUnsigned(s, 5, 2, u' ');
    AppendUnsigned(s, 5, 2, u'0');
    AppendUnsigned(s, 123, 2, u'0');
    AppendUnsigned(s, 0);
    AppendUnsigned(s, 4294967295u);
    EXPECT_EQ(s,
              u" 505123"
              u"0"
              u"4294967295");
}
