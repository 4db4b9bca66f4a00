// The login route: the host's prompt, what it proposes, when it comes back,
// and the login remembered for later prompts and in "Most Recently Used".
#include <thread>

#include "tests/customer/CustomerHost.h"
#include "tests/support/RegistryFaults.h"
#include "tests/support/RegistryValues.h"

namespace customertest {
namespace {

using Answer = ScriptedDisplay::Answer;
using tarntest::RecordFields;

const char kUserLogKey[] = "Software\\Orvane\\Tarn\\User Log";
const char kMostRecentlyUsed[] = "Most Recently Used";

// A login request of Login() below, without the machine identifier.
RecordFields LoginFields(const std::string& publicName, const std::string& password) {
    return {{"product", "GAME"},
            {"public", publicName},
            {"password", password},
            {"eventname", "Finals"},
            {"language", "en"}};
}

class LoginRouteTest : public CustomerTest {
protected:
    std::int32_t Login(tarnclient::ICustomerManager* manager, std::string& ticket, const char* language = "en") {
        char* out = nullptr;
        const std::int32_t result = manager->GetTicket("game", "Finals", nullptr, language, 0, &display, &out);
        ticket = Take(out);
        return result;
    }

    // The fields of the n-th request, without the machine identifier.
    RecordFields Sent(std::size_t n) {
        const std::vector<std::string> requests = server.Requests();
        if (n >= requests.size())
            return {{"missing request", std::to_string(n)}};
        RecordFields fields;
        for (const auto& field : RequestFields(requests[n]))
            if (field.first != "machine")
                fields.push_back(field);
        return fields;
    }

