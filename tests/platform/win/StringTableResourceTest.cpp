// The STRINGTABLE resource compiled into TarnClient.dll, read back with
// LoadStringA, holds the list in platform/StringTable.def byte for byte,
// whatever the resource script did to its quotes. (On POSIX the list itself
// is compiled in.)
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>

#include "platform/StringTable.h"

namespace {

struct Expected {
    unsigned id;
    const char* text;
};

#define TARN_STRING(id, text) {id, text},
const Expected kList[] = {
#include "platform/StringTable.def"
};
#undef TARN_STRING

TEST(StringTable, EveryTextMatchesTheList) {
    ASSERT_EQ(92u, std::size(kList));
    for (unsigned i = 0; i < std::size(kList); ++i) {
        const Expected& expected = kList[i];
        ASSERT_EQ(i + 1, expected.id);
        char buffer[255];
        const int length = platform::LoadModuleString("TarnClient.dll", expected.id, buffer, sizeof buffer);
        EXPECT_EQ(static_cast<int>(std::strlen(expected.text)), length) << "message " << expected.id;
        EXPECT_STREQ(expected.text, buffer) << "message " << expected.id;
    }
}

} // namespace
