#include <gtest/gtest.h>

#include <tarnclient/TarnClient.h>

#include "tests/support/HostCalls.h"

using tarnclient::IComponentFactory;
using tarnclient::ICoreFactory;
using tarntest::Count;

namespace {

// One count for the object behind both interfaces; the last Release destroys
// it and the next call makes a new one.
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

TEST(Factory, RefusesOtherIdsAndReservedOperations) {
    tarnclient::Ref<IComponentFactory> factory(TarnClientLib_GetComponentFactory());
    std::int32_t err = 0;
    EXPECT_EQ(factory->QueryInterface(4000, &err), nullptr);
    EXPECT_EQ(err, vcom::Failure);
    for (std::int32_t id : {-2, 0, 1000, 2000, 2001})
        EXPECT_EQ(factory->Supports(id), id == 0 || id == 1000 || id == 2000) << id;

    auto core = tarntest::Core();
    EXPECT_EQ(factory->Reserved(1, 2, 3, 4, 5), vcom::NotImplemented);
    EXPECT_EQ(core->Reserved(0, 0, 0, 0, 0), vcom::NotImplemented);
    EXPECT_EQ(factory->CreateReserved1(7, &err, 8), nullptr);
    EXPECT_EQ(err, vcom::NotImplemented);
    err = 0;
    EXPECT_EQ(core->CreateReserved2(1, 2, 3, &err), nullptr);
    EXPECT_EQ(err, vcom::NotImplemented);
    EXPECT_EQ(core->CreateReserved3(1, 2), nullptr);
}

} // namespace
