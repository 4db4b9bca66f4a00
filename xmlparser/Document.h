// The parsed tree, immutable once built and compact, so that a list of
// 100,000 servers costs few allocations and little memory: elements in
// document order (the root first), attributes in one array in document
// order, each element's children as one run of a shared index array, and
// every name and value in one text arena, NUL-terminated. A short document
// is four allocations, whatever its shape.
#ifndef XMLPARSER_DOCUMENT_H
#define XMLPARSER_DOCUMENT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xmlparser {

class Document {
public:
    // Where a name or value starts in the text arena. Each is stored with
    // a NUL after it, and no document the parsers accept holds a NUL, so an
    // offset is all a text needs: attributes stay at 8 bytes each.
    using TextOffset = std::uint32_t;

    struct Attribute {
        TextOffset name;
        TextOffset value;
    };

    struct Element {
        TextOffset name;
        std::int32_t parent;        // -1 for the root
        std::int32_t indexInParent; // position among the parent's children
        std::int32_t firstAttribute; // its attributes run up to the next element's first
        std::int32_t firstChild;    // into the child index array
        std::int32_t childCount;
        // The child index has an entry per element but the root, so it rides
        // along in the element array: this is entry (own index - 1).
        std::int32_t childIndexEntry;
    };

    static constexpr std::int32_t Root = 0;

    const Element& ElementAt(std::int32_t index) const { return m_elements[static_cast<std::size_t>(index)]; }
    const Attribute& AttributeAt(std::int32_t index) const {
        return m_attributes[static_cast<std::size_t>(index)];
    }
    // The element index of child i (from 0, below childCount) of element.
    std::int32_t ChildAt(std::int32_t element, std::int32_t i) const {
        return m_elements[static_cast<std::size_t>(ElementAt(element).firstChild + i) + 1].childIndexEntry;
    }
    // A name or value; each ends in a NUL, so it is also a C string.
    const char* CText(TextOffset at) const { return m_arena.data() + at; }
    std::string_view Text(TextOffset at) const { return std::string_view(CText(at)); }

    std::int32_t AttributeCount(std::int32_t element) const {
        const auto next = static_cast<std::size_t>(element) + 1;
        const std::size_t end = next < m_elements.size() ? static_cast<std::size_t>(m_elements[next].firstAttribute)
                                                         : m_attributes.size();
        return static_cast<std::int32_t>(end) - ElementAt(element).firstAttribute;
    }
    // 0 for the root, 1 for its children, and so on.
    std::int32_t Depth(std::int32_t element) const;

    // The index of the first attribute of element with exactly this name, or -1.
    std::int32_t FindAttribute(std::int32_t element, const char* name) const;

private:
    friend class DocumentBuilder;

    std::vector<Element> m_elements;
    std::vector<Attribute> m_attributes;
    std::string m_arena;
};

} // namespace xmlparser

#endif
