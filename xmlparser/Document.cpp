#include "xmlparser/Document.h"

namespace xmlparser {

std::int32_t Document::FindAttribute(std::int32_t element, std::string_view name) const {
    const Element& e = ElementAt(element);
    for (std::int32_t i = e.firstAttribute; i < e.firstAttribute + e.attributeCount; ++i)
        if (Text(AttributeAt(i).name) == name)
            return i;
    return -1;
}

} // namespace xmlparser
