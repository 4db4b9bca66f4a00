// The attribute names of one element, so that a repeated one is refused:
// XML forbids it, but Wine's XmlLite lets it through.
#ifndef XMLPARSER_XMLLITE_DISTINCTNAMES_H
#define XMLPARSER_XMLLITE_DISTINCTNAMES_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace xmlparser {

class DistinctNames {
public:
    // Starts the next element; the strings keep their room for it.
    void Clear() { m_count = 0; }
    void Add(std::string_view name);
    // Throws Failure when a name was added twice since Clear.
    void Check();

private:
    std::vector<std::string> m_names;
    std::size_t m_count = 0;
};

} // namespace xmlparser

#endif
