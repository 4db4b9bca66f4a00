#include "tests/torture/FailingAllocator.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include <sqlite3.h>

namespace torture {

namespace {

thread_local bool t_armed = false;
long g_count = 0;
long g_failAt = 0;

bool ShouldFail() {
    if (!t_armed)
        return false;
    return ++g_count == g_failAt;
}

void* Allocate(std::size_t size) {
    if (ShouldFail())
        return nullptr;
    return std::malloc(size ? size : 1);
}

constexpr std::size_t kHeader = 16;

// Each block carries its size in front, since SQLite asks for it.
void* SqliteRealloc(void* p, int size) {
    if (ShouldFail())
        return nullptr;
    auto* block = static_cast<unsigned char*>(std::realloc(p ? static_cast<unsigned char*>(p) - kHeader : nullptr,
                                                           kHeader + static_cast<std::size_t>(size)));
    if (!block)
        return nullptr;
    std::memcpy(block, &size, sizeof size);
    return block + kHeader;
}
void* SqliteMalloc(int size) { return SqliteRealloc(nullptr, size); }
void SqliteFree(void* p) {
    if (p)
        std::free(static_cast<unsigned char*>(p) - kHeader);
}
int SqliteSize(void* p) {
    int size = 0;
    if (p)
        std::memcpy(&size, static_cast<unsigned char*>(p) - kHeader, sizeof size);
    return size;
}
int SqliteRoundup(int size) { return (size + 7) & ~7; }
int SqliteInit(void*) { return SQLITE_OK; }
void SqliteShutdown(void*) {}

} // namespace

void Install() {
    static const sqlite3_mem_methods methods = {SqliteMalloc, SqliteFree,   SqliteRealloc, SqliteSize,
                                                SqliteRoundup, SqliteInit, SqliteShutdown, nullptr};
    if (sqlite3_config(SQLITE_CONFIG_MALLOC, &methods) != SQLITE_OK || sqlite3_initialize() != SQLITE_OK)
        std::abort();
}

void Arm(long failAt) {
    g_count = 0;
    g_failAt = failAt;
    t_armed = true;
}

long Disarm() {
    t_armed = false;
    return g_count;
}

Paused::Paused() : m_wasArmed(t_armed) { t_armed = false; }
Paused::~Paused() { t_armed = m_wasArmed; }

} // namespace torture

void* operator new(std::size_t size) {
    if (void* p = torture::Allocate(size))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return torture::Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return torture::Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
