// Fault rules: what each spelling means, which spellings are refused, and
// which rule applies to a path.
#include <gtest/gtest.h>

#include <stdexcept>

#include "Fault.h"

namespace devserver {
namespace {

TEST(FaultRule, ModesAndScope) {
    FaultRule rule = ParseFaultRule("close");
    EXPECT_TRUE(rule.path.empty());
    EXPECT_EQ(rule.action, FaultAction::Close);

    rule = ParseFaultRule("/getTicket=http:503");
    EXPECT_EQ(rule.path, "/getTicket");
    EXPECT_EQ(rule.action, FaultAction::HttpStatus);
    EXPECT_EQ(rule.httpStatus, 503);

    rule = ParseFaultRule("/addrsrv=delay:250");
    EXPECT_TRUE(rule.setsDelay);
    EXPECT_FALSE(rule.setsAction);
    EXPECT_EQ(rule.delayMs, 250);

    EXPECT_EQ(ParseFaultRule("hang").action, FaultAction::Hang);
    EXPECT_EQ(ParseFaultRule("malformed-list").action, FaultAction::MalformedList);
    EXPECT_EQ(ParseFaultRule("incomplete-list").action, FaultAction::IncompleteList);
    EXPECT_EQ(ParseFaultRule("unavailable").action, FaultAction::Unavailable);
}

TEST(FaultRule, NumberBoundaries) {
    EXPECT_EQ(ParseFaultRule("http:100").httpStatus, 100);
    EXPECT_EQ(ParseFaultRule("http:599").httpStatus, 599);
    EXPECT_EQ(ParseFaultRule("delay:0").delayMs, 0);
    EXPECT_EQ(ParseFaultRule("delay:3600000").delayMs, 3600000);
    for (const char* bad : {"http:99", "http:600", "http:", "http:5o3", "http:+503", "delay:-1", "delay:3600001",
                            "delay: 5", "delay:99999999999999999999"})
        EXPECT_THROW(ParseFaultRule(bad), std::invalid_argument) << bad;
}

TEST(FaultRule, RefusedSpellings) {
    for (const char* bad : {"", "explode", "hang:1", "close:", "delay", "http", "/addrsrv", "/addrsrv=", "Close"})
        EXPECT_THROW(ParseFaultRule(bad), std::invalid_argument) << bad;
}

TEST(FaultFor, PathRuleWinsOverEveryPathRule) {
    const std::vector<FaultRule> rules = {ParseFaultRule("/addrsrv=close"), ParseFaultRule("http:500")};
    EXPECT_EQ(FaultFor(rules, "/addrsrv").action, FaultAction::Close);
    EXPECT_EQ(FaultFor(rules, "/getTicket").action, FaultAction::HttpStatus);
    EXPECT_EQ(FaultFor(rules, "/getTicket").httpStatus, 500);
}

TEST(FaultFor, LaterRuleOfSameScopeWins) {
    const std::vector<FaultRule> rules = {ParseFaultRule("close"), ParseFaultRule("hang"),
                                          ParseFaultRule("/x=http:404"), ParseFaultRule("/x=none")};
    EXPECT_EQ(FaultFor(rules, "/y").action, FaultAction::Hang);
    // "none" for a path also clears what the every-path rules asked for it.
    EXPECT_EQ(FaultFor(rules, "/x").action, FaultAction::Answer);
}

TEST(FaultFor, DelayCombinesWithAnAction) {
    const std::vector<FaultRule> rules = {ParseFaultRule("delay:40"), ParseFaultRule("/a=unavailable"),
                                          ParseFaultRule("/b=delay:7")};
    const Fault a = FaultFor(rules, "/a");
    EXPECT_EQ(a.delayMs, 40);
    EXPECT_EQ(a.action, FaultAction::Unavailable);
    EXPECT_EQ(Describe(a), "delay 40 ms + unavailable");
    const Fault b = FaultFor(rules, "/b");
    EXPECT_EQ(b.delayMs, 7);
    EXPECT_EQ(b.action, FaultAction::Answer);
    EXPECT_EQ(Describe(b), "delay 7 ms");
    EXPECT_EQ(Describe(FaultFor({}, "/a")), "");
}

} // namespace
} // namespace devserver
