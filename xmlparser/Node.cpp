#include "xmlparser/Node.h"

#include <utility>

#include "vcom/Boundary.h"
#include "xmlparser/Attribute.h"
#include "xmlparser/NodeList.h"
#include "xmlparser/TextCopy.h"

namespace xmlparser {

namespace {

// The answer for a node that does not exist: null, and NoNode for the caller.
INode* Absent(std::int32_t* err) {
    if (err)
        *err = NoNode;
    return nullptr;
}

} // namespace

Node::Node(std::shared_ptr<const Document> document, std::int32_t index)
    : m_document(std::move(document)), m_index(index) {}

INode* Node::New(std::shared_ptr<const Document> document, std::int32_t index, std::int32_t* err) {
    return static_cast<INode*>(vcom::Create<Node>(INode::Id, err, std::move(document), index));
}

char* Node::GetName() { return CopyText(m_document->Text(Element().name)); }

INode* Node::GetParent(std::int32_t* err) {
    return vcom::CatchPointer(err, [&]() -> INode* {
        const std::int32_t parent = Element().parent;
        return parent < 0 ? Absent(err) : New(m_document, parent, err);
    });
}

INode* Node::GetNextSibling(std::int32_t* err) {
    return vcom::CatchPointer(err, [&]() -> INode* {
        const Document::Element& self = Element();
        if (self.parent < 0)
            return Absent(err);
        const std::int32_t next = self.indexInParent + 1;
        return next < m_document->ElementAt(self.parent).childCount ? New(m_document, m_document->ChildAt(self.parent, next), err)
                                                                    : Absent(err);
    });
}

std::int32_t Node::GetChildCount() { return Element().childCount; }

std::int32_t Node::GetAttributeCount() { return m_document->AttributeCount(m_index); }

const char* Node::AttributeText(std::int32_t element, const char* name) const {
    if (!name)
        return nullptr;
    const std::int32_t found = m_document->FindAttribute(element, name);
    return found < 0 ? nullptr : m_document->CText(m_document->AttributeAt(found).value);
}

char* Node::GetAttributeValue(const char* name) {
    const char* text = AttributeText(m_index, name);
    return text ? CopyText(text) : nullptr;
}

const char* Node::GetAttributeText(const char* name) { return AttributeText(m_index, name); }

const char* Node::GetChildAttributeText(std::int32_t index, const char* name) {
    if (index < 0 || index >= Element().childCount)
        return nullptr;
    return AttributeText(m_document->ChildAt(m_index, index), name);
}

bool Node::HasAttribute(const char* name) { return name && m_document->FindAttribute(m_index, name) >= 0; }

std::int32_t Node::GetDepth() { return m_document->Depth(m_index); }

INodeList* Node::GetChildren(std::int32_t* err) {
    return vcom::CatchPointer(err, [&]() -> INodeList* {
        if (Element().childCount == 0) {
            Absent(err);
            return nullptr;
        }
        return NodeList::New(m_document, m_index, err);
    });
}

INode* Node::GetChild(std::int32_t index, std::int32_t* err) {
    return vcom::CatchPointer(err, [&]() -> INode* {
        if (index < 0 || index >= Element().childCount)
            vcom::Fail(vcom::InvalidArgument);
        return New(m_document, m_document->ChildAt(m_index, index), err);
    });
}

IElement* Node::GetElement(std::int32_t* err) { return static_cast<IElement*>(QueryInterface(IElement::Id, err)); }

IAttribute* Node::ItemAt(std::int32_t index) {
    return vcom::CatchNull([&] { return Attribute::New(m_document, Element().firstAttribute + index); });
}

} // namespace xmlparser
