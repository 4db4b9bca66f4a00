// What came from the network, or from a file another program may have
// written, as tarn shows it: as data, never as commands to the terminal.
#ifndef TARN_TOOLS_TARN_SHOWNTEXT_H
#define TARN_TOOLS_TARN_SHOWNTEXT_H

#include <string>

#include <nlohmann/json.hpp>

namespace tarn {

// text with every byte of a control character (C0, DEL, C1), of a
// character that reorders or breaks the line (bidirectional controls, line
// and paragraph separators) and of invalid UTF-8 written as \xHH, so that
// no server can move the cursor, clear the screen or print a message that
// looks like tarn's own.
std::string Shown(const std::string& text);

// document as tarn prints it: indented, every non-ASCII character as a
// \u escape and invalid UTF-8 replaced, so it is as safe on a terminal as
// the plain output and still the same data to a JSON reader.
std::string JsonText(const nlohmann::json& document);

} // namespace tarn

#endif
