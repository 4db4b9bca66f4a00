// --listen ADDR:PORT at its boundaries.
#include <gtest/gtest.h>

#include <stdexcept>

#include "ListenAddress.h"

namespace devserver {
namespace {

TEST(ListenAddress, SplitsAtTheLastColon) {
    const ListenAddress a = ParseListenAddress("127.0.0.1:0");
    EXPECT_EQ(a.host, "127.0.0.1");
    EXPECT_EQ(a.port, 0);
    EXPECT_EQ(ParseListenAddress("localhost:65535").port, 65535);
    EXPECT_EQ(ParseListenAddress("::1:8080").host, "::1");
}

TEST(ListenAddress, Refuses) {
    for (const char* bad : {"", "127.0.0.1", "127.0.0.1:", ":80", "h:65536", "h:-1", "h:80x", "h:+80", "h:100000"})
        EXPECT_THROW(ParseListenAddress(bad), std::invalid_argument) << bad;
}

} // namespace
} // namespace devserver
