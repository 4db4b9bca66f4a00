#include "xmlparser/NodeList.h"

#include <utility>

#include "vcom/Boundary.h"
#include "xmlparser/Node.h"

namespace xmlparser {

NodeList::NodeList(std::shared_ptr<const Document> document, std::int32_t parent)
    : m_document(std::move(document)), m_parent(parent) {}

INodeList* NodeList::New(std::shared_ptr<const Document> document, std::int32_t parent, std::int32_t* err) {
    return static_cast<INodeList*>(vcom::Create<NodeList>(INodeList::Id, err, std::move(document), parent));
}

std::int32_t NodeList::ItemCount() const { return m_document->ElementAt(m_parent).childCount; }

INode* NodeList::ItemAt(std::int32_t index) {
    return vcom::CatchNull([&] { return Node::New(m_document, m_document->ChildAt(m_parent, index), nullptr); });
}

} // namespace xmlparser
