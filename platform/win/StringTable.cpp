// The STRINGTABLE resource of a loaded module.
#include "platform/StringTable.h"

#include <windows.h>

namespace platform {

int LoadModuleString(const char* moduleName, unsigned id, char* buffer, int capacity) {
    // A capacity of 0 would make LoadStringA store a pointer into buffer.
    if (!moduleName || !buffer || capacity <= 0)
        return 0;
    HMODULE module = GetModuleHandleA(moduleName);
    if (!module)
        return 0;
    return LoadStringA(module, id, buffer, capacity);
}

} // namespace platform
