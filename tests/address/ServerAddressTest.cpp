// Server records created through the library's factory: host and port split,
// the uc value, and the refusals.
#include <climits>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include <tarnclient/TarnClient.h>

#include "tests/support/HostCalls.h"

namespace {

using tarntest::Take;
using tarnclient::IServerAddress;

// A record from the factory, or null; err receives the factory's code.
IServerAddress* Create(const char* name, const char* address, std::int32_t uc, std::int32_t& err,
                       std::int32_t id = IServerAddress::Id) {
    err = 12345;
    return static_cast<IServerAddress*>(tarntest::Core()->CreateServerAddress(id, name, address, &err, uc));
}

TEST(ServerAddress, SplitsAtTheFirstColonReadsThePortAsAtoiKeepsTheRest) {
    struct Split {
        const char* address;
        const char* host;
        std::int32_t port;
        std::int32_t uc;
    };
    const Split cases[] = {
        {"10.0.0.5:7000", "10.0.0.5", 7000, 0}, {":7000", "", 7000, -1}, {"host:", "host", 0, INT_MIN},
        {"a:b:c", "a", 0, INT_MAX},             {"h: 42", "h", 42, 12},  {"h:+8x9", "h", 8, 0},
        {"h:-12", "h", -12, 0},                 {" h :9", " h ", 9, 0},  {" :", " ", 0, 0},
    };
    for (const Split& c : cases) {
        SCOPED_TRACE(c.address);
        std::int32_t err = 0;
        IServerAddress* record = Create(" Lobby 1 ", c.address, c.uc, err);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(err, 0);
        EXPECT_EQ(Take(record->GetHost()), c.host);
        EXPECT_EQ(record->GetPort(), c.port);
        EXPECT_EQ(Take(record->GetAddress()), c.address);
        EXPECT_EQ(Take(record->GetName()), " Lobby 1 ");
        EXPECT_EQ(record->GetUc(), c.uc);
        EXPECT_EQ(record->Release(), 0);
    }
}

TEST(ServerAddress, RefusesMissingTextsAnAddressWithoutColonAndOtherIds) {
    const struct {
        const char* name;
        const char* address;
        std::int32_t id;
        std::int32_t err;
    } cases[] = {
        {nullptr, "10.0.0.5:7000", IServerAddress::Id, vcom::InvalidArgument},
        {"", "10.0.0.5:7000", IServerAddress::Id, vcom::InvalidArgument},
        {"a", nullptr, IServerAddress::Id, vcom::InvalidArgument},
        {"a", "", IServerAddress::Id, vcom::InvalidArgument},
        {"n", "10.0.0.5;7000", IServerAddress::Id, vcom::InvalidArgument},
        {"n", "h:1", tarnclient::IServerAddressList::Id, vcom::Failure},
    };
    for (const auto& c : cases) {
        std::int32_t err = 0;
        EXPECT_EQ(Create(c.name, c.address, 1, err, c.id), nullptr);
        EXPECT_EQ(err, c.err) << (c.name ? c.name : "<null>") << " " << (c.address ? c.address : "<null>");
    }
}

} // namespace
