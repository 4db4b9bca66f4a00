// What the transport tests share: a fixture that restores real time and
// clears armed socket failures, and short ways to run one exchange.
#ifndef TARN_TESTS_HTTP_TRANSPORTTEST_H
#define TARN_TESTS_HTTP_TRANSPORTTEST_H

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "http/CHttp.h"
#include "tests/support/ScriptedServer.h"

namespace httptest {

constexpr char kMessage13[] = "Unspecified C++ exception was thrown while making HTTP request";
constexpr char kExtraHeaders[] = "Accept: application/octet-stream\r\nAccept: text/*\r\nContent-Type: application/octet-stream";

class TransportTest : public testing::Test {
protected:
    void SetUp() override { Restore(); }
    void TearDown() override { Restore(); }
    // Every wait of the library becomes factor times shorter. The default
    // suits waits that must run out (60 s -> 60 ms); a wait that a reply
    // should end needs room for a busy machine (100: 1 s -> 10 ms).
    static void ShortenWaits(std::int64_t factor = 1000);

private:
    static void Restore();
};

// The request MakeHttpRequest sends to 127.0.0.1:port.
std::string ExpectedRequest(const std::string& path, const std::string& agent, std::uint16_t port,
                            const std::string& body = std::string());

struct Outcome {
    std::int32_t result = 0;
    std::string text;
    std::uint32_t bytes = 0;
};

// A text exchange with Utility::MakeHttpRequest.
Outcome TextExchange(const std::string& host, std::uint16_t port, const std::string& path = "/t");

struct Delivered {
    std::vector<int> counts; // of every Read, the final 0 included
    std::string body;
};

// Connects http to the server, posts body to "/t" (agent "a", no extra
// headers) and reads with the given capacity until Read delivers 0.
Delivered PostAndRead(CHttp& http, std::uint16_t port, int capacity, const std::string& body = std::string());
void Post(CHttp& http, std::uint16_t port, const std::string& body = std::string());

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

} // namespace httptest

#endif
