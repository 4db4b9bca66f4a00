// The login route: the host's prompt, what it proposes, when it comes back,
// and the login remembered for later prompts and in "Most Recently Used".
// That a new process proposes it is the black-box test's ("the remembered
// name is proposed").
#include "tests/customer/CustomerHost.h"

namespace customertest {
namespace {

using Answer = ScriptedDisplay::Answer;

const std::string kN40(40, 'n'), kP40(40, 'p'), kN39(39, 'n'), kP39(39, 'p');

// A login request's fields.
RecordFields Login(const std::string& publicName, const std::string& password) {
    return {{"product", "GAME"}, {"public", publicName}, {"password", password}, {"eventname", "Finals"},
            {"machine", kMachine}, {"language", "en"}};
}

struct Flow {
    const char* name;
    std::vector<Answer> prompts;
    std::vector<std::uint16_t> statuses = {}; // the servlet's answers; 0 answers with a ticket
    std::int32_t errorAnswer = 0;
    std::int32_t result;
    std::vector<DisplayCall> calls;
    std::vector<RecordFields> sent = {};
};

const Flow kFlows[] = {
    {.name = "empty public name", .prompts = {ScriptedDisplay::Login("", "secret"), {.result = 3}}, .result = 3,
     .calls = {Prompt(), Error(2003), Prompt("", "secret")}},
    {.name = "other action", .prompts = {{.action = 7, .publicName = "bob", .password = "pw"}, {.result = 4}},
     .result = 4, .calls = {Prompt(), Prompt("bob", "pw")}},
    {.name = "negative error answer", .prompts = {ScriptedDisplay::Login("alice", "pw")}, .statuses = {2006},
     .errorAnswer = -9, .result = -9, .calls = {Prompt(), Error(2006)}, .sent = {Login("alice", "pw")}},
    {.name = "context id, no name check", .prompts = {{.action = 1, .contextId = "ctx-42"}}, .statuses = {0},
     .result = vcom::Success, .calls = {Prompt()},
     .sent = {{{"contextid", "ctx-42"}, {"product", "GAME"}, {"eventname", "Finals"}, {"machine", kMachine},
               {"language", "en"}}}},
    // Action 1 without a context id would log in with an earlier prompt's
    // name and password: nothing goes out, as for a login without a name.
    {.name = "context id empty", .prompts = {{.action = 1, .publicName = "eve", .password = "pw"}},
     .result = vcom::Failure, .calls = {Prompt(), Error(2003)}},
    {.name = "context id empty after a login", .prompts = {ScriptedDisplay::Login("alice", "pw"), {.action = 1}},
     .statuses = {2006}, .result = vcom::Failure, .calls = {Prompt(), Error(2006), Prompt("alice", "pw"), Error(2003)},
     .sent = {Login("alice", "pw")}},
    // Fields filled without a terminator are read as 40 bytes and proposed cut to 39.
    {.name = "forty bytes", .prompts = {ScriptedDisplay::Login(kN40.c_str(), kP40.c_str()), {}}, .statuses = {2005, 0},
     .result = vcom::Success, .calls = {Prompt(), Error(2005), Prompt(kN39, kP39)},
     .sent = {Login(kN40, kP40), Login(kN39, kP39)}},
};

void PrintTo(const Flow& flow, std::ostream* out) { *out << flow.name; }

class LoginFlowTest : public CustomerTest, public testing::WithParamInterface<Flow> {};

TEST_P(LoginFlowTest, EndsAsScripted) {
    const Flow& flow = GetParam();
    for (std::uint16_t status : flow.statuses)
        server.Script(status ? StatusAnswer(status) : TicketAnswer("KEY"));
    for (const Answer& answer : flow.prompts)
        display.Then(answer);
    display.errorAnswer = flow.errorAnswer;
    auto manager = Manager();
    std::string ticket;
    EXPECT_EQ(Get(manager.get(), "game", nullptr, "en", 0, ticket), flow.result);
    EXPECT_EQ(ticket, flow.result == vcom::Success ? "KEY" : "<null>");
    EXPECT_EQ(display.calls, flow.calls);
    EXPECT_EQ(SentAll(), TicketRequests(flow.sent));
    // Only a successful login by name is remembered and saved.
    manager.reset();
    std::string stored;
    if (flow.prompts[0].contextId == nullptr) {
        EXPECT_EQ(tarntest::GetStoredLogin(stored), flow.result == vcom::Success);
    }
}

INSTANTIATE_TEST_SUITE_P(Flows, LoginFlowTest, testing::ValuesIn(kFlows));

TEST_F(CustomerTest, LoginGoesWithEveryLaterExchangeIsProposedAndSavedOnDestruction) {
    server.Script(TicketAnswer("KEY-C"));
    auto first = Manager();
    display.Then(ScriptedDisplay::Login("alice", "pa;ss"));
    std::string ticket;
    ASSERT_EQ(Get(first.get(), "game", nullptr, nullptr, 0, ticket), vcom::Success);
    ASSERT_EQ(Get(first.get(), "game", "ctx-1", nullptr, 0, ticket), vcom::Success);
    EXPECT_EQ(SentAll().at(1), tarntest::TicketRequestBytes({{"contextid", "ctx-1"}, {"product", "GAME"},
                                                             {"public", "alice"}, {"password", "pa;ss"},
                                                             {"eventname", "Finals"}, {"machine", kMachine}}));

    // A value written meanwhile by someone else is not read again.
    tarntest::SetStoredLogin("mallory;x");
    auto second = Manager();
    display.calls.clear();
    EXPECT_EQ(Get(second.get(), "game", nullptr, nullptr, 0, ticket), 2);
    EXPECT_EQ(display.calls, std::vector<DisplayCall>{Prompt("alice", "pa;ss")});
    std::string stored;
    ASSERT_TRUE(tarntest::GetStoredLogin(stored));
    EXPECT_EQ(stored, "mallory;x");

    second.reset(); // any instance saves it
    ASSERT_TRUE(tarntest::GetStoredLogin(stored));
    EXPECT_EQ(stored, "alice;pa;ss");
}

} // namespace
} // namespace customertest
