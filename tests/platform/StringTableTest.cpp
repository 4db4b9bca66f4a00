// How the platform serves the library module's string table: unknown ids and
// modules give nothing, module names ignore case, and a long text is cut to
// the room less the terminator.
#include <gtest/gtest.h>

#include "platform/StringTable.h"

using platform::LoadModuleString;

TEST(StringTable, GivesOnlyWhatFits) {
    const char module[] = "TarnClient.dll";
    char buffer[255] = "untouched";
    EXPECT_EQ(0, LoadModuleString("Other.dll", 1, buffer, sizeof buffer));
    EXPECT_EQ(0, LoadModuleString(nullptr, 1, buffer, sizeof buffer));
    EXPECT_EQ(0, LoadModuleString(module, 1, buffer, 0));
    EXPECT_EQ(10, LoadModuleString("tarnclient.DLL", 1, buffer, sizeof buffer));
    EXPECT_STREQ("TarnClient", buffer);
    EXPECT_EQ(10, LoadModuleString(module, 3, buffer, 11));
    EXPECT_STREQ("A C++ Exce", buffer);
}
