// The library's two exported functions.
#include <xmlparser/XMLParser.h>

#include "platform/Export.h"
#include "vcom/Boundary.h"
#include "vcom/ProcessWide.h"
#include "xmlparser/ParserFactory.h"
#include "xmlparser/TextCopy.h"

extern "C" {

TARN_EXPORT xmlparser::IParserFactory* XMLParserLib_GetComponentFactory() {
    vcom::FreeProcessWideAtUnload();
    return vcom::CatchNull([] { return xmlparser::ParserFactory::New(); });
}

TARN_EXPORT void XMLParserLib_MemFree(void* p) { xmlparser::FreeText(p); }

} // extern "C"
