// One request through the handler, without sockets: what is served where,
// the record answers, the faults, and what the log line shows.
#include <gtest/gtest.h>

#include <cctype>

#include "DataLoader.h"
#include "DefaultData.h"
#include "RequestHandler.h"
#include "WireRecords.h"

namespace devserver {
namespace {

using tarntest::AddressRequestBody;
using tarntest::CustomerRequestBody;
using tarntest::ReadReply;

class Handler : public testing::Test {
protected:
    Handler() : data(LoadServiceData(DefaultDataJson())) {}

    Outgoing Post(const std::string& path, const std::string& body) const {
        return RequestHandler(data).Handle({"POST", path, body});
    }
    void AddFault(const char* text) { data.faults.push_back(ParseFaultRule(text)); }

    ServiceData data;
};

TEST_F(Handler, ServesTheAddressPathAndEachServlet) {
    data.servlets = {"login", "ticket2"};
    EXPECT_EQ(Post("/addrsrv", AddressRequestBody("TARNQUEST", "game", "any")).httpStatus, 200);
    EXPECT_EQ(Post("/login", CustomerRequestBody("TARNQUEST", "alice", "wonderland1", "launch")).httpStatus, 200);
    EXPECT_EQ(Post("/ticket2", CustomerRequestBody("TARNQUEST", "alice", "wonderland1", "launch")).httpStatus, 200);
    for (const char* path : {"/getTicket", "/", "/addrsrv/", "/ADDRSRV", "/login/x"})
        EXPECT_EQ(Post(path, AddressRequestBody("P", "c", "any")).httpStatus, 404) << path;
}

TEST_F(Handler, OnlyPostIsServed) {
    const RequestHandler handler(data);
    for (const char* method : {"GET", "PUT", "DELETE", "PATCH", "OPTIONS"}) {
        const Outgoing out = handler.Handle({method, "/addrsrv", ""});
        EXPECT_EQ(out.httpStatus, 405) << method;
        EXPECT_EQ(out.logText, std::string(method) + " /addrsrv -> 405 method not allowed");
    }
    EXPECT_EQ(handler.Handle({"GET", "/elsewhere", ""}).httpStatus, 404);
}

TEST_F(Handler, AddressReplyCarriesTheServerList) {
    const Outgoing out = Post("/addrsrv", AddressRequestBody("TARNQUEST", "game", "any", "eu"));
    EXPECT_EQ(out.action, Outgoing::Action::Reply);
    EXPECT_EQ(out.contentType, "application/octet-stream");
    const auto reply = ReadReply(out.body);
    ASSERT_TRUE(reply.decoded);
    EXPECT_EQ(reply.minorId, 2);
    EXPECT_EQ(reply.status, 0);
    EXPECT_EQ(reply.serverList, "<servers><server name=\"alpha\" address=\"127.0.0.1:7001\" uc=\"12\"/>"
                                "<server name=\"gamma\" address=\"127.0.0.1:7003\" uc=\"7\"/></servers>");
    EXPECT_EQ(out.logText,
              "POST /addrsrv product=TARNQUEST category=game server=any att1=eu -> 200, status 0, 2 servers");
}

TEST_F(Handler, GrantedTicketHasAFreshKeyAndTheLifetime) {
    data.lifetime = 90;
    const auto first = ReadReply(Post("/getTicket", CustomerRequestBody("TARNQUEST", "alice", "wonderland1", "launch")).body);
    const auto second = ReadReply(Post("/getTicket", CustomerRequestBody("TARNQUEST", "alice", "wonderland1", "launch")).body);
    ASSERT_TRUE(first.decoded);
    EXPECT_EQ(first.minorId, 4);
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.lifetime, "90");
    EXPECT_EQ(first.key.size(), 32u);
    for (char c : first.key)
        EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(c))) << first.key;
    EXPECT_NE(first.key, second.key);
}

