// The servlet names and the machine identifier in the registry, as a host
// sees their effect. (The names and the identifier a fresh registry gets:
// the standard user test; that the next process reads the same identifier:
// the torture runs and the black-box run.)
#include "tests/customer/CustomerHost.h"

namespace customertest {
namespace {

using tarntest::kConfigKey;
using tarntest::kServletKey;

void SetServletNames(bool withEmail) {
    for (const char* name : {"Register Customer", "Update Customer", "Get Ticket", "Email Customer"})
        if (withEmail || std::string(name) != "Email Customer")
            tarntest::SetRegistryText(kServletKey, name, "mail");
}

TEST_F(CustomerTest, ConfiguredGetTicketNameIsThePathReadOncePerProcess) {
    SetServletNames(true);
    tarntest::SetRegistryValue(kServletKey, "Get Ticket", tarntest::kRegBinary, std::string("tick\0et", 7));
    // Whatever is stored is the identifier, even binary without a terminator.
    tarntest::SetRegistryValue(kConfigKey, "Machine ID", tarntest::kRegBinary, "box-7");
    for (int i = 0; i < 2; ++i) {
        server.Script(TicketAnswer("KEY"));
        std::string ticket;
        EXPECT_EQ(Get(Manager().get(), "game", "ctx", nullptr, 0, ticket), vcom::Success);
        EXPECT_EQ(RequestLine(server.Requests().at(i)), "POST /tick HTTP/1.1");
        EXPECT_EQ(SentAll().at(i), tarntest::TicketRequestBytes({{"contextid", "ctx"}, {"product", "GAME"},
                                                                 {"eventname", "Finals"}, {"machine", "box-7"}}));
        tarntest::SetRegistryText(kServletKey, "Get Ticket", "second");
    }
    // An existing key and identifier are read, never rewritten.
    std::string bytes;
    ASSERT_TRUE(tarntest::GetRegistryValue(kServletKey, "Email Customer", bytes));
    EXPECT_EQ(bytes, std::string("mail", 5));
    ASSERT_TRUE(tarntest::GetRegistryValue(kConfigKey, "Machine ID", bytes));
    EXPECT_EQ(bytes, "box-7");
}

TEST_F(CustomerTest, KeyLackingAServletNameFailsEveryCreationUntilItIsAdded) {
    SetServletNames(false);
    for (int i = 0; i < 2; ++i) {
        std::int32_t err = 99;
        EXPECT_FALSE(NewCustomerManager(server.Address(), &err));
        EXPECT_EQ(err, vcom::Failure);
    }
    std::int32_t err = 99;
    tarntest::SetRegistryText(kServletKey, "Email Customer", "mail");
    EXPECT_TRUE(NewCustomerManager(server.Address(), &err));
}

} // namespace
} // namespace customertest
