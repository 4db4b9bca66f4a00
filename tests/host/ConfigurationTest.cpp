#include <gtest/gtest.h>

#include <string>

#include <tarnclient/TarnClient.h>

#include "tests/support/HostCalls.h"
#include "tests/support/RegistryValues.h"

using tarnclient::IServerLocation;
using tarnclient::Ref;
using tarntest::Take;

namespace {

using tarntest::kConfigKey;

// Every test runs in a process of its own: the first successful call fixes
// the configuration for the life of the process.
Ref<IServerLocation> Get(const char* address, std::int32_t* err, std::int32_t id = IServerLocation::Id) {
    *err = 99;
    return Ref<IServerLocation>::Adopt(tarntest::Core()->GetConfiguration(id, err, address));
}

// (How a location splits into host and port: the lookup test's server
// records, which are split alike.) A failed call fixes nothing; the first successful one fixes the location,
// which no Release destroys.
TEST(Configuration, TheFirstSuccessfulCallFixesTheLocationForGood) {
    std::int32_t err = 0;
    EXPECT_FALSE(Get("10.0.0.5", &err));
    EXPECT_EQ(err, vcom::InvalidArgument);
    auto first = Get("10.0.0.5:8080", &err);
    ASSERT_TRUE(first);
    EXPECT_FALSE(Get("h:1", &err, 2006)); // only its own interface
    EXPECT_EQ(err, vcom::Failure);
    auto second = Get("192.168.0.1:1", &err);
    EXPECT_EQ(second.get(), first.get());
    EXPECT_EQ(err, vcom::Success);
    EXPECT_EQ(second->Release(), 0);
    EXPECT_EQ(second->Release(), 0);
    second.detach();
    EXPECT_EQ(Get(nullptr, &err).get(), first.get());
    EXPECT_EQ(Take(first->GetAddress()), "10.0.0.5:8080");
}

// Without an address the registry's "QAS Address" is read, again after every
// failure; it ends at its first zero byte whatever its type. (A value without
// any zero byte: the customer settings test's machine identifier; no key at
// all: the black-box run's "config without any location".)
TEST(Configuration, WithoutAnAddressReadsTheRegistryAndRetriesAfterAFailure) {
    std::int32_t err = 0;
    tarntest::SetRegistryText(kConfigKey, "Machine ID", "m");
    EXPECT_FALSE(Get("", &err)) << "the key, without the value";
    EXPECT_EQ(err, vcom::Failure);
    tarntest::SetRegistryText(kConfigKey, "QAS Address", "localhost");
    EXPECT_FALSE(Get(nullptr, &err)) << "no colon";
    EXPECT_EQ(err, vcom::InvalidArgument);
    tarntest::SetRegistryValue(kConfigKey, "QAS Address", tarntest::kRegBinary, std::string("h:12\0junk:9", 11));
    auto location = Get(nullptr, &err);
    ASSERT_TRUE(location);
    EXPECT_EQ(err, vcom::Success);
    EXPECT_EQ(Take(location->GetAddress()), "h:12");
    EXPECT_EQ(location->GetPort(), 12);
}

} // namespace
