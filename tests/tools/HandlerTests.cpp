// The request handler without sockets: which method and path it serves, and
// that a fault rule acts before the body is read. What the services answer
// (each status, the server selection, the escaped list, the ticket key) is the
// black-box test's (tarn_blackbox.sh).
#include <gtest/gtest.h>

#include "DataLoader.h"
#include "DefaultData.h"
#include "RequestHandler.h"
#include "WireClient.h"

namespace devserver {
namespace {

using tarntest::AddressRequestBody;
using tarntest::CustomerRequestBody;

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
