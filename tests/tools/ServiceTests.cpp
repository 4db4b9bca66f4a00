// The answers of the two services over the built-in data set: every ticket
// status with the check that produces it, and the choice of servers.
#include <gtest/gtest.h>

#include "AddressService.h"
#include "DataLoader.h"
#include "DefaultData.h"
#include "ServerListXml.h"
#include "TicketService.h"

namespace devserver {
namespace {

class Services : public testing::Test {
protected:
    Services() : data(LoadServiceData(DefaultDataJson())) {}

    static TicketQuery Login(const char* product, const char* event, const char* name, const char* password) {
        return TicketQuery{false, "", product, name, password, event, "", ""};
    }
    static TicketQuery Context(const char* product, const char* event, const char* id) {
        return TicketQuery{true, id, product, "", "", event, "", ""};
    }
    std::uint16_t Status(const TicketQuery& query) const { return DecideTicket(data, query).status; }

    std::vector<std::string> Names(const AddressQuery& query) const {
        std::vector<std::string> names;
        for (const Server* server : SelectServers(data, query))
            names.push_back(server->name);
        return names;
    }

    ServiceData data;
};

TEST_F(Services, LoginStatuses) {
    EXPECT_EQ(Status(Login("TARNQUEST", "launch", "alice", "wonderland1")), TicketGranted);
    EXPECT_EQ(Status(Login("tarnquest", "launch", "ALICE", "wonderland1")), TicketGranted);
    EXPECT_EQ(Status(Login("NOPE", "launch", "alice", "wonderland1")), UnknownProduct);
    EXPECT_EQ(Status(Login("TARNQUEST", "Launch", "alice", "wonderland1")), UnknownEvent);
    EXPECT_EQ(Status(Login("TARNQUEST", "launch", "al", "wonderland1")), InvalidPublicName);
    EXPECT_EQ(Status(Login("TARNQUEST", "launch", "alice", "wonder land")), InvalidPassword);
    EXPECT_EQ(Status(Login("TARNQUEST", "launch", "carol", "secret1")), NoSuchAccount);
    EXPECT_EQ(Status(Login("TARNQUEST", "launch", "alice", "Wonderland1")), WrongPassword);
    EXPECT_EQ(Status(Login("TARNQUEST", "beta-test", "alice", "wonderland1")), EventClosed);
    EXPECT_EQ(Status(Login("TARNQUEST", "finals", "bob", "builder42")), NotAMember);
    EXPECT_EQ(Status(Login("TARNQUEST", "finals", "alice", "wonderland1")), TicketGranted);
}

TEST_F(Services, FirstFailingCheckWins) {
    // Unknown product before everything, unknown event before the credentials,
    // the credentials before the event's state.
    EXPECT_EQ(Status(Login("NOPE", "nope", "", "")), UnknownProduct);
    EXPECT_EQ(Status(Login("TARNQUEST", "nope", "", "")), UnknownEvent);
    EXPECT_EQ(Status(Login("TARNQUEST", "beta-test", "x", "y")), InvalidPublicName);
    EXPECT_EQ(Status(Login("TARNQUEST", "beta-test", "alice", "bad")), WrongPassword);
}

TEST_F(Services, CredentialRuleBoundaries) {
    EXPECT_FALSE(IsValidCredential(""));
    EXPECT_FALSE(IsValidCredential("ab"));
    EXPECT_TRUE(IsValidCredential("abc"));
    EXPECT_TRUE(IsValidCredential(std::string(30, 'z')));
    EXPECT_FALSE(IsValidCredential(std::string(31, 'z')));
    EXPECT_TRUE(IsValidCredential("A1b2C3"));
    for (const char* bad : {"ab_c", "ab-c", "ab c", "abc!", "\xC3\xA9t\xC3\xA9"})
        EXPECT_FALSE(IsValidCredential(bad)) << bad;
}

TEST_F(Services, ContextStatuses) {
    EXPECT_EQ(Status(Context("TARNQUEST", "launch", "ctx-alice-1")), TicketGranted);
    EXPECT_EQ(DecideTicket(data, Context("TARNQUEST", "launch", "ctx-alice-1")).account, "alice");
    // Without a product the context's own product is taken.
    EXPECT_EQ(Status(Context("", "season1", "ctx-bob-race")), TicketGranted);
    EXPECT_EQ(Status(Context("", "season1", "ctx-expired")), UnknownProduct);
    EXPECT_EQ(Status(Context("TARNQUEST", "launch", "ctx-expired")), BadContextId);
    EXPECT_EQ(Status(Context("TARNQUEST", "launch", "ctx-unknown")), BadContextId);
    EXPECT_EQ(Status(Context("TARNQUEST", "launch", "")), BadContextId);
    // Bound to another product.
    EXPECT_EQ(Status(Context("TARNQUEST", "launch", "ctx-bob-race")), BadContextId);
    EXPECT_EQ(Status(Context("TARNQUEST", "beta-test", "ctx-alice-1")), EventClosed);
    EXPECT_EQ(Status(Context("TARNQUEST", "nope", "ctx-alice-1")), UnknownEvent);
}

TEST_F(Services, ContextIgnoresTheLoginFields) {
    TicketQuery query = Context("TARNQUEST", "launch", "ctx-alice-1");
    query.publicName = "x";
    query.password = "y";
    EXPECT_EQ(Status(query), TicketGranted);
}

TEST_F(Services, AnySelectsTheWholeCategoryInDataOrder) {
    EXPECT_EQ(Names({"TARNQUEST", "game", "any", false, ""}), (std::vector<std::string>{"alpha", "beta", "gamma"}));
    EXPECT_EQ(Names({"tarnquest", "chat", "any", false, ""}), (std::vector<std::string>{"lobby"}));
}

TEST_F(Services, NameAndAtt1Select) {
    EXPECT_EQ(Names({"TARNQUEST", "game", "beta", false, ""}), (std::vector<std::string>{"beta"}));
    EXPECT_EQ(Names({"TARNQUEST", "game", "any", true, "eu"}), (std::vector<std::string>{"alpha", "gamma"}));
    EXPECT_EQ(Names({"TARNQUEST", "game", "beta", true, "eu"}), std::vector<std::string>{});
    // att1 sent empty matches the servers without one.
    EXPECT_EQ(Names({"TARNQUEST", "chat", "any", true, ""}), (std::vector<std::string>{"lobby"}));
    EXPECT_EQ(Names({"TARNQUEST", "game", "Beta", false, ""}), std::vector<std::string>{});
}

TEST_F(Services, UnknownProductOrCategorySelectsNone) {
    EXPECT_TRUE(Names({"NOPE", "game", "any", false, ""}).empty());
    EXPECT_TRUE(Names({"TARNQUEST", "GAME", "any", false, ""}).empty());
}

TEST(ServerListXml, EscapesAttributeValues) {
    Server odd{"a&b <\"c\"> 'd'", "10.0.0.1:80", -3, ""};
    EXPECT_EQ(ServerListXml({&odd}), "<servers><server name=\"a&amp;b &lt;&quot;c&quot;&gt; &apos;d&apos;\" "
                                     "address=\"10.0.0.1:80\" uc=\"-3\"/></servers>");
    EXPECT_EQ(ServerListXml({}), "<servers></servers>");
}

TEST(ServerListXml, FaultyShapes) {
    Server one{"s", "h:1", 1, ""};
    EXPECT_EQ(ServerListXml({&one}, ListShape::Incomplete),
              "<servers><server name=\"s\" address=\"h:1\" uc=\"1\"/>"
              "<server name=\"incomplete\" address=\"127.0.0.1:1\"/></servers>");
    const std::string malformed = ServerListXml({&one}, ListShape::Malformed);
    EXPECT_EQ(malformed.find("</servers>"), std::string::npos);
}

} // namespace
} // namespace devserver
