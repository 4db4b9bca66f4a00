// The POSIX stand-in for the ANSI code page is Windows-1252.
#include <gtest/gtest.h>

#include "platform/Text.h"

using platform::AnsiToWide;

TEST(Windows1252, HighBytesMapAsOnWindows) {
    EXPECT_EQ(u"\u20AC", AnsiToWide("\x80"));
    EXPECT_EQ(u"\u201A\u0192\u2122\u0178", AnsiToWide("\x82\x83\x99\x9F"));
    // Bytes that Windows-1252 leaves unassigned stay the C1 control of that number.
    EXPECT_EQ(u"\u0081\u008D\u008F\u0090\u009D", AnsiToWide("\x81\x8D\x8F\x90\x9D"));
    EXPECT_EQ(u"\u00A0\u00E9\u00FF", AnsiToWide("\xA0\xE9\xFF"));
}
