#include "../Process.h"

#include <cstdio>
#include <io.h>

namespace tarn {

bool ErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

} // namespace tarn
