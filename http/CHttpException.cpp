#include "http/CHttpException.h"

#include "messages/Trace.h"

void CHttpException::Raise(const std::string& message) {
    tarnClientLib::Trace("%s", message.c_str());
    tarnClientLib::Trace("\n");
    throw CHttpException(message);
}
