#include "platform/Unload.h"

#include <atomic>

namespace platform {

namespace {
std::atomic<UnloadHook> g_hook{nullptr};

// Runs when the shared library is unloaded (or the process exits).
__attribute__((destructor)) void RunUnloadHook() {
    if (UnloadHook hook = g_hook.exchange(nullptr))
        hook();
}
} // namespace

void SetUnloadHook(UnloadHook hook) { g_hook = hook; }

} // namespace platform
