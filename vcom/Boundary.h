// The catch at the interface boundary: no exception ever leaves an
// operation. It also counts the operations in flight, so that the unload
// hook can tell whether anything still runs in the library.
#ifndef TARN_VCOM_BOUNDARY_H
#define TARN_VCOM_BOUNDARY_H

#include <atomic>
#include <cstdint>
#include <new>

#include "vcom/Codes.h"

namespace vcom {

namespace boundary {

// Every module has its own count: the symbol is hidden.
inline std::atomic<std::int32_t> inFlight{0};

// Counts one operation for as long as it lives.
class InFlight {
public:
    InFlight() noexcept { ++inFlight; }
    ~InFlight() { --inFlight; }
    InFlight(const InFlight&) = delete;
    InFlight& operator=(const InFlight&) = delete;
};

} // namespace boundary

// The operations of this module that are between entry and return now.
inline std::int32_t CallsInFlight() noexcept { return boundary::inFlight.load(); }

// Status shape: a thrown code becomes the result; anything else -1
// (-4 for an allocation failure).
template <class Body>
std::int32_t CatchStatus(Body&& body) noexcept {
    const boundary::InFlight counted;
    try {
        return body();
    } catch (const Code& code) {
        return static_cast<std::int32_t>(code);
    } catch (const std::bad_alloc&) {
        return OutOfMemory;
    } catch (...) {
        return Failure;
    }
}

// Pointer shape: *err is 0 first; a thrown code goes to *err and the result
// is null; anything else stores -1 (-4 for an allocation failure).
template <class Body>
auto CatchPointer(std::int32_t* err, Body&& body) noexcept -> decltype(body()) {
    const boundary::InFlight counted;
    std::int32_t local = 0;
    std::int32_t& code = err ? *err : local;
    code = Success;
    try {
        return body();
    } catch (const Code& caught) {
        code = static_cast<std::int32_t>(caught);
    } catch (const std::bad_alloc&) {
        code = OutOfMemory;
    } catch (...) {
        code = Failure;
    }
    return nullptr;
}

// For operations without an err out-parameter: any failure is null.
template <class Body>
auto CatchNull(Body&& body) noexcept -> decltype(body()) {
    const boundary::InFlight counted;
    try {
        return body();
    } catch (...) {
        return nullptr;
    }
}

} // namespace vcom

#endif
