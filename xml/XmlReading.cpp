#include "xml/XmlReading.h"

#include <algorithm>
#include <string_view>

#include "messages/Trace.h"
#include "vcom/Codes.h"
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

} // namespace

ref<xmlparser::IParser> NewXmlParser() {
    const ref<xmlparser::IParserFactory> factory(XMLParserLib_GetComponentFactory());
    if (!factory)
        vcom::Fail(vcom::Failure);
    std::int32_t err = vcom::Success;
    ref<xmlparser::IParser> parser(static_cast<xmlparser::IParser*>(factory->Create(xmlparser::IParser::Id, &err)));
    if (!parser)
        vcom::Fail(err);
    return parser;
}

XmlReading::XmlReading(const char* document, std::int32_t length, bool readChildren)
    : XmlReading(*NewXmlParser(), document, length, readChildren) {}

XmlReading::XmlReading(xmlparser::IParser& parser, const char* document, std::int32_t length, bool readChildren)
    : m_readChildren(readChildren) {
    m_root.reset(parser.Parse(document, length));
    if (!m_root) {
        tarnClientLib::TraceFailed("unreadable reply: the XML document of %d bytes is not well-formed", length);
        vcom::Fail(vcom::Failure);
    }
    m_texts = vcom::Query<xmlparser::INodeTexts>(m_root.get(), nullptr);
    if (!m_texts)
        vcom::Fail(vcom::Failure);
    if (readChildren)
        m_count = m_root->GetChildCount();
}

void XmlReading::TraceIncomplete(std::size_t found, std::size_t wanted) const {
    tarnClientLib::TraceFailed("unreadable reply: element %d has %zu of the %zu attributes wanted", m_read, found,
                               wanted);
}

ref<xmlparser::INode> XmlReading::NextNode() {
    ++m_read;
    if (!m_readChildren)
        return m_root;
    // Children one by one: a list of them would be one more object to make.
    std::int32_t err = vcom::Success;
    ref<xmlparser::INode> child(m_root->GetChild(m_read - 1, &err));
    if (!child)
        vcom::Fail(vcom::Failure);
    return child;
}

std::size_t XmlReading::NextValues(const char* const* names, const char** values, std::size_t count) {
    const std::int32_t element = m_read++;
    if (element >= m_count)
        vcom::Fail(vcom::Failure);
    std::size_t found = 0;
    for (std::size_t i = 0; i < count; ++i) {
        values[i] = m_readChildren ? m_texts->GetChildAttributeText(element, names[i])
                                   : m_texts->GetAttributeText(names[i]);
        found += values[i] != nullptr;
    }
    return found;
}

void XmlReading::Next(const std::vector<std::string>& wanted, XmlPairs& pairs) {
    std::int32_t err = vcom::Success;
    ref<xmlparser::IElement> element(NextNode()->GetElement(&err));
    if (!element)
        vcom::Fail(vcom::Failure);

    if (pairs.capacity() < 4)
        pairs.reserve(4);
    std::size_t used = 0;
    std::int32_t apos = element->Begin();
    const std::int32_t count = element->Count();
    for (std::int32_t i = 0; i < count; ++i) {
        ref<xmlparser::IAttribute> attribute(element->Next(&apos));
        if (!attribute)
            vcom::Fail(vcom::Failure);
        ParserMemHolder name(attribute->GetName());
        ParserMemHolder value(attribute->GetValue());
        if (!name || !value)
            vcom::Fail(vcom::OutOfMemory);
        const std::string_view nameText(name.text());
        if (std::find(wanted.begin(), wanted.end(), nameText) == wanted.end())
            continue;
        if (used < pairs.size()) {
            pairs[used].first.assign(nameText);
            pairs[used].second.assign(value.text());
        } else {
            MakeRoom(pairs);
            pairs.emplace_back(nameText, value.text());
        }
        ++used;
    }
    pairs.resize(used);
}

} // namespace Utility
