#include "CodeTexts.h"

#include <tarnclient/TarnClient.h>

namespace tarn {

namespace {

const char* ResultMeaning(std::int32_t code) {
    switch (code) {
    case vcom::Success: return "success";
    case vcom::Failure: return "failure";
    case vcom::BadData: return "bad data";
    case vcom::NotImplemented: return "not implemented";
    case vcom::OutOfMemory: return "out of memory";
    case vcom::InvalidArgument: return "invalid argument";
    case vcom::InvalidOutPointer: return "invalid out pointer";
    default: return code > 0 ? "warning" : "unknown failure";
    }
}

const char* AppErrorMeaning(std::int32_t code) {
    switch (code) {
    case 2001: return "the product name does not match any product";
    case 2002: return "the event name does not match any event of the product";
    case 2003: return "invalid public name (3 to 30 letters and digits)";
    case 2004: return "invalid password (3 to 30 letters and digits)";
    case 2005: return "no account has this public name";
    case 2006: return "the password is wrong";
    case 2007: return "the event has not started yet or is already over";
    case 2008: return "this account may not take part in the event";
    case 2009: return "the context id is unknown or has expired";
    case 9001: return "the service is unavailable";
    default: return "unrecognised application error";
    }
}

} // namespace

std::string ResultText(std::int32_t code) {
    return "code " + std::to_string(code) + " (" + ResultMeaning(code) + ")";
}

std::string AppErrorText(std::int32_t code) {
    return "error " + std::to_string(code) + ": " + AppErrorMeaning(code);
}

} // namespace tarn
