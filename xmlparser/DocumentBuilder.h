// Turns the events of an XML parser into a Document. The parser guarantees
// well-formedness; the builder still refuses what a tree cannot hold (a
// second root, an end without a start, an unfinished document).
#ifndef XMLPARSER_DOCUMENTBUILDER_H
#define XMLPARSER_DOCUMENTBUILDER_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "xmlparser/Document.h"

namespace xmlparser {

class DocumentBuilder {
public:
    // text: the document, to size the tree up front (it is not kept).
    explicit DocumentBuilder(std::string_view text);

    void StartElement(std::string_view name);
    // An attribute of the element started last; call before its children.
    void AddAttribute(std::string_view name, std::string_view value);
    void EndElement();

    // The finished tree; the builder is empty afterwards. Throws a code when
    // the events did not make one complete tree.
    std::shared_ptr<const Document> Finish();

private:
    Document::TextOffset Store(std::string_view text);
    // Tag and attribute names repeat from element to element: each distinct
    // one of the first few is stored once.
    Document::TextOffset StoreName(std::string_view name);
    void IndexChildren();

    // The tree and its control block in one allocation.
    std::shared_ptr<Document> m_document;
    // The element started last and not yet ended; its parents are the other
    // open ones. -1 before the root and after it ended.
    std::int32_t m_open = -1;
    struct Name {
        Document::TextOffset at;
        std::size_t length;
    };
    std::array<Name, 16> m_names;
    std::size_t m_nameCount = 0;
};

} // namespace xmlparser

#endif
