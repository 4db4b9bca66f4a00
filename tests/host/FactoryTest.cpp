#include <gtest/gtest.h>

#include <tarnclient/TarnClient.h>

#include "tests/support/HostCalls.h"

using tarnclient::IComponentFactory;
using tarnclient::ICoreFactory;
using tarntest::Count;

namespace {

TEST(Factory, EveryCallSharesOneFactoryUntilTheLastReleaseDestroysIt) {
    IComponentFactory* first = TarnClientLib_GetComponentFactory();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(Count(first), 1);
    IComponentFactory* second = TarnClientLib_GetComponentFactory();
    EXPECT_EQ(second, first);
    EXPECT_EQ(Count(first), 2);
    EXPECT_EQ(second->Release(), 1);
    EXPECT_EQ(first->Release(), 0);
    IComponentFactory* next = TarnClientLib_GetComponentFactory();
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(Count(next), 1);
    EXPECT_EQ(next->Release(), 0);
}

TEST(Factory, AnswersItsTwoInterfacesOnOneCount) {
    IComponentFactory* factory = TarnClientLib_GetComponentFactory();
    std::int32_t err = 99;
    auto* core = static_cast<ICoreFactory*>(factory->QueryInterface(ICoreFactory::Id, &err));
    ASSERT_NE(core, nullptr);
    EXPECT_EQ(err, vcom::Success);
    EXPECT_EQ(Count(factory), 2);

    // From the secondary interface back to the primary one: the same object.
    err = 99;
    vcom::IComponent* primary = core->QueryInterface(0, &err);
    EXPECT_EQ(primary, static_cast<vcom::IComponent*>(factory));
    EXPECT_EQ(err, vcom::Success);
    EXPECT_EQ(Count(core), 3);
    EXPECT_EQ(primary->Release(), 2);

    const vcom::IComponent* constView = factory;
    vcom::IComponent* viaConst = constView->QueryInterface(IComponentFactory::Id, &err);
    EXPECT_EQ(viaConst, static_cast<vcom::IComponent*>(factory));
    EXPECT_EQ(viaConst->Release(), 2);

    EXPECT_EQ(core->Release(), 1);
    EXPECT_EQ(factory->Release(), 0);
}

TEST(Factory, RefusesOtherIdsAndReservedOperations) {
    tarnclient::Ref<IComponentFactory> factory(TarnClientLib_GetComponentFactory());
    std::int32_t err = 0;
    EXPECT_EQ(factory->QueryInterface(4000, &err), nullptr);
    EXPECT_EQ(err, vcom::Failure);
    EXPECT_EQ(factory->QueryInterface(-100, &err), nullptr);
    EXPECT_EQ(Count(factory.get()), 1);
    for (std::int32_t id : {-2, 0, 1, 999, 1000, 1006, 2000, 2001, 2012, 4000})
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

TEST(Allocator, FreesNullAndRoundTripsABlock) {
    TarnClientLib_MemFree(nullptr);
    void* block = TarnClientLib_MemAlloc(64);
    ASSERT_NE(block, nullptr);
    static_cast<char*>(block)[63] = 'x';
    TarnClientLib_MemFree(block);
}

} // namespace
