// Texts from the XML parser library, freed with its own allocator.
#ifndef TARN_XML_PARSERMEMHOLDER_H
#define TARN_XML_PARSERMEMHOLDER_H

#include <xmlparser/XMLParser.h>

#include "vcom/MemHolder.h"

namespace vcom {

using ParserMemHolder = vcom::MemHolderOf<XMLParserLib_MemFree>;

} // namespace vcom

#endif
