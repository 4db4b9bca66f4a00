// Reading the address server's serverlist document into entries, through the
// real XML reader.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tarnclient/TarnClient.h>

#include "address/ServerList.h"
#include "messages/ResourceString.h"

namespace {

using address::ServerEntries;
using address::ServerEntry;

const char kMessage6[] =
    "Error parsing XML response from Address Server:  missing name and/or address and/or uc attributes in <server> "
    "tag";

// Entries from a document, after filling entries with a stale one so a test
// sees that nothing of it survives.
ServerEntries Parse(const std::string& xml, ServerEntries& entries) {
    entries.assign(1, ServerEntry{"stale", "0:0", 1});
    address::ParseServerList(xml, static_cast<std::int32_t>(xml.size()), entries);
    return entries;
}

ServerEntries Parse(const std::string& xml) {
    ServerEntries entries;
    return Parse(xml, entries);
}

// The code a reading throws, or 0; entries must be empty afterwards.
long CodeOf(const std::string& xml) {
    ServerEntries entries;
    try {
        Parse(xml, entries);
    } catch (const long& code) {
        EXPECT_TRUE(entries.empty());
        return code;
    }
    return 0;
}

// The message text a reading throws, or "" when it throws none.
std::string MessageOf(const std::string& xml) {
    ServerEntries entries;
    try {
        Parse(xml, entries);
    } catch (const tarnClientLib::ResourceString& message) {
        EXPECT_TRUE(entries.empty());
        return message.GetText() ? message.GetText() : "<empty message>";
    }
    return "";
}

std::string Server(const std::string& attributes) { return "<server " + attributes + "/>"; }

TEST(ServerList, ReadsEveryServerInDocumentOrder) {
    const ServerEntries entries = Parse("<servers>" + Server("name=\"a\" address=\"10.0.0.5:7000\" uc=\"1\"") +
                                        Server("uc=\"2\" address=\"b:2\" name=\"b\"") +
                                        Server("address=\"c:3\" name=\"c\" uc=\"3\"") + "</servers>");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "a");
    EXPECT_EQ(entries[0].address, "10.0.0.5:7000");
    EXPECT_EQ(entries[0].uc, 1);
    EXPECT_EQ(entries[1].name, "b");
    EXPECT_EQ(entries[1].address, "b:2");
    EXPECT_EQ(entries[1].uc, 2);
    EXPECT_EQ(entries[2].name, "c");
    EXPECT_EQ(entries[2].uc, 3);
}

TEST(ServerList, ARootWithoutChildrenIsAnEmptyList) {
    EXPECT_TRUE(Parse("<servers/>").empty());
    EXPECT_TRUE(Parse("<servers></servers>").empty());
    EXPECT_TRUE(Parse("<servers>just text</servers>").empty());
}

TEST(ServerList, ReadsUcAsAtoiDoes) {
    struct Uc {
        const char* text;
        std::int32_t value;
    };
    const Uc cases[] = {{"12", 12}, {"-3", -3}, {"abc", 0}, {" 7", 7}, {"+4x", 4}, {"0", 0}, {"2147483647", 2147483647}};
    for (const Uc& c : cases) {
        SCOPED_TRACE(c.text);
        const ServerEntries entries =
            Parse("<s>" + Server(std::string("name=\"n\" address=\"h:1\" uc=\"") + c.text + "\"") + "</s>");
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].uc, c.value);
    }
}

TEST(ServerList, HandsValuesOnUnchanged) {
    const ServerEntries entries = Parse("<s>" + Server("name=\" lobby \" address=\" 10.0.0.5:7000\" uc=\"1\"") + "</s>");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, " lobby ");
    EXPECT_EQ(entries[0].address, " 10.0.0.5:7000");
}

TEST(ServerList, IgnoresTagsOtherAttributesTextAndDeeperElements) {
    const ServerEntries entries =
        Parse("<servers>\n  <!-- east -->\n  <host port=\"99\" name=\"a\" address=\"h:1\" uc=\"5\" kind=\"x\">text"
              "<inner name=\"z\"/></host>\n  <server name=\"b\" address=\"h:2\" uc=\"6\"/>\n</servers>");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "a");
    EXPECT_EQ(entries[0].uc, 5);
    EXPECT_EQ(entries[1].name, "b");
}

TEST(ServerList, AnEmptyWantedAttributeIsMessage6) {
    for (const char* attributes : {"name=\"\" address=\"h:1\" uc=\"1\"", "name=\"n\" address=\"\" uc=\"1\"",
                                   "name=\"n\" address=\"h:1\" uc=\"\""}) {
        SCOPED_TRACE(attributes);
        // A good server before the faulty one is discarded with it.
        EXPECT_EQ(MessageOf("<s>" + Server("name=\"ok\" address=\"h:1\" uc=\"1\"") + Server(attributes) + "</s>"),
                  kMessage6);
    }
}

TEST(ServerList, AMissingWantedAttributeIsTheReadersBadData) {
    EXPECT_EQ(CodeOf("<s>" + Server("name=\"ok\" address=\"h:1\" uc=\"1\"") + Server("name=\"n\" address=\"h:1\"") +
                     "</s>"),
              vcom::BadData);
    // Attribute names are case-sensitive.
    EXPECT_EQ(CodeOf("<s>" + Server("Name=\"n\" address=\"h:1\" uc=\"1\"") + "</s>"), vcom::BadData);
    EXPECT_EQ(CodeOf("<s><server/></s>"), vcom::BadData);
}

TEST(ServerList, ADocumentThatDoesNotParseIsFailure) {
    EXPECT_EQ(CodeOf("<s><server name=\"a\""), vcom::Failure);
    EXPECT_EQ(CodeOf(""), vcom::Failure);
}

// A repeated attribute is not well-formed XML: expat refuses the document,
// the Windows reader lets it through to our check. Either way no entry.
TEST(ServerList, ADocumentRepeatingAnAttributeGivesNoEntries) {
    ServerEntries entries;
    const std::string xml = "<s>" + Server("name=\"a\" name=\"b\" address=\"h:1\"") + "</s>";
    try {
        Parse(xml, entries);
        ADD_FAILURE() << "read as " << entries.size() << " entries";
    } catch (const long& code) {
        EXPECT_EQ(code, vcom::Failure);
    } catch (const tarnClientLib::ResourceString& message) {
        EXPECT_STREQ(message.GetText(), kMessage6);
    }
    EXPECT_TRUE(entries.empty());
}

// What the reader may hand over for an element: it counts pairs, not names.
TEST(ServerList, ARepeatedAttributeInPlaceOfAnotherIsMessage6) {
    ServerEntries entries(1);
    const std::vector<Utility::XmlPairs> elements = {
        {{"name", "a"}, {"name", "b"}, {"address", "h:1"}},
    };
    try {
        address::ReadServerEntries(elements, entries);
        ADD_FAILURE() << "no message";
    } catch (const tarnClientLib::ResourceString& message) {
        EXPECT_STREQ(message.GetText(), kMessage6);
    }
    EXPECT_TRUE(entries.empty());
}

TEST(ServerList, ALaterValueOfAnAttributeWins) {
    ServerEntries entries;
    address::ReadServerEntries({{{"uc", "1"}, {"name", "a"}, {"address", "h:1"}, {"name", "b"}, {"uc", "2"}}},
                               entries);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "b");
    EXPECT_EQ(entries[0].uc, 2);
}

} // namespace
