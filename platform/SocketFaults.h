// The test-only failures of platform/Socket.h, as the per-target sockets see them.
#ifndef TARN_PLATFORM_SOCKETFAULTS_H
#define TARN_PLATFORM_SOCKETFAULTS_H

#include "platform/Socket.h"

namespace platform {

// True when a failure of this kind is armed; consumes it and gives its error.
// Costs one atomic load when nothing is armed.
bool TakeSocketFault(SocketCall call, int& error);

} // namespace platform

#endif
