#include "customer/SharedState.h"

#include "vcom/Immortal.h"

namespace customer {

SharedState::Access SharedState::Lock() { return Access(vcom::Immortal<SharedState>()); }

} // namespace customer
