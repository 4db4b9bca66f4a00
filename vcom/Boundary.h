// The catch at the interface boundary: no exception ever leaves an operation.
#ifndef TARN_VCOM_BOUNDARY_H
#define TARN_VCOM_BOUNDARY_H

#include <cstdint>
#include <new>

#include "vcom/Codes.h"

namespace vcom {

// Status shape: a thrown code becomes the result; anything else -1
// (-4 for an allocation failure).
template <class Body>
std::int32_t CatchStatus(Body&& body) noexcept {
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
    try {
        return body();
    } catch (...) {
        return nullptr;
    }
}

} // namespace vcom

#endif
