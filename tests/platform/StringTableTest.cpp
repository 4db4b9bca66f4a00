// The string table as the platform serves it is the list in
// platform/StringTable.def, byte for byte (on Windows: the resource compiled
// into TarnClient.dll, read back with LoadStringA).
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>

#include "platform/StringTable.h"

using platform::LoadModuleString;

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

const char kModule[] = "TarnClient.dll";

} // namespace

TEST(StringTable, EveryTextMatchesTheList) {
    ASSERT_EQ(92u, std::size(kList));
    for (unsigned i = 0; i < std::size(kList); ++i) {
        const Expected& expected = kList[i];
        ASSERT_EQ(i + 1, expected.id);
        char buffer[255];
        const int length = LoadModuleString(kModule, expected.id, buffer, sizeof buffer);
        EXPECT_EQ(static_cast<int>(std::strlen(expected.text)), length) << "message " << expected.id;
        EXPECT_STREQ(expected.text, buffer) << "message " << expected.id;
    }
}

// Unknown ids and modules give nothing, module names ignore case, and a long
// text is cut to the room less the terminator.
TEST(StringTable, GivesOnlyWhatFits) {
    char buffer[255] = "untouched";
    EXPECT_EQ(0, LoadModuleString("Other.dll", 1, buffer, sizeof buffer));
    EXPECT_EQ(0, LoadModuleString(nullptr, 1, buffer, sizeof buffer));
    EXPECT_EQ(0, LoadModuleString(kModule, 1, buffer, 0));
    EXPECT_EQ(10, LoadModuleString("tarnclient.DLL", 1, buffer, sizeof buffer));
    EXPECT_STREQ("TarnClient", buffer);
    EXPECT_EQ(10, LoadModuleString(kModule, 3, buffer, 11));
    EXPECT_STREQ("A C++ Exce", buffer);
}