TEST_F(Handler, RefusedTicketCarriesOnlyItsStatus) {
    const Outgoing out = Post("/getTicket", CustomerRequestBody("TARNQUEST", "alice", "secret99", "launch"));
    const auto reply = ReadReply(out.body);
    ASSERT_TRUE(reply.decoded);
    EXPECT_EQ(reply.status, 2006);
    EXPECT_EQ(reply.fieldCount, 0);
    // The log names the account, never the password.
    EXPECT_EQ(out.logText, "POST /getTicket product=TARNQUEST event=launch account=alice -> 200, status 2006");
}

TEST_F(Handler, ContextRequestIsLoggedWithItsAccount) {
    const Outgoing out = Post("/getTicket", CustomerRequestBody("TARNQUEST", nullptr, nullptr, "launch", "ctx-alice-1"));
    EXPECT_EQ(out.logText,
              "POST /getTicket product=TARNQUEST event=launch context=ctx-alice-1 (alice) -> 200, status 0, "
              "ticket granted");
}

TEST_F(Handler, UnavailableAnswers9001OfTheRightKind) {
    data.unavailable = true;
    const auto address = ReadReply(Post("/addrsrv", AddressRequestBody("TARNQUEST", "game", "any")).body);
    EXPECT_EQ(address.minorId, 2);
    EXPECT_EQ(address.status, 9001);
    EXPECT_EQ(address.fieldCount, 0);
    const auto ticket = ReadReply(Post("/getTicket", CustomerRequestBody("TARNQUEST", "alice", "wonderland1", "launch")).body);
    EXPECT_EQ(ticket.minorId, 4);
    EXPECT_EQ(ticket.status, 9001);
}

TEST_F(Handler, FaultsForOnePath) {
    AddFault("/getTicket=unavailable");
    AddFault("/addrsrv=malformed-list");
    AddFault("/addrsrv=delay:30");
    const Outgoing address = Post("/addrsrv", AddressRequestBody("TARNQUEST", "chat", "any"));
    EXPECT_EQ(address.delayMs, 30);
    const auto list = ReadReply(address.body);
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.serverList.find("</servers>"), std::string::npos);
    EXPECT_NE(address.logText.find("(fault delay 30 ms + malformed-list)"), std::string::npos);
    const auto ticket = ReadReply(Post("/getTicket", CustomerRequestBody("TARNQUEST", "alice", "wonderland1", "launch")).body);
    EXPECT_EQ(ticket.status, 9001);
}

TEST_F(Handler, TransportFaultsActEvenOnABadBody) {
    AddFault("/addrsrv=close");
    AddFault("/getTicket=hang");
    EXPECT_EQ(Post("/addrsrv", "junk").action, Outgoing::Action::Close);
    EXPECT_EQ(Post("/getTicket", "").action, Outgoing::Action::Hang);
    data.faults = {ParseFaultRule("http:502")};
    const Outgoing out = Post("/addrsrv", AddressRequestBody("TARNQUEST", "game", "any"));
    EXPECT_EQ(out.action, Outgoing::Action::Reply);
    EXPECT_EQ(out.httpStatus, 502);
    EXPECT_EQ(out.logText, "POST /addrsrv product=TARNQUEST category=game server=any -> 502 (fault http 502)");
}

TEST_F(Handler, RecordOfTheWrongKindForThePath) {
    const Outgoing toAddress = Post("/addrsrv", CustomerRequestBody("TARNQUEST", "alice", "wonderland1", "launch"));
    EXPECT_EQ(toAddress.httpStatus, 400);
    EXPECT_NE(toAddress.body.find("customer request sent to the address service"), std::string::npos);
    const Outgoing toServlet = Post("/getTicket", AddressRequestBody("TARNQUEST", "game", "any"));
    EXPECT_EQ(toServlet.httpStatus, 400);
    EXPECT_NE(toServlet.body.find("address query sent to a customer servlet"), std::string::npos);
}

} // namespace
} // namespace devserver
