#include "platform/Unload.h"

#include <atomic>

#include <windows.h>

namespace platform {

namespace {
std::atomic<UnloadHook> g_hook{nullptr};
}

void SetUnloadHook(UnloadHook hook) { g_hook = hook; }

} // namespace platform

// Does nothing on attach. On detach runs the library's unload hook, unless
// the process is ending (lpReserved is then not null): its other threads are
// gone by now, possibly in the middle of a call.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_DETACH) {
        const platform::UnloadHook hook = platform::g_hook.exchange(nullptr);
        if (hook && !reserved)
            hook();
    }
    return TRUE;
}
