#include "dead/RPCException.h"

#include <utility>

namespace rpcLib {

RPCException::RPCException(std::string message) : m_message(std::move(message)) {}

RPCException::~RPCException() = default;

const char* RPCException::what() const noexcept { return m_message.c_str(); }

} // namespace rpcLib
