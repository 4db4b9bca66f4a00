#include "xmlparser/Parser.h"

#include <cstddef>

#include "vcom/Boundary.h"
#include "xmlparser/Node.h"
#include "xmlparser/ReadDocument.h"

namespace xmlparser {

namespace {

// The length of text up to length bytes or its NUL, whichever comes first,
// so that a length larger than the text never reads past its terminator.
std::size_t BoundedLength(const char* text, std::int32_t length) {
    std::size_t n = 0;
    if (length < 0) {
        while (text[n])
            ++n;
        return n;
    }
    const auto limit = static_cast<std::size_t>(length);
    while (n < limit && text[n])
        ++n;
    return n;
}

} // namespace

INode* Parser::Parse(const char* text, std::int32_t length) {
    return vcom::CatchNull([&]() -> INode* {
        if (!text)
            return nullptr;
        return Node::New(ReadDocument(text, BoundedLength(text, length)), Document::Root, nullptr);
    });
}

} // namespace xmlparser
