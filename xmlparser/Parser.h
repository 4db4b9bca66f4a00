// Parses one document per call into a new tree and hands out its root.
#ifndef XMLPARSER_PARSER_H
#define XMLPARSER_PARSER_H

#include <xmlparser/XMLParser.h>

#include "vcom/Component.h"

namespace xmlparser {

class Parser : public vcom::Component<Parser, vcom::Iface<IParser>> {
public:
    INode* Parse(const char* text, std::int32_t length) override;
};

} // namespace xmlparser

#endif
