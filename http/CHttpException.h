// The one exception of the HTTP connection: a text that begins with the class
// and method that failed, as in "CHttp::SafeRead : failed after 2 read attempts".
#ifndef TARN_HTTP_CHTTPEXCEPTION_H
#define TARN_HTTP_CHTTPEXCEPTION_H

#include <exception>
#include <string>

class CHttpException : public std::exception {
public:
    explicit CHttpException(std::string message) : m_message(std::move(message)) {}
    ~CHttpException() override = default;

    const char* what() const noexcept override { return m_message.c_str(); }

    // Passes the message and a line end to the trace routine, then throws it.
    [[noreturn]] static void Raise(const std::string& message);

private:
    std::string m_message;
};

#endif
