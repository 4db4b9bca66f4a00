// The child elements of one element, as a sequence.
#ifndef XMLPARSER_NODELIST_H
#define XMLPARSER_NODELIST_H

#include <memory>

#include <xmlparser/XMLParser.h>

#include "vcom/Component.h"
#include "xmlparser/Document.h"
#include "xmlparser/Sequence.h"

namespace xmlparser {

class NodeList : public vcom::Component<NodeList, vcom::Iface<Sequence<INodeList, NodeList, INode>>> {
public:
    NodeList(std::shared_ptr<const Document> document, std::int32_t parent);

    // The children of element parent, with one reference; throws a code on failure.
    static INodeList* New(std::shared_ptr<const Document> document, std::int32_t parent, std::int32_t* err);

    std::int32_t ItemCount() const;
    INode* ItemAt(std::int32_t index);

private:
    const std::shared_ptr<const Document> m_document;
    const std::int32_t m_parent;
};

} // namespace xmlparser

#endif
