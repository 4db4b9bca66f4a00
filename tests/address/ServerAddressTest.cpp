// Server records created through the library's factory: host and port split,
// the uc value, and the refusals. Plain addresses and lists of them are the
// address route's test.
#include <climits>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include <tarnclient/TarnClient.h>

#include "tests/support/HostCalls.h"

namespace {

using tarntest::Take;
using tarnclient::IServerAddress;

TEST(ServerAddress, SplitsAtTheFirstColonReadsThePortAsAtoiOrRefuses) {
    const struct {
        const char *name, *address;
        std::int32_t id = IServerAddress::Id, err = 0;
        const char* host = nullptr;
        std::int32_t port = 0;
    } cases[] = {
        {.name = " Lobby 1 ", .address = "host:", .host = "host"},
        {.name = "n", .address = "a:b:c", .host = "a"},
        {.name = "n", .address = "h: 42", .host = "h", .port = 42},
        {.name = "n", .address = "h:+8x9", .host = "h", .port = 8},
        {.name = "n", .address = "h:-12", .host = "h", .port = -12},
        {.name = "n", .address = " h :9", .host = " h ", .port = 9},
        {.name = nullptr, .address = "h:1", .err = vcom::InvalidArgument},
        {.name = "", .address = "h:1", .err = vcom::InvalidArgument},
        {.name = "n", .address = nullptr, .err = vcom::InvalidArgument},
        {.name = "n", .address = "", .err = vcom::InvalidArgument},
        {.name = "n", .address = "10.0.0.5;7000", .err = vcom::InvalidArgument},
        {.name = "n", .address = "h:1", .id = tarnclient::IServerAddressList::Id, .err = vcom::Failure},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address ? c.address : "<null>");
        std::int32_t err = 12345;
        const std::int32_t uc = c.port ^ INT_MIN; // any value, kept as it is
        tarnclient::Ref<IServerAddress> record(static_cast<IServerAddress*>(
            tarntest::Core()->CreateServerAddress(c.id, c.name, c.address, &err, uc)));
        EXPECT_EQ(err, c.err);
        ASSERT_EQ(static_cast<bool>(record), c.host != nullptr);
        if (!record)
            continue;
        EXPECT_EQ(Take(record->GetHost()), c.host);
        EXPECT_EQ(record->GetPort(), c.port);
        EXPECT_EQ(Take(record->GetAddress()), c.address);
        EXPECT_EQ(Take(record->GetName()), c.name);
        EXPECT_EQ(record->GetUc(), uc);
    }
}

} // namespace
