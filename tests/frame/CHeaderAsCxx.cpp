// The C interface's header, alone, as a C++ host includes it.
#include <tarnclient/tarn.h>

static_assert(sizeof(tarn_login) == 124, "tarn_login crosses the library boundary");
