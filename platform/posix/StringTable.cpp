// The string table of TarnClient.dll, compiled into the library.
#include "platform/StringTable.h"

#include <cstring>

#include <strings.h>

namespace platform {

namespace {

struct TableEntry {
    unsigned id;
    const char* text;
};

#define TARN_STRING(id, text) {id, text},
const TableEntry kTable[] = {
#include "platform/StringTable.def"
};
#undef TARN_STRING

// The module names compare as Windows module names do, without regard to case.
const char kModuleName[] = "TarnClient.dll";

} // namespace

int LoadModuleString(const char* moduleName, unsigned id, char* buffer, int capacity) {
    if (!moduleName || strcasecmp(moduleName, kModuleName) != 0 || !buffer || capacity <= 0)
        return 0;
    for (const TableEntry& entry : kTable) {
        if (entry.id != id)
            continue;
        std::size_t length = std::strlen(entry.text);
        if (length > static_cast<std::size_t>(capacity - 1))
            length = static_cast<std::size_t>(capacity - 1);
        std::memcpy(buffer, entry.text, length);
        buffer[length] = '\0';
        return static_cast<int>(length);
    }
    return 0;
}

} // namespace platform
