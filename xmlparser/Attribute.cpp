#include "xmlparser/Attribute.h"

#include <utility>

#include "xmlparser/TextCopy.h"

namespace xmlparser {

Attribute::Attribute(std::shared_ptr<const Document> document, std::int32_t index)
    : m_document(std::move(document)), m_index(index) {}

IAttribute* Attribute::New(std::shared_ptr<const Document> document, std::int32_t index) {
    return static_cast<IAttribute*>(vcom::Create<Attribute>(IAttribute::Id, nullptr, std::move(document), index));
}

char* Attribute::GetName() { return CopyText(m_document->Text(m_document->AttributeAt(m_index).name)); }

char* Attribute::GetValue() { return CopyText(m_document->Text(m_document->AttributeAt(m_index).value)); }

} // namespace xmlparser