    ScriptedDisplay display;
};

TEST_F(LoginRouteTest, HostThatGivesUpEndsTheRouteWithItsAnswer) {
    auto manager = Manager();
    display.Then(ScriptedDisplay::Result(2));

    std::string ticket;
    EXPECT_EQ(Login(manager.get(), ticket), 2);
    EXPECT_EQ(ticket, "<null>");
    ASSERT_EQ(display.calls.size(), 1u);
    // Nothing remembered yet: the first prompt proposes empty fields.
    EXPECT_EQ(display.calls[0].publicName, "");
    EXPECT_EQ(display.calls[0].password, "");
    EXPECT_EQ(display.calls[0].contextId, "");
    EXPECT_TRUE(display.calls[0].terminated);
    EXPECT_EQ(server.Connections(), 0u);
}

TEST_F(LoginRouteTest, PromptLoginRunsWithNoLockHeld) {
    auto manager = Manager();
    Held<tarnclient::IServerLocation> location(static_cast<tarnclient::IServerLocation*>(
        manager->QueryInterface(tarnclient::IServerLocation::Id, nullptr)));
    std::int32_t putResult = 99;
    std::int32_t port = 0;
    display.onPrompt = [&] {
        std::thread([&] {
            putResult = manager->PutTicket("game", "Finals", "from-prompt");
            port = location->GetPort();
        }).join();
    };
    display.Then(ScriptedDisplay::Result(2));

    std::string ticket;
    EXPECT_EQ(Login(manager.get(), ticket), 2);
    EXPECT_EQ(putResult, vcom::Success);
    EXPECT_EQ(port, server.Port());
}

TEST_F(LoginRouteTest, NegativePromptAnswerIsTheResult) {
    auto manager = Manager();
    display.Then(ScriptedDisplay::Result(-42));

    std::string ticket;
    EXPECT_EQ(Login(manager.get(), ticket), -42);
    EXPECT_EQ(server.Connections(), 0u);
}

TEST_F(LoginRouteTest, MissingPublicNameIsReportedAndPromptedAgainWithoutSending) {
    auto manager = Manager();
    display.Then(ScriptedDisplay::Login("", "secret"));
    display.Then(ScriptedDisplay::Result(3));

    std::string ticket;
    EXPECT_EQ(Login(manager.get(), ticket), 3);
    ASSERT_EQ(display.calls.size(), 3u);
    EXPECT_FALSE(display.calls[1].prompt);
    EXPECT_EQ(display.calls[1].code, 2003);
    EXPECT_EQ(display.calls[1].zero, 0);
    EXPECT_TRUE(display.calls[2].prompt);
    EXPECT_EQ(display.calls[2].publicName, "");
    EXPECT_EQ(display.calls[2].password, "secret");
    EXPECT_EQ(server.Connections(), 0u);
}

TEST_F(LoginRouteTest, WrongPasswordPromptsAgainWithThePreviousValues) {
    server.Script(StatusAnswer(2006));
    server.Script(TicketAnswer("KEY-7"));
    auto manager = Manager();
    display.Then(ScriptedDisplay::Login("alice", "bad"));
    display.Then(ScriptedDisplay::Login("alice", "good"));

    std::string ticket;
    EXPECT_EQ(Login(manager.get(), ticket), vcom::Success);
    EXPECT_EQ(ticket, "KEY-7");

    ASSERT_EQ(display.calls.size(), 3u);
    EXPECT_EQ(display.calls[1].code, 2006);
    EXPECT_EQ(display.calls[2].publicName, "alice");
    EXPECT_EQ(display.calls[2].password, "bad");

    EXPECT_EQ(Sent(0), LoginFields("alice", "bad"));
    EXPECT_EQ(Sent(1), LoginFields("alice", "good"));
    EXPECT_EQ(RequestLine(server.Requests()[1]), "POST /getTicket HTTP/1.1");
}

TEST_F(LoginRouteTest, ErrorThatCannotBeCorrectedEndsTheRoute) {
    server.Script(StatusAnswer(2001));
    auto manager = Manager();
    display.Then(ScriptedDisplay::Login("alice", "pw"));

    std::string ticket;
    EXPECT_EQ(Login(manager.get(), ticket), vcom::Failure);
    EXPECT_EQ(ticket, "<null>");
    ASSERT_EQ(display.calls.size(), 2u);
    EXPECT_EQ(display.calls[1].code, 2001);
    EXPECT_EQ(server.Connections(), 1u);
}

TEST_F(LoginRouteTest, NegativeReportErrorAnswerIsTheResult) {
    server.Script(StatusAnswer(2006));
    auto manager = Manager();
    display.Then(ScriptedDisplay::Login("alice", "pw"));
    display.errorAnswer = -9;

    std::string ticket;
    EXPECT_EQ(Login(manager.get(), ticket), -9);
    EXPECT_EQ(display.Prompts().size(), 1u);
}

TEST_F(LoginRouteTest, AnyOtherActionPromptsAgainWithoutSending) {
    auto manager = Manager();
    Answer other = ScriptedDisplay::Login("bob", "pw");
    other.action = 7;
    display.Then(other);
    display.Then(ScriptedDisplay::Result(4));

    std::string ticket;
    EXPECT_EQ(Login(manager.get(), ticket), 4);
    ASSERT_EQ(display.Prompts().size(), 2u);
    EXPECT_EQ(display.Prompts()[1].publicName, "bob");
    EXPECT_EQ(display.Prompts()[1].password, "pw");
    EXPECT_EQ(server.Connections(), 0u);
}

TEST_F(LoginRouteTest, ContextIdFromThePromptMakesOneExchangeWithoutNameCheck) {
    server.Script(TicketAnswer("KEY-C"));
    auto manager = Manager();
    display.Then(ScriptedDisplay::UseContextId("ctx-42"));

    std::string ticket;
    EXPECT_EQ(Login(manager.get(), ticket, nullptr), vcom::Success);
    EXPECT_EQ(ticket, "KEY-C");
    EXPECT_EQ(display.calls.size(), 1u);
    const RecordFields expected = {{"contextid", "ctx-42"}, {"product", "GAME"}, {"eventname", "Finals"}};
    EXPECT_EQ(Sent(0), expected);
}

TEST_F(LoginRouteTest, ContextIdFromThePromptEndsTheRouteEvenWhenItFails) {
    server.Script(StatusAnswer(2006));
    auto manager = Manager();
    display.Then(ScriptedDisplay::UseContextId("ctx-42"));

    std::string ticket;
    EXPECT_EQ(Login(manager.get(), ticket), vcom::Failure);
    EXPECT_EQ(display.Prompts().size(), 1u);
    EXPECT_EQ(display.Errors().size(), 1u);
    EXPECT_EQ(server.Connections(), 1u);
}

TEST_F(LoginRouteTest, NameAndPasswordGoWithEveryLaterExchangeOfTheInstance) {
    server.Script(TicketAnswer("KEY-L"));
    server.Script(TicketAnswer("KEY-C"));
    auto manager = Manager();
    display.Then(ScriptedDisplay::Login("alice", "pw"));

    std::string ticket;
    ASSERT_EQ(Login(manager.get(), ticket), vcom::Success);
    char* out = nullptr;
    ASSERT_EQ(manager->GetTicket("game", "Finals", "ctx-1", nullptr, 0, &display, &out), vcom::Success);
    EXPECT_EQ(Take(out), "KEY-C");

    const RecordFields expected = {{"contextid", "ctx-1"}, {"product", "GAME"}, {"public", "alice"},
                                   {"password", "pw"},     {"eventname", "Finals"}};
    EXPECT_EQ(Sent(1), expected);
}

TEST_F(LoginRouteTest, SuccessfulLoginIsProposedByANewInstanceAndSavedOnDestruction) {
    server.Script(TicketAnswer("KEY-1"));
    auto first = Manager();
    display.Then(ScriptedDisplay::Login("alice", "pa;ss"));
    std::string ticket;
    ASSERT_EQ(Login(first.get(), ticket), vcom::Success);

    // A value written meanwhile by someone else is not read again.
    tarntest::SetRegistryText(kUserLogKey, kMostRecentlyUsed, "mallory;x");
    auto second = Manager();
    ScriptedDisplay later;
    later.Then(ScriptedDisplay::Result(2));
    char* out = nullptr;
    EXPECT_EQ(second->GetTicket("game", "Finals", nullptr, nullptr, 0, &later, &out), 2);
    ASSERT_EQ(later.calls.size(), 1u);
    EXPECT_EQ(later.calls[0].publicName, "alice");
    EXPECT_EQ(later.calls[0].password, "pa;ss");

    // Proposed from the process's memory: nothing has been written yet.
    std::string bytes;
    ASSERT_TRUE(tarntest::GetRegistryValue(kUserLogKey, kMostRecentlyUsed, bytes));
    EXPECT_EQ(bytes, std::string("mallory;x", 10));

    second.reset();
    std::uint32_t type = 0;
    ASSERT_TRUE(tarntest::GetRegistryValue(kUserLogKey, kMostRecentlyUsed, bytes, &type));
    EXPECT_EQ(type, tarntest::kRegSz);
    EXPECT_EQ(bytes, std::string("alice;pa;ss", 12));
}

TEST_F(LoginRouteTest, LoginThatCannotBeSavedIsKeptInTheProcess) {
    server.Script(TicketAnswer("KEY-1"));
    auto first = Manager();
    auto second = Manager();
    display.Then(ScriptedDisplay::Login("alice", "pw"));
    std::string ticket;
    ASSERT_EQ(Login(first.get(), ticket), vcom::Success);
    if (!tarntest::MakeRegistryUnusable())
        GTEST_SKIP() << "the registry of this target cannot be taken away";

    first.reset(); // the save fails without a word
    ScriptedDisplay later;
    char* out = nullptr;
    EXPECT_EQ(second->GetTicket("game", "Finals", nullptr, nullptr, 0, &later, &out), 2);
    ASSERT_EQ(later.calls.size(), 1u);
    EXPECT_EQ(later.calls[0].publicName, "alice");
    EXPECT_EQ(later.calls[0].password, "pw");
}

TEST_F(LoginRouteTest, WithoutASuccessfulLoginNothingIsSaved) {
    server.Script(StatusAnswer(2006));
    auto manager = Manager();
    display.Then(ScriptedDisplay::Login("alice", "bad"));
    std::string ticket;
    EXPECT_EQ(Login(manager.get(), ticket), 2);
    manager.reset();

    std::string bytes;
    EXPECT_FALSE(tarntest::GetRegistryValue(kUserLogKey, kMostRecentlyUsed, bytes));
}

TEST_F(LoginRouteTest, EveryNewInstanceProposesTheStoredLoginUntilOneSucceeds) {
    struct Step {
        std::string stored;
        std::string publicName;
        std::string password;
    };
    const Step steps[] = {
        {"carol", "", ""}, // no separator: nothing to propose
        {"carol;pa;ss", "carol", "pa;ss"},
        {"dave", "carol", "pa;ss"}, // no separator: the earlier values stay
        {std::string(45, 'n') + ";" + std::string(39, 'p'), std::string(39, 'n'), std::string(39, 'p')},
        {";", "", ""},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.stored);
        tarntest::SetRegistryText(kUserLogKey, kMostRecentlyUsed, step.stored);
        auto manager = Manager();
        ScriptedDisplay host;
        char* ticket = nullptr;
        EXPECT_EQ(manager->GetTicket("game", "Finals", nullptr, nullptr, 0, &host, &ticket), 2);
        ASSERT_EQ(host.calls.size(), 1u);
        EXPECT_TRUE(host.calls[0].terminated);
        EXPECT_EQ(host.calls[0].publicName, step.publicName);
        EXPECT_EQ(host.calls[0].password, step.password);
    }
}

TEST_F(LoginRouteTest, FieldsFilledWithoutTerminatorAreReadAsFortyBytes) {
    server.Script(StatusAnswer(2005));
    server.Script(TicketAnswer("KEY-F"));
    auto manager = Manager();
    const std::string name(40, 'n');
    const std::string password(40, 'p');
    display.Then(ScriptedDisplay::Login(name, password));
    Answer again;
    display.Then(again); // log in with whatever is proposed

    std::string ticket;
    EXPECT_EQ(Login(manager.get(), ticket), vcom::Success);

    EXPECT_EQ(Sent(0), LoginFields(name, password));
    ASSERT_EQ(display.Prompts().size(), 2u);
    EXPECT_TRUE(display.Prompts()[1].terminated);
    EXPECT_EQ(display.Prompts()[1].publicName, std::string(39, 'n'));
    EXPECT_EQ(display.Prompts()[1].password, std::string(39, 'p'));
    EXPECT_EQ(Sent(1), LoginFields(std::string(39, 'n'), std::string(39, 'p')));
}

} // namespace
} // namespace customertest
