// What the library does when it is detached from the process.
#ifndef TARN_PLATFORM_UNLOAD_H
#define TARN_PLATFORM_UNLOAD_H

namespace platform {

// The hook runs once when the library is detached from the process
// (DllMain's process detach on Windows, the library destructor elsewhere).
using UnloadHook = void (*)();
void SetUnloadHook(UnloadHook hook);

} // namespace platform

#endif
