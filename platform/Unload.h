// What the library does when it is unloaded from a process that goes on.
#ifndef TARN_PLATFORM_UNLOAD_H
#define TARN_PLATFORM_UNLOAD_H

namespace platform {

// The hook runs once when the library is unloaded (dlclose, FreeLibrary)
// from a process that goes on, and never when the process exits: then
// other threads may still be inside the library, and the system takes back
// everything the library holds anyway.
//
// Set it on the library's first use, not from a static initializer. On
// POSIX the library's destructor tells exit from dlclose by an exit handler
// registered here: exit() runs it before any library destructor, dlclose()
// after this library's, provided it was registered once the program had
// started (the C library's own handler, which runs the destructors, is
// registered first thing in main's start-up). On Windows process detach says
// so itself (a non-null lpReserved).
using UnloadHook = void (*)();
void SetUnloadHook(UnloadHook hook);

} // namespace platform

#endif
