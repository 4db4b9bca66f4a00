#include "tests/http/PlatformErrors.h"

#include <cerrno>

namespace httptest {

int ConnectionRefusedError() { return ECONNREFUSED; }

} // namespace httptest
