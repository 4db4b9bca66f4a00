// The system's XmlLite reader. MinGW has no import library for xmllite.dll,
// so its one entry point is looked up at run time.
#ifndef XMLPARSER_XMLLITE_XMLLITELIBRARY_H
#define XMLPARSER_XMLLITE_XMLLITELIBRARY_H

#include <windows.h>

#include <objidl.h>
#include <xmllite.h>

#include "vcom/Ref.h"

namespace xmlparser {

// A new XmlLite reader; throws a code when xmllite.dll or the reader is not there.
vcom::ref<IXmlReader> CreateXmlLiteReader();

} // namespace xmlparser

#endif
