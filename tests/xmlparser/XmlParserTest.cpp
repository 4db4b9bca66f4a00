// The XML parser library alone, through its public header. The tree it
// builds is read end to end by tests/address (attribute names matched
// exactly, missing ones); here stand what those do not reach: the operations
// at their table positions, the factory's refusal, every DOCTYPE refused,
// lengths, and positions outside a sequence or the children.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>
#include <type_traits>

#include <xmlparser/XMLParser.h>

#include "vcom/Ref.h"

namespace {

using vcom::ref;
using xmlparser::IAttribute;
using xmlparser::IElement;
using xmlparser::INode;
using xmlparser::INodeList;

std::string Take(char* text) {
    std::string copy(text ? text : "(null)");
    XMLParserLib_MemFree(text);
    return copy;
}

ref<INode> Parse(const std::string& text, std::int32_t length = -1) {
    ref<xmlparser::IParserFactory> factory(XMLParserLib_GetComponentFactory());
    std::int32_t err = 0;
    ref<xmlparser::IParser> parser(static_cast<xmlparser::IParser*>(factory->Create(xmlparser::IParser::Id, &err)));
    return ref<INode>(parser->Parse(text.c_str(), length));
}

// The client calls by virtual-table position. The common head ends with one
// destructor entry (6) on Windows and two (6 and 7) where the root's
// destructor is virtual, so the n-th own operation follows them.
constexpr int kHeadEntries = std::has_virtual_destructor_v<vcom::IComponent> ? 8 : 7;

template <class R, class... Args>
R CallOwn(void* object, int position, Args... args) {
    void** table = *static_cast<void***>(object);
    return reinterpret_cast<R (*)(void*, Args...)>(table[kHeadEntries - 1 + position])(object, args...);
}

TEST(XmlParser, OperationsSitAtTheirPositionsAndRefuseWhatIsNotTheirs) {
    ref<xmlparser::IParserFactory> factory(XMLParserLib_GetComponentFactory());
    ASSERT_TRUE(factory);
    std::int32_t err = -99;
    ref<xmlparser::IParser> parser(
        static_cast<xmlparser::IParser*>(CallOwn<vcom::IComponent*>(factory.get(), 1, std::int32_t{1004}, &err)));
    ASSERT_TRUE(parser);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(parser->Parse(nullptr, 10), nullptr);
    EXPECT_EQ(factory->Create(xmlparser::IParserFactory::Id, &err), nullptr);
    EXPECT_EQ(err, vcom::Failure);
    ref<INode> root(CallOwn<INode*>(parser.get(), 1, R"(<l><a n="1" v="x"/><b/></l>)", std::int32_t{-1}));
    ASSERT_TRUE(root);
    ref<INodeList> children(CallOwn<INodeList*>(root.get(), 9, &err));
    ASSERT_TRUE(children);
    EXPECT_EQ(CallOwn<std::int32_t>(children.get(), 6), 2);
    std::int32_t pos = CallOwn<std::int32_t>(children.get(), 3);
    ref<INode> first(CallOwn<INode*>(children.get(), 1, &pos));
    ASSERT_TRUE(first);
    ref<IElement> element(CallOwn<IElement*>(first.get(), 11, &err));
    ASSERT_TRUE(element);
    EXPECT_EQ(CallOwn<std::int32_t>(element.get(), 6), 2);
    std::int32_t apos = CallOwn<std::int32_t>(element.get(), 3);
    ref<IAttribute> one(CallOwn<IAttribute*>(element.get(), 1, &apos));
    ref<IAttribute> two(CallOwn<IAttribute*>(element.get(), 1, &apos));
    ASSERT_TRUE(one && two);
    EXPECT_EQ(Take(CallOwn<char*>(two.get(), 1)), "v");
    EXPECT_EQ(Take(CallOwn<char*>(two.get(), 2)), "x");
    // Texts of children outside the tree, and positions outside a sequence,
    // read nothing; a position stays put.
    ref<xmlparser::INodeTexts> texts = vcom::Query<xmlparser::INodeTexts>(root.get(), &err);
    ASSERT_TRUE(texts);
    EXPECT_STREQ(texts->GetChildAttributeText(0, "v"), "x");
    EXPECT_EQ(texts->GetChildAttributeText(0, nullptr), nullptr);
    EXPECT_EQ(texts->GetChildAttributeText(2, "v"), nullptr);
    for (std::int32_t bad : {-1, 3, INT_MIN, INT_MAX}) {
        EXPECT_EQ(texts->GetChildAttributeText(bad, "v"), nullptr) << bad;
        std::int32_t at = bad;
        EXPECT_EQ(children->Next(&at), nullptr) << bad;
        EXPECT_EQ(children->Prev(&at), nullptr) << bad;
        EXPECT_EQ(element->Next(&at), nullptr) << bad;
        EXPECT_EQ(element->Prev(&at), nullptr) << bad;
        EXPECT_EQ(at, bad);
    }
    EXPECT_EQ(children->Next(nullptr), nullptr);
    // A node without child elements: no sequence, and a positive code.
    ref<INode> leaf(CallOwn<INode*>(children.get(), 1, &pos));
    ASSERT_TRUE(leaf);
    EXPECT_EQ(CallOwn<INodeList*>(leaf.get(), 9, &err), nullptr);
    EXPECT_EQ(err, xmlparser::NoNode);
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
