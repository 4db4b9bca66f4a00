// The address lookup end to end, as a host sees it: the AddressManager made
// by the library's factory asks a scripted loopback address server, and the
// test checks the request bytes it sent and the records it handed back.
//
// The process-wide configuration is fixed by the first manager created, so
// every test of this process talks to one server; each test scripts exactly
// the connections it expects and reads the requests from its own start on.
#include <climits>
#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tarnclient/TarnClient.h>

#include "tests/support/HostCalls.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/ServiceRecordBytes.h"

namespace {

using tarnclient::Ref;
using tarntest::Take;
using tarnclient::IAddressManager;
using tarnclient::IServerAddress;
using tarnclient::IServerAddressList;
using tarnclient::IServerLocation;

tarntest::ScriptedServer& Server() {
    static tarntest::ScriptedServer server;
    return server;
}

std::string AddressReply(const std::string& serverList) {
    return tarntest::HttpReply(200, tarntest::ReplyRecordBytes(2, 0, {{"serverlist", serverList}}));
}

const std::string kThree = R"(<servers><server name="east-1" address="10.0.0.5:7000" uc="12"/>)"
                           R"(<server name="west-2" address="192.168.1.20:80" uc="-3"/>)"
                           R"(<server name="north" address=":9" uc="0"/></servers>)";

class AddressLookup : public testing::Test {
protected:
    void SetUp() override {
        std::int32_t err = 99;
        m_manager = Ref<IAddressManager>::Adopt(
            m_core->CreateAddressManager(IAddressManager::Id, &err, Server().Address().c_str()));
        ASSERT_TRUE(m_manager);
        ASSERT_EQ(err, 0);
        m_firstConnection = Server().Connections();
    }

    // Connections this test made so far, after all of them have ended.
    std::size_t ConnectionsMade() {
        const std::size_t made = Server().Connections() - m_firstConnection;
        EXPECT_TRUE(Server().WaitFinished(m_firstConnection + made));
        return made;
    }

    Ref<IServerAddressList> Enum(const char* product, const char* category, const char* name, const char* att1) {
        return Ref<IServerAddressList>(m_manager->GetServerAddressEnum(product, category, name, att1));
    }

