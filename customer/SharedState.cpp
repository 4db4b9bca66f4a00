#include "customer/SharedState.h"

#include <string>

#include "messages/SecretText.h"
#include "vcom/ProcessWide.h"

namespace customer {

SharedState::SharedState() {
    // The password and tickets kept here leave the trace's list of secrets
    // when they go, so that process-wide list is made first: the unload ends
    // the newest process-wide object first. (Making it is the list's first
    // step, so memory running short afterwards changes nothing.)
    try {
        tarnClientLib::MaskSecrets(std::string());
    } catch (...) {
    }
}

SharedState::Access SharedState::Lock() { return Access(vcom::ProcessWide<SharedState>()); }

} // namespace customer
