// The servlet names and the machine identifier in the registry, as a host
// sees their effect.
#include <cctype>

#include "tests/customer/CustomerHost.h"
#include "tests/support/RegistryFaults.h"
#include "tests/support/RegistryValues.h"

namespace customertest {
namespace {

const char kServletKey[] = "Software\\Orvane\\Tarn\\Config\\CMS Servlet Names";
const char kConfigKey[] = "Software\\Orvane\\Tarn\\Config";
const char kMachineIdValue[] = "Machine ID";

Held<tarnclient::IMachineIdentity> NewIdentity(std::int32_t* err) {
    Held<tarnclient::ICoreFactory> core(static_cast<tarnclient::ICoreFactory*>(
        Factory()->QueryInterface(tarnclient::ICoreFactory::Id, err)));
    return Held<tarnclient::IMachineIdentity>(static_cast<tarnclient::IMachineIdentity*>(
        core->CreateMachineIdentity(tarnclient::IMachineIdentity::Id, err)));
}

std::string MachineId() {
    std::int32_t err = 99;
    Held<tarnclient::IMachineIdentity> identity = NewIdentity(&err);
    EXPECT_EQ(err, vcom::Success);
    return identity ? Take(identity->GetMachineId()) : "<none>";
}

bool IsBracedUpperGuid(const std::string& text) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}')
        return false;
    for (std::size_t i = 1; i < 37; ++i) {
        const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        const char c = text[i];
        if (dash ? c != '-' : !(std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

void SetServletNames(const std::string& getTicket, bool withEmail = true) {
    tarntest::SetRegistryText(kServletKey, "Register Customer", "reg");
    tarntest::SetRegistryText(kServletKey, "Update Customer", "upd");
    if (withEmail)
        tarntest::SetRegistryText(kServletKey, "Email Customer", "mail");
    tarntest::SetRegistryText(kServletKey, "Get Ticket", getTicket);
}

class CustomerSettingsTest : public CustomerTest {
protected:
    // The request line of one context-route exchange.
    std::string ExchangeLine() {
        server.Script(TicketAnswer("KEY"));
        auto manager = Manager();
        char* ticket = nullptr;
        EXPECT_EQ(manager->GetTicket("game", "Finals", "ctx", nullptr, 0, &display, &ticket), vcom::Success);
        Take(ticket);
        const std::vector<std::string> requests = server.Requests();
        return requests.empty() ? "<none>" : RequestLine(requests.back());
    }

    ScriptedDisplay display;
};

TEST_F(CustomerSettingsTest, FreshRegistryGetsTheFourDefaultServletNames) {
    EXPECT_EQ(ExchangeLine(), "POST /getTicket HTTP/1.1");

    const std::pair<const char*, const char*> defaults[] = {{"Register Customer", "registerCust"},
                                                            {"Update Customer", "updateCust"},
                                                            {"Email Customer", "emailCust"},
                                                            {"Get Ticket", "getTicket"}};
    for (const auto& entry : defaults) {
        std::string bytes;
        std::uint32_t type = 0;
        ASSERT_TRUE(tarntest::GetRegistryValue(kServletKey, entry.first, bytes, &type)) << entry.first;
        EXPECT_EQ(type, tarntest::kRegSz) << entry.first;
        EXPECT_EQ(bytes, std::string(entry.second) + '\0') << entry.first;
    }
}

TEST_F(CustomerSettingsTest, ConfiguredGetTicketNameIsThePath) {
    SetServletNames("issueTicket");
    EXPECT_EQ(ExchangeLine(), "POST /issueTicket HTTP/1.1");

    // An existing key is read, never rewritten.
    std::string bytes;
    ASSERT_TRUE(tarntest::GetRegistryValue(kServletKey, "Email Customer", bytes));
    EXPECT_EQ(bytes, std::string("mail", 5));
}

TEST_F(CustomerSettingsTest, ServletNameIsReadUpToItsFirstZeroWhateverItsType) {
    SetServletNames("unused");
    tarntest::SetRegistryValue(kServletKey, "Get Ticket", tarntest::kRegBinary, std::string("tick\0et", 7));
    EXPECT_EQ(ExchangeLine(), "POST /tick HTTP/1.1");
}

TEST_F(CustomerSettingsTest, KeyLackingAServletNameFailsEveryCreationUntilItIsAdded) {
    SetServletNames("getTicket", false);
    std::int32_t err = 99;
    EXPECT_EQ(NewCustomerManager(server.Address(), tarnclient::ICustomerManager::Id, &err), nullptr);
    EXPECT_EQ(err, vcom::Failure);
    EXPECT_EQ(NewCustomerManager(server.Address(), tarnclient::ICustomerManager::Id, &err), nullptr);
    EXPECT_EQ(err, vcom::Failure);

    tarntest::SetRegistryText(kServletKey, "Email Customer", "mail");
    EXPECT_NE(NewCustomerManager(server.Address(), tarnclient::ICustomerManager::Id, &err), nullptr);
    EXPECT_EQ(err, vcom::Success);
}

TEST_F(CustomerSettingsTest, ServletNamesAreReadOncePerProcess) {
    SetServletNames("first");
    EXPECT_EQ(ExchangeLine(), "POST /first HTTP/1.1");
    tarntest::SetRegistryText(kServletKey, "Get Ticket", "second");
    EXPECT_EQ(ExchangeLine(), "POST /first HTTP/1.1");
}

TEST_F(CustomerSettingsTest, MachineIdIsCreatedOnceAsABracedGuid) {
    const std::string id = MachineId();
    EXPECT_TRUE(IsBracedUpperGuid(id)) << id;

    std::string bytes;
    std::uint32_t type = 0;
    ASSERT_TRUE(tarntest::GetRegistryValue(kConfigKey, kMachineIdValue, bytes, &type));
    EXPECT_EQ(type, tarntest::kRegSz);
    EXPECT_EQ(bytes, id + '\0');

    EXPECT_EQ(MachineId(), id);
    EXPECT_EQ(MachineId(), id);
}

TEST_F(CustomerSettingsTest, ManagerSendsTheStoredMachineId) {
    tarntest::SetRegistryText(kConfigKey, kMachineIdValue, "box-7");
    ExchangeLine();
    const tarntest::RecordFields fields = RequestFields(server.Requests().at(0));
    ASSERT_EQ(fields.size(), 4u);
    EXPECT_EQ(fields[3], tarntest::RecordField("machine", "box-7"));
}

TEST_F(CustomerSettingsTest, MachineIdIsReadUnchangedWhateverItsForm) {
    tarntest::SetRegistryText(kConfigKey, kMachineIdValue, "not a guid, just text");
    EXPECT_EQ(MachineId(), "not a guid, just text");

    tarntest::SetRegistryValue(kConfigKey, kMachineIdValue, tarntest::kRegBinary, std::string("AB\0CD", 5));
    EXPECT_EQ(MachineId(), "AB");
    // Reading never rewrites the value.
    std::string bytes;
    ASSERT_TRUE(tarntest::GetRegistryValue(kConfigKey, kMachineIdValue, bytes));
    EXPECT_EQ(bytes, std::string("AB\0CD", 5));

    // No terminator stored at all.
    tarntest::SetRegistryValue(kConfigKey, kMachineIdValue, tarntest::kRegBinary, "XYZ");
    EXPECT_EQ(MachineId(), "XYZ");
}

TEST_F(CustomerSettingsTest, UnusableRegistryFailsIdentityAndManager) {
    if (!tarntest::MakeRegistryUnusable())
        GTEST_SKIP() << "the registry of this target cannot be taken away";
    std::int32_t err = 99;
    EXPECT_EQ(NewIdentity(&err), nullptr);
    EXPECT_EQ(err, vcom::Failure);
    EXPECT_EQ(NewCustomerManager(server.Address(), tarnclient::ICustomerManager::Id, &err), nullptr);
    EXPECT_EQ(err, vcom::Failure);
}

TEST_F(CustomerSettingsTest, MachineIdentityAnswersItsInterfaceOnly) {
    std::int32_t err = 99;
    Held<tarnclient::IMachineIdentity> identity = NewIdentity(&err);
    ASSERT_NE(identity, nullptr);
    for (std::int32_t id : {0, 2005}) {
        Held<vcom::IComponent> found(identity->QueryInterface(id, &err));
        EXPECT_EQ(static_cast<void*>(found.get()), static_cast<void*>(identity.get())) << id;
        EXPECT_TRUE(identity->Supports(id));
    }
    EXPECT_EQ(identity->QueryInterface(2004, &err), nullptr);
    EXPECT_EQ(err, vcom::Failure);
    EXPECT_FALSE(identity->Supports(2004));
    EXPECT_EQ(identity->Reserved(0, 0, 0, 0, 0), vcom::NotImplemented);
}

} // namespace
} // namespace customertest
