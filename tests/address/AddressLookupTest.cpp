// The address lookup end to end, as a host sees it: the AddressManager made
// by the library's factory asks a scripted loopback address server, and the
// test checks the request bytes it sent and the records it handed back.
//
// The process-wide configuration is fixed by the first manager created, so
// every test of this process talks to one server; each test scripts exactly
// the connections it expects and reads the requests from its own start on.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tarnclient/TarnClient.h>

#include "tests/host/HostHelpers.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/ServiceRecordBytes.h"

namespace {

using hosttest::Take;
using tarnclient::IAddressManager;
using tarnclient::IServerAddress;
using tarnclient::IServerAddressList;
using tarnclient::IServerLocation;

const std::uint16_t kAddressRequestMinor = 1;
const std::uint16_t kAddressReplyMinor = 2;

tarntest::ScriptedServer& Server() {
    static tarntest::ScriptedServer server;
    return server;
}

struct ServerRow {
    std::string name;
    std::string address;
    std::string uc;
};

// A serverlist document with one <server> child per entry.
std::string ServerListXml(const std::vector<ServerRow>& servers) {
    std::string xml = "<servers>";
    for (const ServerRow& s : servers)
        xml += "<server name=\"" + s.name + "\" address=\"" + s.address + "\" uc=\"" + s.uc + "\"/>";
    return xml + "</servers>";
}

std::string AddressReply(std::uint16_t status, const std::string& serverList) {
    return tarntest::HttpReply(200, tarntest::ReplyRecordBytes(kAddressReplyMinor, status, {{"serverlist", serverList}}));
}

// Every element of a list, each with the reference the list handed out.
std::vector<IServerAddress*> Elements(IServerAddressList* list) {
    std::vector<IServerAddress*> out;
    std::int32_t pos = list->Begin();
    while (IServerAddress* element = list->Next(&pos))
        out.push_back(element);
    return out;
}

class AddressLookup : public testing::Test {
protected:
    void SetUp() override {
        tarnclient::IComponentFactory* factory = TarnClientLib_GetComponentFactory();
        ASSERT_NE(factory, nullptr);
        tarnclient::ICoreFactory* core = hosttest::CoreFactory(factory);
        factory->Release();
        ASSERT_NE(core, nullptr);
        std::int32_t err = 99;
        m_manager = static_cast<IAddressManager*>(
            core->CreateAddressManager(IAddressManager::Id, &err, Server().Address().c_str()));
        core->Release();
        ASSERT_NE(m_manager, nullptr);
        ASSERT_EQ(err, 0);
        m_firstConnection = Server().Connections();
    }
    void TearDown() override {
        if (m_manager)
            m_manager->Release();
    }

    // Connections this test made so far, after all of them have ended.
    std::size_t ConnectionsMade() {
        const std::size_t made = Server().Connections() - m_firstConnection;
        EXPECT_TRUE(Server().WaitFinished(m_firstConnection + made));
        return made;
    }

    // The request record sent on this test's n-th connection.
    tarntest::RequestRecord SentRequest(std::size_t n = 0) {
        tarntest::RequestRecord record;
        const std::vector<std::string> requests = Server().Requests();
        if (m_firstConnection + n >= requests.size()) {
            ADD_FAILURE() << "no connection " << n;
            return record;
        }
        EXPECT_TRUE(tarntest::ParseRequestRecord(tarntest::RequestBody(requests[m_firstConnection + n]), record));
        return record;
    }

    std::string RawRequest(std::size_t n = 0) { return Server().Requests().at(m_firstConnection + n); }

    IServerAddressList* Enum(const char* product, const char* category, const char* name, const char* att1) {
        return m_manager->GetServerAddressEnum(product, category, name, att1);
    }

