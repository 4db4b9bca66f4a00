// An element of a parsed tree: INode for the tree around it, IElement for its
// attributes, INodeTexts for its and its children's attribute values in
// place. Many nodes may stand for the same element; each keeps the whole
// tree alive.
#ifndef XMLPARSER_NODE_H
#define XMLPARSER_NODE_H

#include <memory>

#include <xmlparser/XMLParser.h>

#include "vcom/Component.h"
#include "xmlparser/Document.h"
#include "xmlparser/Sequence.h"

namespace xmlparser {

class Node : public vcom::Component<Node, vcom::Iface<INode>, vcom::Iface<Sequence<IElement, Node, IAttribute>>,
                                    vcom::Iface<INodeTexts>> {
public:
    Node(std::shared_ptr<const Document> document, std::int32_t index);

    // A new node for element index, with one reference; throws a code on failure.
    static INode* New(std::shared_ptr<const Document> document, std::int32_t index, std::int32_t* err);

    char* GetName() override;
    INode* GetParent(std::int32_t* err) override;
    INode* GetNextSibling(std::int32_t* err) override;
    std::int32_t GetChildCount() override;
    std::int32_t GetAttributeCount() override;
    char* GetAttributeValue(const char* name) override;
    bool HasAttribute(const char* name) override;
    std::int32_t GetDepth() override;
    INodeList* GetChildren(std::int32_t* err) override;
    INode* GetChild(std::int32_t index, std::int32_t* err) override;
    IElement* GetElement(std::int32_t* err) override;

    const char* GetAttributeText(const char* name) override;
    const char* GetChildAttributeText(std::int32_t index, const char* name) override;

    // The attribute sequence.
    std::int32_t ItemCount() const { return m_document->AttributeCount(m_index); }
    IAttribute* ItemAt(std::int32_t index);

private:
    const Document::Element& Element() const { return m_document->ElementAt(m_index); }
    // The value of element's first attribute named name, in the arena; null if none.
    const char* AttributeText(std::int32_t element, const char* name) const;

    const std::shared_ptr<const Document> m_document;
    const std::int32_t m_index;
};

} // namespace xmlparser

#endif
