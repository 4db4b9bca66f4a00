#include "xmlparser/ParserFactory.h"

#include "vcom/Boundary.h"
#include "xmlparser/Parser.h"

namespace xmlparser {

IParserFactory* ParserFactory::New() {
    return static_cast<IParserFactory*>(vcom::Create<ParserFactory>(IParserFactory::Id, nullptr));
}

vcom::IComponent* ParserFactory::Create(std::int32_t id, std::int32_t* err) {
    return vcom::CatchPointer(err, [&] { return vcom::Create<Parser>(id, err); });
}

} // namespace xmlparser
