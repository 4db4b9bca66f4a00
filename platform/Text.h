// Text conversions that differ between targets.
#ifndef TARN_PLATFORM_TEXT_H
#define TARN_PLATFORM_TEXT_H

#include <string>

namespace platform {

// Single-byte text in the system's ANSI code page to UTF-16
// (MultiByteToWideChar(CP_ACP) on Windows, Windows-1252 elsewhere).
std::u16string AnsiToWide(const char* text);

// A new GUID in registry form, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}",
// upper case, 38 characters. False when no GUID could be produced.
bool NewGuidText(std::string& out);

} // namespace platform

#endif
