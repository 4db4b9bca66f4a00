#include "tests/http/TransportTest.h"

#include "http/MakeHttpRequest.h"
#include "platform/Socket.h"
#include "platform/Time.h"

namespace httptest {

namespace {
constexpr std::int64_t kRealTime = 1000000;
} // namespace

void TransportTest::ShortenWaits(std::int64_t factor) { platform::SetTimeScalePpm(kRealTime / factor); }

void TransportTest::Restore() {
    platform::SetTimeScalePpm(kRealTime);
    platform::ClearSocketFailures();
}

std::string ExpectedRequest(const std::string& path, const std::string& agent, std::uint16_t port,
                            const std::string& body) {
    return "POST " + path + " HTTP/1.1\r\nUser-Agent:" + agent + "\r\nContent-length:" + std::to_string(body.size()) +
           "\r\nHost:127.0.0.1:" + std::to_string(port) + "\r\n" + kExtraHeaders + "\r\n\r\n" + body;
}

Outcome TextExchange(const std::string& host, std::uint16_t port, const std::string& path) {
    Outcome outcome;
    outcome.result =
        Utility::MakeHttpRequest(host, port, "agent", path, "POST", outcome.text, &outcome.bytes, nullptr);
    return outcome;
}

void Post(CHttp& http, std::uint16_t port, const std::string& body) {
    http.Connect("127.0.0.1", port);
    http.SendPostRequest("a", "/t", nullptr, body.data(), static_cast<int>(body.size()));
}

Delivered PostAndRead(CHttp& http, std::uint16_t port, int capacity, const std::string& body) {
    Post(http, port, body);
    Delivered delivered;
    std::vector<char> chunk(static_cast<std::size_t>(capacity));
    // Bounded, so a Read that never ends the body fails the test instead of hanging it.
    for (int calls = 0; calls < 100000; ++calls) {
        int count = 0;
        http.Read(chunk.data(), capacity, count);
        delivered.counts.push_back(count);
        delivered.body.append(chunk.data(), static_cast<std::size_t>(count));
        if (count == 0)
            break;
    }
    return delivered;
}

} // namespace httptest
