#include "Fault.h"

#include <algorithm>
#include <stdexcept>

namespace devserver {

namespace {

// A whole decimal number between low and high, else invalid_argument.
int Number(const std::string& text, int low, int high, const std::string& what) {
    const bool digits = !text.empty() && text.size() <= 9 &&
                        std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    const long value = digits ? std::stol(text) : -1;
    if (value < low || value > high)
        throw std::invalid_argument(what + " must be a number from " + std::to_string(low) + " to " +
                                    std::to_string(high) + ", not \"" + text + "\"");
    return static_cast<int>(value);
}

void SetAction(FaultRule& rule, FaultAction action) {
    rule.setsAction = true;
    rule.action = action;
}

void ApplyRule(Fault& fault, const FaultRule& rule) {
    if (rule.setsDelay)
        fault.delayMs = rule.delayMs;
    if (rule.setsAction) {
        fault.action = rule.action;
        fault.httpStatus = rule.httpStatus;
    }
}

} // namespace

FaultRule ParseFaultRule(const std::string& text) {
    FaultRule rule;
    std::string mode = text;
    if (!text.empty() && text[0] == '/') {
        const std::size_t equals = text.find('=');
        if (equals == std::string::npos)
            throw std::invalid_argument("fault \"" + text + "\" names a path but no mode (PATH=MODE)");
        rule.path = text.substr(0, equals);
        mode = text.substr(equals + 1);
    }
    const std::size_t colon = mode.find(':');
    const std::string name = mode.substr(0, colon);
    const std::string argument = colon == std::string::npos ? std::string() : mode.substr(colon + 1);
    const bool takesArgument = name == "delay" || name == "http";
    if (takesArgument == (colon == std::string::npos))
        throw std::invalid_argument("fault mode \"" + mode + "\": " +
                                    (takesArgument ? "needs a value, as " + name + ":N" : "takes no value"));
    if (name == "delay") {
        rule.setsDelay = true;
        rule.delayMs = Number(argument, 0, 3600000, "the delay in milliseconds");
    } else if (name == "http") {
        SetAction(rule, FaultAction::HttpStatus);
        rule.httpStatus = Number(argument, 100, 599, "the HTTP status");
    } else if (name == "hang") {
        SetAction(rule, FaultAction::Hang);
    } else if (name == "close") {
        SetAction(rule, FaultAction::Close);
    } else if (name == "malformed-list") {
        SetAction(rule, FaultAction::MalformedList);
    } else if (name == "incomplete-list") {
        SetAction(rule, FaultAction::IncompleteList);
    } else if (name == "unavailable") {
        SetAction(rule, FaultAction::Unavailable);
    } else if (name == "none") {
        rule.setsDelay = true;
        SetAction(rule, FaultAction::Answer);
    } else {
        throw std::invalid_argument("unknown fault mode \"" + name +
                                    "\" (delay:MS, hang, close, http:STATUS, malformed-list, incomplete-list, "
                                    "unavailable, none)");
    }
    return rule;
}

Fault FaultFor(const std::vector<FaultRule>& rules, const std::string& path) {
    Fault fault;
    for (const FaultRule& rule : rules)
        if (rule.path.empty())
            ApplyRule(fault, rule);
    for (const FaultRule& rule : rules)
        if (rule.path == path)
            ApplyRule(fault, rule);
    return fault;
}

std::string Describe(const Fault& fault) {
    std::string action;
    switch (fault.action) {
    case FaultAction::Answer: break;
    case FaultAction::Hang: action = "hang"; break;
    case FaultAction::Close: action = "close"; break;
    case FaultAction::HttpStatus: action = "http " + std::to_string(fault.httpStatus); break;
    case FaultAction::MalformedList: action = "malformed-list"; break;
    case FaultAction::IncompleteList: action = "incomplete-list"; break;
    case FaultAction::Unavailable: action = "unavailable"; break;
    }
    std::string delay = fault.delayMs > 0 ? "delay " + std::to_string(fault.delayMs) + " ms" : "";
    if (!delay.empty() && !action.empty())
        return delay + " + " + action;
    return delay + action;
}

} // namespace devserver
