// The one seam to the XML parser underneath: expat on POSIX, XmlLite on
// Windows (the build picks the source that defines it).
#ifndef XMLPARSER_READDOCUMENT_H
#define XMLPARSER_READDOCUMENT_H

#include <cstddef>
#include <memory>

#include "xmlparser/Document.h"

namespace xmlparser {

// Parses length bytes of text into a tree. Refuses a document with a
// DOCTYPE. Throws a code when the text is not a well-formed document or
// memory runs out.
std::shared_ptr<const Document> ReadDocument(const char* text, std::size_t length);

} // namespace xmlparser

#endif
