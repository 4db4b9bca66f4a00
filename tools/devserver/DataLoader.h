// Turns a JSON data set into ServiceData, refusing anything it cannot use
// with the line and the reason (the format: tools/devserver/README.md).
#ifndef TARN_TOOLS_DEVSERVER_DATALOADER_H
#define TARN_TOOLS_DEVSERVER_DATALOADER_H

#include <string>

#include "ServiceData.h"

namespace devserver {

// Throws DataError.
ServiceData LoadServiceData(const std::string& jsonText);

// Throws std::runtime_error "FILE:LINE: reason" (or "FILE: reason" when the
// file cannot be read).
ServiceData LoadServiceDataFile(const std::string& path);

} // namespace devserver

#endif
