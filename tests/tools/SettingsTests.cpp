// What the server is told at start: which fault rule acts on a path, and
// the data set (a bad file is refused with the line to fix and the reason;
// the black-box test shows the file name). (--listen and the rules' spellings
// as a developer writes them: the black-box run's servers.)
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "DataError.h"
#include "DataLoader.h"
#include "Fault.h"

namespace devserver {
namespace {

TEST(FaultFor, PathRuleWinsThenTheLaterRuleAndADelayCombines) {
    const std::vector<FaultRule> rules = {ParseFaultRule("close"),      ParseFaultRule("http:500"),
                                          ParseFaultRule("delay:40"),   ParseFaultRule("/addrsrv=close"),
                                          ParseFaultRule("/x=http:404"), ParseFaultRule("/x=none"),
                                          ParseFaultRule("/b=delay:7")};
    EXPECT_EQ(Describe(FaultFor(rules, "/addrsrv")), "delay 40 ms + close");
    EXPECT_EQ(Describe(FaultFor(rules, "/getTicket")), "delay 40 ms + http 500");
    // "none" for a path also clears what the every-path rules asked for it.
    EXPECT_EQ(FaultFor(rules, "/x").action, FaultAction::Answer);
    EXPECT_EQ(Describe(FaultFor(rules, "/b")), "delay 7 ms + http 500");
}

TEST(DataLoader, RefusesWithLineAndReason) {
    const std::string server = "{\"products\": [{\"name\": \"P\", \"categories\": [{\"name\": \"c\", \"servers\": [\n";
    const struct {
        std::string text;
        int line;
        const char* reason; // a part of the reason
    } cases[] = {
        {.text = "{\n  \"products\": [\n  ,\n]}", .line = 3, .reason = "syntax error"},
        {.text = "{\n\"products\": [],\n\"prodcts\": []\n}", .line = 3, .reason = "unknown key \"prodcts\""},
        {.text = server + " {\"name\": \"s\", \"address\": \"h:1\", \"uc\": 2147483648}]}]}]}", .line = 2,
         .reason = "from -2147483648 to 2147483647"},
        {.text = server + " {\"name\": \"s\",\n\"address\": \"nocolon\", \"uc\": 1}]}]}]}", .line = 3,
         .reason = "\"<IP Address>:<Port>\""},
        {.text = "{\"products\": [],\n \"contexts\": [{\"id\": \"c\",\n  \"account\": \"b\"}]}", .line = 3,
         .reason = "unknown account \"b\""},
        {.text = "{\"products\": [],\n \"lifetime\": 0}", .line = 2, .reason = "from 1 to"},
    };
    for (const auto& bad : cases) {
        try {
            LoadServiceData(bad.text);
            ADD_FAILURE() << "accepted: " << bad.text;
        } catch (const DataError& e) {
            EXPECT_EQ(e.Line(), bad.line) << e.what();
            EXPECT_NE(e.Reason().find(bad.reason), std::string::npos) << e.what();
        }
    }
}

} // namespace
} // namespace devserver
