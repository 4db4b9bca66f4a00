// What the transport tests share: real time and no armed socket failures
// around every test, the request a post sends, and short ways to run one
// exchange.
#ifndef TARN_TESTS_HTTP_TRANSPORTTEST_H
#define TARN_TESTS_HTTP_TRANSPORTTEST_H

#include <cstdint>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "http/CHttp.h"
#include "http/MakeHttpRequest.h"
#include "platform/Socket.h"
#include "platform/Wait.h"
#include "dead/Message.h"
#include "messages/FailureRecord.h"
#include "vcom/Ref.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/ServiceRecordBytes.h"

namespace httptest {

using namespace tarntest;
using Requests = std::vector<std::string>;

constexpr char kExtra[] = "Accept: application/octet-stream\r\nAccept: text/*\r\nContent-Type: application/octet-stream\r\n";

class TransportTest : public testing::Test {
protected:
    void SetUp() override { Restore(); }
    void TearDown() override { Restore(); }
    static void Restore() { platform::SetTimeScalePpm(1000000); platform::ClearSocketFailures(); }
    // Every wait of the library becomes factor times shorter: 1000 for waits
    // that must run out (60 s -> 60 ms), 100 for one a reply should end.
    static void ShortenWaits(std::int64_t factor) { platform::SetTimeScalePpm(1000000 / factor); }
};

// A script: answers with sent, then the connection is cut by a reset, as
// the client sees it: its next receive fails so. (A real reset reads as a
// close under Wine.) The byte after the fault wakes a client that waits.
inline std::vector<Step> CutByReset(const std::string& sent) {
    return {ReadRequest(), Send(sent), Pause(50),
            Run([] { platform::FailSocketCalls(platform::SocketCall::Receive, 1, 10054); }), Send("!"), Silent()};
}

// The request posted to 127.0.0.1:port; extra is whole lines.
inline std::string Request(std::uint16_t port, const std::string& body = "", const std::string& path = "/t",
                           const std::string& agent = "a", const std::string& extra = "") {
    return "POST " + path + " HTTP/1.1\r\nUser-Agent:" + agent + "\r\nContent-length:" + std::to_string(body.size()) +
           "\r\nHost:127.0.0.1:" + std::to_string(port) + "\r\n" + extra + "\r\n" + body;
}

// The what() of the CHttpException that action throws ("" when none).
template <class Action>
std::string FailureText(Action&& action) {
    try {
        action();
    } catch (const CHttpException& failure) {
        return failure.what();
    }
    return std::string();
}

// Posts body to "/t" and reads the whole reply; "no reply" when none began.
inline std::string PostAndRead(CHttp& http, std::uint16_t port, const std::string& body = std::string()) {
    http.Connect("127.0.0.1", port);
    http.SendPostRequest("a", "/t", nullptr, body.data(), static_cast<int>(body.size()));
    ReplyBody reply;
    if (!http.ReadReply(reply))
        return "no reply";
    return std::string(reply.Data(), reply.Size());
}

// What one exchange of a request record gave: the helper's result, the reply
// record (empty when none), and the failure the exchange traced.
struct Outcome {
    std::int32_t result = 0;
    vcom::ref<Dead::IMessage> reply;
    tarnclient::CallFailure failure = tarnclient::CallSucceeded;
    std::string cause;
};

// An address request (every exchange sends one) posted to "/t" with
// Utility::MakeHttpRequest, within the call's limits.
inline Outcome Exchange(std::uint16_t port, const platform::WaitLimits& call = {}) {
    tarnClientLib::FailureRecord record;
    const tarnClientLib::RecordFailures scope(record);
    std::int32_t err = 0;
    Outcome outcome;
    outcome.reply.reset(static_cast<Dead::IMessage*>(Dead::GetMessageFactory()->CreateAddressRequest(
        Dead::IMessage::Id, &err, "product", "category", "server", "")));
    outcome.result = Utility::MakeHttpRequest("127.0.0.1", port, "agent", "/t", "POST", outcome.reply, call);
    outcome.failure = record.Kind();
    outcome.cause = record.Text();
    return outcome;
}

// The bytes of that request, as the server receives them.
inline std::string ExchangeRequest(std::uint16_t port) {
    const std::string body = RequestRecordBytes(1, {}, {{"product", "product"}, {"category", "category"},
                                                        {"server", "server"}});
    return Request(port, body, "/t", "agent", kExtra);
}

} // namespace httptest

#endif
