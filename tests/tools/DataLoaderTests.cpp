// The data set: the built-in one loads, and a bad file is refused with the
// line to fix and the reason.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>

#include "DataError.h"
#include "DataLoader.h"
#include "DefaultData.h"

namespace devserver {
namespace {

TEST(DefaultData, LoadsWithEveryKindOfEntry) {
    const ServiceData data = LoadServiceData(DefaultDataJson());
    ASSERT_NE(data.FindProduct("tarnquest"), nullptr);
    EXPECT_EQ(data.FindProduct("TARNQUEST")->categories.size(), 2u);
    ASSERT_NE(data.FindAccount("ALICE"), nullptr);
    EXPECT_EQ(data.FindAccount("alice")->password, "wonderland1");
    ASSERT_NE(data.FindContext("ctx-expired"), nullptr);
    EXPECT_TRUE(data.FindContext("ctx-expired")->expired);
    EXPECT_EQ(data.FindContext("CTX-EXPIRED"), nullptr);
    EXPECT_TRUE(data.HasServlet("getTicket"));
    EXPECT_FALSE(data.unavailable);
    EXPECT_EQ(data.lifetime, 3600);
}

TEST(DataLoader, MinimalDocumentTakesDefaults) {
    const ServiceData data = LoadServiceData(R"({"products": []})");
    EXPECT_TRUE(data.products.empty());
    ASSERT_EQ(data.servlets.size(), 1u);
    EXPECT_EQ(data.servlets[0], "getTicket");
    EXPECT_EQ(data.lifetime, 3600);
}

TEST(DataLoader, EventWithoutMembersIsOpenToEveryone) {
    const ServiceData data = LoadServiceData(
        R"({"products": [{"name": "P", "events": [{"name": "e"}, {"name": "m", "open": false, "members": ["x"]}]}]})");
    const Product& product = data.products.at(0);
    EXPECT_TRUE(product.events.at(0).everyone);
    EXPECT_TRUE(product.events.at(0).open);
    EXPECT_FALSE(product.events.at(1).everyone);
    EXPECT_FALSE(product.events.at(1).open);
    EXPECT_TRUE(MayJoin(product.events.at(1), "X"));
    EXPECT_FALSE(MayJoin(product.events.at(1), "y"));
}

TEST(DataLoader, UcTakesTheWholeSignedRange) {
    const ServiceData data = LoadServiceData(R"({"products": [{"name": "P", "categories": [{"name": "c", "servers": [
        {"name": "lo", "address": "h:1", "uc": -2147483648},
        {"name": "hi", "address": "h:2", "uc": 2147483647}]}]}]})");
    EXPECT_EQ(data.products[0].categories[0].servers[0].uc, -2147483647 - 1);
    EXPECT_EQ(data.products[0].categories[0].servers[1].uc, 2147483647);
}

struct BadData {
    const char* text;
    int line;
    const char* reason; // a part of the reason
};

class DataLoaderRefuses : public testing::TestWithParam<BadData> {};

TEST_P(DataLoaderRefuses, WithLineAndReason) {
    const BadData& bad = GetParam();
    try {
        LoadServiceData(bad.text);
        FAIL() << "accepted: " << bad.text;
    } catch (const DataError& e) {
        EXPECT_EQ(e.Line(), bad.line) << e.what();
        EXPECT_NE(e.Reason().find(bad.reason), std::string::npos) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Syntax, DataLoaderRefuses,
    testing::Values(BadData{"{\n  \"products\": [\n  ,\n]}", 3, "syntax error"},
                    BadData{"{\"products\": []", 1, "unexpected end of input"},
                    BadData{"", 1, "unexpected end of input"},
                    BadData{"[1, 2]", 1, "must be an object"}));

INSTANTIATE_TEST_SUITE_P(
    Meaning, DataLoaderRefuses,
    testing::Values(
        BadData{"{\n\"accounts\": []\n}", 1, "needs \"products\""},
        BadData{"{\n\"products\": [],\n\"prodcts\": []\n}", 3, "unknown key \"prodcts\""},
        BadData{"{\"products\": [\n{\"name\": \"P\",\n \"categories\": [{\"name\": \"c\", \"servers\": [\n"
                "  {\"name\": \"s\", \"address\": \"h:1\",\n   \"uc\": \"12\"}]}]}]}",
                5, "whole number"},
        BadData{"{\"products\": [{\"name\": \"P\", \"categories\": [{\"name\": \"c\", \"servers\": [\n"
                "  {\"name\": \"s\", \"address\": \"h:1\", \"uc\": 2147483648}]}]}]}",
                2, "from -2147483648 to 2147483647"},
        BadData{"{\"products\": [{\"name\": \"P\", \"categories\": [{\"name\": \"c\", \"servers\": [\n"
                "  {\"name\": \"s\",\n  \"address\": \"nocolon\", \"uc\": 1}]}]}]}",
                3, "\"<IP Address>:<Port>\""},
        BadData{"{\"products\": [{\"name\": \"P\", \"categories\": [{\"name\": \"c\", \"servers\": [\n"
                "  {\"name\": \"s\", \"address\": \"h:1\"}]}]}]}",
                2, "needs \"uc\""},
        BadData{"{\"products\": [{\"name\": \"\"}]}", 1, "non-empty text"},
        BadData{"{\"products\": [],\n \"accounts\": [{\"public\": \"a\", \"password\": \"p\"}],\n"
                " \"contexts\": [{\"id\": \"c\",\n  \"account\": \"b\"}]}",
                4, "unknown account \"b\""},
        BadData{"{\"products\": [],\n \"contexts\": [{\"id\": \"c\", \"account\": \"a\"}]}", 2, "unknown account"},
        BadData{"{\"products\": [],\n \"servlets\": [\"/getTicket\"]}", 2, "without its \"/\""},
        BadData{"{\"products\": [],\n \"lifetime\": 0}", 2, "from 1 to"},
        BadData{"{\"products\": [],\n \"unavailable\": \"yes\"}", 2, "true or false"},
        BadData{"{\"products\": [],\n \"faults\": [\"close\",\n \"explode\"]}", 3, "unknown fault mode"},
        BadData{"{\"products\": [{\"name\": \"P\", \"events\": [{\"name\": \"e\",\n \"open\": 1}]}]}", 2,
                "true or false"}));

TEST(DataLoaderFile, NamesFileAndLine) {
    const std::string path = testing::TempDir() + "devserver-bad-data.json";
    {
        std::ofstream file(path);
        file << "{\n  \"products\": [],\n  \"lifetime\": -5\n}\n";
    }
    try {
        LoadServiceDataFile(path);
        FAIL() << "accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()).rfind(path + ":3: ", 0), 0u) << e.what();
    }
    std::remove(path.c_str());
}

TEST(DataLoaderFile, MissingFileIsNamed) {
    try {
        LoadServiceDataFile("/nonexistent/devserver.json");
        FAIL() << "accepted";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "/nonexistent/devserver.json: cannot be read");
    }
}

} // namespace
} // namespace devserver
