#include "xmlparser/DocumentBuilder.h"

#include <cstring>
#include <limits>

#include "vcom/Codes.h"

namespace xmlparser {

namespace {

// How often c occurs in text; memchr skips the stretches between at the
// speed of the library's string routines.
std::size_t Occurrences(std::string_view text, char c) {
    std::size_t count = 0;
    const char* at = text.data();
    const char* const end = at + text.size();
    while (at < end) {
        const void* found = std::memchr(at, c, static_cast<std::size_t>(end - at));
        if (!found)
            break;
        ++count;
        at = static_cast<const char*>(found) + 1;
    }
    return count;
}

constexpr std::size_t MaxIndex = static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max());
constexpr std::size_t MaxArena = std::numeric_limits<std::uint32_t>::max();
} // namespace

DocumentBuilder::DocumentBuilder(std::string_view text) : m_document(std::make_shared<Document>()) {
    // Every element starts with a '<' and every attribute has its '=', so
    // these counts bound the tree: it never grows by copying, which would
    // hold two copies of its largest arrays at once. Names and values are no
    // longer than the text that spells them, quotes included, which leaves
    // room for their NULs (bar non-ASCII text in a single-byte encoding),
    // and room never touched costs no memory pages.
    m_document->m_arena.reserve(text.size());
    m_document->m_elements.reserve(Occurrences(text, '<'));
    m_document->m_attributes.reserve(Occurrences(text, '='));
}

Document::TextOffset DocumentBuilder::StoreName(std::string_view name) {
    const std::string& arena = m_document->m_arena;
    for (std::size_t i = 0; i < m_nameCount; ++i)
        if (std::string_view(arena.data() + m_names[i].at, m_names[i].length) == name)
            return m_names[i].at;
    const Document::TextOffset stored = Store(name);
    if (m_nameCount < m_names.size())
        m_names[m_nameCount++] = {stored, name.size()};
    return stored;
}

Document::TextOffset DocumentBuilder::Store(std::string_view text) {
    std::string& arena = m_document->m_arena;
    if (text.size() >= MaxArena - arena.size())
        vcom::Fail(vcom::OutOfMemory);
    const auto at = static_cast<Document::TextOffset>(arena.size());
    arena.append(text);
    arena.push_back('\0');
    return at;
}

void DocumentBuilder::StartElement(std::string_view name) {
    if (!m_document)
        vcom::Fail(vcom::Failure);
    std::vector<Document::Element>& elements = m_document->m_elements;
    const bool root = elements.empty();
    if ((!root && m_open < 0) || elements.size() >= MaxIndex)
        vcom::Fail(vcom::Failure);

    const std::int32_t parent = m_open;
    std::int32_t indexInParent = 0;
    if (!root)
        indexInParent = elements[static_cast<std::size_t>(parent)].childCount++;
    elements.push_back(
        {StoreName(name), parent, indexInParent, static_cast<std::int32_t>(m_document->m_attributes.size()), 0, 0, 0});
    m_open = static_cast<std::int32_t>(elements.size() - 1);
}

void DocumentBuilder::AddAttribute(std::string_view name, std::string_view value) {
    if (!m_document || m_open < 0)
        vcom::Fail(vcom::Failure);
    std::vector<Document::Element>& elements = m_document->m_elements;
    std::vector<Document::Attribute>& attributes = m_document->m_attributes;
    if (static_cast<std::size_t>(m_open) != elements.size() - 1 || attributes.size() >= MaxIndex)
        vcom::Fail(vcom::Failure);
    const Document::TextOffset storedName = StoreName(name);
    attributes.push_back({storedName, Store(value)});
}

void DocumentBuilder::EndElement() {
    if (!m_document || m_open < 0)
        vcom::Fail(vcom::Failure);
    m_open = m_document->m_elements[static_cast<std::size_t>(m_open)].parent;
}

// Lays the children of every element out as one run of the index array, in
// document order: run starts from the child counts, then each element goes
// to its place in its parent's run.
void DocumentBuilder::IndexChildren() {
    std::vector<Document::Element>& elements = m_document->m_elements;
    std::int32_t next = 0;
    for (Document::Element& element : elements) {
        element.firstChild = next;
        next += element.childCount;
    }
    for (std::size_t i = 1; i < elements.size(); ++i) {
        const Document::Element& element = elements[i];
        const Document::Element& parent = elements[static_cast<std::size_t>(element.parent)];
        elements[static_cast<std::size_t>(parent.firstChild + element.indexInParent) + 1].childIndexEntry =
            static_cast<std::int32_t>(i);
    }
}

std::shared_ptr<const Document> DocumentBuilder::Finish() {
    if (!m_document || m_document->m_elements.empty() || m_open >= 0)
        vcom::Fail(vcom::Failure);
    IndexChildren();
    return std::move(m_document);
}

} // namespace xmlparser
