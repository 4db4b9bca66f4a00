// Reading the address server's serverlist document into entries, through the
// real XML reader: what it skips, what it refuses, and what makes an entry.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tarnclient/TarnClient.h>

#include "address/ServerList.h"
#include "messages/ResourceString.h"

namespace {

using address::ServerEntries;

const char kMessage6[] =
    "Error parsing XML response from Address Server:  missing name and/or address and/or uc attributes in <server> "
    "tag";

// What reading xml gives: "name|address|uc;" per entry, "code N", or the
// message text; entries start stale and must be empty after a failure.
std::string Read(const std::string& xml) {
    ServerEntries entries(1, address::ServerEntry{"stale", "0:0", 1});
    std::string out;
    try {
        address::ParseServerList(xml, static_cast<std::int32_t>(xml.size()), entries);
        for (const address::ServerEntry& e : entries)
            out += e.name + "|" + e.address + "|" + std::to_string(e.uc) + ";";
        return out;
    } catch (const long& code) {
        out = "code " + std::to_string(code);
    } catch (const tarnClientLib::ResourceString& message) {
        out = message.GetText() ? message.GetText() : "<empty message>";
    }
    EXPECT_TRUE(entries.empty()) << out;
    return out;
}

std::string Parse(const std::string& servers) { return Read("<servers>" + servers + "</servers>"); }

// Text, comments, processing instructions, CDATA and nested elements are
// skipped; any child element counts, whatever its name.
TEST(ServerList, ReadsEveryChildInDocumentOrder) {
    const std::string xml = R"(<?xml version="1.0"?>
<serverlist version="2"> leading text <!-- a comment -->
  <server name="alpha" zone="eu" address="10.0.0.1:7000" uc="3">inner <detail name="no"/></server>
  <?note ignore me?><![CDATA[<server/>]]>
  <host uc="0" extra="x" address="10.0.0.2:7001" name=" b &amp; c "/> trailing
</serverlist>)";
    EXPECT_EQ(Read(xml), "alpha|10.0.0.1:7000|3; b & c |10.0.0.2:7001|0;");
}

TEST(ServerList, ReadsValuesUnchangedAndUcAsAtoiDoes) {
    EXPECT_EQ(Parse(""), "");
    EXPECT_EQ(Parse(" text only <!-- no servers --> "), "");
    const std::pair<const char*, std::int32_t> cases[] = {
        {"-3", -3}, {"abc", 0}, {" 7", 7}, {"+4x", 4}, {"2147483647", 2147483647}};
    for (const auto& c : cases)
        EXPECT_EQ(Parse(std::string("<host name=\" a \" address=\" h:1\" uc=\"") + c.first + "\"/>"),
                  " a | h:1|" + std::to_string(c.second) + ";")
            << c.first;
}

TEST(ServerList, AFaultyServerFailsTheWholeList) {
    const std::string good = "<server name=\"ok\" address=\"h:1\" uc=\"1\"/>";
    const std::string bad = "code " + std::to_string(vcom::BadData);
    const std::pair<std::string, std::string> cases[] = {
        {"<server name=\"\" address=\"h:1\" uc=\"1\"/>", kMessage6},
        {"<server name=\"n\" address=\"\" uc=\"1\"/>", kMessage6},
        {"<server name=\"n\" address=\"h:1\" uc=\"\"/>", kMessage6},
        // A missing attribute is the reader's refusal: names are exact bytes, without a namespace.
        {"<server name=\"n\" address=\"h:1\"/>", bad},
        {"<server Name=\"n\" address=\"h:1\" uc=\"1\"/>", bad},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Parse(good + c.first), c.second) << c.first;
    EXPECT_EQ(Read("<l xmlns:x=\"urn:x\">" + good + "<s x:name=\"a\" address=\"h:1\" uc=\"1\"/></l>"), bad);
    // A document that does not parse (what else does not is the XML parser's test).
    EXPECT_EQ(Read("<l>" + good), "code " + std::to_string(vcom::Failure));
}

} // namespace
