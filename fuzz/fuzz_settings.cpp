// Feeds arbitrary stored bytes to the reading of "Most Recently Used" and of
// a servlet name. What must hold: a servlet name is the text up to the first
// NUL; a split login joins back into that text with one ";", and its public
// name holds none; a value that does not split leaves both fields alone.
#include <cstddef>
#include <cstdint>
#include <string>

#include "customer/CustomerSettings.h"
#include "customer/RegistryValue.h"
#include "fuzz/Check.h"

using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = customer::TextUpToNul(bytes);
    Check(text.find('\0') == std::string::npos && bytes.compare(0, text.size(), text) == 0,
          "a servlet name is not the text up to the first NUL");

    std::string publicName = "before", password = "kept";
    if (customer::SplitRememberedLogin(bytes, publicName, password)) {
        Check(publicName.find(';') == std::string::npos, "a public name holds the separator");
        Check(publicName + ";" + password == text, "the split login does not join back into the stored text");
    } else {
        Check(publicName == "before" && password == "kept", "an unsplit value changed the remembered login");
    }
    return 0;
}
