// The login route: the host's prompt, what it proposes, when it comes back,
// and the login remembered for later prompts and in "Most Recently Used".
// How a stored value splits into the proposal is the settings fuzz target's;
// that a new process proposes it, the black-box test's.
#include "tests/customer/CustomerHost.h"
#include "tests/support/RegistryValues.h"

namespace customertest {
namespace {

using Answer = ScriptedDisplay::Answer;

const std::string kN40(40, 'n'), kP40(40, 'p'), kN39(39, 'n'), kP39(39, 'p');

struct Flow {
    const char* name;
    std::vector<Answer> prompts;
    std::vector<std::uint16_t> statuses; // 0 answers with a ticket
    std::int32_t errorAnswer;
    std::int32_t result;
    std::string log;
    std::string sent;
};

const Flow kFlows[] = {
    {"host gives up", {Answer{-42}}, {}, 0, -42, "P[||]", ""}, // any answer but 0, as it is
    {"empty public name", {ScriptedDisplay::Login("", "secret"), Answer{3}}, {}, 0, 3, "P[||]E2003/0P[|secret|]", ""},
    {"other action", {Answer{0, 7, "bob", "pw"}, Answer{4}}, {}, 0, 4, "P[||]P[bob|pw|]", ""},
    {"negative error answer", {ScriptedDisplay::Login("alice", "pw")}, {2006}, -9, -9, "P[||]E2006/0",
     "product=GAME public=alice password=pw eventname=Finals machine language=en ; "},
    {"context id, no name check", {Answer{0, 1, nullptr, nullptr, "ctx-42"}}, {0}, 0, vcom::Success, "P[||]",
     "contextid=ctx-42 product=GAME eventname=Finals machine language=en ; "},
    // Fields filled without a terminator are read as 40 bytes and proposed cut to 39.
    {"forty bytes", {ScriptedDisplay::Login(kN40.c_str(), kP40.c_str()), Answer{}}, {2005, 0}, 0, vcom::Success,
     "P[||]E2005/0P[" + kN39 + "|" + kP39 + "|]",
     "product=GAME public=" + kN40 + " password=" + kP40 + " eventname=Finals machine language=en ; " +
         "product=GAME public=" + kN39 + " password=" + kP39 + " eventname=Finals machine language=en ; "},
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
    EXPECT_EQ(display.log, flow.log);
    EXPECT_EQ(SentAll(), flow.sent);
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
    EXPECT_EQ(Sent(server.Requests().at(1)), "contextid=ctx-1 product=GAME public=alice password=pa;ss eventname=Finals machine ");

    // A value written meanwhile by someone else is not read again.
    tarntest::SetStoredLogin("mallory;x");
    auto second = Manager();
    display.log.clear();
    EXPECT_EQ(Get(second.get(), "game", nullptr, nullptr, 0, ticket), 2);
    EXPECT_EQ(display.log, "P[alice|pa;ss|]");
    std::string stored;
    ASSERT_TRUE(tarntest::GetStoredLogin(stored));
    EXPECT_EQ(stored, "mallory;x");

    second.reset(); // any instance saves it
    ASSERT_TRUE(tarntest::GetStoredLogin(stored));
    EXPECT_EQ(stored, "alice;pa;ss");
}

} // namespace
} // namespace customertest
