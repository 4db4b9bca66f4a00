#include "xmlparser/Document.h"

#include <cstring>

namespace xmlparser {

std::int32_t Document::FindAttribute(std::int32_t element, const char* name) const {
    const Element& e = ElementAt(element);
    const std::int32_t end = e.firstAttribute + AttributeCount(element);
    for (std::int32_t i = e.firstAttribute; i < end; ++i)
        if (std::strcmp(CText(AttributeAt(i).name), name) == 0)
            return i;
    return -1;
}

std::int32_t Document::Depth(std::int32_t element) const {
    std::int32_t depth = 0;
    for (std::int32_t e = ElementAt(element).parent; e >= 0; e = ElementAt(e).parent)
        ++depth;
    return depth;
}

} // namespace xmlparser
