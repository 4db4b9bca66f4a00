#include "messages/Trace.h"

namespace tarnClientLib {

void Trace(const char*, ...) {}

} // namespace tarnClientLib
