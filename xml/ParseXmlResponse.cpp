#include "xml/XmlResponse.h"

#include <algorithm>
#include <utility>

#include "vcom/Codes.h"
#include "xml/XmlReading.h"

namespace Utility {

std::int32_t ParseXmlResponse(const std::string& document, std::int32_t length,
                              const std::vector<std::string>& wanted, std::vector<XmlPairs>& elements,
                              bool readChildren) {
    elements.clear();
    XmlReading reading(document.c_str(), length, readChildren);
    const std::int32_t count = reading.Count();
    // Room for every element at once: the count is known, and growing a list
    // of 100,000 servers by a fixed step would copy it over and over.
    elements.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (std::int32_t i = 0; i < count; ++i) {
        XmlPairs pairs;
        reading.Next(wanted, pairs);
        if (pairs.size() != wanted.size()) {
            reading.TraceIncomplete(pairs.size(), wanted.size());
            elements.clear();
            vcom::Fail(vcom::BadData);
        }
        elements.push_back(std::move(pairs));
    }
    return count;
}

} // namespace Utility
