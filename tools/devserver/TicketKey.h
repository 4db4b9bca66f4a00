// A fresh ticket: 32 random hexadecimal digits, different on every call.
#ifndef TARN_TOOLS_DEVSERVER_TICKETKEY_H
#define TARN_TOOLS_DEVSERVER_TICKETKEY_H

#include <string>

namespace devserver {

std::string NewTicketKey();

} // namespace devserver

#endif
