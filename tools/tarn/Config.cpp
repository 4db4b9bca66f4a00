#include "Commands.h"
#include "LibText.h"
#include "RegistryPlace.h"

namespace tarn {

int ShowConfig(Library& library, std::ostream& out) {
    Ref<tarnclient::IServerLocation> location = library.Location();
    out << "address  " << TakeText(location->GetAddress()) << '\n';
    out << "host     " << TakeText(location->GetHost()) << '\n';
    out << "port     " << location->GetPort() << '\n';
    if (library.ReadsRegistry())
        out << "from     " << RegistryPlace() << '\n';
    return 0;
}

} // namespace tarn
