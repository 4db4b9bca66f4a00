#include "customer/SharedState.h"

namespace customer {

SharedState::Access SharedState::Lock() {
    // Made on first use, so it exists before any CustomerManager.
    static SharedState state;
    return Access(state);
}

} // namespace customer
