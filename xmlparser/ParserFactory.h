// The factory a caller gets from XMLParserLib_GetComponentFactory. It holds
// nothing, so each call gets a new one and no state is shared.
#ifndef XMLPARSER_PARSERFACTORY_H
#define XMLPARSER_PARSERFACTORY_H

#include <xmlparser/XMLParser.h>

#include "vcom/Component.h"

namespace xmlparser {

class ParserFactory : public vcom::Component<ParserFactory, vcom::Iface<IParserFactory>> {
public:
    // A new factory with one reference; throws a code on failure.
    static IParserFactory* New();

    vcom::IComponent* Create(std::int32_t id, std::int32_t* err) override;
};

} // namespace xmlparser

#endif
