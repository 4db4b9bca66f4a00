#include "xmlparser/Parser.h"

#include <cstddef>
#include <cstring>

#include "vcom/Boundary.h"
#include "xmlparser/Node.h"
#include "xmlparser/ReadDocument.h"

namespace xmlparser {

namespace {

// The length of text up to length bytes or its NUL, whichever comes first,
// so that a length larger than the text never reads past its terminator.
std::size_t BoundedLength(const char* text, std::int32_t length) {
    if (length < 0)
        return std::strlen(text);
    const auto limit = static_cast<std::size_t>(length);
    const void* end = std::memchr(text, '\0', limit);
    return end ? static_cast<std::size_t>(static_cast<const char*>(end) - text) : limit;
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