    Ref<tarnclient::ICoreFactory> m_core = tarntest::Core();
    Ref<IAddressManager> m_manager;
    std::size_t m_firstConnection = 0;
};

TEST_F(AddressLookup, SendsTheSelectorsInOrderToTheAddressService) {
    const auto sent = [](tarntest::RecordFields more) {
        tarntest::RecordFields all = {{"product", "Tarn Online"}, {"category", "Lobby"}};
        all.insert(all.end(), more.begin(), more.end());
        return tarntest::RequestRecordBytes(1, {}, all);
    };
    const struct {
        const char* name;
        const char* att1 = nullptr;
        std::string sent;
    } cases[] = {
        {.name = "east-1", .att1 = "EU", .sent = sent({{"server", "east-1"}, {"att1", "EU"}})},
        {.name = "s", .sent = sent({{"server", "s"}})},
        {.name = "s", .att1 = "", .sent = sent({{"server", "s"}})},
        {.name = nullptr, .sent = sent({{"server", "any"}})},
        {.name = "All", .sent = sent({{"server", "All"}})},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Server().Script(tarntest::Answer(AddressReply(kThree)));
        Ref<IServerAddress> server(m_manager->GetServerAddress("Tarn Online", "Lobby", cases[i].name, cases[i].att1));
        ASSERT_TRUE(server) << i;
        EXPECT_EQ(Take(server->GetName()), "east-1"); // the first of each fresh reply, whatever the name asked
        const std::string request = Server().Requests().at(m_firstConnection + i);
        EXPECT_EQ(tarntest::RequestBody(request), cases[i].sent) << i;
        EXPECT_EQ(request.rfind("POST /addrsrv ", 0), 0u) << request;
        EXPECT_NE(request.find("QAS Client/1.0"), std::string::npos) << request;
    }
    EXPECT_EQ(ConnectionsMade(), std::size(cases));
}

// A server as a host reads it from a record.
struct Listed {
    std::string name, address, host;
    std::int32_t port, uc;
    bool operator==(const Listed& other) const {
        return name == other.name && address == other.address && host == other.host && port == other.port &&
               uc == other.uc;
    }
};

void PrintTo(const Listed& s, std::ostream* out) {
    *out << "{" << s.name << ", " << s.address << ", " << s.host << ", " << s.port << ", " << s.uc << "}";
}

// Servers come in document order: every child element of the root whatever
// its name, other nodes skipped, values as they are and uc as atoi reads it;
// the host ends at the first colon and the port is read as atoi does. A
// server that breaks a rule fails the whole query. Records outlive their
// list and the manager.
TEST_F(AddressLookup, ListsTheServersOfAReplyOrFailsTheWholeQuery) {
    const std::string kLong(70000, 'n');
    // One faulty server after a good one.
    const auto faulty = [](const std::string& server) {
        return AddressReply("<s><server name=\"a\" address=\"1.2.3.4:5\" uc=\"1\"/>" + server + "</s>");
    };
    const struct Row {
        const char* what;
        std::string reply;
        std::vector<Listed> servers = {};
        bool refused = false;
    } rows[] = {
        {.what = "three",
         .reply = AddressReply(kThree),
         .servers = {{.name = "east-1", .address = "10.0.0.5:7000", .host = "10.0.0.5", .port = 7000, .uc = 12},
                     {.name = "west-2", .address = "192.168.1.20:80", .host = "192.168.1.20", .port = 80, .uc = -3},
                     {.name = "north", .address = ":9", .host = "", .port = 9, .uc = 0}}},
        {.what = "nodes of every kind", .reply = AddressReply(R"(<?xml version="1.0"?>
<serverlist version="2"> leading text <!-- a comment -->
  <server name="alpha" zone="eu" address="10.0.0.1:7000" uc="3">inner <detail name="no"/></server>
  <?note ignore me?><![CDATA[<server/>]]>
  <host uc="0" extra="x" address="10.0.0.2:7001" name=" b &amp; c "/> trailing
</serverlist>)"),
         .servers = {{.name = "alpha", .address = "10.0.0.1:7000", .host = "10.0.0.1", .port = 7000, .uc = 3},
                     {.name = " b & c ", .address = "10.0.0.2:7001", .host = "10.0.0.2", .port = 7001, .uc = 0}}},
        {.what = "numbers as atoi reads them",
         .reply = AddressReply(R"(<l><s name="a" address=" h :1" uc="abc"/><s name="b" address="h: 42" uc=" 7"/>)"
                               R"(<s name="c" address="a:b:c" uc="+4x"/><s name="d" address="h:-12" uc="2147483647"/>)"
                               R"(<s name="e" address="host:+8x9" uc="-2147483648"/></l>)"),
         .servers = {{.name = "a", .address = " h :1", .host = " h ", .port = 1, .uc = 0},
                     {.name = "b", .address = "h: 42", .host = "h", .port = 42, .uc = 7},
                     {.name = "c", .address = "a:b:c", .host = "a", .port = 0, .uc = 4},
                     {.name = "d", .address = "h:-12", .host = "h", .port = -12, .uc = 2147483647},
                     {.name = "e", .address = "host:+8x9", .host = "host", .port = 8, .uc = -2147483647 - 1}}},
        {.what = "a list longer than a 16-bit length could say",
         .reply = AddressReply("<l><s name=\"" + kLong + "\" address=\"h:1\" uc=\"1\"/></l>"),
         .servers = {{.name = kLong, .address = "h:1", .host = "h", .port = 1, .uc = 1}}},
        {.what = "text and a comment only", .reply = AddressReply("<servers> text <!-- no servers --> </servers>")},
        {.what = "an empty root", .reply = AddressReply("<servers/>")},
        {.what = "an empty uc", .reply = faulty(R"(<server name="b" address="1.2.3.4:5" uc=""/>)"), .refused = true},
        {.what = "an empty name", .reply = faulty(R"(<server name="" address="h:1" uc="1"/>)"), .refused = true},
        {.what = "an empty address", .reply = faulty(R"(<server name="n" address="" uc="1"/>)"), .refused = true},
        {.what = "an address without a colon", .reply = faulty(R"(<server name="n" address="10.0.0.5;7000" uc="1"/>)"),
         .refused = true},
        // Attribute names are exact bytes, without a namespace.
        {.what = "a missing uc", .reply = faulty(R"(<server name="n" address="h:1"/>)"), .refused = true},
        {.what = "a name in capitals", .reply = faulty(R"(<server Name="n" address="h:1" uc="1"/>)"), .refused = true},
        {.what = "a name in a namespace", .reply = faulty(R"(<s xmlns:x="urn:x" x:name="a" address="h:1" uc="1"/>)"),
         .refused = true},
        {.what = "a body that is no record", .reply = tarntest::HttpReply(200, std::string("\x00\x07 not a record", 15)),
         .refused = true},
        {.what = "no serverlist field", .reply = tarntest::HttpReply(200, tarntest::ReplyRecordBytes(2, 0, {})),
         .refused = true},
        {.what = "a ticket reply in its place",
         .reply = tarntest::HttpReply(200, tarntest::TicketReplyBytes(0, {{"serverlist", kThree}})), .refused = true},
    };
    std::vector<Ref<IServerAddressList>> lists;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        Server().Script(tarntest::Answer(row.reply));
        Server().Script(tarntest::Answer(row.reply));
        lists.push_back(Enum("p", "c", "any", nullptr));
        Ref<IServerAddress> first(m_manager->GetServerAddress("p", "c", "any", nullptr));
        EXPECT_EQ(!lists.back(), row.refused);
        EXPECT_EQ(first ? Take(first->GetName()) : "<none>", row.servers.empty() ? "<none>" : row.servers[0].name);
    }
    EXPECT_EQ(ConnectionsMade(), 2 * std::size(rows));
    m_manager.reset();
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].what);
        if (!lists[i])
            continue;
        std::vector<Ref<IServerAddress>> servers;
        std::int32_t pos = lists[i]->Begin();
        while (IServerAddress* element = lists[i]->Next(&pos))
            servers.emplace_back(element);
        EXPECT_EQ(static_cast<std::size_t>(lists[i]->Count()), servers.size());
        EXPECT_EQ(lists[i]->IsEmpty(), servers.empty());
        lists[i].reset();
        std::vector<Listed> seen;
        for (const Ref<IServerAddress>& s : servers) {
            EXPECT_EQ(tarntest::Count(s.get()), 1); // the caller's reference alone
            seen.push_back({.name = Take(s->GetName()), .address = Take(s->GetAddress()), .host = Take(s->GetHost()),
                            .port = s->GetPort(), .uc = s->GetUc()});
        }
        EXPECT_EQ(seen, rows[i].servers);
    }
}

