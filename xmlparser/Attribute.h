// One attribute of a parsed element.
#ifndef XMLPARSER_ATTRIBUTE_H
#define XMLPARSER_ATTRIBUTE_H

#include <memory>

#include <xmlparser/XMLParser.h>

#include "vcom/Component.h"
#include "xmlparser/Document.h"

namespace xmlparser {

class Attribute : public vcom::Component<Attribute, vcom::Iface<IAttribute>> {
public:
    Attribute(std::shared_ptr<const Document> document, std::int32_t index);

    // Attribute index of the document, with one reference; throws a code on failure.
    static IAttribute* New(std::shared_ptr<const Document> document, std::int32_t index);

    char* GetName() override;
    char* GetValue() override;

private:
    const std::shared_ptr<const Document> m_document;
    const std::int32_t m_index;
};

} // namespace xmlparser

#endif
