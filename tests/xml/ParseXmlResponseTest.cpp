#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "vcom/Codes.h"
#include "xml/XmlResponse.h"

namespace {

using Utility::ParseXmlResponse;
using Utility::XmlPairs;

const std::vector<std::string> Wanted{"name", "address", "uc"};

// Reads document whole, as the address service does.
std::int32_t Read(const std::string& document, std::vector<XmlPairs>& elements, bool readChildren = true,
                  const std::vector<std::string>& wanted = Wanted) {
    return ParseXmlResponse(document, static_cast<std::int32_t>(document.size()), wanted, elements, readChildren);
}

// The code a reading throws, or 0 when it throws none.
std::int32_t CodeOf(const std::string& document, std::vector<XmlPairs>& elements, bool readChildren = true) {
    try {
        Read(document, elements, readChildren);
    } catch (const vcom::Code& code) {
        return static_cast<std::int32_t>(code);
    }
    return 0;
}

TEST(ParseXmlResponse, ReadsWantedAttributesOfEveryChildInDocumentOrder) {
    const std::string document = R"(<?xml version="1.0"?>
<serverlist version="2">
  <server name="alpha" zone="eu" address="10.0.0.1:7000" uc="3"/>
  <server uc="0" extra="x" address="10.0.0.2:7001" name="beta"/>
  <server address="[::1]:7002" name="gamma" uc="-4" load="0.5"></server>
</serverlist>)";
    std::vector<XmlPairs> elements{{{"stale", "entry"}}};
    ASSERT_EQ(Read(document, elements), 3);
    const std::vector<XmlPairs> expected{
        {{"name", "alpha"}, {"address", "10.0.0.1:7000"}, {"uc", "3"}},
        {{"uc", "0"}, {"address", "10.0.0.2:7001"}, {"name", "beta"}},
        {{"address", "[::1]:7002"}, {"name", "gamma"}, {"uc", "-4"}},
    };
    EXPECT_EQ(elements, expected);
}

TEST(ParseXmlResponse, ValuesComeDecodedAndOtherwiseUnchanged) {
    std::vector<XmlPairs> elements;
    ASSERT_EQ(Read(R"(<l><s name=" a &amp; b " address="h:1" uc=""/></l>)", elements), 1);
    EXPECT_EQ(elements[0], (XmlPairs{{"name", " a & b "}, {"address", "h:1"}, {"uc", ""}}));
}

TEST(ParseXmlResponse, ChildWithoutAWantedAttributeFailsTheWholeReading) {
    std::vector<XmlPairs> elements;
    EXPECT_EQ(CodeOf(R"(<l><s name="a" address="h:1" uc="1"/><s name="b" address="h:2"/></l>)", elements),
              vcom::BadData);
    EXPECT_TRUE(elements.empty());
    // None of them at all.
    EXPECT_EQ(CodeOf(R"(<l><s other="1"/></l>)", elements), vcom::BadData);
    EXPECT_TRUE(elements.empty());
}

TEST(ParseXmlResponse, NamesCompareByteForByte) {
    std::vector<XmlPairs> elements;
    EXPECT_EQ(CodeOf(R"(<l><s Name="a" address="h:1" uc="1"/></l>)", elements), vcom::BadData);
    EXPECT_EQ(CodeOf(R"(<l><s name ="a" address="h:1" ucc="1"/></l>)", elements), vcom::BadData);
    EXPECT_EQ(CodeOf(R"(<l xmlns:x="urn:x"><s x:name="a" address="h:1" uc="1"/></l>)", elements), vcom::BadData);
    EXPECT_TRUE(elements.empty());
}

TEST(ParseXmlResponse, RootWithoutChildrenReadsNothingAndSucceeds) {
    std::vector<XmlPairs> elements{{{"stale", "entry"}}};
    EXPECT_EQ(Read("<serverlist/>", elements), 0);
    EXPECT_TRUE(elements.empty());
    EXPECT_EQ(Read("<serverlist> text only <!-- no servers --> </serverlist>", elements), 0);
    EXPECT_TRUE(elements.empty());
}

TEST(ParseXmlResponse, WithoutReadChildrenReadsTheRootAlone) {
    std::vector<XmlPairs> elements;
    EXPECT_EQ(Read(R"(<server uc="9" name="solo" address="h:5"><server name="x" address="y" uc="1"/></server>)",
                   elements, false),
              1);
    EXPECT_EQ(elements, (std::vector<XmlPairs>{{{"uc", "9"}, {"name", "solo"}, {"address", "h:5"}}}));
    EXPECT_EQ(CodeOf(R"(<server name="solo"/>)", elements, false), vcom::BadData);
    EXPECT_TRUE(elements.empty());
}

TEST(ParseXmlResponse, UnparsableDocumentsFailWithMinusOne) {
    std::vector<XmlPairs> elements;
    for (const char* document : {
             "",
             "<serverlist><server name=\"a\" address=\"h:1\" uc=\"1\"></serverlist>",
             "<serverlist><server name=\"a\" address=\"h:1\" uc=\"1\"/>",
             R"(<!DOCTYPE l [<!ENTITY n "evil">]><l><s name="&n;" address="h:1" uc="1"/></l>)",
         })
        EXPECT_EQ(CodeOf(document, elements), vcom::Failure) << document;
}

TEST(ParseXmlResponse, LengthReachesTheParserUnchanged) {
    const std::string document = R"(<l><s name="a" address="h:1" uc="1"/></l>)";
    std::vector<XmlPairs> elements;
    EXPECT_EQ(ParseXmlResponse(document, -1, Wanted, elements, true), 1);
    EXPECT_THROW(ParseXmlResponse(document, 20, Wanted, elements, true), vcom::Code);
}

TEST(ParseXmlResponse, TextCommentsAndNestedElementsBetweenChildrenAreIgnored) {
    const std::string document = "<serverlist>\n  leading text\n  <!-- a comment -->\n"
                                 "  <server name=\"a\" address=\"h:1\" uc=\"1\">inner <detail name=\"no\"/></server>"
                                 "<?note ignore me?><![CDATA[<server/>]]>\n"
                                 "  <server name=\"b\" address=\"h:2\" uc=\"2\"/>\n  trailing\n</serverlist>";
    std::vector<XmlPairs> elements;
    ASSERT_EQ(Read(document, elements), 2);
    EXPECT_EQ(elements[0][0].second, "a");
    EXPECT_EQ(elements[1][0].second, "b");
}

TEST(ParseXmlResponse, EveryChildCountsWhateverItsTag) {
    std::vector<XmlPairs> elements;
    ASSERT_EQ(Read(R"(<l><server name="a" address="h:1" uc="1"/><host name="b" address="h:2" uc="2"/></l>)",
                   elements),
              2);
    EXPECT_EQ(elements[1][0].second, "b");
}

TEST(ParseXmlResponse, ReadsLongListsCompletely) {
    std::string document = "<l>";
    for (int i = 0; i < 1000; ++i)
        document += "<s name=\"s" + std::to_string(i) + "\" address=\"h:" + std::to_string(i) + "\" uc=\"1\"/>";
    document += "</l>";
    std::vector<XmlPairs> elements;
    ASSERT_EQ(Read(document, elements), 1000);
    ASSERT_EQ(elements.size(), 1000u);
    EXPECT_EQ(elements[999][1].second, "h:999");
}

} // namespace
