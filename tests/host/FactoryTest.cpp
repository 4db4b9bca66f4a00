#include <gtest/gtest.h>

#include <tarnclient/TarnClient.h>

#include "tests/support/HostCalls.h"

using tarnclient::IComponentFactory;
using tarnclient::ICoreFactory;
using tarntest::Count;

namespace {

// One count for the object behind both interfaces; after the last Release
// the next call hands out the factory with a count of 1 again.
TEST(Factory, EveryCallAndBothInterfacesShareOneCountUntilTheLastRelease) {
    IComponentFactory* factory = TarnClientLib_GetComponentFactory();
    ASSERT_NE(factory, nullptr);
    EXPECT_EQ(TarnClientLib_GetComponentFactory(), factory);
    std::int32_t err = 99;
    auto* core = static_cast<ICoreFactory*>(factory->QueryInterface(ICoreFactory::Id, &err));
    ASSERT_NE(core, nullptr);
    EXPECT_EQ(err, vcom::Success);
    vcom::IComponent* primary = core->QueryInterface(0, &err);
    EXPECT_EQ(primary, static_cast<vcom::IComponent*>(factory));
    EXPECT_EQ(Count(core), 4);
    EXPECT_EQ(primary->Release(), 3);
    EXPECT_EQ(core->Release(), 2);
    EXPECT_EQ(factory->Release(), 1);
    EXPECT_EQ(factory->Release(), 0);
    IComponentFactory* next = TarnClientLib_GetComponentFactory();
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(Count(next), 1);
    EXPECT_EQ(next->Release(), 0);
}

} // namespace
