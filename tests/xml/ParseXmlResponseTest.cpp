#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "vcom/Codes.h"
#include "xml/XmlResponse.h"

namespace {

using Utility::XmlPairs;
using Elements = std::vector<XmlPairs>;

// Reads document as the address service does; the count read, or the code
// thrown. elements starts with a stale entry so that none survives.
std::int32_t Read(const std::string& document, Elements& elements, bool readChildren = true) {
    elements.assign(1, XmlPairs{{"stale", "entry"}});
    try {
        return Utility::ParseXmlResponse(document, static_cast<std::int32_t>(document.size()),
                                         {"name", "address", "uc"}, elements, readChildren);
    } catch (const vcom::Code& code) {
        return static_cast<std::int32_t>(code);
    }
}

// Text, comments, processing instructions, CDATA and nested elements are
// skipped; any child element counts, whatever its name.
TEST(ParseXmlResponse, ReadsWantedAttributesOfEveryChildInDocumentOrder) {
    const std::string document = R"(<?xml version="1.0"?>
<serverlist version="2"> leading text <!-- a comment -->
  <server name="alpha" zone="eu" address="10.0.0.1:7000" uc="3">inner <detail name="no"/></server>
  <?note ignore me?><![CDATA[<server/>]]>
  <host uc="0" extra="x" address="10.0.0.2:7001" name=" b &amp; c "/>
  <server address="[::1]:7002" name="gamma" uc="" load="0.5"></server> trailing
</serverlist>)";
    Elements elements;
    ASSERT_EQ(Read(document, elements), 3);
    const Elements expected{
        {{"name", "alpha"}, {"address", "10.0.0.1:7000"}, {"uc", "3"}},
        {{"uc", "0"}, {"address", "10.0.0.2:7001"}, {"name", " b & c "}},
        {{"address", "[::1]:7002"}, {"name", "gamma"}, {"uc", ""}},
    };
    EXPECT_EQ(elements, expected);
}

TEST(ParseXmlResponse, FailingOrEmptyDocumentsReadNothing) {
    struct Case {
        const char* document;
        std::int32_t code;
    };
    const Case cases[] = {
        {R"(<l><s name="a" address="h:1" uc="1"/><s name="b" address="h:2"/></l>)", vcom::BadData},
        {R"(<l><s other="1"/></l>)", vcom::BadData},
        {R"(<l><s Name="a" address="h:1" uc="1"/></l>)", vcom::BadData},
        {R"(<l xmlns:x="urn:x"><s x:name="a" address="h:1" uc="1"/></l>)", vcom::BadData},
        {"", vcom::Failure},
        {R"(<l><s name="a" address="h:1" uc="1"></l>)", vcom::Failure},
        {R"(<!DOCTYPE l [<!ENTITY n "evil">]><l><s name="&n;" address="h:1" uc="1"/></l>)", vcom::Failure},
        {"<serverlist/>", 0},
        {"<serverlist> text only <!-- no servers --> </serverlist>", 0},
    };
    for (const Case& c : cases) {
        Elements elements;
        EXPECT_EQ(Read(c.document, elements), c.code) << c.document;
        EXPECT_TRUE(elements.empty()) << c.document;
    }
}

TEST(ParseXmlResponse, WithoutReadChildrenReadsTheRootAlone) {
    Elements elements;
    EXPECT_EQ(Read(R"(<server uc="9" name="solo" address="h:5"><server name="x" address="y" uc="1"/></server>)",
                   elements, false),
              1);
    EXPECT_EQ(elements, (Elements{{{"uc", "9"}, {"name", "solo"}, {"address", "h:5"}}}));
    EXPECT_EQ(Read(R"(<server name="solo"/>)", elements, false), vcom::BadData);
    EXPECT_TRUE(elements.empty());
}

} // namespace
