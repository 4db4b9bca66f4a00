// Texts the library hands out belong to its heap: copy them and free them there.
#ifndef TARN_TOOLS_TARN_LIBTEXT_H
#define TARN_TOOLS_TARN_LIBTEXT_H

#include <string>

namespace tarn {

// A copy of text (empty for null), after which text is freed with
// TarnClientLib_MemFree.
std::string TakeText(char* text);

} // namespace tarn

#endif
