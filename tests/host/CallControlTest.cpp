// A host's control over its calls, through the public header only: every
// kind of failure a lookup can meet, read back as GetLastFailure gives it,
// and the next call on the same component running normally. (Tickets
// cancelled and past their deadline: the C host and the Windows host; the
// trace sink from several threads: the trace test and the C host.)
#include <future>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <tarnclient/TarnClient.h>

#include "tests/support/HostCalls.h"
#include "tests/support/LoopbackSocket.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/ServiceRecordBytes.h"

namespace {

using tarnclient::Ref;
using namespace tarntest;

const std::string kOneServer =
    HttpReply(200, ReplyRecordBytes(2, 0, {{"serverlist", R"(<s><server name="a" address="10.0.0.1:7" uc="1"/></s>)"}}));

struct Failure {
    std::int32_t kind = -1;
    std::string cause;
};

// One lookup on manager: its server count (-1 for null) and its last failure.
std::pair<int, Failure> Lookup(const Ref<tarnclient::IAddressManager>& manager, const char* product = "P") {
    Ref<tarnclient::IServerAddressList> list(manager->GetServerAddressEnum(product, "game", "any", nullptr));
    Failure failure;
    failure.cause = Take(manager.As<tarnclient::ICallControl>()->GetLastFailure(&failure.kind));
    return {list ? list->Count() : -1, failure};
}

Ref<tarnclient::IAddressManager> NewAddressManager(const std::string& address) {
    std::int32_t err = 0;
    return Ref<tarnclient::IAddressManager>::Adopt(
        Core()->CreateAddressManager(tarnclient::IAddressManager::Id, &err, address.c_str()));
}

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

// The server location is the process's first (each test runs in a process
// of its own), so every row talks to one server, a connection each, in order.
TEST(CallControl, EveryKindOfFailureIsReadBackAndTheNextCallRuns) {
    const struct Row {
        const char* what;
        std::vector<Step> script; // empty: nothing is sent
        const char* product = "P";
        bool cancel = false;         // from another thread, once the server has the request
        std::int32_t deadlineMs = 0; // 0: the library's own bounds
        tarnclient::CallFailure kind;
        std::string cause; // its start
        int servers = -1;
    } rows[] = {
        {.what = "cancelled", .script = {ReadRequest(), Silent()}, .cancel = true, .kind = tarnclient::CallCancelled,
         .cause = "cancelled while "},
        {.what = "past the deadline", .script = {ReadRequest(), Silent()}, .deadlineMs = 200,
         .kind = tarnclient::CallPastDeadline, .cause = "past the deadline while "},
        {.what = "closed", .script = {ReadRequest(), Close()}, .kind = tarnclient::CallNoReply, .cause = "127.0.0.1:"},
        {.what = "no record", .script = Answer(HttpReply(200, "garbage")), .kind = tarnclient::CallUnreadableReply,
         .cause = "unreadable reply: "},
        {.what = "HTTP 503", .script = Answer(HttpReply(503, "")), .kind = tarnclient::CallRefused,
         .cause = "HTTP 503 from 127.0.0.1:"},
        {.what = "status 9001", .script = Answer(HttpReply(200, ReplyRecordBytes(2, 9001, {}))),
         .kind = tarnclient::CallRefused,
         .cause = "server status 9001: Application error 9001: Tarn service unavailable."},
        {.what = "no product", .script = {}, .product = "", .kind = tarnclient::CallBadArgument,
         .cause = "The value provided in the Product Name input argument is missing or invalid"},
        {.what = "a list after all that", .script = Answer(kOneServer), .kind = tarnclient::CallSucceeded,
         .cause = "<null>", .servers = 1},
    };
    ScriptedServer server;
    for (const Row& row : rows)
        if (!row.script.empty())
            server.Script(row.script);
    Ref<tarnclient::IAddressManager> manager = NewAddressManager(server.Address());
    Ref<tarnclient::ICallControl> control = manager.As<tarnclient::ICallControl>();
    ASSERT_TRUE(control);
    EXPECT_EQ(control->Cancel(), 1); // nothing in flight
    std::size_t connections = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(control->SetDeadline(row.deadlineMs), 0);
        auto call = std::async(std::launch::async, [&] { return Lookup(manager, row.product); });
        connections += !row.script.empty();
        if (row.cancel) {
            while (server.Connections() < connections)
                std::this_thread::yield();
            EXPECT_EQ(control->Cancel(), 0);
        }
        const auto [servers, failure] = call.get();
        EXPECT_EQ(servers, row.servers);
        EXPECT_EQ(failure.kind, row.kind);
        EXPECT_TRUE(StartsWith(failure.cause, row.cause)) << failure.cause;
    }
}

TEST(CallControl, UnreachedServerIsItsOwnKind) {
    const std::string address = "127.0.0.1:" + std::to_string(loopback::UnusedPort());
    const auto [servers, failure] = Lookup(NewAddressManager(address));
    EXPECT_EQ(servers, -1);
    EXPECT_EQ(failure.kind, tarnclient::CallNotReached);
    EXPECT_TRUE(StartsWith(failure.cause, "cannot connect to " + address + ": ")) << failure.cause;
}

} // namespace
