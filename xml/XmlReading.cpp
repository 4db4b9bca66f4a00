#include "xml/XmlReading.h"

#include "messages/Trace.h"
#include "platform/XmlParserLibrary.h"
#include "vcom/Codes.h"

namespace Utility {

using vcom::ref;

ref<xmlparser::IParser> NewXmlParser() {
    using GetFactory = decltype(&XMLParserLib_GetComponentFactory);
    const auto getFactory =
        reinterpret_cast<GetFactory>(platform::XmlParserFunction("XMLParserLib_GetComponentFactory"));
    if (!getFactory) {
        tarnClientLib::TraceFailed(tarnclient::CallNotReached,
                                   "the XML parser library cannot be loaded from this library's folder");
        vcom::Fail(vcom::Failure);
    }
    const ref<xmlparser::IParserFactory> factory(getFactory());
    if (!factory)
        vcom::Fail(vcom::Failure);
    std::int32_t err = vcom::Success;
    ref<xmlparser::IParser> parser(static_cast<xmlparser::IParser*>(factory->Create(xmlparser::IParser::Id, &err)));
    if (!parser)
        vcom::Fail(err);
    return parser;
}

XmlReading::XmlReading(xmlparser::IParser& parser, const char* document, std::int32_t length) {
    m_root.reset(parser.Parse(document, length));
    if (!m_root) {
        tarnClientLib::TraceFailed(tarnclient::CallUnreadableReply, "unreadable reply: the XML document of %d bytes is not well-formed", length);
        vcom::Fail(vcom::Failure);
    }
    m_texts = vcom::Query<xmlparser::INodeTexts>(m_root.get(), nullptr);
    if (!m_texts)
        vcom::Fail(vcom::Failure);
    m_count = m_root->GetChildCount();
}

void XmlReading::TraceIncomplete(std::size_t found, std::size_t wanted) const {
    tarnClientLib::TraceFailed(tarnclient::CallUnreadableReply, "unreadable reply: element %d has %zu of the %zu attributes wanted", m_read, found,
                               wanted);
}

std::size_t XmlReading::NextValues(const char* const* names, const char** values, std::size_t count) {
    const std::int32_t element = m_read++;
    if (element >= m_count)
        vcom::Fail(vcom::Failure);
    std::size_t found = 0;
    for (std::size_t i = 0; i < count; ++i) {
        values[i] = m_texts->GetChildAttributeText(element, names[i]);
        found += values[i] != nullptr;
    }
    return found;
}

} // namespace Utility
