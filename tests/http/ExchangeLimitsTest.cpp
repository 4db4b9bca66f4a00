// What ends an exchange early, in each stage it can be in: a stop request
// from another thread, the call's deadline, the exchange's own total bound,
// and a reply larger than any reply may be.
#include <atomic>
#include <future>
#include <thread>

#include "tests/http/TransportTest.h"
#include "tests/support/LoopbackSocket.h"

namespace {

using namespace httptest;
using ExchangeLimitsTest = TransportTest;

// The stages a call can be stopped or timed out in. Each is reached by a
// server (or a full accept queue) that holds the exchange there for good.
enum class Stage { Connecting, FirstByte, Body, RequestTurn };

// A script that never answers, or answers with a header and then one body
// byte every 20 ms; the exchange is held at that point.
std::vector<Step> HoldAt(Stage stage) {
    if (stage != Stage::Body)
        return {ReadRequest(), Silent()};
    std::vector<Step> trickle = {ReadRequest(), Send("HTTP/1.1 200 OK\r\nContent-length: 1000\r\n\r\n")};
    for (int i = 0; i < 1000; ++i) {
        trickle.push_back(Send("x"));
        trickle.push_back(Pause(20));
    }
    return trickle;
}

// Runs one call held at stage, within call, on a thread of its own, and
// hands back its outcome once end() has been called at the right moment.
class HeldCall {
public:
    HeldCall(Stage stage, const platform::WaitLimits& call) : m_stage(stage) {
        if (stage == Stage::Connecting) {
            tarntest::loopback::Startup();
            m_listener = tarntest::loopback::Listen(m_port, 0);
            m_queued = tarntest::loopback::ConnectTo(m_port);
        } else {
            m_server.Script(HoldAt(stage));
            m_port = m_server.Port();
        }
        if (stage == Stage::RequestTurn) {
            // Another exchange holds the turn until it is stopped.
            m_ahead = std::async(std::launch::async, [this] {
                return Exchange(m_port, {platform::Deadline(), platform::StopToken(m_aheadStop)});
            });
            while (m_server.Connections() == 0)
                std::this_thread::yield();
        }
        m_outcome = std::async(std::launch::async, [this, call] { return Exchange(m_port, call); });
    }
    ~HeldCall() {
        m_aheadStop.Stop();
        if (m_ahead.valid())
            m_ahead.wait();
        if (m_stage == Stage::Connecting) {
            tarntest::loopback::Close(m_queued);
            tarntest::loopback::Close(m_listener);
            tarntest::loopback::Cleanup();
        }
    }
    Outcome Result() { return m_outcome.get(); }

private:
    Stage m_stage;
    ScriptedServer m_server;
    std::uint16_t m_port = 0;
    tarntest::loopback::Handle m_listener = tarntest::loopback::NoSocket, m_queued = tarntest::loopback::NoSocket;
    platform::StopSource m_aheadStop;
    std::future<Outcome> m_ahead, m_outcome;
};

struct StageRow {
    Stage stage;
    const char* waiting; // how the cause names the stage
};
const StageRow kStages[] = {
    {.stage = Stage::Connecting, .waiting = "connecting to 127.0.0.1:"},
    {.stage = Stage::FirstByte, .waiting = "waiting for a reply from 127.0.0.1:"},
    {.stage = Stage::Body, .waiting = "reading the reply from 127.0.0.1:"},
    {.stage = Stage::RequestTurn, .waiting = "waiting for another exchange to end"},
};

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

// A stop request may come before the call reaches its stage: the cause then
// names an earlier one, which the first two stages share.
TEST_F(ExchangeLimitsTest, StopEndsTheCallInEveryStage) {
    for (const StageRow& row : kStages) {
        SCOPED_TRACE(row.waiting);
        platform::StopSource stop;
        HeldCall held(row.stage, {platform::Deadline(), platform::StopToken(stop)});
        // Once the call is held: let a few of its waits pass first.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        stop.Stop();
        const Outcome outcome = held.Result();
        EXPECT_EQ(outcome.result, 999);
        EXPECT_EQ(outcome.failure, tarnclient::CallCancelled);
        EXPECT_TRUE(StartsWith(outcome.cause, std::string("cancelled while ")));
        EXPECT_NE(outcome.cause.find(row.stage == Stage::Connecting || row.stage == Stage::RequestTurn
                                         ? row.waiting
                                         : "127.0.0.1:"),
                  std::string::npos)
            << outcome.cause;
    }
}

// A stop that came before the call began (Cancel racing the call's start)
// ends it at its first step: nothing reaches the server.
TEST_F(ExchangeLimitsTest, StopBeforeTheFirstStepConnectsNowhere) {
    ScriptedServer server;
    platform::StopSource stop;
    const platform::StopToken token(stop);
    stop.Stop();
    const Outcome stopped = Exchange(server.Port(), {platform::Deadline(), token});
    EXPECT_EQ(stopped.failure, tarnclient::CallCancelled);
    EXPECT_EQ(stopped.cause, "cancelled while connecting to 127.0.0.1:" + std::to_string(server.Port()));
    EXPECT_EQ(server.Connections(), 0u);
}

TEST_F(ExchangeLimitsTest, DeadlineEndsTheCallInEveryStage) {
    for (const StageRow& row : kStages) {
        SCOPED_TRACE(row.waiting);
        HeldCall held(row.stage, {platform::Deadline::In(300000), platform::StopToken()});
        const Outcome outcome = held.Result();
        EXPECT_EQ(outcome.result, 999);
        EXPECT_EQ(outcome.failure, tarnclient::CallPastDeadline);
        EXPECT_TRUE(StartsWith(outcome.cause, "past the deadline while ")) << outcome.cause;
    }
}

// 150 seconds from the first connection to the last byte, whatever the
// server does: a trickle that keeps every read short does not extend it. A
// call waiting its turn behind it waits for that much and no more.
TEST_F(ExchangeLimitsTest, TrickleEndsAtTheExchangeBoundAndTheNextCallRuns) {
    // 150 s: 1.5 s. Each 60-second read wait (600 ms) is far longer than the
    // trickle's gaps, even on a busy machine.
    ShortenWaits(100);
    ScriptedServer server;
    server.Script(HoldAt(Stage::Body));
    server.Script(Answer(HttpReply(200, ReplyRecordBytes(2, 0, {}))));
    auto trickled = std::async(std::launch::async, [&] { return Exchange(server.Port()); });
    while (server.Connections() == 0)
        std::this_thread::yield();
    const Outcome next = Exchange(server.Port());
    const Outcome first = trickled.get();
    EXPECT_EQ(first.failure, tarnclient::CallNoReply);
    EXPECT_EQ(first.cause, "the exchange with 127.0.0.1:" + std::to_string(server.Port()) +
                               " took longer than 150 seconds (while reading the reply from it)");
    EXPECT_EQ(next.result, 200);
}

// 64 MiB at most: a larger declared body fails before it is read, an
// undeclared one as soon as it passes the bound.
TEST_F(ExchangeLimitsTest, ReplyBodyLargerThanTheBoundFails) {
    const std::size_t bound = http::MaxReplyBody;
    const struct { std::string reply; std::string cause; } rows[] = {
        {.reply = "HTTP/1.1 200 OK\r\nContent-length: " + std::to_string(bound + 1) + "\r\n\r\n" + "tail",
         .cause = "it declares " + std::to_string(bound + 1) + " body bytes, more than the " + std::to_string(bound) +
                  " a reply may have"},
        {.reply = HttpReply(200, std::string(bound + 1, 'x'), false),
         .cause = "its body is longer than the " + std::to_string(bound) + " bytes a reply may have"},
    };
    for (const auto& row : rows) {
        ScriptedServer server;
        server.Script(Answer(row.reply));
        const Outcome outcome = Exchange(server.Port());
        EXPECT_EQ(outcome.result, 999);
        EXPECT_EQ(outcome.failure, tarnclient::CallUnreadableReply);
        EXPECT_EQ(outcome.cause, "unreadable reply from 127.0.0.1:" + std::to_string(server.Port()) + ": " + row.cause);
    }
}

} // namespace
