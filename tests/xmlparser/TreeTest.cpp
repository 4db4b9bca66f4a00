// The tree a document becomes: elements, attributes in document order,
// everything else dropped, and the objects' lifetimes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/xmlparser/ParsedDocument.h"

namespace xmltest {
namespace {

TEST(XmlParserFactory, CreatesParsersByIdAndRefusesOtherIds) {
    ref<xmlparser::IParserFactory> factory(XMLParserLib_GetComponentFactory());
    ASSERT_TRUE(factory);
    for (std::int32_t id : {0, xmlparser::IParser::Id}) {
        std::int32_t err = 99;
        ref<vcom::IComponent> parser(factory->Create(id, &err));
        EXPECT_TRUE(parser) << id;
        EXPECT_EQ(err, 0) << id;
    }
    std::int32_t err = 0;
    EXPECT_EQ(factory->Create(xmlparser::IParserFactory::Id, &err), nullptr);
    EXPECT_EQ(err, vcom::Failure);
}

TEST(XmlParserTree, AttributesKeepDocumentOrderNamesAndValues) {
    ref<INode> root = Parse(R"(<r><s z="26" name="n1" a="" x:q="ns" uc="7"/></r>)");
    ASSERT_TRUE(root);
    std::int32_t err = 0;
    ref<INode> s(root->GetChild(0, &err));
    ASSERT_TRUE(s);
    ref<IElement> element(s->GetElement(&err));
    ASSERT_TRUE(element);
    EXPECT_EQ(err, 0);

    std::vector<std::pair<std::string, std::string>> seen;
    std::int32_t pos = element->Begin();
    for (std::int32_t i = 0; i < element->Count(); ++i) {
        ref<IAttribute> attribute(element->Next(&pos));
        ASSERT_TRUE(attribute);
        seen.emplace_back(Take(attribute->GetName()), Take(attribute->GetValue()));
    }
    const std::vector<std::pair<std::string, std::string>> expected{
        {"z", "26"}, {"name", "n1"}, {"a", ""}, {"x:q", "ns"}, {"uc", "7"}};
    EXPECT_EQ(seen, expected);
}

TEST(XmlParserTree, ValuesAreDecodedToUtf8) {
    // Predefined entities, character references and non-ASCII text, the same
    // on every parser underneath.
    ref<INode> root = Parse("<r v=\"a&amp;b&lt;&#65;&#x42;&quot;\" u=\"caf\xC3\xA9 \xE2\x82\xAC\"/>");
    ASSERT_TRUE(root);
    EXPECT_EQ(Take(root->GetAttributeValue("v")), "a&b<AB\"");
    EXPECT_EQ(Take(root->GetAttributeValue("u")), "caf\xC3\xA9 \xE2\x82\xAC");
}

TEST(XmlParserTree, TextCommentsAndInstructionsAreDroppedNestedElementsKept) {
    ref<INode> root = Parse("<?xml version=\"1.0\"?>\n<r>text<a x=\"1\">more<deep y=\"2\"/><![CDATA[<no/>]]></a>"
                            "<!-- <c/> --><?pi <d/>?>\n<b/></r>");
    ASSERT_TRUE(root);
    EXPECT_EQ(NameOf(*root), "r");
    ASSERT_EQ(root->GetChildCount(), 2);
    std::int32_t err = 0;
    ref<INode> a(root->GetChild(0, &err));
    ref<INode> b(root->GetChild(1, &err));
    ASSERT_TRUE(a && b);
    EXPECT_EQ(NameOf(*a), "a");
    EXPECT_EQ(NameOf(*b), "b");
    EXPECT_EQ(a->GetAttributeCount(), 1);
    ASSERT_EQ(a->GetChildCount(), 1);
    ref<INode> deep(a->GetChild(0, &err));
    ASSERT_TRUE(deep);
    EXPECT_EQ(NameOf(*deep), "deep");
    EXPECT_EQ(deep->GetDepth(), 2);
    EXPECT_EQ(Take(deep->GetAttributeValue("y")), "2");
}

TEST(XmlParserTree, NavigationEndsWithNoNode) {
    ref<INode> root = Parse("<r><a/><b k=\"v\"/></r>");
    ASSERT_TRUE(root);
    std::int32_t err = 0;

    EXPECT_EQ(root->GetParent(&err), nullptr);
    EXPECT_EQ(err, xmlparser::NoNode);
    EXPECT_EQ(root->GetNextSibling(&err), nullptr);
    EXPECT_EQ(err, xmlparser::NoNode);

    ref<INode> a(root->GetChild(0, &err));
    ASSERT_TRUE(a);
    ref<INode> b(a->GetNextSibling(&err));
    ASSERT_TRUE(b);
    EXPECT_EQ(NameOf(*b), "b");
    EXPECT_EQ(b->GetNextSibling(&err), nullptr);
    EXPECT_EQ(err, xmlparser::NoNode);
    ref<INode> parent(b->GetParent(&err));
    ASSERT_TRUE(parent);
    EXPECT_EQ(NameOf(*parent), "r");

    EXPECT_EQ(root->GetChild(2, &err), nullptr);
    EXPECT_EQ(err, vcom::InvalidArgument);
    EXPECT_EQ(root->GetChild(-1, &err), nullptr);
    EXPECT_EQ(err, vcom::InvalidArgument);
}

TEST(XmlParserTree, AttributeLookupIsExactAndCaseSensitive) {
    ref<INode> root = Parse(R"(<r Name="upper" name="lower" name2="other"/>)");
    ASSERT_TRUE(root);
    EXPECT_EQ(Take(root->GetAttributeValue("name")), "lower");
    EXPECT_EQ(Take(root->GetAttributeValue("Name")), "upper");
    EXPECT_EQ(Take(root->GetAttributeValue("nam")), "(null)");
    EXPECT_EQ(Take(root->GetAttributeValue(nullptr)), "(null)");
    EXPECT_TRUE(root->HasAttribute("name2"));
    EXPECT_FALSE(root->HasAttribute("NAME"));
}

TEST(XmlParserTree, LengthBoundsTheTextAndStopsAtItsEnd) {
    const std::string text = "<r a=\"1\"/><junk";
    EXPECT_TRUE(Parse(text, 10));  // just "<r a="1"/>"
    EXPECT_FALSE(Parse(text, 9));  // cut inside the element
    EXPECT_FALSE(Parse(text));     // the junk after the root
    // A length past the text stops at its terminator.
    EXPECT_TRUE(Parse("<r/>", 1000));
    EXPECT_FALSE(Parse("<r/>", 0));
}

TEST(XmlParserTree, NodesOutliveTheParserTheRootAndEachOther) {
    ref<INode> child;
    {
        ref<INode> root = Parse("<r><c k=\"v\"/></r>");
        ASSERT_TRUE(root);
        std::int32_t err = 0;
        child.reset(root->GetChild(0, &err));
    }
    ASSERT_TRUE(child);
    std::int32_t err = 0;
    ref<IElement> element(child->GetElement(&err));
    child.reset();
    ASSERT_TRUE(element);
    std::int32_t pos = element->Begin();
    ref<IAttribute> attribute(element->Next(&pos));
    element.reset();
    ASSERT_TRUE(attribute);
    EXPECT_EQ(Take(attribute->GetValue()), "v");
}

TEST(XmlParserTree, ANodeIsItsElementUnderOneCount) {
    ref<INode> root = Parse("<r/>");
    ASSERT_TRUE(root);
    std::int32_t err = 0;
    ref<IElement> element(root->GetElement(&err));
    ASSERT_TRUE(element);
    EXPECT_TRUE(element->Supports(xmlparser::INode::Id));
    ref<vcom::IComponent> again(element->QueryInterface(xmlparser::INode::Id, &err));
    EXPECT_EQ(again.get(), static_cast<vcom::IComponent*>(root.get()));
    EXPECT_FALSE(root->Supports(xmlparser::IAttribute::Id));
}

} // namespace
} // namespace xmltest