// Walking a list to both ends and back is the Windows host's test; here,
// positions outside a list read nothing and stay put.
TEST_F(AddressLookup, HostilePositionsReadNothing) {
    Server().Script(tarntest::Answer(AddressReply(kThree)));
    Server().Script(tarntest::Answer(AddressReply("<servers/>")));
    auto list = Enum("p", "c", "any", nullptr), empty = Enum("p", "c", "any", nullptr);
    ASSERT_TRUE(list && empty);
    EXPECT_EQ(empty->Begin(), empty->End());
    for (IServerAddressList* l : {list.get(), empty.get()}) {
        for (std::int32_t start : {-5, -1, INT_MIN, 4, INT_MAX}) {
            std::int32_t pos = start;
            EXPECT_EQ(l->Next(&pos), nullptr) << start;
            EXPECT_EQ(l->Prev(&pos), nullptr) << start;
            EXPECT_EQ(pos, start);
        }
        EXPECT_EQ(l->Next(nullptr), nullptr);
        EXPECT_EQ(l->Prev(nullptr), nullptr);
    }
}

TEST_F(AddressLookup, TheManagerIsItsOwnLocationAndTheFactoryRefusesOtherIdsAndBadRecords) {
    std::int32_t err = 99;
    // How the text splits into host and port is the configuration's test.
    const Ref<IServerLocation> own = m_manager.As<IServerLocation>();
    ASSERT_TRUE(own);
    EXPECT_EQ(Take(own->GetAddress()), Server().Address());
    EXPECT_EQ(tarntest::Count(m_manager.get()), 2); // both interfaces count on one object
    vcom::IComponent* location = m_core->CreateAddressManager(IServerLocation::Id, &err, nullptr);
    ASSERT_NE(location, nullptr);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(location->Release(), 0);
    EXPECT_EQ(m_core->CreateAddressManager(IServerAddress::Id, &err, Server().Address().c_str()), nullptr);
    EXPECT_EQ(err, vcom::Failure);
    // Records the lists hold are made the same way.
    const struct { const char *name, *address; std::int32_t id = IServerAddress::Id, err = vcom::InvalidArgument; }
        records[] = {
        {.name = nullptr, .address = "h:1"}, {.name = "", .address = "h:1"}, {.name = "n", .address = nullptr},
        {.name = "n", .address = ""},        {.name = "n", .address = "10.0.0.5;7000"},
        {.name = "n", .address = "h:1", .id = IServerAddressList::Id, .err = vcom::Failure},
    };
    for (const auto& r : records) {
        EXPECT_EQ(m_core->CreateServerAddress(r.id, r.name, r.address, &err, 1), nullptr) << &r - records;
        EXPECT_EQ(err, r.err) << &r - records;
    }
}

} // namespace
