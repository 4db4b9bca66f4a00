// Reads an XML reply document into the attributes its caller asks for.
#ifndef TARN_XML_XMLRESPONSE_H
#define TARN_XML_XMLRESPONSE_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace Utility {

// (attribute name, value) pairs of one element, in the element's order.
using XmlPairs = std::vector<std::pair<std::string, std::string>>;

// Parses document (length is handed to the parser unchanged) and reads, for
// every child of its root (readChildren) or for the root alone, the
// attributes named in wanted (byte for byte). Clears elements, then appends
// one XmlPairs per element read, in document order.
//
// Returns the number of elements read: the root's child count, 0 for a root
// without children, or 1 for the root alone. Throws a vcom code: -1 when the
// document does not parse or the parser library fails, -4 when a text cannot
// be had, -2 (elements cleared) when an element lacks a wanted attribute.
std::int32_t ParseXmlResponse(const std::string& document, std::int32_t length,
                              const std::vector<std::string>& wanted, std::vector<XmlPairs>& elements,
                              bool readChildren);

} // namespace Utility

#endif
