// Walking children and attributes: positions, both ends, and positions that
// do not belong to the sequence.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "tests/xmlparser/ParsedDocument.h"

namespace xmltest {
namespace {

ref<INodeList> ChildrenOf(const std::string& text) {
    ref<INode> root = Parse(text);
    if (!root)
        return ref<INodeList>();
    std::int32_t err = 0;
    return ref<INodeList>(root->GetChildren(&err));
}

std::string NameAt(INodeList& list, std::int32_t& pos, bool forward) {
    ref<INode> node(forward ? list.Next(&pos) : list.Prev(&pos));
    return node ? NameOf(*node) : "(none)";
}

TEST(XmlParserSequence, ChildrenWalkBothWaysAndStopAtTheEnds) {
    ref<INodeList> list = ChildrenOf("<r><a/><b><x/></b><c/></r>");
    ASSERT_TRUE(list);
    EXPECT_EQ(list->Count(), 3);
    EXPECT_FALSE(list->IsEmpty());
    EXPECT_EQ(list->End() - list->Begin(), 3);

    std::int32_t pos = list->Begin();
    EXPECT_EQ(NameAt(*list, pos, true), "a");
    EXPECT_EQ(NameAt(*list, pos, true), "b");
    EXPECT_EQ(NameAt(*list, pos, true), "c");
    // Past Count: nothing, and the position stays at the end.
    EXPECT_EQ(NameAt(*list, pos, true), "(none)");
    EXPECT_EQ(pos, list->End());
    EXPECT_EQ(NameAt(*list, pos, false), "c");
    EXPECT_EQ(NameAt(*list, pos, false), "b");
    EXPECT_EQ(NameAt(*list, pos, false), "a");
    EXPECT_EQ(NameAt(*list, pos, false), "(none)");
    EXPECT_EQ(pos, list->Begin());
}

TEST(XmlParserSequence, ForeignPositionsReadNothing) {
    ref<INodeList> list = ChildrenOf("<r><a/><b/></r>");
    ASSERT_TRUE(list);
    for (std::int32_t bad : {-1, 3, 1000, INT_MIN, INT_MAX}) {
        std::int32_t pos = bad;
        EXPECT_EQ(list->Next(&pos), nullptr) << bad;
        EXPECT_EQ(list->Prev(&pos), nullptr) << bad;
        EXPECT_EQ(pos, bad);
    }
    EXPECT_EQ(list->Next(nullptr), nullptr);
}

TEST(XmlParserSequence, LeafHasNoChildrenButAPositiveCode) {
    ref<INode> root = Parse("<r>only text<!-- and a comment --></r>");
    ASSERT_TRUE(root);
    std::int32_t err = 0;
    EXPECT_EQ(root->GetChildren(&err), nullptr);
    EXPECT_EQ(err, xmlparser::NoNode);
    EXPECT_GT(err, 0);
    EXPECT_EQ(root->GetChildCount(), 0);
}

TEST(XmlParserSequence, AttributesWalkBothWaysAndStopAtTheEnds) {
    ref<INode> root = Parse(R"(<r one="1" two="2"/>)");
    ASSERT_TRUE(root);
    std::int32_t err = 0;
    ref<IElement> element(root->GetElement(&err));
    ASSERT_TRUE(element);
    EXPECT_EQ(element->Count(), 2);

    std::int32_t pos = element->Begin();
    ref<IAttribute> first(element->Next(&pos));
    ref<IAttribute> second(element->Next(&pos));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(Take(second->GetName()), "two");
    EXPECT_EQ(element->Next(&pos), nullptr);
    EXPECT_EQ(pos, element->End());
    ref<IAttribute> back(element->Prev(&pos));
    ASSERT_TRUE(back);
    EXPECT_EQ(Take(back->GetValue()), "2");

    pos = -5;
    EXPECT_EQ(element->Next(&pos), nullptr);
    EXPECT_EQ(pos, -5);
}

TEST(XmlParserSequence, ElementWithoutAttributesIsEmpty) {
    ref<INode> root = Parse("<r/>");
    ASSERT_TRUE(root);
    std::int32_t err = 0;
    ref<IElement> element(root->GetElement(&err));
    ASSERT_TRUE(element);
    EXPECT_TRUE(element->IsEmpty());
    EXPECT_EQ(element->Begin(), element->End());
    std::int32_t pos = element->Begin();
    EXPECT_EQ(element->Next(&pos), nullptr);
}

TEST(XmlParserSequence, ManyChildrenComeInDocumentOrder) {
    std::string text = "<r>";
    for (int i = 0; i < 500; ++i)
        text += "<s i=\"" + std::to_string(i) + "\"/>\n";
    text += "</r>";
    ref<INodeList> list = ChildrenOf(text);
    ASSERT_TRUE(list);
    ASSERT_EQ(list->Count(), 500);
    std::int32_t pos = list->Begin();
    for (int i = 0; i < 500; ++i) {
        ref<INode> node(list->Next(&pos));
        ASSERT_TRUE(node);
        ASSERT_EQ(Take(node->GetAttributeValue("i")), std::to_string(i));
    }
}

} // namespace
} // namespace xmltest
