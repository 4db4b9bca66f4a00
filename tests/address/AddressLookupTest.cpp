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

const std::uint16_t kAddressRequestMinor = 1;
const std::uint16_t kAddressReplyMinor = 2;

tarntest::ScriptedServer& Server() {
    static tarntest::ScriptedServer server;
    return server;
}

std::string AddressReply(std::uint16_t status, const std::string& serverList) {
    return tarntest::HttpReply(200, tarntest::ReplyRecordBytes(kAddressReplyMinor, status, {{"serverlist", serverList}}));
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

    std::string RawRequest(std::size_t n = 0) { return Server().Requests().at(m_firstConnection + n); }

    Ref<IServerAddressList> Enum(const char* product, const char* category, const char* name, const char* att1) {
        return Ref<IServerAddressList>(m_manager->GetServerAddressEnum(product, category, name, att1));
    }

    Ref<tarnclient::ICoreFactory> m_core = tarntest::Core();
    Ref<IAddressManager> m_manager;
    std::size_t m_firstConnection = 0;
};

TEST_F(AddressLookup, SendsTheSelectorsInOrderToTheAddressService) {
    const tarntest::RecordFields selectors = {{"product", "Tarn Online"}, {"category", "Lobby"}};
    const auto sent = [&](tarntest::RecordFields more) {
        tarntest::RecordFields all = selectors;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    const struct {
        const char* name;
        const char* att1 = nullptr;
        tarntest::RecordFields sent;
    } cases[] = {
        {.name = "east-1", .att1 = "EU", .sent = sent({{"server", "east-1"}, {"att1", "EU"}})},
        {.name = "s", .sent = sent({{"server", "s"}})},
        {.name = "s", .att1 = "", .sent = sent({{"server", "s"}})},
        {.name = nullptr, .sent = sent({{"server", "any"}})},
        {.name = "All", .sent = sent({{"server", "All"}})},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        Server().Script(tarntest::Answer(AddressReply(0, kThree)));
        Ref<IServerAddress> server(m_manager->GetServerAddress("Tarn Online", "Lobby", cases[i].name, cases[i].att1));
        ASSERT_TRUE(server) << i;
        EXPECT_EQ(Take(server->GetName()), "east-1"); // the first of each fresh reply, whatever the name asked
        const std::string sent = tarntest::RequestBody(RawRequest(i));
        EXPECT_EQ(sent, tarntest::RequestRecordBytes(kAddressRequestMinor, {}, cases[i].sent)) << i;
    }
    const std::string raw = RawRequest();
    EXPECT_EQ(raw.rfind("POST /addrsrv ", 0), 0u) << raw;
    EXPECT_NE(raw.find("QAS Client/1.0"), std::string::npos) << raw;
    EXPECT_EQ(ConnectionsMade(), std::size(cases));
}

// Servers come in document order: every child element of the root whatever
// its name, other nodes skipped, values as they are and uc as atoi reads it;
// the host ends at the first colon and the port is read as atoi does. Records
// and lists need neither the manager nor each other.
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

TEST_F(AddressLookup, ListsTheServersInReplyOrderEachOutlivingTheList) {
    const std::string kLong(70000, 'n');
    const struct {
        std::string xml;
        std::vector<Listed> servers;
    } rows[] = {
        {.xml = kThree,
         .servers = {{.name = "east-1", .address = "10.0.0.5:7000", .host = "10.0.0.5", .port = 7000, .uc = 12},
                     {.name = "west-2", .address = "192.168.1.20:80", .host = "192.168.1.20", .port = 80, .uc = -3},
                     {.name = "north", .address = ":9", .host = "", .port = 9, .uc = 0}}},
        {.xml = R"(<?xml version="1.0"?>
<serverlist version="2"> leading text <!-- a comment -->
  <server name="alpha" zone="eu" address="10.0.0.1:7000" uc="3">inner <detail name="no"/></server>
  <?note ignore me?><![CDATA[<server/>]]>
  <host uc="0" extra="x" address="10.0.0.2:7001" name=" b &amp; c "/> trailing
</serverlist>)",
         .servers = {{.name = "alpha", .address = "10.0.0.1:7000", .host = "10.0.0.1", .port = 7000, .uc = 3},
                     {.name = " b & c ", .address = "10.0.0.2:7001", .host = "10.0.0.2", .port = 7001, .uc = 0}}},
        {.xml = R"(<l><s name="a" address=" h :1" uc="abc"/><s name="b" address="h: 42" uc=" 7"/>)"
                R"(<s name="c" address="a:b:c" uc="+4x"/><s name="d" address="h:-12" uc="2147483647"/>)"
                R"(<s name="e" address="host:+8x9" uc="-2147483648"/></l>)",
         .servers = {{.name = "a", .address = " h :1", .host = " h ", .port = 1, .uc = 0},
                     {.name = "b", .address = "h: 42", .host = "h", .port = 42, .uc = 7},
                     {.name = "c", .address = "a:b:c", .host = "a", .port = 0, .uc = 4},
                     {.name = "d", .address = "h:-12", .host = "h", .port = -12, .uc = 2147483647},
                     {.name = "e", .address = "host:+8x9", .host = "host", .port = 8, .uc = -2147483647 - 1}}},
        // A list longer than a 16-bit length could say.
        {.xml = "<l><s name=\"" + kLong + "\" address=\"h:1\" uc=\"1\"/></l>",
         .servers = {{.name = kLong, .address = "h:1", .host = "h", .port = 1, .uc = 1}}},
    };
    std::vector<Ref<IServerAddressList>> lists;
    for (const auto& row : rows) {
        Server().Script(tarntest::Answer(AddressReply(0, row.xml)));
        lists.push_back(Enum("p", "c", "any", nullptr));
    }
    m_manager.reset();
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        ASSERT_TRUE(lists[i]) << i;
        std::vector<Ref<IServerAddress>> servers;
        std::int32_t pos = lists[i]->Begin();
        while (IServerAddress* element = lists[i]->Next(&pos))
            servers.emplace_back(element);
        EXPECT_EQ(static_cast<std::size_t>(lists[i]->Count()), servers.size());
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

// Walking a list to both ends and back is the Windows host's test; here, an
// empty list, and positions outside a list read nothing and stay put.
TEST_F(AddressLookup, EmptyListsAndHostilePositionsReadNothing) {
    Server().Script(tarntest::Answer(AddressReply(0, kThree)));
    Server().Script(tarntest::Answer(AddressReply(0, "<servers> text only <!-- no servers --> </servers>")));
    Server().Script(tarntest::Answer(AddressReply(0, "<servers/>")));
    auto list = Enum("p", "c", "any", nullptr), empty = Enum("p", "c", "any", nullptr);
    ASSERT_TRUE(list && empty);
    EXPECT_TRUE(empty->IsEmpty());
    EXPECT_EQ(empty->Begin(), empty->End());
    EXPECT_EQ(m_manager->GetServerAddress("p", "c", "any", nullptr), nullptr);
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
    EXPECT_EQ(ConnectionsMade(), 3u);
}

// A status, an HTTP failure and a list that does not parse are the black-box
// test's (tarn_blackbox.sh) for the same path.
TEST_F(AddressLookup, AFaultyReplyFailsTheWholeQuery) {
    // One faulty server after a good one.
    const auto faulty = [](const std::string& server) {
        return AddressReply(0, "<s><server name=\"a\" address=\"1.2.3.4:5\" uc=\"1\"/>" + server + "</s>");
    };
    const struct {
        const char* what;
        std::string reply;
    } cases[] = {
        {.what = "an empty uc", .reply = faulty(R"(<server name="b" address="1.2.3.4:5" uc=""/>)")},
        {.what = "an empty name", .reply = faulty(R"(<server name="" address="h:1" uc="1"/>)")},
        {.what = "an empty address", .reply = faulty(R"(<server name="n" address="" uc="1"/>)")},
        {.what = "an address without a colon", .reply = faulty(R"(<server name="n" address="10.0.0.5;7000" uc="1"/>)")},
        // Attribute names are exact bytes, without a namespace.
        {.what = "a missing uc", .reply = faulty(R"(<server name="n" address="h:1"/>)")},
        {.what = "a name in capitals", .reply = faulty(R"(<server Name="n" address="h:1" uc="1"/>)")},
        {.what = "a name in a namespace", .reply = faulty(R"(<s xmlns:x="urn:x" x:name="a" address="h:1" uc="1"/>)")},
        {.what = "a body that is no record", .reply = tarntest::HttpReply(200, std::string("\x00\x07 not a record", 15))},
        {.what = "no serverlist field",
         .reply = tarntest::HttpReply(200, tarntest::ReplyRecordBytes(kAddressReplyMinor, 0, {}))},
        {.what = "a ticket reply in its place",
         .reply = tarntest::HttpReply(200, tarntest::TicketReplyBytes(0, {{"serverlist", kThree}}))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t before = ConnectionsMade();
        Server().Script(tarntest::Answer(c.reply));
        EXPECT_FALSE(Enum("p", "c", "any", nullptr));
        Server().Script(tarntest::Answer(c.reply));
        EXPECT_EQ(m_manager->GetServerAddress("p", "c", "any", nullptr), nullptr);
        EXPECT_EQ(ConnectionsMade(), before + 2);
    }
}

// The name "all" is the black-box test's.
TEST_F(AddressLookup, MissingSelectorsSendNothing) {
    const struct {
        const char *product = "p", *category = "c", *name = "s";
    } cases[] = {{.name = ""}, {.product = nullptr}, {.product = ""}, {.category = nullptr}, {.category = ""}};
    for (const auto& c : cases) {
        EXPECT_EQ(m_manager->GetServerAddress(c.product, c.category, c.name, "a"), nullptr);
        EXPECT_FALSE(Enum(c.product, c.category, c.name, nullptr));
    }
    EXPECT_FALSE(Enum("p", "c", nullptr, nullptr));
    EXPECT_EQ(ConnectionsMade(), 0u);
}

TEST_F(AddressLookup, TheManagerIsItsOwnLocationAndTheFactoryRefusesOtherIdsAndBadRecords) {
    std::int32_t err = 99;
    auto location = m_manager.As<IServerLocation>(&err);
    ASSERT_TRUE(location);
    EXPECT_EQ(err, 0);
    // How the text splits into host and port is the configuration's test.
    EXPECT_EQ(Take(location->GetAddress()), Server().Address());
    EXPECT_EQ(tarntest::Count(m_manager.get()), 2); // both interfaces count on one object
    vcom::IComponent* other = m_core->CreateAddressManager(IServerLocation::Id, &err, nullptr);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(other->Release(), 0);
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
