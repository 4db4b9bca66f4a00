// The library module's string table.
#ifndef TARN_PLATFORM_STRINGTABLE_H
#define TARN_PLATFORM_STRINGTABLE_H

namespace platform {

// LoadStringA on the loaded module named moduleName: copies string id into
// buffer (at most capacity - 1 characters and a terminator) and returns the
// number of characters copied; 0 when the module or the string is missing.
int LoadModuleString(const char* moduleName, unsigned id, char* buffer, int capacity);

} // namespace platform

#endif
