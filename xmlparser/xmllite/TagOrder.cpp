#include "xmlparser/xmllite/TagOrder.h"

#include "vcom/Codes.h"

namespace xmlparser {

void TagOrder::Next(IXmlReader& reader) {
    UINT line = 0;
    UINT column = 0;
    if (FAILED(reader.GetLineNumber(&line)) || FAILED(reader.GetLinePosition(&column)))
        vcom::Fail(vcom::Failure);
    if (line < m_line || (line == m_line && column <= m_column))
        vcom::Fail(vcom::Failure);
    m_line = line;
    m_column = column;
}

} // namespace xmlparser
