// The servlet names and the machine identifier in the registry, as a host
// sees their effect.
#include <regex>

#include "tests/customer/CustomerHost.h"

namespace customertest {
namespace {

using tarntest::kConfigKey;
using tarntest::kServletKey;
const char kMachineIdValue[] = "Machine ID";

void SetServletNames(bool withEmail) {
    for (const char* name : {"Register Customer", "Update Customer", "Get Ticket", "Email Customer"})
        if (withEmail || std::string(name) != "Email Customer")
            tarntest::SetRegistryText(kServletKey, name, "mail");
}

// Starts from an empty registry: no machine identifier either.
class CustomerSettingsTest : public CustomerTest {
protected:
    void SetUp() override {}

    // One context-route exchange: its request line, and the machine sent.
    std::pair<std::string, std::string> Exchange() {
        server.Script(TicketAnswer("KEY"));
        auto manager = Manager();
        std::string ticket;
        EXPECT_EQ(Get(manager.get(), "game", "ctx", nullptr, 0, ticket), vcom::Success);
        const std::vector<std::string> requests = server.Requests();
        if (requests.empty())
            return {"<none>", ""};
        const RecordFields sent = SentFields(requests.back());
        return {RequestLine(requests.back()), sent.empty() ? "" : sent.back().second};
    }
};

TEST_F(CustomerSettingsTest, FreshRegistryGetsTheDefaultServletNamesAndABracedUpperCaseGuid) {
    const std::string id = MachineId();
    // A random (version 4, RFC 4122 variant) GUID.
    EXPECT_TRUE(std::regex_match(id, std::regex("\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}")))
        << id;
    EXPECT_EQ(Exchange(), std::make_pair(std::string("POST /getTicket HTTP/1.1"), id));
    // All REG_SZ with their terminators. (The standard user test shows "Register
    // Customer" and "Get Ticket"; the torture runs, that the next process reads
    // the same identifier.)
    const struct {
        const char* key;
        const char* name;
        std::string text;
    } written[] = {{.key = kServletKey, .name = "Update Customer", .text = "updateCust"},
                   {.key = kServletKey, .name = "Email Customer", .text = "emailCust"},
                   {.key = kConfigKey, .name = kMachineIdValue, .text = id}};
    for (const auto& entry : written) {
        std::string bytes;
        std::uint32_t type = 0;
        ASSERT_TRUE(tarntest::GetRegistryValue(entry.key, entry.name, bytes, &type)) << entry.name;
        EXPECT_EQ(type, tarntest::kRegSz) << entry.name;
        EXPECT_EQ(bytes, entry.text + '\0') << entry.name;
    }
}

TEST_F(CustomerSettingsTest, ConfiguredGetTicketNameIsThePathReadOncePerProcess) {
    SetServletNames(true);
    tarntest::SetRegistryValue(kServletKey, "Get Ticket", tarntest::kRegBinary, std::string("tick\0et", 7));
    // Whatever is stored is the identifier, even binary without a terminator.
    tarntest::SetRegistryValue(kConfigKey, kMachineIdValue, tarntest::kRegBinary, "box-7");
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Exchange(), std::make_pair(std::string("POST /tick HTTP/1.1"), std::string("box-7")));
        tarntest::SetRegistryText(kServletKey, "Get Ticket", "second");
    }
    // An existing key and identifier are read, never rewritten.
    std::string bytes;
    ASSERT_TRUE(tarntest::GetRegistryValue(kServletKey, "Email Customer", bytes));
    EXPECT_EQ(bytes, std::string("mail", 5));
    ASSERT_TRUE(tarntest::GetRegistryValue(kConfigKey, kMachineIdValue, bytes));
    EXPECT_EQ(bytes, "box-7");
}

TEST_F(CustomerSettingsTest, KeyLackingAServletNameFailsEveryCreationUntilItIsAdded) {
    SetServletNames(false);
    for (int i = 0; i < 2; ++i) {
        std::int32_t err = 99;
        EXPECT_EQ(NewCustomerManager<tarnclient::ICustomerManager>(server.Address(), &err).get(), nullptr);
        EXPECT_EQ(err, vcom::Failure);
    }
    std::int32_t err = 99;
    tarntest::SetRegistryText(kServletKey, "Email Customer", "mail");
    EXPECT_NE(NewCustomerManager<tarnclient::ICustomerManager>(server.Address(), &err).get(), nullptr);
}

} // namespace
} // namespace customertest
