// Reading the address server's serverlist document into entries, through the
// real XML reader. What the reader itself skips or refuses is in tests/xml.
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

// What a reading gives: "name|address|uc" per entry, "code N", or the
// message text; entries start stale and must be empty after a failure.
template <class Read>
std::string Outcome(Read read) {
    ServerEntries entries(1, address::ServerEntry{"stale", "0:0", 1});
    std::string out;
    try {
        read(entries);
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

std::string Parse(const std::string& servers) {
    const std::string xml = "<servers>" + servers + "</servers>";
    return Outcome([&](ServerEntries& e) { address::ParseServerList(xml, static_cast<std::int32_t>(xml.size()), e); });
}

// Document order and skipped content are the XML reader's test (tests/xml).
TEST(ServerList, ReadsValuesUnchangedAndUcAsAtoiDoes) {
    EXPECT_EQ(Parse(""), "");
    const std::pair<const char*, std::int32_t> cases[] = {
        {"-3", -3}, {"abc", 0}, {" 7", 7}, {"+4x", 4}, {"2147483647", 2147483647}};
    for (const auto& c : cases)
        EXPECT_EQ(Parse(std::string("<host name=\" a \" address=\" h:1\" uc=\"") + c.first + "\"/>"),
                  " a | h:1|" + std::to_string(c.second) + ";")
            << c.first;
}

TEST(ServerList, AFaultyServerFailsTheWholeList) {
    const std::string good = "<server name=\"ok\" address=\"h:1\" uc=\"1\"/>";
    const std::pair<std::string, std::string> cases[] = {
        {"<server name=\"\" address=\"h:1\" uc=\"1\"/>", kMessage6},
        {"<server name=\"n\" address=\"\" uc=\"1\"/>", kMessage6},
        {"<server name=\"n\" address=\"h:1\" uc=\"\"/>", kMessage6},
        // The reader's own refusals (tests/xml) pass through as its codes.
        {"<server name=\"n\" address=\"h:1\"/>", "code " + std::to_string(vcom::BadData)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Parse(good + c.first), c.second) << c.first;
}

// A repeated attribute is not well-formed XML: expat refuses the document,
// the Windows reader lets it through to our check. Either way no entry.
TEST(ServerList, ADocumentRepeatingAnAttributeGivesNoEntries) {
    const std::string got = Parse("<server name=\"a\" name=\"b\" address=\"h:1\"/>");
    EXPECT_TRUE(got == kMessage6 || got == "code " + std::to_string(vcom::Failure)) << got;
}

// What the reader may hand over for an element: it counts pairs, not names.
TEST(ServerList, PairsOfOneElementLaterWinsRepeatInPlaceOfAnotherIsMessage6) {
    auto read = [](std::vector<Utility::XmlPairs> elements) {
        return Outcome([&](ServerEntries& e) { address::ReadServerEntries(elements, e); });
    };
    EXPECT_EQ(read({{{"name", "a"}, {"name", "b"}, {"address", "h:1"}}}), kMessage6);
    EXPECT_EQ(read({{{"uc", "1"}, {"name", "a"}, {"address", "h:1"}, {"name", "b"}, {"uc", "2"}}}), "b|h:1|2;");
}

} // namespace
