// One reading of an XML reply document, element by element: the parse
// happens up front, so the caller may drop the text before walking the
// elements, and no list of every element's pairs is ever built.
#ifndef TARN_XML_XMLREADING_H
#define TARN_XML_XMLREADING_H

#include <cstddef>
#include <cstdint>

#include <xmlparser/XMLParser.h>

#include "vcom/Ref.h"

namespace Utility {

// A parser of the XML library. A parser keeps nothing between documents, so
// one may serve many readings, on any thread. Throws -1 when the library
// fails, or its code when no parser can be created.
vcom::ref<xmlparser::IParser> NewXmlParser();

class XmlReading {
public:
    // Parses document with parser (length is handed to it unchanged); the
    // text is not used afterwards. The elements read are the children of the
    // root. Throws -1 when the document does not parse.
    XmlReading(xmlparser::IParser& parser, const char* document, std::int32_t length);

    // The number of elements to read: the root's child count (0 when it has
    // none).
    std::int32_t Count() const { return m_count; }

    // The values of the attributes names[0..count) of the next element into
    // values[i] (null when its attribute is missing), lent by the tree until
    // the reading goes. Returns how many of the names the element has. Asks
    // for each value by name, so the element's other attributes cost
    // nothing. Throws -1 when an element is missing. Call at most Count()
    // times.
    std::size_t NextValues(const char* const* names, const char** values, std::size_t count);

    // Traces that the element read last (counting from 1) lacks wanted
    // attributes, for a caller about to fail with -2.
    void TraceIncomplete(std::size_t found, std::size_t wanted) const;

private:
    vcom::ref<xmlparser::INode> m_root;
    vcom::ref<xmlparser::INodeTexts> m_texts; // the root's
    std::int32_t m_count = 0;
    std::int32_t m_read = 0;
};

} // namespace Utility

#endif
