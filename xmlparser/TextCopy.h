// Texts handed to callers, from the allocator that XMLParserLib_MemFree frees.
#ifndef XMLPARSER_TEXTCOPY_H
#define XMLPARSER_TEXTCOPY_H

#include <string_view>

namespace xmlparser {

// A new NUL-terminated copy of text; null if no memory.
char* CopyText(std::string_view text);

// Frees a text from CopyText; null is ignored.
void FreeText(void* text);

} // namespace xmlparser

#endif
