// Where the library keeps its settings on this platform, for tarn's own
// texts: tarn sees the library only through its public header, so it works
// the place out as the library does.
#ifndef TARN_TOOLS_TARN_REGISTRYPLACE_H
#define TARN_TOOLS_TARN_REGISTRYPLACE_H

#include <string>

namespace tarn {

// Where "QAS Address" is read: a registry key on Windows, the database
// file(s) on Linux.
std::string RegistryPlace();

} // namespace tarn

#endif
