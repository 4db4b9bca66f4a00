// What the parser refuses: anything not well-formed, and every DOCTYPE, so
// that no entity a document declares is ever expanded or fetched.
#include <gtest/gtest.h>

#include <string>

#include "tests/xmlparser/ParsedDocument.h"

namespace xmltest {
namespace {

const char* const BillionLaughs = R"(<?xml version="1.0"?>
<!DOCTYPE lolz [
 <!ENTITY lol "lol">
 <!ENTITY lol1 "&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;">
 <!ENTITY lol2 "&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;&lol1;">
 <!ENTITY lol3 "&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;">
 <!ENTITY lol4 "&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;&lol3;">
 <!ENTITY lol5 "&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;&lol4;">
 <!ENTITY lol6 "&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;&lol5;">
 <!ENTITY lol7 "&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;&lol6;">
 <!ENTITY lol8 "&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;&lol7;">
 <!ENTITY lol9 "&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;&lol8;">
]>
<lolz a="&lol9;">&lol9;</lolz>)";

TEST(XmlParserRefusal, DoctypeIsRefusedWhateverItDeclares) {
    // The same document parses without its DOCTYPE.
    ASSERT_TRUE(Parse(R"(<servers><server name="&amp;"/></servers>)"));
    for (const char* text : {
             "<!DOCTYPE servers><servers/>",
             R"(<!DOCTYPE servers [<!ENTITY e "boom">]><servers><server name="&e;"/></servers>)",
             R"(<!DOCTYPE servers [<!ENTITY e "unused">]><servers/>)",
             R"(<!DOCTYPE servers SYSTEM "file:///etc/passwd"><servers/>)",
             R"(<!DOCTYPE r [<!ENTITY x SYSTEM "file:///etc/hostname">]><r a="&x;"/>)",
             R"(<!DOCTYPE r [<!ENTITY % p SYSTEM "http://127.0.0.1:1/x.dtd"> %p;]><r/>)",
             BillionLaughs,
         })
        EXPECT_FALSE(Parse(text)) << text;
}

TEST(XmlParserRefusal, MalformedDocumentsAreRefused) {
    for (const char* text : {
             "",
             "   ",
             "not xml",
             "<servers>",
             "<servers></server>",
             "<a/><b/>",
             "<r a=\"1\" a=\"2\"/>",
             "<r a=1/>",
             "<r a=\"&undeclared;\"/>",
             "<r a=\"x<y\"/>",
             "<r a=\"x&#0;y\"/>",
             // The text ends inside open elements, after a child.
             "<servers><server name=\"a\"/>",
             "<servers><server name=\"a\"></server>",
             "<servers><server name=\"a\"><server>",
         })
        EXPECT_FALSE(Parse(text)) << text;
}

TEST(XmlParserRefusal, NullTextIsRefused) {
    ref<xmlparser::IParserFactory> factory(XMLParserLib_GetComponentFactory());
    std::int32_t err = 0;
    ref<xmlparser::IParser> parser(static_cast<xmlparser::IParser*>(factory->Create(xmlparser::IParser::Id, &err)));
    ASSERT_TRUE(parser);
    EXPECT_EQ(parser->Parse(nullptr, 10), nullptr);
    // The parser keeps nothing from a failure.
    ref<INode> root(parser->Parse("<r/>", -1));
    EXPECT_TRUE(root);
}

} // namespace
} // namespace xmltest
