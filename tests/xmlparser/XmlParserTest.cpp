// The XML parser library alone, through its public header. The tree it
// builds is read end to end by tests/address through the operations the
// library calls (attribute names matched exactly, missing ones, a root
// without children); here stand what those do not reach: every DOCTYPE
// refused, lengths, and long values whatever the pieces.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include <xmlparser/XMLParser.h>

#include "vcom/Ref.h"

namespace {

using vcom::ref;
using xmlparser::INode;

ref<INode> Parse(const std::string& text, std::int32_t length = -1) {
    ref<xmlparser::IParserFactory> factory(XMLParserLib_GetComponentFactory());
    std::int32_t err = 0;
    ref<xmlparser::IParser> parser(static_cast<xmlparser::IParser*>(factory->Create(xmlparser::IParser::Id, &err)));
    return ref<INode>(parser->Parse(text.c_str(), length));
}

// A document type, even one declaring nothing, is refused whole: no entity
// of any kind (the billion laughs, external files) is ever expanded. The
// length bounds the text, which must end where the document does.
TEST(XmlParser, RefusesEveryDoctypeAndWhatIsNotWellFormed) {
    ASSERT_TRUE(Parse(R"(<r a="&amp;&#65;"/>)"));
    for (const char* text : {
             "<!DOCTYPE servers><servers/>",
             R"(<!DOCTYPE servers [<!ENTITY e "unused">]><servers/>)",
             R"(<!DOCTYPE servers SYSTEM "file:///etc/passwd"><servers/>)",
             R"(<!DOCTYPE r [<!ENTITY x SYSTEM "file:///etc/hostname">]><r a="&x;"/>)",
             R"(<!DOCTYPE r [<!ENTITY % p SYSTEM "http://127.0.0.1:1/x.dtd"> %p;]><r/>)",
             "<r a=\"1\" a=\"2\"/>",
             "<r a=\"x&#0;y\"/>",
             "<r a=\"1\"/><junk",
         })
        EXPECT_FALSE(Parse(text)) << text;
    EXPECT_TRUE(Parse("<r a=\"1\"/><junk", 10));
    EXPECT_FALSE(Parse("<r a=\"1\"/><junk", 9));
    EXPECT_TRUE(Parse("<r/>", 1000));
    EXPECT_FALSE(Parse("<r/>", 0));
}

// A reader takes a long document in pieces; a value crossing one or many of
// their boundaries comes back whole, the elements after it too, and a long
// value left open is refused.
TEST(XmlParser, LongValuesComeBackWholeWhereverThePiecesEnd) {
    const struct {
        const char* what;
        std::size_t before;  // bytes of elements ahead of the long value
        std::size_t length;  // of the long value
        bool closed = true;
    } cases[] = {
        {.what = "short", .before = 0, .length = 10},
        {.what = "ending where a 64 KiB piece ends", .before = 65536 - 14, .length = 6},
        {.what = "one piece long", .before = 100, .length = 65536},
        {.what = "over many pieces", .before = 65536 - 40, .length = 5 * 65536 + 3},
        {.what = "two megabytes", .before = 4, .length = 2 * 1024 * 1024},
        {.what = "left open", .before = 4, .length = 3 * 65536, .closed = false},
    };
    for (const auto& c : cases) {
        std::string text = "<l>";
        while (text.size() < 3 + c.before)
            text += "<s/>";
        text += "<s v=\"" + std::string(c.length, 'v');
        if (c.closed)
            text += "\"/><e w=\"after\"/></l>";
        const ref<INode> root = Parse(text);
        ASSERT_EQ(static_cast<bool>(root), c.closed) << c.what;
        if (!root)
            continue;
        const ref<xmlparser::INodeTexts> texts = vcom::Query<xmlparser::INodeTexts>(root.get(), nullptr);
        ASSERT_TRUE(texts) << c.what;
        const std::int32_t last = root->GetChildCount() - 1;
        const char* value = texts->GetChildAttributeText(last - 1, "v");
        ASSERT_TRUE(value) << c.what;
        EXPECT_EQ(std::string(value), std::string(c.length, 'v')) << c.what;
        EXPECT_STREQ(texts->GetChildAttributeText(last, "w"), "after") << c.what;
    }
}

} // namespace
