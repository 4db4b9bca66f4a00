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
    case vcom::Cancelled: return "cancelled";
    default: return code > 0 ? "warning" : "unknown failure";
    }
}

} // namespace

std::string ResultText(std::int32_t code) {
    return "code " + std::to_string(code) + " (" + ResultMeaning(code) + ")";
}

std::string AppErrorText(std::int32_t code) {
    return "error " + std::to_string(code) + ": " + tarnclient::AppErrorText(code);
}

} // namespace tarn
