// A JSON document together with the line on which each of its values
// starts, so that a data error can point at the line to fix.
#ifndef TARN_TOOLS_DEVSERVER_TRACKEDJSON_H
#define TARN_TOOLS_DEVSERVER_TRACKEDJSON_H

#include <map>
#include <string>

#include <nlohmann/json.hpp>

namespace devserver {

struct TrackedJson {
    nlohmann::json value;
    // JSON pointer ("/products/0/name") -> line. A member's line is the line
    // of its key.
    std::map<std::string, int> lines;

    // The line of pointer, else of its nearest ancestor that has one.
    int LineOf(const std::string& pointer) const;
};

// Parses text; throws DataError with the line of a syntax error.
TrackedJson ParseTrackedJson(const std::string& text);

} // namespace devserver

#endif
