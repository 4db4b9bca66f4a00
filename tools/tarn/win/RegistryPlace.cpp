#include "../RegistryPlace.h"

namespace tarn {

std::string RegistryPlace() { return "the registry key HKEY_LOCAL_MACHINE\\Software\\Orvane\\Tarn\\Config"; }

} // namespace tarn
