#include "xml/XmlResponse.h"

#include <algorithm>
#include <string_view>

#include <xmlparser/XMLParser.h>

#include "messages/Trace.h"
#include "vcom/Codes.h"
#include "vcom/Ref.h"
#include "xml/ParserMemHolder.h"

namespace Utility {

namespace {

using vcom::ParserMemHolder;
using vcom::ref;

// Grows pairs by room for two more once it is full: an element carries only
// a few wanted attributes, so a small step wastes less than doubling.
void MakeRoom(XmlPairs& pairs) {
    if (pairs.size() == pairs.capacity())
        pairs.reserve(pairs.capacity() + 2);
}

// The wanted attributes of one element, in the element's order.
XmlPairs ReadAttributes(xmlparser::IElement& element, const std::vector<std::string>& wanted) {
    XmlPairs pairs;
    pairs.reserve(4);
    std::int32_t apos = element.Begin();
    const std::int32_t count = element.Count();
    for (std::int32_t i = 0; i < count; ++i) {
        ref<xmlparser::IAttribute> attribute(element.Next(&apos));
        if (!attribute)
            vcom::Fail(vcom::Failure);
        ParserMemHolder name(attribute->GetName());
        ParserMemHolder value(attribute->GetValue());
        if (!name || !value)
            vcom::Fail(vcom::OutOfMemory);
        const std::string_view nameText(name.text());
        if (std::find(wanted.begin(), wanted.end(), nameText) != wanted.end()) {
            MakeRoom(pairs);
            pairs.emplace_back(nameText, value.text());
        }
    }
    return pairs;
}

} // namespace

std::int32_t ParseXmlResponse(const std::string& document, std::int32_t length,
                              const std::vector<std::string>& wanted, std::vector<XmlPairs>& elements,
                              bool readChildren) {
    elements.clear();

    ref<xmlparser::IParserFactory> factory(XMLParserLib_GetComponentFactory());
    if (!factory)
        vcom::Fail(vcom::Failure);
    std::int32_t err = vcom::Success;
    ref<xmlparser::IParser> parser(static_cast<xmlparser::IParser*>(factory->Create(xmlparser::IParser::Id, &err)));
    if (!parser)
        vcom::Fail(err);
    ref<xmlparser::INode> root(parser->Parse(document.c_str(), length));
    if (!root) {
        tarnClientLib::TraceFailed("unreadable reply: the XML document of %d bytes is not well-formed", length);
        vcom::Fail(vcom::Failure);
    }

    std::int32_t count = 1;
    ref<xmlparser::INodeList> children;
    std::int32_t pos = 0;
    if (readChildren) {
        children.reset(root->GetChildren(&err));
        if (!children) {
            if (err > 0)
                return 0;
            vcom::Fail(err);
        }
        pos = children->Begin();
        count = children->Count();
    }

    // Room for every element at once: the count is known, and growing a list
    // of 100,000 servers by a fixed step would copy it over and over.
    elements.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (std::int32_t i = 0; i < count; ++i) {
        ref<xmlparser::IElement> element;
        if (readChildren) {
            ref<xmlparser::INode> child(children->Next(&pos));
            if (!child)
                vcom::Fail(vcom::Failure);
            element.reset(child->GetElement(&err));
        } else {
            element.reset(root->GetElement(&err));
        }
        if (!element)
            vcom::Fail(vcom::Failure);

        XmlPairs pairs = ReadAttributes(*element, wanted);
        if (pairs.size() != wanted.size()) {
            tarnClientLib::TraceFailed("unreadable reply: element %d has %zu of the %zu attributes wanted", i + 1,
                                       pairs.size(), wanted.size());
            elements.clear();
            vcom::Fail(vcom::BadData);
        }
        elements.push_back(std::move(pairs));
    }
    return count;
}

} // namespace Utility
