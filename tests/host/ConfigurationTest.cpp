#include <gtest/gtest.h>

#include <string>

#include <tarnclient/TarnClient.h>

#include "tests/host/HostHelpers.h"
#include "tests/support/RegistryValues.h"

using hosttest::Take;
using tarnclient::IServerLocation;

namespace {

const char kConfigKey[] = "Software\\Orvane\\Tarn\\Config";

// Every test runs in a process of its own: the first successful call fixes
// the configuration for the life of the process.
class Configuration : public testing::Test {
protected:
    void SetUp() override {
        m_factory = TarnClientLib_GetComponentFactory();
        m_core = hosttest::CoreFactory(m_factory);
        ASSERT_NE(m_core, nullptr);
    }
    void TearDown() override {
        m_core->Release();
        m_factory->Release();
    }

    IServerLocation* Get(const char* address, std::int32_t* err, std::int32_t id = IServerLocation::Id) {
        return static_cast<IServerLocation*>(m_core->GetConfiguration(id, err, address));
    }

    tarnclient::IComponentFactory* m_factory = nullptr;
    tarnclient::ICoreFactory* m_core = nullptr;
};

struct Split {
    const char* text;
    const char* host;
    std::int32_t port;
};

class LocationText : public Configuration, public testing::WithParamInterface<Split> {};

TEST_P(LocationText, SplitsAtTheFirstColonAndReadsThePortAsAtoiDoes) {
    std::int32_t err = 99;
    IServerLocation* location = Get(GetParam().text, &err);
    ASSERT_NE(location, nullptr);
    EXPECT_EQ(err, vcom::Success);
    EXPECT_EQ(Take(location->GetAddress()), GetParam().text);
    EXPECT_EQ(Take(location->GetHost()), GetParam().host);
    EXPECT_EQ(location->GetPort(), GetParam().port);
    location->Release();
}

INSTANTIATE_TEST_SUITE_P(Configuration, LocationText,
                         testing::Values(Split{"10.0.0.5:8080", "10.0.0.5", 8080}, Split{":8080", "", 8080},
                                         Split{"host:", "host", 0}, Split{"host:abc", "host", 0},
                                         Split{"host:80x", "host", 80}, Split{"a:b:c", "a", 0},
                                         Split{"h: -12", "h", -12}, Split{"h:+7", "h", 7}));

TEST_F(Configuration, TheFirstSuccessfulCallFixesTheLocation) {
    std::int32_t err = 99;
    IServerLocation* first = Get("10.0.0.5:8080", &err);
    ASSERT_NE(first, nullptr);
    IServerLocation* second = Get("192.168.0.1:1", &err);
    EXPECT_EQ(second, first);
    EXPECT_EQ(err, vcom::Success);
    EXPECT_EQ(Take(second->GetAddress()), "10.0.0.5:8080");
    second->Release();
    first->Release();
}

TEST_F(Configuration, AnAddressWithoutColonFailsAndLeavesNothingBehind) {
    std::int32_t err = 0;
    EXPECT_EQ(Get("10.0.0.5", &err), nullptr);
    EXPECT_EQ(err, vcom::InvalidArgument);
    IServerLocation* location = Get("10.0.0.6:1", &err);
    ASSERT_NE(location, nullptr);
    EXPECT_EQ(Take(location->GetHost()), "10.0.0.6");
    location->Release();
}

TEST_F(Configuration, IsNeverDestroyedByRelease) {
    std::int32_t err = 0;
    IServerLocation* location = Get("h:1", &err);
    ASSERT_NE(location, nullptr);
    EXPECT_EQ(location->Release(), 0);
    EXPECT_EQ(location->Release(), 0);
    IServerLocation* again = Get(nullptr, &err);
    EXPECT_EQ(again, location);
    EXPECT_EQ(Take(again->GetAddress()), "h:1");
    again->Release();
}

TEST_F(Configuration, AnswersOnlyItsOwnInterface) {
    std::int32_t err = 0;
    EXPECT_EQ(Get("h:1", &err, 2006), nullptr);
    EXPECT_EQ(err, vcom::Failure);
    IServerLocation* location = Get("h:1", &err, 0);
    ASSERT_NE(location, nullptr);
    EXPECT_TRUE(location->Supports(0));
    EXPECT_TRUE(location->Supports(4000));
    EXPECT_FALSE(location->Supports(1000));
    EXPECT_EQ(location->Reserved(0, 0, 0, 0, 0), vcom::NotImplemented);
    location->Release();
}

TEST_F(Configuration, WithoutAnAddressReadsTheRegistryAndRetriesAfterAFailure) {
    std::int32_t err = 0;
    EXPECT_EQ(Get(nullptr, &err), nullptr) << "no key";
    EXPECT_EQ(err, vcom::Failure);

    tarntest::CreateRegistryKey(kConfigKey);
    EXPECT_EQ(Get("", &err), nullptr) << "no value";
    EXPECT_EQ(err, vcom::Failure);

    tarntest::SetRegistryText(kConfigKey, "QAS Address", "10.1.2.3:4567");
    IServerLocation* location = Get(nullptr, &err);
    ASSERT_NE(location, nullptr);
    EXPECT_EQ(err, vcom::Success);
    EXPECT_EQ(Take(location->GetAddress()), "10.1.2.3:4567");
    EXPECT_EQ(location->GetPort(), 4567);
    location->Release();
}

TEST_F(Configuration, ARegistryValueEndsAtItsFirstZeroByteWhateverItsType) {
    tarntest::SetRegistryValue(kConfigKey, "QAS Address", tarntest::kRegBinary, std::string("h:12\0junk:9", 11));
    std::int32_t err = 0;
    IServerLocation* location = Get(nullptr, &err);
    ASSERT_NE(location, nullptr);
    EXPECT_EQ(Take(location->GetAddress()), "h:12");
    location->Release();
}

TEST_F(Configuration, ARegistryValueWithoutTerminatorIsReadToItsEnd) {
    tarntest::SetRegistryValue(kConfigKey, "qas address", tarntest::kRegBinary, "h:13");
    std::int32_t err = 0;
    IServerLocation* location = Get(nullptr, &err);
    ASSERT_NE(location, nullptr);
    EXPECT_EQ(Take(location->GetAddress()), "h:13");
    location->Release();
}

TEST_F(Configuration, ARegistryValueWithoutColonIsInvalid) {
    tarntest::SetRegistryText(kConfigKey, "QAS Address", "localhost");
    std::int32_t err = 0;
    EXPECT_EQ(Get(nullptr, &err), nullptr);
    EXPECT_EQ(err, vcom::InvalidArgument);
}

} // namespace
