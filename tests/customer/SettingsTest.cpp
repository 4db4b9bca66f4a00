// The servlet names and the machine identifier in the registry, as a host
// sees their effect.
#include <regex>

#include "tests/customer/CustomerHost.h"
#include "tests/support/RegistryValues.h"

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

class CustomerSettingsTest : public CustomerTest {
protected:
    // The request line and fields of one context-route exchange.
    std::string Exchange() {
        server.Script(TicketAnswer("KEY"));
        auto manager = Manager();
        std::string ticket;
        EXPECT_EQ(Get(manager.get(), "game", "ctx", nullptr, 0, ticket), vcom::Success);
        const std::vector<std::string> requests = server.Requests();
        return requests.empty() ? "<none>" : RequestLine(requests.back()) + " " + Sent(requests.back(), true);
    }
};

TEST_F(CustomerSettingsTest, FreshRegistryGetsTheDefaultServletNamesAndABracedUpperCaseGuid) {
    const std::string id = MachineId();
    // A random (version 4, RFC 4122 variant) GUID.
    EXPECT_TRUE(std::regex_match(id, std::regex("\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}")))
        << id;
    EXPECT_EQ(Exchange(), "POST /getTicket HTTP/1.1 contextid=ctx product=GAME eventname=Finals machine=" + id + " ");
    // All REG_SZ with their terminators. (The standard user test shows "Register
    // Customer" and "Get Ticket"; the torture runs, that the next process reads
    // the same identifier.)
    const std::string written[][3] = {{kServletKey, "Update Customer", "updateCust"},
                                      {kServletKey, "Email Customer", "emailCust"},
                                      {kConfigKey, kMachineIdValue, id}};
    for (const auto& entry : written) {
        std::string bytes;
        std::uint32_t type = 0;
        ASSERT_TRUE(tarntest::GetRegistryValue(entry[0], entry[1], bytes, &type)) << entry[1];
        EXPECT_EQ(type, tarntest::kRegSz) << entry[1];
        EXPECT_EQ(bytes, entry[2] + '\0') << entry[1];
    }
}

TEST_F(CustomerSettingsTest, ConfiguredGetTicketNameIsThePathReadOncePerProcess) {
    SetServletNames(true);
    tarntest::SetRegistryValue(kServletKey, "Get Ticket", tarntest::kRegBinary, std::string("tick\0et", 7));
    // Whatever is stored is the identifier, even binary without a terminator.
    tarntest::SetRegistryValue(kConfigKey, kMachineIdValue, tarntest::kRegBinary, "box-7");
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(Exchange(), "POST /tick HTTP/1.1 contextid=ctx product=GAME eventname=Finals machine=box-7 ");
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
