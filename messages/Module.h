// The file name of the library module, whose string table holds the messages.
#ifndef TARN_MESSAGES_MODULE_H
#define TARN_MESSAGES_MODULE_H

namespace tarnClientLib {

extern const char kModuleName[]; // "TarnClient.dll"

} // namespace tarnClientLib

#endif
