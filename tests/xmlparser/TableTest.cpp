// The client of this library calls it by virtual-table position, not by
// header: each operation it uses must sit where it looks for it. Entries 0 to
// 7 are the common head (the destructor takes two under g++ and MinGW), so
// an interface's n-th own operation is entry 7 + n.
#include <gtest/gtest.h>

#include <string>

#include "tests/xmlparser/ParsedDocument.h"

namespace xmltest {
namespace {

template <class R, class... Args>
R CallOwn(void* object, int position, Args... args) {
    void** table = *static_cast<void***>(object);
    auto entry = reinterpret_cast<R (*)(void*, Args...)>(table[7 + position]);
    return entry(object, args...);
}

TEST(XmlParserTable, OperationsTheClientUsesSitAtTheirPositions) {
    ref<xmlparser::IParserFactory> factory(XMLParserLib_GetComponentFactory());
    ASSERT_TRUE(factory);
    std::int32_t err = -99;
    ref<xmlparser::IParser> parser(
        static_cast<xmlparser::IParser*>(CallOwn<vcom::IComponent*>(factory.get(), 1, std::int32_t{1004}, &err)));
    ASSERT_TRUE(parser);
    EXPECT_EQ(err, 0);

    const char* text = R"(<l><a n="1" v="x"/><b/></l>)";
    ref<INode> root(CallOwn<INode*>(parser.get(), 1, text, std::int32_t{-1}));
    ASSERT_TRUE(root);

    ref<INodeList> children(CallOwn<INodeList*>(root.get(), 9, &err));
    ASSERT_TRUE(children);
    EXPECT_EQ(CallOwn<std::int32_t>(children.get(), 6), 2);
    std::int32_t pos = CallOwn<std::int32_t>(children.get(), 3);
    ref<INode> first(CallOwn<INode*>(children.get(), 1, &pos));
    ASSERT_TRUE(first);
    EXPECT_EQ(NameOf(*first), "a");

    ref<IElement> element(CallOwn<IElement*>(first.get(), 11, &err));
    ASSERT_TRUE(element);
    EXPECT_EQ(CallOwn<std::int32_t>(element.get(), 6), 2);
    std::int32_t apos = CallOwn<std::int32_t>(element.get(), 3);
    ref<IAttribute> firstAttribute(CallOwn<IAttribute*>(element.get(), 1, &apos));
    ref<IAttribute> second(CallOwn<IAttribute*>(element.get(), 1, &apos));
    ASSERT_TRUE(firstAttribute && second);
    EXPECT_EQ(Take(CallOwn<char*>(second.get(), 1)), "v");
    EXPECT_EQ(Take(CallOwn<char*>(second.get(), 2)), "x");

    ref<INode> leaf(root->GetChild(1, &err));
    ASSERT_TRUE(leaf);
    EXPECT_EQ(CallOwn<INodeList*>(leaf.get(), 9, &err), nullptr);
    EXPECT_GT(err, 0);
}

} // namespace
} // namespace xmltest
