#include "customer/SharedState.h"

namespace customer {

SharedState::Access SharedState::Lock() {
    // Made on first use and never destroyed: a manager released from a host's
    // static destructor or exit handler still finds its lock and its state.
    static SharedState* const state = new SharedState();
    return Access(*state);
}

} // namespace customer