    IAddressManager* m_manager = nullptr;
    std::size_t m_firstConnection = 0;
};

const std::vector<ServerRow> kThree = {
    {"east-1", "10.0.0.5:7000", "12"},
    {"west-2", "192.168.1.20:80", "-3"},
    {"north", ":9", "0"},
};

TEST_F(AddressLookup, SendsTheSelectorsInOrderToTheAddressService) {
    Server().Script(tarntest::Answer(AddressReply(0, ServerListXml(kThree))));
    IServerAddressList* list = Enum("Tarn Online", "Lobby", "east-1", "EU");
    ASSERT_NE(list, nullptr);
    list->Release();

    const tarntest::RequestRecord sent = SentRequest();
    EXPECT_EQ(sent.major, 1);
    EXPECT_EQ(sent.minor, kAddressRequestMinor);
    EXPECT_TRUE(sent.first.empty());
    const tarntest::RecordFields expected = {
        {"product", "Tarn Online"}, {"category", "Lobby"}, {"server", "east-1"}, {"att1", "EU"}};
    EXPECT_EQ(sent.second, expected);

    const std::string raw = RawRequest();
    EXPECT_EQ(raw.rfind("POST /addrsrv ", 0), 0u) << raw;
    EXPECT_NE(raw.find("QAS Client/1.0"), std::string::npos) << raw;
    EXPECT_EQ(ConnectionsMade(), 1u);
}

TEST_F(AddressLookup, LeavesOutAnAbsentOrEmptyAttribute) {
    Server().Script(tarntest::Answer(AddressReply(0, ServerListXml(kThree))));
    Server().Script(tarntest::Answer(AddressReply(0, ServerListXml(kThree))));
    IServerAddressList* first = Enum("p", "c", "s", nullptr);
    IServerAddressList* second = Enum("p", "c", "s", "");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    first->Release();
    second->Release();

    const tarntest::RecordFields expected = {{"product", "p"}, {"category", "c"}, {"server", "s"}};
    EXPECT_EQ(SentRequest(0).second, expected);
    EXPECT_EQ(SentRequest(1).second, expected);
}

TEST_F(AddressLookup, ANullNameAsksForAnyServer) {
    Server().Script(tarntest::Answer(AddressReply(0, ServerListXml(kThree))));
    IServerAddress* server = m_manager->GetServerAddress("p", "c", nullptr, nullptr);
    ASSERT_NE(server, nullptr);
    server->Release();
    const tarntest::RecordFields expected = {{"product", "p"}, {"category", "c"}, {"server", "any"}};
    EXPECT_EQ(SentRequest().second, expected);
}

TEST_F(AddressLookup, ListsTheServersInReplyOrder) {
    Server().Script(tarntest::Answer(AddressReply(0, ServerListXml(kThree))));
    IServerAddressList* list = Enum("p", "c", "any", nullptr);
    ASSERT_NE(list, nullptr);
    // Records and lists do not need the manager that made them.
    m_manager->Release();
    m_manager = nullptr;

    EXPECT_EQ(list->Count(), 3);
    const std::vector<IServerAddress*> servers = Elements(list);
    ASSERT_EQ(servers.size(), 3u);
    EXPECT_EQ(Take(servers[0]->GetName()), "east-1");
    EXPECT_EQ(Take(servers[0]->GetAddress()), "10.0.0.5:7000");
    EXPECT_EQ(Take(servers[0]->GetHost()), "10.0.0.5");
    EXPECT_EQ(servers[0]->GetPort(), 7000);
    EXPECT_EQ(servers[0]->GetUc(), 12);
    EXPECT_EQ(Take(servers[1]->GetName()), "west-2");
    EXPECT_EQ(servers[1]->GetPort(), 80);
    EXPECT_EQ(servers[1]->GetUc(), -3);
    EXPECT_EQ(Take(servers[2]->GetName()), "north");
    EXPECT_EQ(Take(servers[2]->GetHost()), "");
    EXPECT_EQ(servers[2]->GetUc(), 0);
    for (IServerAddress* s : servers)
        s->Release();
    EXPECT_EQ(list->Release(), 0);
}

TEST_F(AddressLookup, GetServerAddressReturnsTheFirstServerOfTheReply) {
    Server().Script(tarntest::Answer(AddressReply(0, ServerListXml(kThree))));
    IServerAddress* server = m_manager->GetServerAddress("p", "c", "west-2", nullptr);
    ASSERT_NE(server, nullptr);
    EXPECT_EQ(Take(server->GetName()), "east-1");
    // The caller holds the only reference: the list it came from is gone.
    EXPECT_EQ(server->Release(), 0);
}

TEST_F(AddressLookup, AnElementOutlivesItsReleasedList) {
    Server().Script(tarntest::Answer(AddressReply(0, ServerListXml(kThree))));
    IServerAddressList* list = Enum("p", "c", "any", nullptr);
    ASSERT_NE(list, nullptr);
    std::int32_t pos = list->End();
    IServerAddress* last = list->Prev(&pos);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(list->Release(), 0);
    EXPECT_EQ(Take(last->GetName()), "north");
    EXPECT_EQ(last->Release(), 0);
}

TEST_F(AddressLookup, AReplyWithoutServersIsAnEmptyList) {
    Server().Script(tarntest::Answer(AddressReply(0, "<servers/>")));
    Server().Script(tarntest::Answer(AddressReply(0, "<servers></servers>")));
    IServerAddressList* list = Enum("p", "c", "any", nullptr);
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->IsEmpty());
    EXPECT_EQ(list->Count(), 0);
    list->Release();
    EXPECT_EQ(m_manager->GetServerAddress("p", "c", "any", nullptr), nullptr);
    EXPECT_EQ(ConnectionsMade(), 2u);
}

TEST_F(AddressLookup, NothingIsCachedBetweenQueries) {
    Server().Script(tarntest::Answer(AddressReply(0, ServerListXml(kThree))));
    Server().Script(tarntest::Answer(AddressReply(0, ServerListXml({{"late", "1.1.1.1:1", "5"}}))));
    IServerAddress* first = m_manager->GetServerAddress("p", "c", "any", nullptr);
    IServerAddress* second = m_manager->GetServerAddress("p", "c", "any", nullptr);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Take(first->GetName()), "east-1");
    EXPECT_EQ(Take(second->GetName()), "late");
    first->Release();
    second->Release();
    EXPECT_EQ(ConnectionsMade(), 2u);
}

