// Parses a document through the parser library's public header and keeps
// the root; texts come back as std::string, freed with the library's own free.
#ifndef TARN_TESTS_XMLPARSER_PARSEDDOCUMENT_H
#define TARN_TESTS_XMLPARSER_PARSEDDOCUMENT_H

#include <cstdint>
#include <string>

#include <xmlparser/XMLParser.h>

#include "vcom/Ref.h"

namespace xmltest {

using vcom::ref;
using xmlparser::IAttribute;
using xmlparser::IElement;
using xmlparser::INode;
using xmlparser::INodeList;

// Takes a text the library returned; "(null)" stands for a null one.
inline std::string Take(char* text) {
    if (!text)
        return "(null)";
    std::string copy(text);
    XMLParserLib_MemFree(text);
    return copy;
}

// The root of text parsed with length (the whole text by default), or empty.
inline ref<INode> Parse(const std::string& text, std::int32_t length = -1) {
    ref<xmlparser::IParserFactory> factory(XMLParserLib_GetComponentFactory());
    std::int32_t err = 0;
    ref<xmlparser::IParser> parser(static_cast<xmlparser::IParser*>(factory->Create(xmlparser::IParser::Id, &err)));
    return ref<INode>(parser->Parse(text.c_str(), length));
}

inline std::string NameOf(INode& node) { return Take(node.GetName()); }

} // namespace xmltest

#endif
