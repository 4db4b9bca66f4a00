// The XML parser library that ships beside this one (XMLParser.dll,
// libXMLParser.so.1), reached so that no planted copy can stand in for it.
//
// Windows: loaded by its full path in the folder this library was loaded
// from, its own imports from there and the system folder only. An imported
// DLL would be looked for in the host's folder first and then, after the
// system folders, in the current one. It stays loaded until the process
// ends: freeing it while this library detaches would run under the loader
// lock.
// POSIX: linked, found beside this library through its run-time path.
#ifndef TARN_PLATFORM_XMLPARSERLIBRARY_H
#define TARN_PLATFORM_XMLPARSERLIBRARY_H

namespace platform {

// Any exported function, to be cast back to its own type before the call.
using LibraryFunction = void (*)();

// The function the XML parser library exports as name; null when the
// library or the function cannot be found.
LibraryFunction XmlParserFunction(const char* name);

} // namespace platform

#endif
