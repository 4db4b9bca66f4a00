// What the customer tests need to act as a host: a scripted login display
// that records every call, managers created through the factory, and the
// servlet's side of the conversation.
#ifndef TARN_TESTS_CUSTOMER_CUSTOMERHOST_H
#define TARN_TESTS_CUSTOMER_CUSTOMERHOST_H

#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <tarnclient/TarnClient.h>

#include "tests/support/ScriptedServer.h"
#include "tests/support/ServiceRecordBytes.h"

namespace customertest {

struct Released {
    void operator()(vcom::IComponent* object) const {
        if (object)
            object->Release();
    }
};
template <class I>
using Held = std::unique_ptr<I, Released>;

// Takes a text the library handed out and frees it.
inline std::string Take(char* text) {
    std::string copy = text ? text : "<null>";
    TarnClientLib_MemFree(text);
    return copy;
}

inline Held<tarnclient::IComponentFactory> Factory() {
    return Held<tarnclient::IComponentFactory>(TarnClientLib_GetComponentFactory());
}

// A new manager's interface id; null with *err on failure.
inline Held<vcom::IComponent> NewCustomerManager(const std::string& address, std::int32_t id, std::int32_t* err) {
    return Held<vcom::IComponent>(Factory()->CreateCustomerManager(id, err, address.c_str()));
}

inline Held<tarnclient::ICustomerManager> NewManager(const std::string& address) {
    std::int32_t err = 99;
    Held<vcom::IComponent> created = NewCustomerManager(address, tarnclient::ICustomerManager::Id, &err);
    EXPECT_EQ(err, vcom::Success);
    return Held<tarnclient::ICustomerManager>(static_cast<tarnclient::ICustomerManager*>(created.release()));
}

// The host's login display. Prompts are answered from a script (a prompt
// past its end gives up with 2, so no test can loop for ever); errors are
// answered with errorAnswer. Every call is recorded with what the library
// proposed.
class ScriptedDisplay : public tarnclient::IDisplayCallback {
public:
    struct Answer {
        std::int32_t result = 0;
        std::int32_t action = 0;
        // Written as a host's strncpy would: 40 characters leave no terminator.
        std::optional<std::string> publicName;
        std::optional<std::string> password;
        std::optional<std::string> contextId;
    };

    struct Call {
        bool prompt = false;
        // Prompt calls: the fields as proposed (at most 40 bytes each) and
        // whether each held its terminator.
        std::string publicName;
        std::string password;
        std::string contextId;
        bool terminated = true;
        // ReportError calls.
        std::int32_t code = 0;
        std::int32_t zero = 0;
    };

    static Answer Login(const std::string& publicName, const std::string& password) {
        Answer answer;
        answer.publicName = publicName;
        answer.password = password;
        return answer;
    }
    static Answer UseContextId(const std::string& contextId) {
        Answer answer;
        answer.action = 1;
        answer.contextId = contextId;
        return answer;
    }
    static Answer Result(std::int32_t result) {
        Answer answer;
        answer.result = result;
        return answer;
    }

    void Then(Answer answer) { m_answers.push_back(std::move(answer)); }

    std::int32_t errorAnswer = 0;
    std::function<void(std::int32_t code)> onError;
    std::function<void()> onPrompt;
    std::vector<Call> calls;

    std::vector<Call> Prompts() const { return Only(true); }
    std::vector<Call> Errors() const { return Only(false); }

    std::int32_t PromptLogin(tarnclient::LoginPrompt* prompt) override {
        Call call;
        call.prompt = true;
        const bool nameEnds = Read(prompt->publicName, call.publicName);
        const bool passwordEnds = Read(prompt->password, call.password);
        const bool contextEnds = Read(prompt->contextId, call.contextId);
        call.terminated = nameEnds && passwordEnds && contextEnds;
        calls.push_back(call);
        if (onPrompt)
            onPrompt();
        if (m_answers.empty())
            return 2;
        const Answer answer = m_answers.front();
        m_answers.pop_front();
        prompt->action = answer.action;
        Write(prompt->publicName, answer.publicName);
        Write(prompt->password, answer.password);
        Write(prompt->contextId, answer.contextId);
        return answer.result;
    }

    std::int32_t Unused1(std::int32_t, std::int32_t) override { return 0; }
    std::int32_t Unused2(std::int32_t, std::int32_t) override { return 0; }

    std::int32_t ReportError(std::int32_t code, std::int32_t zero) override {
        Call call;
        call.code = code;
        call.zero = zero;
        calls.push_back(call);
        if (onError)
            onError(code);
        return errorAnswer;
    }

    // The library takes no reference to a callback; these are never needed.
    std::int32_t Reserved(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {
        return vcom::NotImplemented;
    }
    std::int32_t AddRef() override { return 1; }
    std::int32_t Release() override { return 1; }
    vcom::IComponent* QueryInterface(std::int32_t, std::int32_t* err) const override {
        *err = vcom::Failure;
        return nullptr;
    }
    vcom::IComponent* QueryInterface(std::int32_t, std::int32_t* err) override {
        *err = vcom::Failure;
        return nullptr;
    }
    bool Supports(std::int32_t) override { return false; }

private:
    static bool Read(const char (&field)[40], std::string& out) {
        const void* end = std::memchr(field, '\0', sizeof field);
        out.assign(field, end ? static_cast<const char*>(end) : field + sizeof field);
        return end != nullptr;
    }
    static void Write(char (&field)[40], const std::optional<std::string>& text) {
        if (!text)
            return;
        const std::size_t length = text->size() < sizeof field ? text->size() : sizeof field;
        std::memcpy(field, text->data(), length);
        if (length < sizeof field)
            field[length] = '\0';
    }
    std::vector<Call> Only(bool prompts) const {
        std::vector<Call> out;
        for (const Call& call : calls)
            if (call.prompt == prompts)
                out.push_back(call);
        return out;
    }

    std::deque<Answer> m_answers;
};

// The servlet's answers.
inline std::vector<tarntest::Step> TicketAnswer(const std::string& key, const std::string& lifetime = "3600") {
    return tarntest::Answer(
        tarntest::HttpReply(200, tarntest::TicketReplyBytes(0, {{"key", key}, {"lifetime", lifetime}})));
}
inline std::vector<tarntest::Step> StatusAnswer(std::uint16_t status) {
    return tarntest::Answer(tarntest::HttpReply(200, tarntest::TicketReplyBytes(status)));
}

// "POST /getTicket HTTP/1.1" of a recorded request.
inline std::string RequestLine(const std::string& request) { return request.substr(0, request.find("\r\n")); }

// The named fields of a recorded ticket request (both lists, in wire order);
// fails the test when the body is not one CustomerRequest record.
inline tarntest::RecordFields RequestFields(const std::string& request) {
    tarntest::RequestRecord record;
    EXPECT_TRUE(tarntest::ParseRequestRecord(tarntest::RequestBody(request), record));
    EXPECT_EQ(record.major, 1);
    EXPECT_EQ(record.minor, 3);
    tarntest::RecordFields fields = record.first;
    fields.insert(fields.end(), record.second.begin(), record.second.end());
    return fields;
}

// Each test runs in a process of its own (ctest), so the first manager's
// address fixes the server location of the whole test.
class CustomerTest : public testing::Test {
protected:
    Held<tarnclient::ICustomerManager> Manager() { return NewManager(server.Address()); }

    tarntest::ScriptedServer server;
};

} // namespace customertest

#endif
