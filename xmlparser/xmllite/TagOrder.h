// Catches a reader that makes tags up. Wine's XmlLite, when the text ends
// inside an element, either hands out the last start tag again and again or
// closes the open elements with end tags that are not there, placed where
// their start tags are. A real tag always lies after the tag before it.
// Only tags are placed: Wine places text and comments where they end.
#ifndef XMLPARSER_XMLLITE_TAGORDER_H
#define XMLPARSER_XMLLITE_TAGORDER_H

#include <windows.h>

#include <objidl.h>
#include <xmllite.h>

namespace xmlparser {

class TagOrder {
public:
    // The start or end tag just read; throws Failure unless it lies after
    // the tag before it.
    void Next(IXmlReader& reader);

private:
    UINT m_line = 0;
    UINT m_column = 0;
};

} // namespace xmlparser

#endif
