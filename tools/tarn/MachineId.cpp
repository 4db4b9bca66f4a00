#include "Commands.h"
#include "LibText.h"
#include "ToolError.h"

namespace tarn {

int ShowMachineId(Library& library, std::ostream& out) {
    Ref<tarnclient::IMachineIdentity> identity = library.MachineIdentity();
    char* text = identity->GetMachineId();
    if (!text)
        throw ToolError("the library could not copy the machine id");
    out << TakeText(text) << '\n';
    return 0;
}

} // namespace tarn
