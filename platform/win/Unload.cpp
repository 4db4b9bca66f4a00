#include "platform/Unload.h"

#include <atomic>

#include <windows.h>

namespace platform {

namespace {
std::atomic<UnloadHook> g_hook{nullptr};
}

void SetUnloadHook(UnloadHook hook) { g_hook = hook; }

} // namespace platform

// Does nothing on attach; on process detach runs the library's unload hook.
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_DETACH) {
        if (platform::UnloadHook hook = platform::g_hook.exchange(nullptr))
            hook();
    }
    return TRUE;
}
