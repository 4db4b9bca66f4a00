// What the customer tests need to act as a host: a scripted login display
// that records every call, managers made through the factory, and the
// servlet.
#ifndef TARN_TESTS_CUSTOMER_CUSTOMERHOST_H
#define TARN_TESTS_CUSTOMER_CUSTOMERHOST_H

#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <tarnclient/TarnClient.h>

#include "tests/support/HostCalls.h"
#include "tests/support/RegistryValues.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/ServiceRecordBytes.h"

namespace customertest {

using tarnclient::Ref;
using tarntest::Core;
using tarntest::RecordFields;
using tarntest::Take;

// The machine identifier CustomerTest stores before each test, so that the
// requests' fields can be written out whole.
constexpr char kMachine[] = "{MACHINE-OF-THE-CUSTOMER-TESTS}";

// Null (and a code) wherever the library gives nothing, so the torture runs
// can use them too.
inline Ref<tarnclient::ICustomerManager> NewCustomerManager(const std::string& address, std::int32_t* err) {
    Ref<tarnclient::IComponentFactory> factory(TarnClientLib_GetComponentFactory());
    return Ref<tarnclient::ICustomerManager>::Adopt(
        factory ? factory->CreateCustomerManager(tarnclient::ICustomerManager::Id, err, address.c_str()) : nullptr);
}

inline std::string MachineId(std::int32_t* err = nullptr) {
    Ref<tarnclient::ICoreFactory> core = Core(err);
    auto identity = Ref<tarnclient::IMachineIdentity>::Adopt(
        core ? core->CreateMachineIdentity(tarnclient::IMachineIdentity::Id, err) : nullptr);
    return identity ? Take(identity->GetMachineId()) : "<null>";
}

// One call of the library into the host's display.
struct DisplayCall {
    bool prompt = false; // PromptLogin, proposing the three texts (read up to 40 bytes)
    std::string publicName{}, password{}, contextId{};
    std::int32_t error = 0, second = 0; // ReportError(error, second)
};

inline bool operator==(const DisplayCall& a, const DisplayCall& b) {
    return a.prompt == b.prompt && a.publicName == b.publicName && a.password == b.password &&
           a.contextId == b.contextId && a.error == b.error && a.second == b.second;
}

inline void PrintTo(const DisplayCall& call, std::ostream* out) {
    if (call.prompt)
        *out << "Prompt(\"" << call.publicName << "\", \"" << call.password << "\", \"" << call.contextId << "\")";
    else
        *out << "Error(" << call.error << ", " << call.second << ")";
}

inline DisplayCall Prompt(std::string publicName = "", std::string password = "") {
    return {.prompt = true, .publicName = std::move(publicName), .password = std::move(password)};
}
inline DisplayCall Error(std::int32_t code) { return {.error = code}; }

// The host's login display. Prompts are answered from a script (past its
// end with 2, so no test loops for ever), errors with errorAnswer; every
// call is recorded.
class ScriptedDisplay : public tarnclient::DisplayCallback {
public:
    struct Answer {
        std::int32_t result = 0;
        std::int32_t action = 0;
        const char* publicName = nullptr; // written as strncpy would: 40 characters leave no terminator
        const char* password = nullptr;
        const char* contextId = nullptr;
    };
    static Answer Login(const char* name, const char* password) { return {.publicName = name, .password = password}; }

    void Then(Answer answer) { m_answers.push_back(answer); }

    std::int32_t errorAnswer = 0;
    std::function<void()> inCallback = [] {};
    std::vector<DisplayCall> calls;

    std::int32_t PromptLogin(tarnclient::LoginPrompt* prompt) override {
        calls.push_back({.prompt = true,
                         .publicName = Read(prompt->publicName),
                         .password = Read(prompt->password),
                         .contextId = Read(prompt->contextId)});
        inCallback();
        if (m_answers.empty())
            return 2;
        const Answer answer = m_answers.front();
        m_answers.pop_front();
        prompt->action = answer.action;
        for (auto field : {std::make_pair(prompt->publicName, answer.publicName),
                           std::make_pair(prompt->password, answer.password),
                           std::make_pair(prompt->contextId, answer.contextId)})
            if (field.second)
                std::strncpy(field.first, field.second, 40);
        return answer.result;
    }
    std::int32_t ReportError(std::int32_t code, std::int32_t second) override {
        calls.push_back({.error = code, .second = second});
        inCallback();
        return errorAnswer;
    }

private:
    static std::string Read(const char (&field)[40]) {
        const void* end = std::memchr(field, '\0', sizeof field);
        return std::string(field, end ? static_cast<const char*>(end) : field + sizeof field);
    }
    std::deque<Answer> m_answers;
};

inline std::vector<tarntest::Step> TicketAnswer(const std::string& key, const std::string& lifetime = "3600") {
    return tarntest::Answer(
        tarntest::HttpReply(200, tarntest::TicketReplyBytes(0, {{"key", key}, {"lifetime", lifetime}})));
}
inline std::vector<tarntest::Step> StatusAnswer(std::uint16_t status) {
    return tarntest::Answer(tarntest::HttpReply(200, tarntest::TicketReplyBytes(status)));
}

// "POST /getTicket HTTP/1.1" of a recorded request.
inline std::string RequestLine(const std::string& request) { return request.substr(0, request.find("\r\n")); }

// The bodies of ticket requests with these fields, in wire order.
inline std::vector<std::string> TicketRequests(const std::vector<RecordFields>& each) {
    std::vector<std::string> bodies;
    for (const RecordFields& fields : each)
        bodies.push_back(tarntest::TicketRequestBytes(fields));
    return bodies;
}

// Each test runs in a process of its own (ctest), with a fresh registry
// holding the machine identifier kMachine.
class CustomerTest : public testing::Test {
protected:
    void SetUp() override { tarntest::SetRegistryText(tarntest::kConfigKey, "Machine ID", kMachine); }

    Ref<tarnclient::ICustomerManager> Manager() {
        std::int32_t err = 99;
        Ref<tarnclient::ICustomerManager> made = NewCustomerManager(server.Address(), &err);
        EXPECT_EQ(err, vcom::Success);
        return made;
    }
    // GetTicket with the test's display and event "Finals"; ticket is "<null>" when none came.
    std::int32_t Get(tarnclient::ICustomerManager* manager, const char* product, const char* contextId,
                     const char* language, std::int32_t stored, std::string& ticket) {
        char* out = nullptr;
        const std::int32_t result = manager->GetTicket(product, "Finals", contextId, language, stored, &display, &out);
        ticket = Take(out);
        return result;
    }
    // The body of every request the servlet received, in order.
    std::vector<std::string> SentAll() {
        std::vector<std::string> all;
        for (const std::string& request : server.Requests())
            all.push_back(tarntest::RequestBody(request));
        return all;
    }

    tarntest::ScriptedServer server;
    ScriptedDisplay display;
};

} // namespace customertest

#endif
