// A host's control over its calls, through the public header only: stopping
// a lookup or a ticket from another thread, deadlines, every kind of failure
// read back, and the trace sink.
#include <atomic>
#include <future>
#include <mutex>
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

Ref<tarnclient::IAddressManager> NewAddressManager(const std::string& address) {
    std::int32_t err = 0;
    Ref<tarnclient::ICoreFactory> core = Core(&err);
    return Ref<tarnclient::IAddressManager>::Adopt(
        core->CreateAddressManager(tarnclient::IAddressManager::Id, &err, address.c_str()));
}

Ref<tarnclient::ICustomerManager> NewCustomerManager(const std::string& address) {
    std::int32_t err = 0;
    Ref<tarnclient::IComponentFactory> factory(TarnClientLib_GetComponentFactory());
    return Ref<tarnclient::ICustomerManager>::Adopt(
        factory->CreateCustomerManager(tarnclient::ICustomerManager::Id, &err, address.c_str()));
}

struct Failure {
    std::int32_t kind = -1;
    std::string cause;
};

Failure LastFailure(tarnclient::ICallControl& control) {
    Failure failure;
    failure.cause = Take(control.GetLastFailure(&failure.kind));
    return failure;
}

// Counts the servers of one lookup; -1 for a failed one (null).
int Lookup(tarnclient::IAddressManager& manager, const char* product = "P") {
    Ref<tarnclient::IServerAddressList> list(manager.GetServerAddressEnum(product, "game", "any", nullptr));
    return list ? list->Count() : -1;
}

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

// Until the call has reached the server, or has ended without reaching it.
template <class Result>
void WaitUntilServerReached(const ScriptedServer& server, const std::future<Result>& call) {
    while (server.Connections() == 0 && call.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) {
    }
}

// The display of a host whose tickets come by context id: it is never asked.
class NoPrompt : public tarnclient::DisplayCallback {
public:
    tarnclient::int32 PromptLogin(tarnclient::LoginPrompt*) override { return 2; }
    tarnclient::int32 ReportError(tarnclient::int32, tarnclient::int32) override { return 0; }
};

TEST(CallControl, CancelStopsALookupAndTheNextOneRuns) {
    ScriptedServer server;
    server.Script({ReadRequest(), Silent()});
    server.Script(Answer(kOneServer));
    Ref<tarnclient::IAddressManager> manager = NewAddressManager(server.Address());
    Ref<tarnclient::ICallControl> control = manager.As<tarnclient::ICallControl>();
    ASSERT_TRUE(control);
    EXPECT_EQ(control->Cancel(), 1); // nothing in flight

    auto waiting = std::async(std::launch::async, [&] { return Lookup(*manager); });
    WaitUntilServerReached(server, waiting);
    EXPECT_EQ(control->Cancel(), 0);
    EXPECT_EQ(waiting.get(), -1);
    const Failure cancelled = LastFailure(*control);
    EXPECT_EQ(cancelled.kind, tarnclient::CallCancelled);
    EXPECT_TRUE(StartsWith(cancelled.cause, "cancelled while ")) << cancelled.cause;

    EXPECT_EQ(Lookup(*manager), 1);
    const Failure none = LastFailure(*control);
    EXPECT_EQ(none.kind, tarnclient::CallSucceeded);
    EXPECT_EQ(none.cause, "<null>");
}

TEST(CallControl, CancelStopsATicketWithItsOwnCode) {
    ScriptedServer server;
    server.Script({ReadRequest(), Silent()});
    Ref<tarnclient::ICustomerManager> manager = NewCustomerManager(server.Address());
    Ref<tarnclient::ICallControl> control = manager.As<tarnclient::ICallControl>();
    ASSERT_TRUE(control);
    NoPrompt display;
    char* ticket = nullptr;
    auto waiting = std::async(std::launch::async, [&] {
        return manager->GetTicket("P", "launch", "ctx-1", nullptr, 0, &display, &ticket);
    });
    WaitUntilServerReached(server, waiting);
    EXPECT_EQ(control->Cancel(), 0);
    EXPECT_EQ(waiting.get(), vcom::Cancelled);
    EXPECT_EQ(ticket, nullptr);
    EXPECT_EQ(LastFailure(*control).kind, tarnclient::CallCancelled);
}

