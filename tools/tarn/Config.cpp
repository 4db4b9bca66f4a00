#include <nlohmann/json.hpp>

#include "Commands.h"
#include "LibText.h"
#include "RegistryPlace.h"

namespace tarn {

int ShowConfig(Library& library, const Output& output) {
    Ref<tarnclient::IServerLocation> location = library.Location();
    const std::string address = TakeText(location->GetAddress());
    const std::string host = TakeText(location->GetHost());
    const std::int32_t port = location->GetPort();
    if (output.json) {
        output.out << nlohmann::json{{"address", address}, {"host", host}, {"port", port}}.dump(2) << '\n';
        return ExitSuccess;
    }
    output.out << "address  " << address << '\n';
    output.out << "host     " << host << '\n';
    output.out << "port     " << port << '\n';
    if (library.ReadsRegistry())
        output.out << "from     " << RegistryPlace() << '\n';
    return ExitSuccess;
}

} // namespace tarn
