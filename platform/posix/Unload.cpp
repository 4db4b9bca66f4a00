#include "platform/Unload.h"

#include <atomic>

// The Itanium C++ ABI's exit handlers, tied to this library: dlclose runs
// them (after the library's destructor), so none is left behind to be called
// at exit in unloaded code. (atexit() would do the same, but tools that
// intercept it lose the tie.)
extern "C" int __cxa_atexit(void (*handler)(void*), void* argument, void* library);
extern "C" void* __dso_handle;

namespace platform {

namespace {

std::atomic<UnloadHook> g_hook{nullptr};
std::atomic<bool> g_exiting{false};

void NoteExit(void*) { g_exiting = true; }

__attribute__((destructor)) void RunUnloadHook() {
    const UnloadHook hook = g_hook.exchange(nullptr);
    if (hook && !g_exiting)
        hook();
}

} // namespace

void SetUnloadHook(UnloadHook hook) {
    // Without the exit handler exit and dlclose look alike: no hook then,
    // so nothing is freed that another thread may still use.
    static const bool watching = __cxa_atexit(&NoteExit, nullptr, &__dso_handle) == 0;
    if (watching)
        g_hook = hook;
}

} // namespace platform