TEST(CallControl, DeadlineBoundsEachLaterCall) {
    ScriptedServer server;
    server.Script({ReadRequest(), Silent()});
    Ref<tarnclient::IAddressManager> manager = NewAddressManager(server.Address());
    Ref<tarnclient::ICallControl> control = manager.As<tarnclient::ICallControl>();
    EXPECT_EQ(control->SetDeadline(-1), vcom::InvalidArgument);
    EXPECT_EQ(control->SetDeadline(200), 0);
    EXPECT_EQ(Lookup(*manager), -1);
    const Failure late = LastFailure(*control);
    EXPECT_EQ(late.kind, tarnclient::CallPastDeadline);
    EXPECT_TRUE(StartsWith(late.cause, "past the deadline while ")) << late.cause;
}

// One row per kind a host can meet, read back as GetLastFailure gives it.
// The server location is the process's first (each test runs in a process
// of its own), so every row talks to one server, a connection each.
TEST(CallControl, EveryKindOfFailureIsReadBack) {
    const struct Row {
        const char* what;
        std::vector<Step> script; // empty: nothing is sent
        const char* product;
        tarnclient::CallFailure kind;
        std::string cause; // its start
    } rows[] = {
        {.what = "closed", .script = {ReadRequest(), Close()}, .product = "P", .kind = tarnclient::CallNoReply,
         .cause = "127.0.0.1:"},
        {.what = "no record", .script = Answer(HttpReply(200, "garbage")), .product = "P",
         .kind = tarnclient::CallUnreadableReply, .cause = "unreadable reply: "},
        {.what = "HTTP 503", .script = Answer(HttpReply(503, "")), .product = "P", .kind = tarnclient::CallRefused,
         .cause = "HTTP 503 from 127.0.0.1:"},
        {.what = "status 9001", .script = Answer(HttpReply(200, ReplyRecordBytes(2, 9001, {}))), .product = "P",
         .kind = tarnclient::CallRefused,
         .cause = "server status 9001: Application error 9001: Tarn service unavailable."},
        {.what = "no product", .script = {}, .product = "", .kind = tarnclient::CallBadArgument,
         .cause = "The value provided in the Product Name input argument is missing or invalid"},
    };
    ScriptedServer server;
    for (const Row& row : rows)
        if (!row.script.empty())
            server.Script(row.script);
    Ref<tarnclient::IAddressManager> manager = NewAddressManager(server.Address());
    Ref<tarnclient::ICallControl> control = manager.As<tarnclient::ICallControl>();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(Lookup(*manager, row.product), -1);
        const Failure failure = LastFailure(*control);
        EXPECT_EQ(failure.kind, row.kind);
        EXPECT_TRUE(StartsWith(failure.cause, row.cause)) << failure.cause;
    }
}

TEST(CallControl, UnreachedServerIsItsOwnKind) {
    loopback::Startup();
    const std::string address = "127.0.0.1:" + std::to_string(loopback::UnusedPort());
    loopback::Cleanup();
    Ref<tarnclient::IAddressManager> manager = NewAddressManager(address);
    Ref<tarnclient::ICallControl> control = manager.As<tarnclient::ICallControl>();
    EXPECT_EQ(Lookup(*manager), -1);
    const Failure failure = LastFailure(*control);
    EXPECT_EQ(failure.kind, tarnclient::CallNotReached);
    EXPECT_TRUE(StartsWith(failure.cause, "cannot connect to " + address + ": ")) << failure.cause;
}

// Lines reach the host's sink from every thread that traces, and stop once
// the sink is removed.
TEST(CallControl, TraceSinkReceivesTheLinesOfEveryThread) {
    struct Lines {
        std::mutex lock;
        std::vector<std::string> all;
    } lines;
    TarnClientLib_SetTraceSink(
        [](void* context, const char* line) {
            auto& l = *static_cast<Lines*>(context);
            std::lock_guard<std::mutex> guard(l.lock);
            l.all.emplace_back(line);
        },
        &lines);
    ScriptedServer server;
    server.Script(Answer(kOneServer));
    Ref<tarnclient::IAddressManager> manager = NewAddressManager(server.Address());
    std::vector<std::thread> threads;
    for (int t = 0; t < 3; ++t)
        threads.emplace_back([&] { Lookup(*manager); });
    for (std::thread& thread : threads)
        thread.join();
    TarnClientLib_SetTraceSink(nullptr, nullptr);
    const std::size_t seen = lines.all.size();
    Lookup(*manager);
    EXPECT_EQ(lines.all.size(), seen);
    std::size_t entries = 0;
    for (const std::string& line : lines.all)
        entries += line.find("] Enter Function: AddressManager::GetServerAddressEnum") != std::string::npos;
    EXPECT_EQ(entries, 3u);
}

} // namespace
