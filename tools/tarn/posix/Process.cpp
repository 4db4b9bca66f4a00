#include "../Process.h"

#include <unistd.h>

namespace tarn {

bool ErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

} // namespace tarn
