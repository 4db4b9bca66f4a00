#include "messages/Module.h"

namespace tarnClientLib {

const char kModuleName[] = "TarnClient.dll";

} // namespace tarnClientLib
