#include "customer/SharedState.h"

#include "vcom/ProcessWide.h"

namespace customer {

SharedState::Access SharedState::Lock() { return Access(vcom::ProcessWide<SharedState>()); }

} // namespace customer
