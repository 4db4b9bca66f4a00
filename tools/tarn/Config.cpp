#include <nlohmann/json.hpp>

#include "Commands.h"
#include "LibText.h"
#include "RegistryPlace.h"
#include "ShownText.h"

namespace tarn {

int ShowConfig(Library& library, const Output& output) {
    Ref<tarnclient::IServerLocation> location = library.Location();
    const std::string address = TakeText(location->GetAddress());
    const std::string host = TakeText(location->GetHost());
    const std::int32_t port = location->GetPort();
    if (output.json) {
        output.out << JsonText({{"address", address}, {"host", host}, {"port", port}}) << '\n';
        return ExitSuccess;
    }
    output.out << "address  " << Shown(address) << '\n';
    output.out << "host     " << Shown(host) << '\n';
    output.out << "port     " << port << '\n';
    if (library.ReadsRegistry())
        output.out << "from     " << Shown(RegistryPlace()) << '\n';
    return ExitSuccess;
}

} // namespace tarn
