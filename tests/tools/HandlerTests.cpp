// The services over the built-in data set, beyond what the black-box test
// shows (which check wins, the credential limits, the context binding, the
// exact server list), and one request through the handler without sockets.
#include <gtest/gtest.h>

#include <regex>

#include "AddressService.h"
#include "DataLoader.h"
#include "DefaultData.h"
#include "RequestHandler.h"
#include "ServerListXml.h"
#include "TicketService.h"
#include "WireClient.h"
#include "tests/support/ServiceRecordBytes.h"

namespace devserver {
namespace {

using tarntest::AddressRequestBody;
using tarntest::CustomerRequestBody;

TicketQuery Login(const char* product, const char* event, const char* name, const char* password) {
    return TicketQuery{false, "", product, name, password, event, "", ""};
}
TicketQuery Context(const char* product, const char* event, const char* id) {
    return TicketQuery{true, id, product, "", "", event, "", ""};
}

TEST(Services, TicketStatuses) {
    const ServiceData data = LoadServiceData(DefaultDataJson());
    TicketQuery ignored = Context("TARNQUEST", "launch", "ctx-alice-1");
    ignored.publicName = "x";
    ignored.password = "y";
    const std::pair<TicketQuery, int> cases[] = {
        {Login("tarnquest", "launch", "ALICE", "wonderland1"), TicketGranted},
        {Login("TARNQUEST", "finals", "alice", "wonderland1"), TicketGranted},
        {Login("TARNQUEST", "Launch", "alice", "wonderland1"), UnknownEvent},
        {Login("TARNQUEST", "launch", "alice", "Wonderland1"), WrongPassword},
        // The first failing check wins.
        {Login("NOPE", "nope", "", ""), UnknownProduct},    {Login("TARNQUEST", "nope", "", ""), UnknownEvent},
        {Login("TARNQUEST", "beta-test", "x", "y"), InvalidPublicName},
        {Login("TARNQUEST", "beta-test", "alice", "bad"), WrongPassword},
        // A context: without a product its own is taken; bound to one product.
        {Context("", "season1", "ctx-bob-race"), TicketGranted}, {Context("", "season1", "ctx-expired"), UnknownProduct},
        {Context("TARNQUEST", "launch", ""), BadContextId}, {Context("TARNQUEST", "launch", "ctx-bob-race"), BadContextId},
        {Context("TARNQUEST", "nope", "ctx-alice-1"), UnknownEvent}, {ignored, TicketGranted},
    };
    for (const auto& [query, status] : cases)
        EXPECT_EQ(DecideTicket(data, query).status, status)
            << query.product << " " << query.event << " " << query.publicName << query.contextId;
    EXPECT_EQ(DecideTicket(data, Context("TARNQUEST", "launch", "ctx-alice-1")).account, "alice");
}

TEST(Services, CredentialRuleBoundaries) {
    using S = std::string;
    for (const S& good : {S("abc"), S("A1b2C3"), S(30, 'z')})
        EXPECT_TRUE(IsValidCredential(good)) << good;
    for (const S& bad : {S(), S("ab"), S(31, 'z'), S("ab_c"), S("ab-c"), S("ab c"), S("abc!"), S("\xC3\xA9t\xC3\xA9")})
        EXPECT_FALSE(IsValidCredential(bad)) << bad;
}

TEST(Services, ServerSelection) {
    const ServiceData data = LoadServiceData(DefaultDataJson());
    const auto names = [&](const AddressQuery& query) {
        std::string all;
        for (const Server* server : SelectServers(data, query))
            all += server->name + " ";
        return all;
    };
    EXPECT_EQ(names({"tarnquest", "chat", "any", false, ""}), "lobby ");
    EXPECT_EQ(names({"TARNQUEST", "GAME", "any", false, ""}), "");
    EXPECT_EQ(names({"TARNQUEST", "game", "Beta", false, ""}), "");
    EXPECT_EQ(names({"TARNQUEST", "game", "beta", true, "eu"}), "");
    // att1 sent empty matches the servers without one.
    EXPECT_EQ(names({"TARNQUEST", "chat", "any", true, ""}), "lobby ");
}

TEST(ServerListXml, ExactTextWithEscapedValues) {
    Server odd{"a&b <\"c\"> 'd'", "10.0.0.1:80", -3, ""};
    EXPECT_EQ(ServerListXml({&odd}), "<servers><server name=\"a&amp;b &lt;&quot;c&quot;&gt; &apos;d&apos;\" "
                                     "address=\"10.0.0.1:80\" uc=\"-3\"/></servers>");
    EXPECT_EQ(ServerListXml({}), "<servers></servers>");
}

class Handler : public testing::Test {
protected:
    Handler() : data(LoadServiceData(DefaultDataJson())) {}
    Outgoing Handle(const char* method, const std::string& path, const std::string& body) const {
        return RequestHandler(data).Handle({method, path, body});
    }
    Outgoing Post(const std::string& path, const std::string& body) const { return Handle("POST", path, body); }
    ServiceData data;
};

TEST_F(Handler, ServesPostOnTheAddressPathAndEachServlet) {
    data.servlets = {"login", "ticket2"};
    const std::string query = AddressRequestBody("TARNQUEST", "game", "any");
    const std::string login = CustomerRequestBody("TARNQUEST", "alice", "wonderland1", "launch");
    const struct {
        const char* method;
        const char* path;
        const std::string& body;
        int status;
    } cases[] = {
        {"POST", "/addrsrv", query, 200},  {"POST", "/login", login, 200},    {"POST", "/ticket2", login, 200},
        {"POST", "/getTicket", query, 404}, {"POST", "/", query, 404},        {"POST", "/addrsrv/", query, 404},
        {"POST", "/ADDRSRV", query, 404},   {"POST", "/login/x", query, 404}, {"GET", "/elsewhere", query, 404},
        {"GET", "/addrsrv", query, 405},    {"PUT", "/addrsrv", query, 405},  {"DELETE", "/addrsrv", query, 405},
        {"PATCH", "/addrsrv", query, 405},  {"OPTIONS", "/addrsrv", query, 405},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Handle(c.method, c.path, c.body).httpStatus, c.status) << c.method << " " << c.path;
    EXPECT_EQ(Handle("PUT", "/addrsrv", "").logText, "PUT /addrsrv -> 405 method not allowed");
}

TEST_F(Handler, GrantedTicketHasAFreshKeyAndTheLifetime) {
    data.lifetime = 90;
    const std::string body = CustomerRequestBody("TARNQUEST", "alice", "wonderland1", "launch");
    tarntest::ReplyRecord first, second;
    ASSERT_TRUE(tarntest::ParseReplyRecord(Post("/getTicket", body).body, first));
    ASSERT_TRUE(tarntest::ParseReplyRecord(Post("/getTicket", body).body, second));
    EXPECT_EQ(first.minor, tarntest::kTicketReplyMinor);
    EXPECT_EQ(first.status, 0);
    ASSERT_EQ(first.fields.size(), 2u);
    EXPECT_EQ(first.fields[0].first, "key");
    EXPECT_TRUE(std::regex_match(first.fields[0].second, std::regex("[0-9A-Fa-f]{32}"))) << first.fields[0].second;
    EXPECT_EQ(first.fields[1], (tarntest::RecordField{"lifetime", "90"}));
    EXPECT_NE(first.fields[0], second.fields.at(0));
}

TEST_F(Handler, TransportFaultsActEvenOnABadBody) {
    data.faults = {ParseFaultRule("/addrsrv=close"), ParseFaultRule("/getTicket=hang")};
    EXPECT_EQ(Post("/addrsrv", "junk").action, Outgoing::Action::Close);
    EXPECT_EQ(Post("/getTicket", "").action, Outgoing::Action::Hang);
    data.faults = {ParseFaultRule("http:502"), ParseFaultRule("delay:30")};
    const Outgoing out = Post("/addrsrv", AddressRequestBody("TARNQUEST", "game", "any"));
    EXPECT_EQ(out.httpStatus, 502);
    EXPECT_EQ(out.delayMs, 30);
    EXPECT_EQ(out.logText,
              "POST /addrsrv product=TARNQUEST category=game server=any -> 502 (fault delay 30 ms + http 502)");
}

} // namespace
} // namespace devserver
