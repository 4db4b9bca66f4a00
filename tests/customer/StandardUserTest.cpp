// A user who may not write the machine-wide store: the manager and the
// identity still come, keeping what the machine lacks, and the login, in the
// user's own store. What the machine holds is read as for anyone (the
// customer settings test), since nothing is written then.
#include <regex>

#include "platform/UserSecret.h"
#include "tests/customer/CustomerHost.h"
#include "tests/support/TestEnvironment.h"

namespace customertest {
namespace {

using tarntest::kConfigKey;
using tarntest::kMostRecentlyUsed;
using tarntest::kServletKey;
using tarntest::kUserLogKey;

struct Value {
    const char* key;
    const char* name;
    std::string bytes = ""; // empty: absent
};

class StandardUserTest : public CustomerTest {
protected:
    void SetUp() override { tarntest::ActAsStandardUser(); }
};

TEST_F(StandardUserTest, WhatTheMachineLacksIsKeptForTheUserAndTheLoginProposedAgain) {
    const std::string id = MachineId();
    // A random (version 4, RFC 4122 variant) GUID, braced and in upper case.
    EXPECT_TRUE(std::regex_match(id, std::regex("\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}")))
        << id;
    server.Script(TicketAnswer("KEY"));
    display.Then(ScriptedDisplay::Login("alice", "wonderland1"));
    std::string ticket;
    EXPECT_EQ(Get(Manager().get(), "game", nullptr, nullptr, 0, ticket), vcom::Success); // saved on release
    EXPECT_EQ(RequestLine(server.Requests().at(0)), "POST /getTicket HTTP/1.1");
    using namespace std::string_literals;
    const std::vector<Value> machine = {{.key = kConfigKey, .name = "Machine ID"},
                                        {.key = kServletKey, .name = "Get Ticket"},
                                        {.key = kUserLogKey, .name = kMostRecentlyUsed}};
    const std::vector<Value> user = {{.key = kConfigKey, .name = "Machine ID", .bytes = id + '\0'},
                                     {.key = kServletKey, .name = "Register Customer", .bytes = "registerCust\0"s},
                                     {.key = kServletKey, .name = "Update Customer", .bytes = "updateCust\0"s},
                                     {.key = kServletKey, .name = "Get Ticket", .bytes = "getTicket\0"s},
                                     {.key = kServletKey, .name = "Email Customer", .bytes = "emailCust\0"s}};
    for (const auto& [values, read] : {std::make_pair(&machine, &tarntest::GetRegistryValue),
                                       std::make_pair(&user, &tarntest::GetUserRegistryValue)}) {
        for (const Value& value : *values) {
            std::string bytes;
            EXPECT_EQ(read(value.key, value.name, bytes, nullptr), !value.bytes.empty()) << value.name;
            EXPECT_EQ(bytes, value.bytes) << value.name;
        }
    }

    // What the next process's manager proposes, and what lies in the store.
    std::string proposed, raw;
    ASSERT_TRUE(platform::LoadUserSecret(kUserLogKey, kMostRecentlyUsed, proposed));
    EXPECT_EQ(proposed, "alice;wonderland1\0"s);
    ASSERT_TRUE(tarntest::GetUserRegistryValue(kUserLogKey, kMostRecentlyUsed, raw));
    EXPECT_EQ(raw.find("wonderland1") == std::string::npos, tarntest::kStoredLoginIsProtected);
}

} // namespace
} // namespace customertest
