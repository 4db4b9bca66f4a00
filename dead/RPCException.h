// rpcLib::RPCException: raised by the binary message decoders for an id they
// do not handle, and caught by them. Never leaves the library.
#ifndef TARN_DEAD_RPCEXCEPTION_H
#define TARN_DEAD_RPCEXCEPTION_H

#include <exception>
#include <string>

namespace rpcLib {

class RPCException : public std::exception {
public:
    RPCException() = default;
    explicit RPCException(std::string message);
    ~RPCException() override;

    // The message; an empty text when there is none.
    const char* what() const noexcept override;

private:
    std::string m_message;
};

} // namespace rpcLib

#endif
