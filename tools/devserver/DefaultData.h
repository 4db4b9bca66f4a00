// The data set the server uses when it is given no file: enough products,
// servers, events, accounts and context ids to meet every answer once.
#ifndef TARN_TOOLS_DEVSERVER_DEFAULTDATA_H
#define TARN_TOOLS_DEVSERVER_DEFAULTDATA_H

namespace devserver {

// The JSON text, in the format of a --data file.
const char* DefaultDataJson();

} // namespace devserver

#endif
