#include <nlohmann/json.hpp>

#include "Commands.h"
#include "LibText.h"
#include "ShownText.h"
#include "ToolError.h"

namespace tarn {

int ShowMachineId(Library& library, const Output& output) {
    Ref<tarnclient::IMachineIdentity> identity = library.MachineIdentity();
    char* text = identity->GetMachineId();
    if (!text)
        throw ToolError("the library could not copy the machine id", ExitFailed);
    const std::string id = TakeText(text);
    if (output.json)
        output.out << JsonText({{"machineId", id}}) << '\n';
    else
        output.out << Shown(id) << '\n';
    return ExitSuccess;
}

} // namespace tarn