// Replies that must make the whole query fail, each with exactly one exchange.
struct FailingReply {
    const char* what;
    std::string reply;
};

TEST_F(AddressLookup, AFaultyReplyFailsTheWholeQuery) {
    const std::string good = "<server name=\"a\" address=\"1.2.3.4:5\" uc=\"1\"/>";
    const FailingReply cases[] = {
        {"application status 9001", AddressReply(9001, ServerListXml(kThree))},
        {"application status 1", AddressReply(1, ServerListXml(kThree))},
        {"HTTP 503", tarntest::HttpReply(503, tarntest::ReplyRecordBytes(kAddressReplyMinor, 0, {}))},
        {"one address without ':'", AddressReply(0, "<s>" + good + "<server name=\"b\" address=\"1.2.3.4\" uc=\"1\"/></s>")},
        {"an empty uc", AddressReply(0, "<s>" + good + "<server name=\"b\" address=\"1.2.3.4:5\" uc=\"\"/></s>")},
        {"a missing uc", AddressReply(0, "<s>" + good + "<server name=\"b\" address=\"1.2.3.4:5\"/></s>")},
        {"an empty name", AddressReply(0, "<s><server name=\"\" address=\"1.2.3.4:5\" uc=\"1\"/></s>")},
        {"a document that does not parse", AddressReply(0, "<s><server name=\"a\"")},
        {"no serverlist field", tarntest::HttpReply(200, tarntest::ReplyRecordBytes(kAddressReplyMinor, 0, {}))},
        {"a ticket reply in its place",
         tarntest::HttpReply(200, tarntest::ReplyRecordBytes(4, 0, {{"serverlist", ServerListXml(kThree)}}))},
        {"a body that is no record", tarntest::HttpReply(200, "hello")},
    };
    for (const FailingReply& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t before = ConnectionsMade();
        Server().Script(tarntest::Answer(c.reply));
        EXPECT_EQ(Enum("p", "c", "any", nullptr), nullptr);
        Server().Script(tarntest::Answer(c.reply));
        EXPECT_EQ(m_manager->GetServerAddress("p", "c", "any", nullptr), nullptr);
        EXPECT_EQ(ConnectionsMade(), before + 2);
    }
}

TEST_F(AddressLookup, MissingSelectorsSendNothing) {
    EXPECT_EQ(m_manager->GetServerAddress("p", "c", "all", nullptr), nullptr);
    EXPECT_EQ(m_manager->GetServerAddress("p", "c", "", nullptr), nullptr);
    EXPECT_EQ(m_manager->GetServerAddress(nullptr, "c", nullptr, nullptr), nullptr);
    EXPECT_EQ(m_manager->GetServerAddress("", "c", nullptr, nullptr), nullptr);
    EXPECT_EQ(m_manager->GetServerAddress("p", nullptr, nullptr, "a"), nullptr);
    EXPECT_EQ(Enum("p", "c", nullptr, nullptr), nullptr);
    EXPECT_EQ(Enum("p", "c", "", nullptr), nullptr);
    EXPECT_EQ(Enum(nullptr, "c", "s", nullptr), nullptr);
    EXPECT_EQ(Enum("", "c", "s", nullptr), nullptr);
    EXPECT_EQ(Enum("p", "", "s", nullptr), nullptr);
    EXPECT_EQ(ConnectionsMade(), 0u);
}

TEST_F(AddressLookup, OnlyTheExactNameAllIsRefused) {
    Server().Script(tarntest::Answer(AddressReply(0, ServerListXml(kThree))));
    IServerAddress* server = m_manager->GetServerAddress("p", "c", "All", nullptr);
    ASSERT_NE(server, nullptr);
    server->Release();
    EXPECT_EQ(SentRequest().second.at(2), (tarntest::RecordField{"server", "All"}));
}

TEST_F(AddressLookup, TheManagerAnswersWithItsOwnCopyOfTheLocation) {
    std::int32_t err = 99;
    auto* location = static_cast<IServerLocation*>(m_manager->QueryInterface(IServerLocation::Id, &err));
    ASSERT_NE(location, nullptr);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(Take(location->GetAddress()), Server().Address());
    EXPECT_EQ(Take(location->GetHost()), "127.0.0.1");
    EXPECT_EQ(location->GetPort(), Server().Port());
    // Both interfaces count on one object.
    EXPECT_EQ(location->Release(), 1);

}

TEST_F(AddressLookup, AskingTheFactoryForAnotherInterfaceGivesNothing) {
    tarnclient::IComponentFactory* factory = TarnClientLib_GetComponentFactory();
    tarnclient::ICoreFactory* core = hosttest::CoreFactory(factory);
    ASSERT_NE(core, nullptr);
    std::int32_t err = 0;
    EXPECT_EQ(core->CreateAddressManager(IServerAddress::Id, &err, Server().Address().c_str()), nullptr);
    EXPECT_EQ(err, vcom::Failure);
    err = 99;
    vcom::IComponent* location = core->CreateAddressManager(IServerLocation::Id, &err, nullptr);
    ASSERT_NE(location, nullptr);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(location->Release(), 0);
    core->Release();
    factory->Release();
}

} // namespace
