// How the customer servlets' application status codes and reply fields are read.
#ifndef TARN_CUSTOMER_TICKETREPLYRULES_H
#define TARN_CUSTOMER_TICKETREPLYRULES_H

#include <cstdint>

namespace customer {

// True for the codes after which the login prompt is shown again (the user
// can correct the name or password); every other failure ends the request.
// code is the 16-bit status widened with zero upper bits.
bool IsCorrectableError(std::uint32_t code);

// The decimal value of a "lifetime" text: leading white space and a sign
// accepted, stops at the first non-digit, 0 without digits.
long LifetimeValue(const char* text);

} // namespace customer

#endif
