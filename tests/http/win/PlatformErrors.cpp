#include "tests/http/PlatformErrors.h"

#include <winsock2.h>

namespace httptest {

int ConnectionRefusedError() { return WSAECONNREFUSED; }

} // namespace httptest
