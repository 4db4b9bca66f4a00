// Server records created through the library's factory: host and port split,
// the uc value, and the refusals.
#include <climits>
#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include <tarnclient/TarnClient.h>

#include "tests/host/HostHelpers.h"

namespace {

using hosttest::Take;
using tarnclient::ICoreFactory;
using tarnclient::IServerAddress;

class ServerAddressTest : public testing::Test {
protected:
    void SetUp() override {
        tarnclient::IComponentFactory* factory = TarnClientLib_GetComponentFactory();
        ASSERT_NE(factory, nullptr);
        m_core = hosttest::CoreFactory(factory);
        factory->Release();
        ASSERT_NE(m_core, nullptr);
    }
    void TearDown() override {
        if (m_core)
            m_core->Release();
    }

    // Creates a record; err receives the factory's code.
    IServerAddress* Create(const char* name, const char* address, std::int32_t uc, std::int32_t& err,
                           std::int32_t id = IServerAddress::Id) {
        err = 12345;
        return static_cast<IServerAddress*>(m_core->CreateServerAddress(id, name, address, &err, uc));
    }

    ICoreFactory* m_core = nullptr;
};

struct Split {
    const char* address;
    const char* host;
    std::int32_t port;
};

TEST_F(ServerAddressTest, SplitsTheAddressAtItsFirstColonAndReadsThePortAsAtoi) {
    const Split cases[] = {
        {"10.0.0.5:7000", "10.0.0.5", 7000},
        {":7000", "", 7000},
        {"host:", "host", 0},
        {"a:b:c", "a", 0},
        {"h: 42", "h", 42},
        {"h:+8x9", "h", 8},
        {"h:-12", "h", -12},
        {" h :9", " h ", 9},
    };
    for (const Split& c : cases) {
        SCOPED_TRACE(c.address);
        std::int32_t err = 0;
        IServerAddress* record = Create("srv", c.address, 3, err);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(err, 0);
        EXPECT_EQ(Take(record->GetHost()), c.host);
        EXPECT_EQ(record->GetPort(), c.port);
        // The address text is kept as given, not rebuilt from its parts.
        EXPECT_EQ(Take(record->GetAddress()), c.address);
        EXPECT_EQ(record->Release(), 0);
    }
}

TEST_F(ServerAddressTest, KeepsNameAndUcExactlyAsGiven) {
    for (std::int32_t uc : {0, -1, 12, INT_MIN, INT_MAX}) {
        std::int32_t err = 0;
        IServerAddress* record = Create(" Lobby 1 ", "1.2.3.4:5", uc, err);
        ASSERT_NE(record, nullptr);
        EXPECT_EQ(record->GetUc(), uc);
        EXPECT_EQ(Take(record->GetName()), " Lobby 1 ");
        record->Release();
    }
}

TEST_F(ServerAddressTest, RefusesMissingTextsAndAnAddressWithoutColon) {
    struct Bad {
        const char* name;
        const char* address;
    };
    const Bad cases[] = {
        {nullptr, "h:1"}, {"", "h:1"}, {"n", nullptr}, {"n", ""}, {"n", "10.0.0.5"}, {"n", "10.0.0.5;7000"},
    };
    for (const Bad& c : cases) {
        SCOPED_TRACE(std::string(c.name ? c.name : "(null)") + " / " + (c.address ? c.address : "(null)"));
        std::int32_t err = 0;
        EXPECT_EQ(Create(c.name, c.address, 1, err), nullptr);
        EXPECT_EQ(err, vcom::InvalidArgument);
    }
}

TEST_F(ServerAddressTest, BlanksArePresentTexts) {
    std::int32_t err = 0;
    IServerAddress* record = Create(" ", " :", 0, err);
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(Take(record->GetHost()), " ");
    record->Release();
}

TEST_F(ServerAddressTest, AnotherInterfaceIdGivesNothing) {
    std::int32_t err = 0;
    EXPECT_EQ(Create("n", "h:1", 0, err, tarnclient::IServerAddressList::Id), nullptr);
    EXPECT_EQ(err, vcom::Failure);
}

} // namespace
