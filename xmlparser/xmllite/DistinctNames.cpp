#include "xmlparser/xmllite/DistinctNames.h"

#include <algorithm>

#include "vcom/Codes.h"

namespace xmlparser {

void DistinctNames::Add(std::string_view name) {
    if (m_count == m_names.size())
        m_names.emplace_back();
    m_names[m_count++].assign(name);
}

void DistinctNames::Check() {
    const auto end = m_names.begin() + static_cast<std::ptrdiff_t>(m_count);
    std::sort(m_names.begin(), end);
    if (std::adjacent_find(m_names.begin(), end) != end)
        vcom::Fail(vcom::Failure);
}

} // namespace xmlparser
